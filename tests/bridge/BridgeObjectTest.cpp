// What is done to one listed object (delete, rename, thumbnail, a part of its bytes) and the
// phone's events: the identity check, refusals, bounds, and what libmtp is asked.

#include "tests/bridge/BridgeTestSupport.h"

#include <algorithm>
#include <chrono>
#include <functional>

using namespace tarvel::test;

namespace {

constexpr const char *kChanged = "The object has changed since it was listed";
constexpr const char *kGone = "The object is gone from the phone";

void keepBytes(const unsigned char *data, uint32_t size, void *bytes)
{
    static_cast<std::string *>(bytes)->append(reinterpret_cast<const char *>(data), size);
}

struct Read {
    CMTPTransferResult result;
    std::string bytes;
};

Read readPart(const char *id, const char *name, int64_t size, int64_t offset, uint32_t length)
{
    Read read{};
    read.result = cmtp_read_part(kPhone, id, name, size, offset, length, &keepBytes, &read.bytes);
    return read;
}

Read thumbnail(const char *id, const char *name, int64_t size)
{
    Read read{};
    read.result = cmtp_get_thumbnail(kPhone, id, name, size, &keepBytes, &read.bytes);
    return read;
}

size_t callsOf(const char *call)
{
    return size_t(std::count(ScriptedLibmtp::calls.begin(), ScriptedLibmtp::calls.end(), call));
}

class BridgeObjects : public BridgeTest {
protected:
    void SetUp() override
    {
        BridgeTest::SetUp();
        ScriptedLibmtp::objects[20] = {20, "IMG_1.jpg", 10, LIBMTP_FILETYPE_JPEG, 5};
        ScriptedLibmtp::objects[21] = {21, "Trip", 4096, LIBMTP_FILETYPE_FOLDER, 5};
    }
};

struct Events {
    std::vector<std::pair<int32_t, std::string>> seen;
    int asked = 0;
    int stopAfter = -1; // should_stop answers yes once asked this often
};

CMTPTransferResult readEvents(Events &events, int32_t waitMs)
{
    return cmtp_read_events(
        kPhone, waitMs,
        [](const CMTPPhoneEvent *event, void *context) { static_cast<Events *>(context)->seen.emplace_back(event->kind, event->id); },
        [](void *context) {
            auto *self = static_cast<Events *>(context);
            return ++self->asked == self->stopAfter ? 1 : 0;
        },
        &events);
}

} // namespace

using BridgeEvents = BridgeTest;

// A phone numbers its objects anew in every session: an id that now names another object, or
// the listed one at another size or of another kind, or nothing, is refused before anything is
// asked of it; the arguments are checked before the device is opened.
TEST_F(BridgeObjects, ActOnlyOnTheObjectAsListed)
{
    const std::vector<std::function<CMTPTransferResult(const char *, const char *, int64_t)>> operations{
        [](const char *id, const char *name, int64_t size) { return cmtp_delete_object(kPhone, id, name, size); },
        [](const char *id, const char *name, int64_t size) { return cmtp_rename_object(kPhone, id, name, size, "New.jpg"); },
        [](const char *id, const char *name, int64_t size) { return thumbnail(id, name, size).result; },
        [](const char *id, const char *name, int64_t size) { return readPart(id, name, size, 0, 4).result; },
    };
    struct Stale {
        const char *id;
        const char *name;
        int64_t size;
        const char *error;
    };
    for (const auto &operation : operations) {
        for (const Stale &stale : {Stale{"20", "IMG_2.jpg", 10, kChanged}, Stale{"20", "IMG_1.jpg", 11, kChanged},
                                   Stale{"20", "IMG_1.jpg", -1, kChanged}, Stale{"21", "Trip", 4096, kChanged},
                                   Stale{"22", "IMG_1.jpg", 10, kGone}}) {
            const CMTPTransferResult refused = operation(stale.id, stale.name, stale.size);
            EXPECT_EQ(refused.code, CMTP_RESULT_DEVICE_REFUSED) << stale.id << stale.name << stale.size;
            EXPECT_STREQ(refused.error, stale.error);
        }
        EXPECT_STREQ(operation("2x", "IMG_1.jpg", 10).error, "Invalid MTP object id");
        EXPECT_STREQ(operation("20", "", 10).error, "Invalid object name");
    }
    EXPECT_TRUE(ScriptedLibmtp::deletedObjects.empty());
    EXPECT_TRUE(ScriptedLibmtp::renames.empty());
    EXPECT_EQ(callsOf("LIBMTP_Get_Thumbnail") + callsOf("LIBMTP_GetPartialObject"), 0u);
    EXPECT_STREQ(cmtp_rename_object(kPhone, "20", "IMG_1.jpg", 10, "a/b").error, "Invalid new name");
    EXPECT_STREQ(readPart("20", "IMG_1.jpg", 10, -1, 4).result.error, "Invalid part of the file");
    EXPECT_EQ(ScriptedLibmtp::opens.size(), 1u); // the phone answered throughout

    EXPECT_EQ(cmtp_delete_object(kPhone, "21", "Trip", -1).ok, 1);
    EXPECT_EQ(cmtp_delete_object(kPhone, "20", "IMG_1.jpg", 10).ok, 1);
    EXPECT_EQ(ScriptedLibmtp::deletedObjects, (std::vector<uint32_t>{21, 20}));
    EXPECT_EQ(ScriptedLibmtp::fileNodesDestroyed, ScriptedLibmtp::fileNodesCreated);
}

