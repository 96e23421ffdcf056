// Folder listing: which folder is asked for, how objects become entries, the order of the
// checks, whole folders however large, and never a part of one for the whole.

#include "tests/bridge/BridgeTestSupport.h"

#include <cstdint>
#include <cstdio>

using namespace tarvel::test;

namespace {

std::vector<ScriptedObject> photos(int count, uint32_t parent)
{
    std::vector<ScriptedObject> objects;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%05d.jpg", i);
        objects.push_back({.id = 1000 + uint32_t(i), .name = name, .size = uint64_t(i) * 1000,
                           .type = LIBMTP_FILETYPE_JPEG, .parentId = parent});
    }
    return objects;
}

} // namespace

using BridgeListing = BridgeTest;

// Null, empty and "4294967295" all name the root of the storage given.
TEST_F(BridgeListing, RootCanBeNamedThreeWays)
{
    ScriptedLibmtp::folders[kRoot] = {{.id = 7, .name = "DCIM", .size = 4096, .type = LIBMTP_FILETYPE_FOLDER}};
    for (const char *root : {static_cast<const char *>(nullptr), "", "4294967295"}) {
        const auto result = listDirectory(kStorage, root);
        EXPECT_EQ(result->ok, 1);
        EXPECT_EQ(result->count, 1);
    }
    EXPECT_EQ(listDirectory("131073", "42")->count, 0);
    EXPECT_EQ(ScriptedLibmtp::listings,
              (std::vector<ListingCall>{{65537, kRoot}, {65537, kRoot}, {65537, kRoot}, {131073, 42}}));
}

