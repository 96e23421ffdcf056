#pragma once

// What the bridge tests share: a fresh stand-in with one attached phone per test, and
// calls that put the large records on the heap as the engine does.

#include "CMTPBridge/CMTPBridge.h"
#include "tests/support/ScriptedLibmtp.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace tarvel::test {

// The id of the default ScriptedDevice.
inline constexpr const char *kPhone = "mtp-1-2-18d1-4ee1";
inline constexpr const char *kStorage = "65537";
inline constexpr const char *kNotAvailable = "MTP device is not connected or not available";
inline constexpr uint32_t kRoot = LIBMTP_FILES_AND_FOLDERS_ROOT;

class BridgeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ScriptedLibmtp::reset();
        ScriptedLibmtp::devices = {ScriptedDevice{}};
    }
};

inline std::unique_ptr<CMTPStorageResult> listStorage(const char *deviceId = kPhone)
{
    auto result = std::make_unique<CMTPStorageResult>();
    cmtp_list_storage_into(result.get(), deviceId);
    return result;
}

inline std::unique_ptr<CMTPDirectoryResult> listDirectory(const char *storageId, const char *parentId,
                                                          const char *deviceId = kPhone)
{
    auto result = std::make_unique<CMTPDirectoryResult>();
    cmtp_list_directory_into(result.get(), deviceId, storageId, parentId);
    return result;
}

// Every entry the callback saw, copied while it was valid.
struct FullListing {
    CMTPListingResult result;
    std::vector<CMTPDirectoryEntry> seen;
};

inline FullListing listEach(const char *storageId, const char *parentId, const char *deviceId = kPhone)
{
    FullListing listing;
    listing.result = cmtp_list_directory_each(
        deviceId, storageId, parentId,
        [](const CMTPDirectoryEntry *entry, void *seen) {
            static_cast<std::vector<CMTPDirectoryEntry> *>(seen)->push_back(*entry);
        },
        &listing.seen);
    return listing;
}

template <typename Record>
bool isAllZero(const Record &record)
{
    Record zero;
    std::memset(&zero, 0, sizeof zero);
    return std::memcmp(&record, &zero, sizeof record) == 0;
}

} // namespace tarvel::test
