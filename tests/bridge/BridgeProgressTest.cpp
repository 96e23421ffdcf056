// The newer calls: progress and stopping, result codes, the session check after a failure,
// partial uploads, folders, and listings that say when they are not whole.

#include "tests/bridge/BridgeTestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

using namespace tarvel::test;

namespace {

std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Progress {
    std::vector<std::pair<uint64_t, uint64_t>> seen;
    size_t stopAfter = SIZE_MAX; // calls answered 0 before asking to stop

    static int report(uint64_t sent, uint64_t total, void *context)
    {
        auto *self = static_cast<Progress *>(context);
        self->seen.emplace_back(sent, total);
        return self->seen.size() > self->stopAfter ? 1 : 0;
    }
};

class BridgeV2 : public BridgeTest {
protected:
    std::string path(const char *name) const { return (dir.path() + "/" + name).toStdString(); }
    QStringList names() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    CMTPTransferResultV2 download(const char *name, Progress *progress = nullptr)
    {
        return cmtp_download_file_v2(kPhone, "12", path(name).c_str(), progress ? &Progress::report : nullptr, progress);
    }
    CMTPTransferResultV2 upload(const char *name, const char *remoteName = nullptr, Progress *progress = nullptr)
    {
        return cmtp_upload_file_v2(kPhone, kStorage, path(name).c_str(), "10", remoteName,
                                   progress ? &Progress::report : nullptr, progress);
    }
    QTemporaryDir dir;
};

} // namespace

// Progress is forwarded with libmtp's totals; a non-zero answer stops the copy, removes the
// hidden file and leaves the old destination as it was; the session is checked once.
TEST_F(BridgeV2, DownloadReportsProgressAndStopsWhenAsked)
{
    ScriptedLibmtp::downloadContent = "0123456789abcdef";
    Progress progress;
    const CMTPTransferResultV2 done = download("a.jpg", &progress);
    EXPECT_EQ(done.ok, 1);
    EXPECT_EQ(done.code, CMTP_RESULT_OK);
    EXPECT_EQ(readAll(path("a.jpg")), "0123456789abcdef");
    ASSERT_EQ(progress.seen.size(), 5u);
    EXPECT_EQ(progress.seen.front(), std::make_pair(uint64_t(4), uint64_t(16)));
    EXPECT_EQ(progress.seen.back(), std::make_pair(uint64_t(16), uint64_t(16)));

    ScriptedLibmtp::downloadContent = "new content that will not arrive";
    Progress stopping;
    stopping.stopAfter = 2;
    const int refreshes = ScriptedLibmtp::storageRefreshes;
    const CMTPTransferResultV2 stopped = download("a.jpg", &stopping);
    EXPECT_EQ(stopped.ok, 0);
    EXPECT_EQ(stopped.code, CMTP_RESULT_CANCELLED);
    EXPECT_STREQ(cmtp_result_code_text(stopped.code), "cancelled");
    EXPECT_EQ(stopping.seen.size(), 3u);
    EXPECT_EQ(readAll(path("a.jpg")), "0123456789abcdef");
    EXPECT_EQ(names(), QStringList{"a.jpg"});
    EXPECT_EQ(ScriptedLibmtp::storageRefreshes, refreshes + 1);
}