// How objects become entries: names fall back to "Untitled", only the folder type is a
// folder, sizes beyond int64 become -1, long names are cut to the field, parent 0 is none,
// and dates are carried when the phone gives one.
TEST_F(BridgeListing, MapsObjectsToEntries)
{
    ScriptedLibmtp::folders[42] = {
        {.id = 1, .name = "Camera", .size = 4096, .type = LIBMTP_FILETYPE_FOLDER, .parentId = 42, .modified = 1'700'000'000},
        {.id = 2, .name = "", .size = 10, .type = LIBMTP_FILETYPE_JPEG, .parentId = 42},
        {.id = 3, .name = std::nullopt, .parentId = 42},
        {.id = 4294967295u, .name = "huge.bin", .size = UINT64_MAX, .parentId = 42},
        {.id = 5, .name = std::string(300, 'n'), .size = INT64_MAX, .parentId = 0},
    };
    const auto result = listDirectory(kStorage, "42");
    ASSERT_EQ(result->ok, 1);
    ASSERT_EQ(result->count, 5);
    const CMTPDirectoryEntry *e = result->entries;
    EXPECT_STREQ(e[0].id, "1");
    EXPECT_STREQ(e[0].name, "Camera");
    EXPECT_STREQ(e[0].parent_id, "42");
    EXPECT_EQ(e[0].is_folder, 1);
    EXPECT_EQ(e[0].size_bytes, 4096);
    EXPECT_EQ(e[0].modified_at, 1'700'000'000);
    EXPECT_EQ(e[1].modified_at, 0);
    EXPECT_STREQ(e[1].name, "Untitled");
    EXPECT_EQ(e[1].is_folder, 0);
    EXPECT_EQ(e[1].size_bytes, 10);
    EXPECT_STREQ(e[2].name, "Untitled");
    EXPECT_STREQ(e[3].id, "4294967295");
    EXPECT_EQ(e[3].size_bytes, -1);
    EXPECT_EQ(std::string(e[4].name), std::string(255, 'n'));
    EXPECT_EQ(e[4].size_bytes, INT64_MAX);
    EXPECT_STREQ(e[4].parent_id, ""); // the storage root's 0 names no folder
    EXPECT_EQ(ScriptedLibmtp::fileNodesDestroyed, 5);
}

// libmtp answers null both for an empty folder and for a failure; only its error stack tells.
TEST_F(BridgeListing, NullAnswerIsAnEmptyFolderUnlessLibmtpRecordedAnError)
{
    const auto empty = listDirectory(kStorage, "99");
    EXPECT_EQ(empty->ok, 1);
    EXPECT_EQ(empty->count, 0);
    EXPECT_STREQ(empty->error, "");

    ScriptedLibmtp::listingOutcome = {1, {"PTP Layer error 02fe: could not get object handles of ffffffff.",
                                          "Error 02fe: PTP Data Expected"}};
    const auto failed = listDirectory(kStorage, nullptr);
    EXPECT_EQ(failed->ok, 0);
    EXPECT_EQ(failed->code, CMTP_RESULT_DEVICE_REFUSED);
    EXPECT_STREQ(failed->error, "Error 02fe: PTP Data Expected");

    ScriptedLibmtp::listingOutcome = {1, {""}};
    EXPECT_STREQ(listDirectory(kStorage, nullptr)->error, "Could not list MTP directory");
    EXPECT_EQ(ScriptedLibmtp::opens.size(), 1u); // failures keep the device open
}

// The device is opened before the ids are read, the storage is read before the parent,
// and no listing is asked for with a bad id.
TEST_F(BridgeListing, ChecksDeviceThenStorageThenParent)
{
    EXPECT_STREQ(listDirectory("x", "y", "mtp-9-9-0000-0000")->error, kNotAvailable);
    for (const char *storage : {static_cast<const char *>(nullptr), "", "12a", "4294967296", " ", "+", "0x10", "1 "}) {
        SCOPED_TRACE(storage ? storage : "(null)");
        const auto result = listDirectory(storage, "also bad");
        EXPECT_EQ(result->ok, 0);
        EXPECT_EQ(result->code, CMTP_RESULT_OTHER);
        EXPECT_STREQ(result->error, "Invalid MTP storage id");
    }
    for (const char *parent : {"4294967296", "7x", " ", "-1", "99999999999999999999"}) {
        SCOPED_TRACE(parent);
        EXPECT_STREQ(listDirectory(kStorage, parent)->error, "Invalid MTP parent id");
    }
    EXPECT_TRUE(ScriptedLibmtp::listings.empty());

    // What strtoul reads in full is accepted: leading blanks and a sign.
    listDirectory(" 7", "+8");
    listDirectory("-0", "\t9");
    EXPECT_EQ(ScriptedLibmtp::listings, (std::vector<ListingCall>{{7, 8}, {0, 9}}));
}

// A camera folder arrives whole, in libmtp's order, from one listing with every node freed;
// the record of the first operation keeps the first 512 of the same entries.
TEST_F(BridgeListing, LargeFoldersReachTheCallbackWhole)
{
    for (const int size : {600, 5000}) {
        SCOPED_TRACE(size);
        ScriptedLibmtp::reset();
        ScriptedLibmtp::devices = {ScriptedDevice{}};
        ScriptedLibmtp::folders[42] = photos(size, 42);

        const FullListing listing = listEach(kStorage, "42");
        ASSERT_EQ(listing.result.ok, 1);
        ASSERT_EQ(listing.result.count, size);
        ASSERT_EQ(listing.seen.size(), size_t(size));
        const auto first = listDirectory(kStorage, "42");
        ASSERT_EQ(first->ok, 1);
        ASSERT_EQ(first->count, 512);
        for (int i = 0; i < size; ++i) {
            const CMTPDirectoryEntry &entry = listing.seen[i];
            ASSERT_EQ(std::string(entry.id), std::to_string(1000 + i));
            ASSERT_EQ(entry.size_bytes, int64_t(i) * 1000);
            if (i < 512) {
                ASSERT_EQ(std::memcmp(&entry, &first->entries[i], sizeof entry), 0) << i;
            }
        }
        EXPECT_STREQ(listing.seen.back().name, size == 600 ? "IMG_00599.jpg" : "IMG_04999.jpg");
        EXPECT_EQ(ScriptedLibmtp::listings.size(), 2u);
        EXPECT_EQ(ScriptedLibmtp::fileNodesCreated, 2 * size);
        EXPECT_EQ(ScriptedLibmtp::fileNodesDestroyed, 2 * size);
    }
    // Without a record nothing happens at all.
    ScriptedLibmtp::calls.clear();
    cmtp_list_directory_into(nullptr, kPhone, kStorage, "42");
    EXPECT_TRUE(ScriptedLibmtp::calls.empty());
}

// Objects with errors beside them: a phone that still answers skipped objects it could not
// describe (listed, marked incomplete); a broken connection or a dead session fails the whole
// listing, and nothing of it reaches the callback or the record. So does a phone that left.
TEST_F(BridgeListing, ListingCutShortIsNeverReportedWhole)
{
    ScriptedLibmtp::folders[kRoot] = {{1, "a.jpg", 3, LIBMTP_FILETYPE_UNKNOWN, 0}, {2, "b.jpg", 4, LIBMTP_FILETYPE_UNKNOWN, 0}};
    const FullListing whole = listEach(kStorage, nullptr);
    EXPECT_EQ(whole.result.ok, 1);
    EXPECT_EQ(whole.result.complete, 1);
    EXPECT_EQ(whole.seen.size(), 2u);

    ScriptedLibmtp::listingOutcome = {0, {"Error 02fe: PTP Data Expected"}};
    const FullListing partial = listEach(kStorage, nullptr);
    EXPECT_EQ(partial.result.ok, 1);
    EXPECT_EQ(partial.result.complete, 0);
    EXPECT_STREQ(partial.result.error, "");
    EXPECT_EQ(partial.seen.size(), 2u);
    EXPECT_EQ(listDirectory(kStorage, nullptr)->complete, 0);

    ScriptedLibmtp::listingOutcome = {0, {"Error 02ff: PTP I/O Error"}, LIBMTP_ERROR_USB_LAYER};
    const FullListing broken = listEach(kStorage, nullptr);
    EXPECT_EQ(broken.result.ok, 0);
    EXPECT_EQ(broken.result.code, CMTP_RESULT_DEVICE_REFUSED); // the phone is still there: a new session
    EXPECT_STREQ(broken.result.error, "Error 02ff: PTP I/O Error");
    EXPECT_TRUE(broken.seen.empty());

    ScriptedLibmtp::listingOutcome = {0, {"Error 02fe: PTP Data Expected"}};
    ScriptedLibmtp::breakOpenSessions();
    const auto dead = listDirectory(kStorage, nullptr);
    EXPECT_EQ(dead->ok, 0);
    EXPECT_STREQ(dead->error, "Error 02fe: PTP Data Expected");
    EXPECT_EQ(dead->count, 0);

    ScriptedLibmtp::breakOpenSessions();
    ScriptedLibmtp::devices.clear();
    const FullListing gone = listEach(kStorage, nullptr);
    EXPECT_EQ(gone.result.code, CMTP_RESULT_DEVICE_GONE);
    EXPECT_TRUE(gone.seen.empty());
    EXPECT_EQ(ScriptedLibmtp::fileNodesDestroyed, ScriptedLibmtp::fileNodesCreated);
    EXPECT_EQ(ScriptedLibmtp::openHandles(), 0);
}