// The phone's own refusal (a taken name, a read-only storage) comes back with libmtp's text;
// a phone that left is gone.
TEST_F(BridgeObjects, RefusalsCarryThePhonesText)
{
    ScriptedLibmtp::renameOutcome = {-1, {"PTP Layer error 2002: set_object_filename(): could not set object filename.",
                                          "Error 2002: PTP General Error"}};
    const CMTPTransferResult taken = cmtp_rename_object(kPhone, "20", "IMG_1.jpg", 10, "IMG_0.jpg");
    EXPECT_EQ(taken.code, CMTP_RESULT_DEVICE_REFUSED);
    EXPECT_STREQ(taken.error, "Error 2002: PTP General Error");
    ScriptedLibmtp::renameOutcome = {};
    EXPECT_EQ(cmtp_rename_object(kPhone, "20", "IMG_1.jpg", 10, "Beach.jpg").ok, 1);
    EXPECT_EQ(ScriptedLibmtp::objects[20].name, "Beach.jpg");

    ScriptedLibmtp::deleteOutcome = {-1, {"Error 200d: PTP Store Read Only"}};
    const CMTPTransferResult readOnly = cmtp_delete_object(kPhone, "20", "Beach.jpg", 10);
    EXPECT_EQ(readOnly.code, CMTP_RESULT_DEVICE_REFUSED);
    EXPECT_STREQ(readOnly.error, "Error 200d: PTP Store Read Only");

    ScriptedLibmtp::breakOpenSessions();
    ScriptedLibmtp::devices.clear();
    EXPECT_EQ(cmtp_delete_object(kPhone, "20", "Beach.jpg", 10).code, CMTP_RESULT_DEVICE_GONE);
    EXPECT_EQ(ScriptedLibmtp::deletedObjects, std::vector<uint32_t>{20});
}

// The phone's picture when it keeps one; none is a success without bytes, and a phone that
// refused three times without giving any is not asked again in that session.
TEST_F(BridgeObjects, ThumbnailIsThePhonesOrNone)
{
    ScriptedLibmtp::objects[23] = {23, "b.png", 7, LIBMTP_FILETYPE_PNG, 5};
    ScriptedLibmtp::thumbnails[23] = "";
    for (int i = 0; i < 4; ++i) {
        const Read none = thumbnail("20", "IMG_1.jpg", 10);
        EXPECT_EQ(none.result.ok, 1);
        EXPECT_STREQ(none.result.error, "");
        EXPECT_TRUE(none.bytes.empty());
    }
    EXPECT_EQ(callsOf("LIBMTP_Get_Thumbnail"), 3u);
    EXPECT_TRUE(thumbnail("23", "b.png", 7).bytes.empty()); // kept none: not asked either

    cmtp_close_device(); // a new session asks again
    ScriptedLibmtp::thumbnails[20] = std::string("\xff\xd8 small", 8);
    EXPECT_EQ(thumbnail("20", "IMG_1.jpg", 10).bytes, std::string("\xff\xd8 small", 8));
    EXPECT_EQ(thumbnail("23", "b.png", 7).result.ok, 1);
    EXPECT_EQ(callsOf("LIBMTP_Get_Thumbnail"), 5u);
}

