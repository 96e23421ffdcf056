// Scanning, the one-entry device cache and its close listener, the error-stack message and
// storage listing.

#include "tests/bridge/BridgeTestSupport.h"

#include <cstdint>
#include <cstdlib>

using namespace tarvel::test;

extern "C" int bridge_c_count_folder(const char *device_id, const char *storage_id, const char *parent_id);

namespace {

using Calls = std::vector<std::string>;
using Addresses = std::vector<std::pair<uint32_t, uint8_t>>;

ScriptedDevice phoneAt(uint8_t deviceNumber)
{
    return {.busLocation = 20, .deviceNumber = deviceNumber, .vendorId = 9, .productId = 171, .product = "Pixel"};
}

// The addresses the close listener was told of, in order.
void listenToCloses(Addresses &told)
{
    cmtp_set_close_listener(
        [](uint32_t bus, uint8_t device, void *addresses) { static_cast<Addresses *>(addresses)->emplace_back(bus, device); },
        &told);
}

} // namespace

using BridgeScan = BridgeTest;
using BridgeDeviceCache = BridgeTest;
using BridgeDeviceCacheDeathTest = BridgeTest;
using BridgeCloseListener = BridgeTest;
using BridgeErrorStack = BridgeTest;
using BridgeStorage = BridgeTest;
using BridgeHeader = BridgeTest;

// No phone is an empty list, not a failure; libmtp is initialised before every detection.
TEST_F(BridgeScan, NoDeviceIsAnEmptySuccessAndOtherDetectionCodesFail)
{
    ScriptedLibmtp::devices.clear();
    const CMTPScanResult none = cmtp_scan_devices();
    EXPECT_EQ(none.ok, 1);
    EXPECT_EQ(none.count, 0);
    EXPECT_STREQ(none.error, "");

    ScriptedLibmtp::detectResult = LIBMTP_ERROR_USB_LAYER;
    const CMTPScanResult failed = cmtp_scan_devices();
    EXPECT_EQ(failed.ok, 0);
    EXPECT_EQ(failed.count, 0);
    EXPECT_STREQ(failed.error, "MTP device scan failed");
    EXPECT_EQ(ScriptedLibmtp::calls,
              (Calls{"LIBMTP_Init", "LIBMTP_Detect_Raw_Devices", "LIBMTP_Init", "LIBMTP_Detect_Raw_Devices"}));
}

// Ids are built from bus, device number and the USB ids in lowercase hex; a missing or
// empty product name falls back; the seventeenth device is dropped.
TEST_F(BridgeScan, DescribesAtMost16DevicesInDetectionOrder)
{
    ScriptedLibmtp::devices.clear();
    for (int i = 0; i < 17; ++i) {
        ScriptedDevice device = phoneAt(static_cast<uint8_t>(5 + i));
        device.product = "Phone " + std::to_string(i);
        ScriptedLibmtp::devices.push_back(device);
    }
    ScriptedLibmtp::devices[1].product = std::nullopt;
    ScriptedLibmtp::devices[2].product = "";
    ScriptedLibmtp::devices[3].vendorId = 0xABCD;
    ScriptedLibmtp::devices[3].productId = 0xF00;

    const CMTPScanResult scan = cmtp_scan_devices();
    ASSERT_EQ(scan.ok, 1);
    ASSERT_EQ(scan.count, 16);
    EXPECT_STREQ(scan.devices[0].id, "mtp-20-5-0009-00ab");
    EXPECT_STREQ(scan.devices[0].name, "Phone 0");
    EXPECT_EQ(scan.devices[0].vendor_id, 9);
    EXPECT_EQ(scan.devices[0].product_id, 171);
    EXPECT_EQ(scan.devices[0].bus_location, 20u);
    EXPECT_EQ(scan.devices[0].device_number, 5);
    EXPECT_STREQ(scan.devices[1].name, "Android phone");
    EXPECT_STREQ(scan.devices[2].name, "Android phone");
    EXPECT_STREQ(scan.devices[3].id, "mtp-20-8-abcd-0f00");
    EXPECT_STREQ(scan.devices[15].id, "mtp-20-20-0009-00ab");
    EXPECT_STREQ(scan.error, "");
    EXPECT_TRUE(ScriptedLibmtp::opens.empty());
}