// A download that must not replace anything fails when a file got there first, and both stay.
TEST_F(BridgeV2, NewFileDownloadNeverReplaces)
{
    std::ofstream(path("a.jpg"), std::ios::binary) << "mine";
    const CMTPTransferResultV2 refused = cmtp_download_new_file(kPhone, "12", path("a.jpg").c_str(), nullptr, nullptr);
    EXPECT_EQ(refused.code, CMTP_RESULT_LOCAL_FILE);
    EXPECT_STREQ(refused.error, "a.jpg already exists on the computer.");
    EXPECT_EQ(readAll(path("a.jpg")), "mine");
    EXPECT_EQ(names(), QStringList{"a.jpg"});
    EXPECT_EQ(cmtp_download_new_file(kPhone, "12", path("b.jpg").c_str(), nullptr, nullptr).ok, 1);
    EXPECT_EQ(readAll(path("b.jpg")), "downloaded bytes");

    // The same by name inside an open folder, as a series does it; a name is never a path.
    const int folder = open(dir.path().toUtf8().constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    EXPECT_STREQ(cmtp_download_new_file_at(kPhone, "12", folder, "a.jpg", nullptr, nullptr).error,
                 "a.jpg already exists on the computer.");
    EXPECT_STREQ(cmtp_download_new_file_at(kPhone, "12", folder, "../c.jpg", nullptr, nullptr).error,
                 "Invalid local download path");
    EXPECT_EQ(cmtp_download_new_file_at(kPhone, "12", folder, "c.jpg", nullptr, nullptr).ok, 1);
    close(folder);
    EXPECT_EQ(readAll(path("a.jpg")), "mine");
    EXPECT_EQ(readAll(path("c.jpg")), "downloaded bytes");
    EXPECT_EQ(names(), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
}

// A failed write says which file and why instead of libmtp's "Cancelled transfer".
TEST_F(BridgeV2, DownloadNamesTheLocalWriteError)
{
    ScriptedLibmtp::downloadContent = std::string(64, 'x');
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 10;
    setrlimit(RLIMIT_FSIZE, &small);
    const CMTPTransferResultV2 result = download("big.bin");
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(result.code, CMTP_RESULT_LOCAL_FILE);
    EXPECT_STREQ(result.error, "Could not write big.bin on the computer: File too large.");
    EXPECT_TRUE(names().isEmpty());
}

// After a failure the phone is asked once whether its session lives: a phone that answers
// refused the copy; a dead session is reopened; a phone that cannot be reopened is gone.
TEST_F(BridgeV2, FailureChecksTheSessionAndTellsRefusedFromGone)
{
    ScriptedLibmtp::downloadOutcome = {-1, {"Error 2007: PTP Incomplete Transfer"}};
    CMTPTransferResultV2 refused = download("a.jpg");
    EXPECT_EQ(refused.code, CMTP_RESULT_DEVICE_REFUSED);
    EXPECT_STREQ(refused.error, "Error 2007: PTP Incomplete Transfer");
    EXPECT_EQ(ScriptedLibmtp::opens.size(), 1u);

    ScriptedLibmtp::breakOpenSessions();
    refused = download("a.jpg");
    EXPECT_EQ(refused.code, CMTP_RESULT_DEVICE_REFUSED);
    EXPECT_EQ(ScriptedLibmtp::opens.size(), 2u);
    EXPECT_EQ(ScriptedLibmtp::openHandles(), 1);

    ScriptedLibmtp::breakOpenSessions();
    ScriptedLibmtp::devices.clear();
    ScriptedLibmtp::downloadOutcome = {-1, {"Error 02ff: PTP I/O Error"}};
    const CMTPTransferResultV2 gone = download("a.jpg");
    EXPECT_EQ(gone.code, CMTP_RESULT_DEVICE_GONE);
    EXPECT_STREQ(gone.error, "Error 02ff: PTP I/O Error");
    EXPECT_EQ(ScriptedLibmtp::openHandles(), 0);
    EXPECT_TRUE(names().isEmpty());
    EXPECT_EQ(download("a.jpg").code, CMTP_RESULT_DEVICE_GONE);
}

// An interrupted upload removes the object it created, and only that object: not one that
// is already gone, nor another object the phone handed back the id of.
TEST_F(BridgeV2, StoppedUploadRemovesOnlyItsOwnPartialObject)
{
    std::ofstream(path("clip.mp4"), std::ios::binary) << "0123456789abcdef";
    Progress stopping;
    stopping.stopAfter = 1;
    const CMTPTransferResultV2 stopped = upload("clip.mp4", "clip (2).mp4", &stopping);
    EXPECT_EQ(stopped.code, CMTP_RESULT_CANCELLED);
    ASSERT_EQ(ScriptedLibmtp::uploads.size(), 1u);
    EXPECT_EQ(ScriptedLibmtp::uploads[0].filename, "clip (2).mp4");
    EXPECT_EQ(ScriptedLibmtp::uploads[0].content, "01234567");
    EXPECT_EQ(ScriptedLibmtp::deletedObjects, std::vector<uint32_t>{900});
    EXPECT_TRUE(ScriptedLibmtp::objects.empty());

    ScriptedLibmtp::uploadOutcome = {-1, {"Error 200c: PTP Store Full"}};
    ScriptedLibmtp::uploadLeavesNoObject = true;
    EXPECT_EQ(upload("clip.mp4").code, CMTP_RESULT_DEVICE_REFUSED);
    EXPECT_EQ(ScriptedLibmtp::deletedObjects.size(), 1u);

    ScriptedLibmtp::uploadLeavesNoObject = false;
    ScriptedLibmtp::uploadCreatesId = 901;
    ScriptedLibmtp::objects[901] = {901, "clip.mp4.txt", 5, LIBMTP_FILETYPE_UNKNOWN, 10};
    ScriptedLibmtp::uploadLeavesNoObject = true; // the id is another object's
    EXPECT_EQ(upload("clip.mp4").code, CMTP_RESULT_DEVICE_REFUSED);
    EXPECT_EQ(ScriptedLibmtp::deletedObjects.size(), 1u);

    // Every byte went out and only libmtp's question afterwards failed: the phone holds the
    // whole file, so the upload arrived; nothing is deleted.
    ScriptedLibmtp::uploadFailsAfterLastByte = true;
    ScriptedLibmtp::uploadOutcome = {-1, {"LIBMTP_Send_File_From_Handler(): Could not retrieve updated metadata."}};
    ScriptedLibmtp::folders[10] = {{901, "clip.mp4", 0, LIBMTP_FILETYPE_UNKNOWN, 10}};
    EXPECT_EQ(upload("clip.mp4").ok, 1);
    ScriptedLibmtp::uploadOutcome = {-1, {"Error 200c: PTP Store Full"}}; // refused, listed at the size it first saw
    EXPECT_EQ(upload("clip.mp4").code, CMTP_RESULT_DEVICE_REFUSED);
    EXPECT_EQ(upload("clip.mp4", "a/b").code, CMTP_RESULT_OTHER);
    EXPECT_EQ(upload("missing.txt").code, CMTP_RESULT_LOCAL_FILE);
}

TEST_F(BridgeV2, CreatesFoldersAndRefusesNamesAPhoneCannotHold)
{
    const CMTPFolderResult made = cmtp_create_folder(kPhone, kStorage, nullptr, "Trip");
    EXPECT_EQ(made.ok, 1);
    EXPECT_STREQ(made.id, "700");
    ASSERT_EQ(ScriptedLibmtp::createdFolders.size(), 1u);
    EXPECT_EQ(ScriptedLibmtp::createdFolders[0].parentId, kRoot);
    // A phone that describes the new folder only later: files sent into it before then
    // would be refused, so the call returns once it is known.
    ScriptedLibmtp::newFolderUnknownFor = 2;
    EXPECT_EQ(cmtp_create_folder(kPhone, kStorage, nullptr, "Later").ok, 1);
    EXPECT_EQ(ScriptedLibmtp::newFolderUnknownFor, -1);
    for (const char *bad : {"", ".", "..", "a/b"})
        EXPECT_STREQ(cmtp_create_folder(kPhone, kStorage, "10", bad).error, "Invalid folder name");
    ScriptedLibmtp::createFolderOutcome = {-1, {"Error 200c: PTP Store Full"}};
    const CMTPFolderResult refused = cmtp_create_folder(kPhone, kStorage, "10", "Trip");
    EXPECT_EQ(refused.code, CMTP_RESULT_DEVICE_REFUSED);
    EXPECT_STREQ(refused.error, "Error 200c: PTP Store Full");
}

// Objects with errors beside them: a phone that still answers skipped some objects (shown,
// marked incomplete); a broken connection fails the listing, in the old call too.
TEST_F(BridgeV2, ListingCutShortIsNeverReportedWhole)
{
    ScriptedLibmtp::folders[kRoot] = {{1, "a.jpg", 3, LIBMTP_FILETYPE_UNKNOWN, 0}, {2, "b.jpg", 4, LIBMTP_FILETYPE_UNKNOWN, 0}};
    int seen = 0;
    const auto count = [](const CMTPDirectoryEntryV2 *, void *context) { ++*static_cast<int *>(context); };

    CMTPListingResult whole = cmtp_list_directory_v2(kPhone, kStorage, nullptr, count, &seen);
    EXPECT_EQ(whole.ok, 1);
    EXPECT_EQ(whole.complete, 1);
    EXPECT_EQ(seen, 2);

    ScriptedLibmtp::listingOutcome = {0, {"Error 02fe: PTP Data Expected"}};
    const CMTPListingResult partial = cmtp_list_directory_v2(kPhone, kStorage, nullptr, count, &seen);
    EXPECT_EQ(partial.ok, 1);
    EXPECT_EQ(partial.complete, 0);
    EXPECT_STREQ(partial.error, "");

    seen = 0;
    ScriptedLibmtp::listingOutcome = {0, {"Error 02ff: PTP I/O Error"}, LIBMTP_ERROR_USB_LAYER};
    const CMTPListingResult broken = cmtp_list_directory_v2(kPhone, kStorage, nullptr, count, &seen);
    EXPECT_EQ(broken.ok, 0);
    EXPECT_STREQ(broken.error, "Error 02ff: PTP I/O Error");
    EXPECT_EQ(seen, 0);

    ScriptedLibmtp::listingOutcome = {0, {"Error 02fe: PTP Data Expected"}};
    ScriptedLibmtp::breakOpenSessions();
    const FullListing old = listEach(kStorage, nullptr);
    EXPECT_EQ(old.result->ok, 0);
    EXPECT_STREQ(old.result->error, "Error 02fe: PTP Data Expected");
    EXPECT_TRUE(old.seen.empty());
}

// Closing on purpose releases the phone, and a listener hears of it first with its address.
TEST_F(BridgeV2, CloseDeviceReleasesTheOpenPhone)
{
    listStorage();
    EXPECT_EQ(ScriptedLibmtp::openHandles(), 1);
    std::vector<std::pair<uint32_t, uint8_t>> closing;
    cmtp_set_close_listener(
        [](uint32_t bus, uint8_t device, void *seen) {
            static_cast<std::vector<std::pair<uint32_t, uint8_t>> *>(seen)->emplace_back(bus, device);
        },
        &closing);
    cmtp_close_device();
    cmtp_set_close_listener(nullptr, nullptr);
    EXPECT_EQ(closing, (std::vector<std::pair<uint32_t, uint8_t>>{{1, 2}}));
    EXPECT_EQ(ScriptedLibmtp::openHandles(), 0);
    EXPECT_EQ(listStorage()->ok, 1);
}