// A part never reaches past the file's end, which is not asked for; offsets keep their 64
// bits; a refused read hands over nothing.
TEST_F(BridgeObjects, PartsStayWithinTheFile)
{
    ScriptedLibmtp::contents[20] = "0123456789";
    EXPECT_EQ(readPart("20", "IMG_1.jpg", 10, 0, 4).bytes, "0123");
    EXPECT_EQ(readPart("20", "IMG_1.jpg", 10, 8, 4).bytes, "89");
    const Read past = readPart("20", "IMG_1.jpg", 10, 10, 4);
    EXPECT_EQ(past.result.ok, 1);
    EXPECT_TRUE(past.bytes.empty());
    ScriptedLibmtp::objects[24] = {24, "movie.mp4", 6'000'000'000, LIBMTP_FILETYPE_MP4, 5};
    readPart("24", "movie.mp4", 6'000'000'000, 5'000'000'000, 1 << 20);
    EXPECT_EQ(ScriptedLibmtp::partReads,
              (std::vector<std::pair<uint64_t, uint32_t>>{{0, 4}, {8, 2}, {5'000'000'000, 1 << 20}}));

    ScriptedLibmtp::partOutcome = {-1, {"LIBMTP_GetPartialObject: PTP_OC_GetPartialObject only supports 32bit offsets"}};
    const Read refused = readPart("20", "IMG_1.jpg", 10, 0, 4);
    EXPECT_EQ(refused.result.code, CMTP_RESULT_DEVICE_REFUSED);
    EXPECT_STREQ(refused.result.error, "LIBMTP_GetPartialObject: PTP_OC_GetPartialObject only supports 32bit offsets");
    EXPECT_TRUE(refused.bytes.empty());
}

// Events come mapped and in order, those that announce nothing listed are left out; with none,
// the call waits in slices and stops when asked; a read libmtp could not arm is a failure the
// session check names.
TEST_F(BridgeEvents, HandsOverWhatThePhoneAnnouncedAndWaitsInSlices)
{
    using Event = ScriptedLibmtp::ScriptedEvent;
    ScriptedLibmtp::phoneEvents = {{LIBMTP_HANDLER_RETURN_OK, LIBMTP_EVENT_OBJECT_ADDED, 30},
                                   {LIBMTP_HANDLER_RETURN_OK, LIBMTP_EVENT_DEVICE_PROPERTY_CHANGED, 5},
                                   {LIBMTP_HANDLER_RETURN_OK, LIBMTP_EVENT_OBJECT_REMOVED, 31},
                                   {LIBMTP_HANDLER_RETURN_OK, LIBMTP_EVENT_STORE_ADDED, 0x00020001}};
    Events first;
    EXPECT_EQ(readEvents(first, 5000).ok, 1);
    EXPECT_EQ(first.seen, (std::vector<std::pair<int32_t, std::string>>{
                              {CMTP_EVENT_OBJECT_ADDED, "30"}, {CMTP_EVENT_OBJECT_REMOVED, "31"}, {CMTP_EVENT_STORAGE_ADDED, "131073"}}));
    EXPECT_EQ(callsOf("LIBMTP_Read_Event_Async"), 5u); // armed once, then again after each event

    using clock = std::chrono::steady_clock;
    Events quiet;
    auto start = clock::now();
    EXPECT_EQ(readEvents(quiet, 120).ok, 1);
    EXPECT_GE(clock::now() - start, std::chrono::milliseconds(120));
    EXPECT_TRUE(quiet.seen.empty());
    // Slices of 50 ms; a loaded machine may stretch one, never add one.
    EXPECT_GE(quiet.asked, 2);
    EXPECT_LE(quiet.asked, 3);
    Events stopped;
    stopped.stopAfter = 2;
    start = clock::now();
    readEvents(stopped, 10'000);
    EXPECT_LT(clock::now() - start, std::chrono::milliseconds(1000));

    ScriptedLibmtp::phoneEvents.assign(4100, Event{LIBMTP_HANDLER_RETURN_OK, LIBMTP_EVENT_OBJECT_ADDED, 40});
    Events storm;
    readEvents(storm, 0);
    ASSERT_EQ(storm.seen.size(), 4097u);
    EXPECT_EQ(storm.seen.back(), std::make_pair(int32_t(CMTP_EVENT_LOST), std::string()));

    ScriptedLibmtp::phoneEvents = {{LIBMTP_HANDLER_RETURN_ERROR, LIBMTP_EVENT_NONE, 0}};
    ScriptedLibmtp::armFails = true;
    Events broken;
    const CMTPTransferResult failed = readEvents(broken, 0);
    EXPECT_EQ(failed.code, CMTP_RESULT_DEVICE_REFUSED);
    EXPECT_STREQ(failed.error, "Could not read the phone's events");
    ScriptedLibmtp::breakOpenSessions();
    ScriptedLibmtp::devices.clear();
    EXPECT_EQ(readEvents(broken, 0).code, CMTP_RESULT_DEVICE_GONE);
}