// Scanning neither opens a device nor closes the one the other operations keep open.
TEST_F(BridgeScan, LeavesTheOpenDeviceAlone)
{
    ASSERT_EQ(listStorage()->ok, 1);
    ASSERT_EQ(cmtp_scan_devices().count, 1);
    ASSERT_EQ(listStorage()->ok, 1);
    EXPECT_EQ(ScriptedLibmtp::opens.size(), 1u);
    EXPECT_EQ(ScriptedLibmtp::releases, 0);
}

// One device stays open for its id; another id closes it before anything else is tried.
TEST_F(BridgeDeviceCache, ReusesTheDeviceForItsIdAndClosesItForAnother)
{
    ScriptedLibmtp::devices = {phoneAt(5), phoneAt(7)};
    EXPECT_EQ(listStorage("mtp-20-5-0009-00ab")->ok, 1);
    EXPECT_EQ(listStorage("mtp-20-5-0009-00ab")->ok, 1);
    EXPECT_EQ(ScriptedLibmtp::opens, (std::vector<uint8_t>{5}));
    EXPECT_EQ(ScriptedLibmtp::detections, 1);

    ScriptedLibmtp::calls.clear();
    EXPECT_EQ(listStorage("mtp-20-7-0009-00ab")->ok, 1);
    const Calls opening(ScriptedLibmtp::calls.begin(), ScriptedLibmtp::calls.begin() + 4);
    EXPECT_EQ(opening, (Calls{"LIBMTP_Release_Device", "LIBMTP_Init", "LIBMTP_Detect_Raw_Devices",
                              "LIBMTP_Open_Raw_Device_Uncached"}));
    EXPECT_EQ(ScriptedLibmtp::opens, (std::vector<uint8_t>{5, 7}));
    EXPECT_EQ(ScriptedLibmtp::openHandles(), 1);
}

// A re-plugged phone has a new id. The old id keeps the stale handle while it is the cached
// one, and stops working once another id replaced it.
TEST_F(BridgeDeviceCache, OldIdOfARepluggedPhoneWorksOnlyWhileCached)
{
    ScriptedLibmtp::devices = {phoneAt(5)};
    ASSERT_EQ(listStorage("mtp-20-5-0009-00ab")->ok, 1);
    ScriptedLibmtp::devices = {phoneAt(6)};
    EXPECT_EQ(listStorage("mtp-20-5-0009-00ab")->ok, 1);
    EXPECT_EQ(ScriptedLibmtp::detections, 1);

    EXPECT_EQ(listStorage("mtp-20-6-0009-00ab")->ok, 1);
    const auto old = listStorage("mtp-20-5-0009-00ab");
    EXPECT_EQ(old->ok, 0);
    EXPECT_STREQ(old->error, kNotAvailable);
    EXPECT_EQ(ScriptedLibmtp::releases, 2); // asking for the old id closed the new device too
    EXPECT_EQ(ScriptedLibmtp::openHandles(), 0);
}

