// Downloads, uploads and folders: argument checks, what libmtp is handed, progress and
// stopping, result codes, and what a failure leaves behind on the computer and on the phone.

#include "tests/bridge/BridgeTestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>

using namespace tarvel::test;

namespace {

std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

mode_t modeOf(const std::string &path)
{
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

std::string systemText(int error)
{
    return std::strerror(error);
}

class Umask {
public:
    explicit Umask(mode_t mask) : m_saved(umask(mask)) {}
    ~Umask() { umask(m_saved); }

private:
    mode_t m_saved;
};

// Answers the bridge's progress calls, and asks to stop after `stopAfter` of them.
struct Progress {
    std::vector<std::pair<uint64_t, uint64_t>> seen;
    size_t stopAfter = SIZE_MAX;
    std::function<void()> during; // runs at each call

    static int report(uint64_t sent, uint64_t total, void *context)
    {
        auto *self = static_cast<Progress *>(context);
        self->seen.emplace_back(sent, total);
        if (self->during)
            self->during();
        return self->seen.size() > self->stopAfter ? 1 : 0;
    }
};

class BridgeTransfer : public BridgeTest {
protected:
    void SetUp() override
    {
        BridgeTest::SetUp();
        folder = open(dir.path().toUtf8().constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(folder, 0);
    }
    void TearDown() override { close(folder); }

    std::string path(const char *name) const { return (dir.path() + "/" + name).toStdString(); }
    // Hidden files included: a temporary file left behind must show up here.
    QStringList names() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    CMTPTransferResult download(const char *name, Progress *progress = nullptr, int replace = 1)
    {
        return cmtp_download_file_at(kPhone, "12", folder, name, nullptr, replace, 0, progress ? &Progress::report : nullptr, progress);
    }
    CMTPTransferResult upload(const char *name, const char *remoteName = nullptr, Progress *progress = nullptr)
    {
        return cmtp_upload_file_as(kPhone, kStorage, path(name).c_str(), "10", remoteName,
                                   progress ? &Progress::report : nullptr, progress);
    }

    QTemporaryDir dir;
    int folder = -1;
};

} // namespace

using BridgeDownload = BridgeTransfer;
using BridgeUpload = BridgeTransfer;
using BridgeFolder = BridgeTransfer;

// The id and the destination are checked before the device is opened; the open's text follows.
TEST_F(BridgeDownload, ChecksIdAndDestinationBeforeOpeningTheDevice)
{
    ScriptedLibmtp::devices.clear();
    const std::string target = path("a.jpg");
    EXPECT_STREQ(cmtp_download_file("mtp-gone", "abc", target.c_str()).error, "Invalid MTP file id");
    EXPECT_STREQ(cmtp_download_file("mtp-gone", nullptr, nullptr).error, "Invalid MTP file id");
    for (const char *local : {static_cast<const char *>(nullptr), "", "/tmp/"})
        EXPECT_STREQ(cmtp_download_file("mtp-gone", "12", local).error, "Invalid local download path");
    for (const char *name : {static_cast<const char *>(nullptr), "", ".", "..", "../c.jpg", "a/b"}) {
        const CMTPTransferResult refused = cmtp_download_file_at("mtp-gone", "12", folder, name, nullptr, 1, 0, nullptr, nullptr);
        EXPECT_STREQ(refused.error, "Invalid local download path");
        EXPECT_EQ(refused.code, CMTP_RESULT_OTHER);
    }
    EXPECT_EQ(ScriptedLibmtp::detections, 0);

    const CMTPTransferResult gone = cmtp_download_file("mtp-gone", "12", target.c_str());
    EXPECT_EQ(gone.ok, 0);
    EXPECT_STREQ(gone.error, kNotAvailable);
    EXPECT_EQ(gone.code, CMTP_RESULT_DEVICE_GONE);
    EXPECT_TRUE(names().isEmpty());
}

// A finished download lands at the destination under the mode of the file it replaces, or
// 0666 minus the umask; until it is whole, only a hidden file beside it is written.
TEST_F(BridgeDownload, SuccessReplacesTheDestination)
{
    const Umask umask(027);
    const std::string fresh = path("photo.jpg");
    const CMTPTransferResult created = cmtp_download_file(kPhone, "17", fresh.c_str());
    EXPECT_EQ(created.ok, 1);
    EXPECT_EQ(created.code, CMTP_RESULT_OK);
    EXPECT_STREQ(created.error, "");
    EXPECT_EQ(readAll(fresh), "downloaded bytes");
    EXPECT_EQ(modeOf(fresh), 0640u);
    ASSERT_EQ(ScriptedLibmtp::downloads.size(), 1u);
    EXPECT_EQ(ScriptedLibmtp::downloads[0].id, 17u);

    const std::string existing = path("notes.txt");
    writeAll(existing, "an older and longer text");
    chmod(existing.c_str(), 0600);
    ScriptedLibmtp::downloadContent = "new";
    Progress watching;
    QStringList during;
    watching.during = [&] { during = names(); };
    EXPECT_EQ(download("notes.txt", &watching).ok, 1);
    EXPECT_EQ(during.size(), 3);
    EXPECT_TRUE(during[0].startsWith(".notes.txt.part-")) << during[0].toStdString();
    EXPECT_EQ(readAll(existing), "new");
    EXPECT_EQ(modeOf(existing), 0600u);

    // The longest name a folder takes still gets a temporary name that fits beside it.
    const std::string longest = path(std::string(255, 'L').c_str());
    EXPECT_EQ(cmtp_download_file(kPhone, "19", longest.c_str()).ok, 1);
    EXPECT_EQ(names(), (QStringList{QString(255, 'L'), "notes.txt", "photo.jpg"}));
}

// A finished download carries the phone's date and reaches the disk before it takes its name;
// the folder holding the name is flushed by the caller, or by the one-path call itself.
TEST_F(BridgeDownload, KeepsThePhonesDateAndIsFlushedBeforeItCounts)
{
    EXPECT_EQ(cmtp_download_file_at(kPhone, "12", folder, "dated.jpg", nullptr, 1, 1'600'000'000, nullptr, nullptr).ok, 1);
    struct stat info {};
    ASSERT_EQ(stat(path("dated.jpg").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, 1'600'000'000);
    const std::vector<std::string> &calls = ScriptedLibmtp::calls;
    const auto at = [&](const char *call) { return std::find(calls.begin(), calls.end(), call) - calls.begin(); };
    EXPECT_LT(at("LIBMTP_Get_File_To_Handler"), at("fsync file"));
    EXPECT_LT(at("fsync file"), at("rename"));
    EXPECT_EQ(calls.back(), "rename");
    EXPECT_EQ(cmtp_download_file(kPhone, "12", path("again.jpg").c_str()).ok, 1);
    EXPECT_EQ(calls.back(), "fsync folder");
    ScriptedLibmtp::folderFlushFails = true;
    const CMTPTransferResult unflushed = cmtp_flush_folder(folder);
    EXPECT_EQ(unflushed.code, CMTP_RESULT_LOCAL_FILE);
    EXPECT_EQ(unflushed.system_error, EIO);
}

// Progress is told in the file's own bytes and ends at its exact size; a non-zero answer stops
// the copy, removes the hidden file and leaves the old destination as it was.
TEST_F(BridgeDownload, ReportsProgressAndStopsWhenAsked)
{
    ScriptedLibmtp::downloadContent = "0123456789abcdef";
    Progress progress;
    const CMTPTransferResult done = download("a.jpg", &progress);
    EXPECT_EQ(done.ok, 1);
    EXPECT_EQ(readAll(path("a.jpg")), "0123456789abcdef");
    ASSERT_EQ(progress.seen.size(), 5u);
    EXPECT_EQ(progress.seen.front(), std::make_pair(uint64_t(4), uint64_t(16)));
    EXPECT_EQ(progress.seen.back(), std::make_pair(uint64_t(16), uint64_t(16)));

    ScriptedLibmtp::downloadContent = "new content that will not arrive";
    Progress stopping;
    stopping.stopAfter = 2;
    const CMTPTransferResult stopped = download("a.jpg", &stopping);
    EXPECT_EQ(stopped.ok, 0);
    EXPECT_EQ(stopped.code, CMTP_RESULT_CANCELLED);
    EXPECT_EQ(stopping.seen.size(), 3u);
    EXPECT_EQ(readAll(path("a.jpg")), "0123456789abcdef");
    EXPECT_EQ(names(), QStringList{"a.jpg"});
    EXPECT_EQ(download("b.jpg").ok, 1); // the phone goes on working
}

// A tagged download cut by a cancel keeps its bytes under the part's name and the next call
// reads only the rest, in parts; a phone that refuses parts gets the whole file again.
TEST_F(BridgeDownload, ACutPartGoesOnFromItsBytes)
{
    ScriptedLibmtp::objects[12] = {12, "clip.mp4", 16};
    ScriptedLibmtp::downloadContent = ScriptedLibmtp::contents[12] = "0123456789abcdef";
    const auto cut = [&] {
        Progress stopping;
        stopping.stopAfter = 2;
        return cmtp_download_file_at(kPhone, "12", folder, "clip.mp4", "t-1", 0, 0, &Progress::report, &stopping);
    };
    EXPECT_EQ(cut().code, CMTP_RESULT_CANCELLED);
    EXPECT_EQ(names(), QStringList{".clip.mp4.part-t-1"});
    EXPECT_EQ(readAll(path(".clip.mp4.part-t-1")), "0123456789ab");

    Progress progress;
    EXPECT_EQ(cmtp_download_file_at(kPhone, "12", folder, "clip.mp4", "t-1", 0, 0, &Progress::report, &progress).ok, 1);
    EXPECT_EQ(readAll(path("clip.mp4")), "0123456789abcdef");
    EXPECT_EQ(names(), QStringList{"clip.mp4"});
    EXPECT_EQ(ScriptedLibmtp::partReads, (std::vector<std::pair<uint64_t, uint32_t>>{{12, 4}}));
    EXPECT_EQ(ScriptedLibmtp::downloads.size(), 1u);
    EXPECT_EQ(progress.seen.front(), std::make_pair(uint64_t(12), uint64_t(16)));

    ScriptedLibmtp::partOutcome = {-1, {"PTP_OC_GetPartialObject not supported"}};
    EXPECT_EQ(cut().code, CMTP_RESULT_CANCELLED);
    ScriptedLibmtp::downloadContent = ScriptedLibmtp::contents[12] = "ABCDEFGHIJKLMNOP";
    EXPECT_EQ(cmtp_download_file_at(kPhone, "12", folder, "clip.mp4", "t-1", 1, 0, nullptr, nullptr).ok, 1);
    EXPECT_EQ(readAll(path("clip.mp4")), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(ScriptedLibmtp::downloads.size(), 3u);
    EXPECT_EQ(cmtp_download_file_at(kPhone, "12", folder, "x.mp4", "../t", 0, 0, nullptr, nullptr).code, CMTP_RESULT_OTHER);
}

// libmtp's failure leaves the destination byte for byte as it was, and no temporary file; the
// code says the phone refused.
TEST_F(BridgeDownload, FailureLeavesTheDestinationAsItWas)
{
    const std::string existing = path("keep.txt");
    writeAll(existing, "precious bytes");
    chmod(existing.c_str(), 0644);
    ScriptedLibmtp::downloadOutcome = {-1, {"PTP Layer error 2007: Could not get file from device.",
                                            "Error 2007: PTP Incomplete Transfer"}};
    const CMTPTransferResult failed = cmtp_download_file(kPhone, "17", existing.c_str());
    EXPECT_EQ(failed.ok, 0);
    EXPECT_EQ(failed.code, CMTP_RESULT_DEVICE_REFUSED);
    EXPECT_STREQ(failed.error, "Error 2007: PTP Incomplete Transfer");
    EXPECT_EQ(readAll(existing), "precious bytes");
    EXPECT_EQ(modeOf(existing), 0644u);

    ScriptedLibmtp::downloadOutcome = {-1, {}};
    const CMTPTransferResult fresh = cmtp_download_file(kPhone, "17", path("new.txt").c_str());
    EXPECT_STREQ(fresh.error, "MTP download failed");
    EXPECT_EQ(names(), QStringList{"keep.txt"});
    EXPECT_EQ(ScriptedLibmtp::opens.size(), 1u);
}

// What goes wrong on the computer is a local file problem with the system's errno, so a full
// disk can be told apart: where the download cannot be stored nothing is fetched; a failed
// write removes what was written; a file that got the name first is never replaced.
TEST_F(BridgeDownload, LocalFailuresCarryTheSystemsError)
{
    const CMTPTransferResult noFolder = cmtp_download_file(kPhone, "17", path("missing/a.jpg").c_str());
    EXPECT_EQ(noFolder.code, CMTP_RESULT_LOCAL_FILE);
    EXPECT_EQ(noFolder.system_error, ENOENT);
    EXPECT_EQ(noFolder.error, "Could not create a temporary file for the download: " + systemText(ENOENT));
    ASSERT_TRUE(QDir(dir.path()).mkdir("album"));
    const CMTPTransferResult onFolder = download("album");
    EXPECT_EQ(onFolder.system_error, EISDIR);
    EXPECT_EQ(onFolder.error, "Could not save the download: " + systemText(EISDIR));
    EXPECT_TRUE(ScriptedLibmtp::downloads.empty());

    ScriptedLibmtp::downloadContent = std::string(64, 'x');
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 10;
    setrlimit(RLIMIT_FSIZE, &small);
    const CMTPTransferResult tooBig = download("big.bin");
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(tooBig.code, CMTP_RESULT_LOCAL_FILE);
    EXPECT_EQ(tooBig.system_error, EFBIG);
    EXPECT_EQ(tooBig.error, "Could not write the download: " + systemText(EFBIG));
    EXPECT_EQ(names(), QStringList{"album"});

    writeAll(path("a.jpg"), "mine");
    const CMTPTransferResult taken = download("a.jpg", nullptr, 0);
    EXPECT_EQ(taken.code, CMTP_RESULT_LOCAL_FILE);
    EXPECT_EQ(taken.system_error, EEXIST);
    EXPECT_EQ(readAll(path("a.jpg")), "mine");
    EXPECT_EQ(download("c.jpg", nullptr, 0).ok, 1);
    EXPECT_EQ(names(), (QStringList{"a.jpg", "album", "c.jpg"}));
}

// After libmtp fails, one cheap request tells a phone that refused from a dead session, which
// is replaced so the next call works, and from a phone that left.
TEST_F(BridgeDownload, FailureTellsARefusalFromAPhoneThatLeft)
{
    ScriptedLibmtp::downloadOutcome = {-1, {"Error 2007: PTP Incomplete Transfer"}};
    EXPECT_EQ(download("a.jpg").code, CMTP_RESULT_DEVICE_REFUSED);
    EXPECT_EQ(ScriptedLibmtp::opens.size(), 1u);

    ScriptedLibmtp::breakOpenSessions();
    EXPECT_EQ(download("a.jpg").code, CMTP_RESULT_DEVICE_REFUSED);
    EXPECT_EQ(ScriptedLibmtp::opens.size(), 2u);
    EXPECT_EQ(ScriptedLibmtp::openHandles(), 1);

    ScriptedLibmtp::breakOpenSessions();
    ScriptedLibmtp::devices.clear();
    ScriptedLibmtp::downloadOutcome = {-1, {"Error 02ff: PTP I/O Error"}};
    const CMTPTransferResult gone = download("a.jpg");
    EXPECT_EQ(gone.code, CMTP_RESULT_DEVICE_GONE);
    EXPECT_STREQ(gone.error, "Error 02ff: PTP I/O Error");
    EXPECT_EQ(ScriptedLibmtp::openHandles(), 0);
    EXPECT_TRUE(names().isEmpty());
    EXPECT_EQ(download("a.jpg").code, CMTP_RESULT_DEVICE_GONE);
}

// Each argument check in order, with its text, before the device is opened.
TEST_F(BridgeUpload, ChecksArgumentsInOrderBeforeOpeningTheDevice)
{
    ScriptedLibmtp::devices.clear();
    const std::string file = path("a.txt");
    writeAll(file, "x");
    const auto upload = [](const char *storage, const std::string &local, const char *parent) {
        return std::string(cmtp_upload_file("mtp-gone", storage, local.c_str(), parent).error);
    };
    EXPECT_STREQ(cmtp_upload_file("mtp-gone", "bad", nullptr, "bad").error, "Invalid local upload path");
    EXPECT_EQ(upload("bad", "", "bad"), "Invalid local upload path");
    EXPECT_EQ(upload("6553x", path("missing"), "bad"), "Invalid MTP storage id");
    EXPECT_EQ(upload(kStorage, path("missing"), "-1"), "Invalid MTP parent id");
    const CMTPTransferResult missing = cmtp_upload_file("mtp-gone", kStorage, path("missing").c_str(), nullptr);
    EXPECT_EQ(missing.error, "Could not read local file metadata: " + systemText(ENOENT));
    EXPECT_EQ(missing.code, CMTP_RESULT_LOCAL_FILE);
    EXPECT_EQ(missing.system_error, ENOENT);
    EXPECT_EQ(upload(kStorage, dir.path().toStdString(), nullptr), "Local upload path is not a regular file");
    ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0); // refused, not waited on
    EXPECT_EQ(upload(kStorage, path("pipe"), nullptr), "Local upload path is not a regular file");
    EXPECT_EQ(cmtp_upload_file_as("mtp-gone", kStorage, file.c_str(), nullptr, "a/b", nullptr, nullptr).code,
              CMTP_RESULT_OTHER);
    EXPECT_EQ(ScriptedLibmtp::detections, 0);
    EXPECT_EQ(upload(kStorage, file, nullptr), kNotAvailable);
}

// The remote file is named after the local one (or as asked) and typed unknown, in the folder
// given, with progress in the file's own bytes.
TEST_F(BridgeUpload, SendsTheFileUnderItsName)
{
    const std::string photo = path("photo.jpg");
    writeAll(photo, "jpeg bytes");
    const CMTPTransferResult root = cmtp_upload_file(kPhone, kStorage, photo.c_str(), nullptr);
    EXPECT_EQ(root.ok, 1);
    EXPECT_STREQ(root.error, "");
    Progress progress;
    EXPECT_EQ(upload("photo.jpg", "photo (2).jpg", &progress).ok, 1);
    EXPECT_EQ(progress.seen.back(), std::make_pair(uint64_t(10), uint64_t(10)));

    ASSERT_EQ(ScriptedLibmtp::uploads.size(), 2u);
    const UploadCall &sent = ScriptedLibmtp::uploads[0];
    EXPECT_EQ(sent.filename, "photo.jpg");
    EXPECT_EQ(sent.filetype, LIBMTP_FILETYPE_UNKNOWN);
    EXPECT_EQ(sent.filesize, 10u);
    EXPECT_EQ(sent.content, "jpeg bytes");
    EXPECT_EQ(sent.storage, 65537u);
    EXPECT_EQ(sent.parent, kRoot);
    EXPECT_EQ(ScriptedLibmtp::uploads[1].filename, "photo (2).jpg");
    EXPECT_EQ(ScriptedLibmtp::uploads[1].parent, 10u);
    EXPECT_TRUE(ScriptedLibmtp::deletedObjects.empty());
    EXPECT_EQ(ScriptedLibmtp::fileNodesDestroyed, ScriptedLibmtp::fileNodesCreated);

    ScriptedLibmtp::canAllocateFiles = false;
    EXPECT_STREQ(cmtp_upload_file(kPhone, kStorage, photo.c_str(), nullptr).error, "Could not allocate MTP file metadata");
    EXPECT_EQ(ScriptedLibmtp::uploads.size(), 2u);
}

// A send that fails after the phone created the object deletes exactly that object; the text
// is still the send's, even when the deletion fails too.
TEST_F(BridgeUpload, FailureRemovesThePartialObject)
{
    const std::string video = path("clip.mp4");
    writeAll(video, "video");
    ScriptedLibmtp::uploadCreatesId = 901;
    ScriptedLibmtp::uploadOutcome = {-1, {"PTP Layer error 200c: Could not send object.", "Error 200c: PTP Store Full"}};
    const CMTPTransferResult full = cmtp_upload_file(kPhone, kStorage, video.c_str(), "42");
    EXPECT_EQ(full.ok, 0);
    EXPECT_EQ(full.code, CMTP_RESULT_DEVICE_REFUSED);
    EXPECT_STREQ(full.error, "Error 200c: PTP Store Full");
    EXPECT_EQ(ScriptedLibmtp::deletedObjects, (std::vector<uint32_t>{901}));

    ScriptedLibmtp::deleteOutcome = {-1, {"Delete failed"}};
    EXPECT_STREQ(cmtp_upload_file(kPhone, kStorage, video.c_str(), "42").error, "Error 200c: PTP Store Full");

    // Nothing created, nothing deleted.
    ScriptedLibmtp::uploadCreatesId = 0;
    ScriptedLibmtp::uploadOutcome = {-1, {}};
    EXPECT_STREQ(cmtp_upload_file(kPhone, kStorage, video.c_str(), "42").error, "MTP upload failed");
    EXPECT_EQ(ScriptedLibmtp::deletedObjects, (std::vector<uint32_t>{901, 901}));
    EXPECT_EQ(ScriptedLibmtp::fileNodesDestroyed, ScriptedLibmtp::fileNodesCreated);
    EXPECT_EQ(ScriptedLibmtp::opens.size(), 1u);
}

// An interrupted upload removes the object it created, and only that object: not one that is
// already gone, nor another object the phone handed back the id of. When every byte went out
// and only libmtp's question afterwards failed, a phone that holds the whole file has it.
TEST_F(BridgeUpload, StoppedUploadRemovesOnlyItsOwnPartialObject)
{
    writeAll(path("clip.mp4"), "0123456789abcdef");
    Progress stopping;
    stopping.stopAfter = 1;
    const CMTPTransferResult stopped = upload("clip.mp4", "clip (2).mp4", &stopping);
    EXPECT_EQ(stopped.code, CMTP_RESULT_CANCELLED);
    ASSERT_EQ(ScriptedLibmtp::uploads.size(), 1u);
    EXPECT_EQ(ScriptedLibmtp::uploads[0].content, "01234567");
    EXPECT_EQ(ScriptedLibmtp::deletedObjects, std::vector<uint32_t>{900});
    EXPECT_TRUE(ScriptedLibmtp::objects.empty());
    Progress again;
    again.stopAfter = 1;
    EXPECT_EQ(cmtp_upload_file_as(kPhone, kStorage, path("clip.mp4").c_str(), nullptr, nullptr, &Progress::report, &again).code,
              CMTP_RESULT_CANCELLED); // into the root, which the phone calls 0
    EXPECT_EQ(ScriptedLibmtp::deletedObjects, (std::vector<uint32_t>{900, 900}));
    EXPECT_TRUE(ScriptedLibmtp::objects.empty());

    ScriptedLibmtp::uploadOutcome = {-1, {"Error 200c: PTP Store Full"}};
    ScriptedLibmtp::uploadLeavesNoObject = true;
    EXPECT_EQ(upload("clip.mp4").code, CMTP_RESULT_DEVICE_REFUSED);
    EXPECT_EQ(ScriptedLibmtp::deletedObjects.size(), 2u);

    ScriptedLibmtp::uploadCreatesId = 901;
    ScriptedLibmtp::objects[901] = {901, "clip.mp4.txt", 5, LIBMTP_FILETYPE_UNKNOWN, 10};
    EXPECT_EQ(upload("clip.mp4").code, CMTP_RESULT_DEVICE_REFUSED); // the id is another object's
    EXPECT_EQ(ScriptedLibmtp::deletedObjects.size(), 2u);

    ScriptedLibmtp::uploadFailsAfterLastByte = true;
    ScriptedLibmtp::uploadOutcome = {-1, {"LIBMTP_Send_File_From_Handler(): Could not retrieve updated metadata."}};
    ScriptedLibmtp::folders[10] = {{901, "clip.mp4", 0, LIBMTP_FILETYPE_UNKNOWN, 10}};
    EXPECT_EQ(upload("clip.mp4").ok, 1);
    ScriptedLibmtp::uploadOutcome = {-1, {"Error 200c: PTP Store Full"}}; // refused, listed at the size it first saw
    EXPECT_EQ(upload("clip.mp4").code, CMTP_RESULT_DEVICE_REFUSED);
}

TEST_F(BridgeFolder, CreatesFoldersAndRefusesNamesAPhoneCannotHold)
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