// Every way an open fails, with its text and code (only a phone missing from the bus is gone);
// only a null or empty id leaves the cache alone.
TEST_F(BridgeDeviceCache, OpenFailuresGiveTheirTextsAndLeaveNothingOpen)
{
    ASSERT_EQ(listStorage()->ok, 1);
    EXPECT_STREQ(listStorage(nullptr)->error, kNotAvailable);
    EXPECT_EQ(listStorage("")->code, CMTP_RESULT_DEVICE_GONE);
    EXPECT_EQ(ScriptedLibmtp::releases, 0);
    EXPECT_EQ(ScriptedLibmtp::detections, 1);

    const auto other = listStorage("mtp-1-3-18d1-4ee1");
    EXPECT_STREQ(other->error, kNotAvailable);
    EXPECT_EQ(other->code, CMTP_RESULT_DEVICE_GONE);
    EXPECT_EQ(ScriptedLibmtp::releases, 1);

    ScriptedLibmtp::detectResult = LIBMTP_ERROR_CONNECTING;
    const auto unscanned = listStorage();
    EXPECT_STREQ(unscanned->error, "MTP device scan failed");
    EXPECT_EQ(unscanned->code, CMTP_RESULT_OTHER);
    ScriptedLibmtp::detectResult = LIBMTP_ERROR_NONE;
    ScriptedLibmtp::devices[0].opens = false;
    const auto locked = listStorage();
    EXPECT_EQ(locked->ok, 0);
    EXPECT_STREQ(locked->error, "Could not open MTP device; unlock the phone and choose File transfer");
    EXPECT_EQ(locked->code, CMTP_RESULT_OTHER);
    ScriptedLibmtp::devices.clear();
    EXPECT_STREQ(listStorage()->error, kNotAvailable);
    EXPECT_EQ(ScriptedLibmtp::openHandles(), 0);

    // Nothing failed stays cached: the phone, once reachable, is detected and opened afresh.
    ScriptedLibmtp::devices = {ScriptedDevice{}};
    const int detections = ScriptedLibmtp::detections;
    EXPECT_EQ(listStorage()->ok, 1);
    EXPECT_EQ(ScriptedLibmtp::detections, detections + 1);
}

// libmtp must end its session with the phone when the app quits.
TEST_F(BridgeDeviceCacheDeathTest, ProcessExitReleasesTheOpenDevice)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ScriptedLibmtp::traceCalls = true;
            if (listStorage()->ok == 1)
                std::exit(0);
            std::exit(1);
        },
        ::testing::ExitedWithCode(0), "LIBMTP_Get_Storage.*LIBMTP_Release_Device");
}

// The most recent non-empty text wins, empty and missing texts never hide the fallback,
// a long text is cut to the field, and the stack is cleared after it was read.
TEST_F(BridgeErrorStack, LastNonEmptyTextWinsElseTheFallback)
{
    ScriptedLibmtp::storageOutcome = {-1, {"first", "", std::nullopt, "second", ""}};
    const auto both = listStorage();
    EXPECT_EQ(both->ok, 0);
    EXPECT_STREQ(both->error, "second");
    EXPECT_EQ(ScriptedLibmtp::calls.back(), "LIBMTP_Clear_Errorstack");

    ScriptedLibmtp::storageOutcome = {-1, {"", std::nullopt}};
    EXPECT_STREQ(listStorage()->error, "Could not list MTP storage");
    ScriptedLibmtp::storageOutcome = {-1, {}};
    EXPECT_STREQ(listStorage()->error, "Could not list MTP storage");

    ScriptedLibmtp::storageOutcome = {-1, {std::string(600, 'x')}};
    EXPECT_EQ(std::string(listStorage()->error), std::string(511, 'x'));
}

// At most 16 storages in device order, named and sized for the window.
TEST_F(BridgeStorage, ReportsAtMost16WithFallbackNamesAndSignedSizes)
{
    ScriptedLibmtp::storages.clear();
    for (uint32_t i = 0; i < 20; ++i)
        ScriptedLibmtp::storages.push_back(
            {.id = 0x00010001 + i, .description = "Storage " + std::to_string(i), .maxCapacity = 1000, .freeSpace = 10});
    ScriptedLibmtp::storages[1].description = std::nullopt;
    ScriptedLibmtp::storages[2].description = "";
    ScriptedLibmtp::storages[3].freeSpace = UINT64_MAX;
    ScriptedLibmtp::storages[3].maxCapacity = INT64_MAX;
    ScriptedLibmtp::storages[4].maxCapacity = uint64_t(INT64_MAX) + 1;
    ScriptedLibmtp::storages[5].storageType = 0x0004; // a memory card
    ScriptedLibmtp::storages[6].storageType = 0;

    const auto result = listStorage();
    ASSERT_EQ(result->ok, 1);
    ASSERT_EQ(result->count, 16);
    EXPECT_STREQ(result->storages[0].id, "65537");
    EXPECT_STREQ(result->storages[0].name, "Storage 0");
    EXPECT_EQ(result->storages[0].capacity_bytes, 1000);
    EXPECT_EQ(result->storages[0].free_bytes, 10);
    EXPECT_STREQ(result->storages[1].name, "Android storage");
    EXPECT_STREQ(result->storages[2].name, "Android storage");
    EXPECT_EQ(result->storages[3].free_bytes, -1);
    EXPECT_EQ(result->storages[3].capacity_bytes, INT64_MAX);
    EXPECT_EQ(result->storages[4].capacity_bytes, -1);
    EXPECT_EQ(result->storages[0].storage_type, 0x0003);
    EXPECT_EQ(result->storages[5].storage_type, 0x0004);
    EXPECT_EQ(result->storages[6].storage_type, 0);
    EXPECT_STREQ(result->storages[15].id, "65552");
}

// The accessors never read outside the filled slots and accept null.
TEST_F(BridgeStorage, AccessorsStayInsideTheFilledSlots)
{
    auto result = std::make_unique<CMTPStorageResult>();
    std::memset(result.get(), 0, sizeof *result);
    result->ok = 1;
    result->count = 1;
    std::strcpy(result->storages[0].id, "1");
    std::strcpy(result->storages[1].id, "stale"); // past count: must not be handed out
    EXPECT_STREQ(cmtp_storage_at(result.get(), 0).id, "1");
    EXPECT_TRUE(isAllZero(cmtp_storage_at(result.get(), 1)));
    EXPECT_TRUE(isAllZero(cmtp_storage_at(result.get(), -1)));
    result->count = 40; // a corrupt count still never reaches past the array
    EXPECT_TRUE(isAllZero(cmtp_storage_at(result.get(), 16)));
    EXPECT_EQ(cmtp_storage_result_ok(result.get()), 1);
    EXPECT_EQ(cmtp_storage_result_count(result.get()), 40);

    EXPECT_EQ(cmtp_storage_result_ok(nullptr), 0);
    EXPECT_EQ(cmtp_storage_result_count(nullptr), 0);
    EXPECT_STREQ(cmtp_storage_result_error(nullptr), "");
    EXPECT_TRUE(isAllZero(cmtp_storage_at(nullptr, 0)));
    EXPECT_EQ(cmtp_directory_result_ok(nullptr), 0);
    EXPECT_EQ(cmtp_directory_result_count(nullptr), 0);
    EXPECT_STREQ(cmtp_directory_result_error(nullptr), "");
    EXPECT_TRUE(isAllZero(cmtp_directory_entry_at(nullptr, 0)));
}

// -1 fails; 0 succeeds even without storages; any other code needs a storage to succeed.
// A device stays open through the failures.
TEST_F(BridgeStorage, ReturnCodeAndChainDecideSuccess)
{
    struct Case {
        int code;
        size_t storages;
        int ok;
        int count;
    };
    for (const Case c : {Case{-1, 1, 0, 0}, Case{0, 0, 1, 0}, Case{1, 0, 0, 0}, Case{1, 2, 1, 2}}) {
        SCOPED_TRACE(testing::Message() << "code " << c.code << ", storages " << c.storages);
        ScriptedLibmtp::storageOutcome = {c.code, {}};
        ScriptedLibmtp::storages.assign(c.storages, ScriptedStorage{});
        const auto result = listStorage();
        EXPECT_EQ(result->ok, c.ok);
        EXPECT_EQ(result->count, c.count);
        EXPECT_EQ(result->code, c.ok ? CMTP_RESULT_OK : CMTP_RESULT_DEVICE_REFUSED);
        EXPECT_STREQ(result->error, c.ok ? "" : "Could not list MTP storage");
        EXPECT_EQ(ScriptedLibmtp::openHandles(), 1);
    }
}

// A kept handle whose session died is replaced by one fresh session when storages are
// listed (where a Refresh starts); a freshly opened handle is not tried twice.
TEST_F(BridgeStorage, DeadSessionIsReopenedOnce)
{
    ASSERT_EQ(listStorage()->ok, 1);
    ScriptedLibmtp::breakOpenSessions();
    auto result = listStorage();
    EXPECT_EQ(result->ok, 1);
    EXPECT_EQ(result->count, 1);
    EXPECT_STREQ(result->error, "");
    EXPECT_EQ(ScriptedLibmtp::opens.size(), 2u);
    EXPECT_EQ(ScriptedLibmtp::releases, 1);
    EXPECT_EQ(ScriptedLibmtp::openHandles(), 1);

    // Failing for another reason, a fresh session reports the failure once, and stays open.
    ScriptedLibmtp::breakOpenSessions();
    ScriptedLibmtp::storageOutcome = {-1, {"Error 2001: PTP General Error"}};
    result = listStorage();
    EXPECT_EQ(result->ok, 0);
    EXPECT_STREQ(result->error, "Error 2001: PTP General Error");
    EXPECT_EQ(ScriptedLibmtp::opens.size(), 3u);
    EXPECT_EQ(ScriptedLibmtp::storageRefreshes, 5); // 1 + 2 + 2: never a third try
    EXPECT_EQ(ScriptedLibmtp::openHandles(), 1);
}

// The header is a C header too: a C file lists a folder through it.
TEST_F(BridgeHeader, IsUsableFromC)
{
    ScriptedLibmtp::folders[kRoot] = {{.id = 1, .name = "DCIM"}, {.id = 2, .name = "Music"}};
    EXPECT_EQ(bridge_c_count_folder(kPhone, kStorage, nullptr), 2);
    const CMTPBridgeStatus status = cmtp_bridge_status();
    EXPECT_EQ(status.available, 1);
    EXPECT_STREQ(status.message, "libmtp headers are available");
}

// The listener hears of every close the bridge chooses, with the phone's address: on purpose,
// for another phone, and for a new session with a phone still on the bus after its session
// died. Closing can reset a phone, which a hot-plug watch must not take for a pull.
TEST_F(BridgeCloseListener, HearsOfTheClosesTheBridgeChooses)
{
    ScriptedLibmtp::devices = {phoneAt(5), phoneAt(7)};
    Addresses told;
    listenToCloses(told);
    ASSERT_EQ(listStorage("mtp-20-5-0009-00ab")->ok, 1);
    cmtp_close_device();
    EXPECT_EQ(ScriptedLibmtp::openHandles(), 0);
    ASSERT_EQ(listStorage("mtp-20-5-0009-00ab")->ok, 1);
    ASSERT_EQ(listStorage("mtp-20-7-0009-00ab")->ok, 1);
    ScriptedLibmtp::breakOpenSessions();
    ASSERT_EQ(listStorage("mtp-20-7-0009-00ab")->ok, 1);
    EXPECT_EQ(told, (Addresses{{20, 5}, {20, 5}, {20, 7}}));
    EXPECT_EQ(ScriptedLibmtp::openHandles(), 1);
    cmtp_close_device();
    cmtp_close_device(); // nothing open: nothing to tell
    EXPECT_EQ(told.size(), 4u);
}

// A phone that left is let go of without a word, whether a Refresh or a transfer finds it
// gone: there is nothing to reset, and a watch told of a close would hold back its departure.
TEST_F(BridgeCloseListener, SaysNothingOfAPhoneThatLeft)
{
    Addresses told;
    listenToCloses(told);
    ASSERT_EQ(listStorage()->ok, 1);
    ScriptedLibmtp::breakOpenSessions();
    ScriptedLibmtp::devices.clear();
    const auto refreshed = listStorage();
    EXPECT_EQ(refreshed->code, CMTP_RESULT_DEVICE_GONE);
    EXPECT_STREQ(refreshed->error, kNotAvailable);
    EXPECT_EQ(ScriptedLibmtp::openHandles(), 0);

    ScriptedLibmtp::devices = {ScriptedDevice{}};
    ASSERT_EQ(listStorage()->ok, 1);
    ScriptedLibmtp::breakOpenSessions();
    ScriptedLibmtp::devices.clear();
    ScriptedLibmtp::listingOutcome = {-1, {"Error 02ff: PTP I/O Error"}};
    EXPECT_EQ(listEach(kStorage, nullptr).result.code, CMTP_RESULT_DEVICE_GONE);
    EXPECT_EQ(ScriptedLibmtp::openHandles(), 0);
    EXPECT_TRUE(told.empty());
}
