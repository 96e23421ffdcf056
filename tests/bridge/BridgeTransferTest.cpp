// Downloads and uploads: argument checks, what libmtp is handed, and what a failure
// leaves behind on the computer and on the phone.

#include "tests/bridge/BridgeTestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <fstream>
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

// Hidden files included: a temporary file left behind must show up here.
QStringList namesIn(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

class Umask {
public:
    explicit Umask(mode_t mask) : m_saved(umask(mask)) {}
    ~Umask() { umask(m_saved); }

private:
    mode_t m_saved;
};

class BridgeTransfer : public BridgeTest {
protected:
    std::string path(const char *name) const { return (dir.path() + "/" + name).toStdString(); }
    QTemporaryDir dir;
};

} // namespace

using BridgeDownload = BridgeTransfer;
using BridgeUpload = BridgeTransfer;

// The ids and the path are checked before the device is opened; the open's text follows.
TEST_F(BridgeDownload, ChecksIdAndPathBeforeOpeningTheDevice)
{
    ScriptedLibmtp::devices.clear();
    const std::string target = path("a.jpg");
    EXPECT_STREQ(cmtp_download_file("mtp-gone", "abc", target.c_str()).error, "Invalid MTP file id");
    EXPECT_STREQ(cmtp_download_file("mtp-gone", nullptr, target.c_str()).error, "Invalid MTP file id");
    for (const char *local : {static_cast<const char *>(nullptr), "", "/tmp/"})
        EXPECT_STREQ(cmtp_download_file("mtp-gone", "12", local).error, "Invalid local download path");
    EXPECT_EQ(ScriptedLibmtp::detections, 0);

    const CMTPTransferResult gone = cmtp_download_file("mtp-gone", "12", target.c_str());
    EXPECT_EQ(gone.ok, 0);
    EXPECT_STREQ(gone.error, kNotAvailable);
    EXPECT_TRUE(namesIn(dir).isEmpty());
}

// A finished download lands at the destination under the mode of the file it replaces,
// or 0666 minus the umask; libmtp only ever writes a hidden file beside it.
TEST_F(BridgeDownload, SuccessReplacesTheDestination)
{
    const Umask umask(027);
    const std::string fresh = path("photo.jpg");
    const CMTPTransferResult created = cmtp_download_file(kPhone, "17", fresh.c_str());
    EXPECT_EQ(created.ok, 1);
    EXPECT_STREQ(created.error, "");
    EXPECT_EQ(readAll(fresh), "downloaded bytes");
    EXPECT_EQ(modeOf(fresh), 0640u);
    ASSERT_EQ(ScriptedLibmtp::downloads.size(), 1u);
    EXPECT_EQ(ScriptedLibmtp::downloads[0].id, 17u);
    EXPECT_EQ(ScriptedLibmtp::downloads[0].path.rfind(path(".photo.jpg"), 0), 0u) << ScriptedLibmtp::downloads[0].path;

    const std::string existing = path("notes.txt");
    writeAll(existing, "an older and longer text");
    chmod(existing.c_str(), 0600);
    ScriptedLibmtp::downloadContent = "new";
    EXPECT_EQ(cmtp_download_file(kPhone, "18", existing.c_str()).ok, 1);
    EXPECT_EQ(readAll(existing), "new");
    EXPECT_EQ(modeOf(existing), 0600u);

    // The longest name a folder takes still gets a temporary name that fits beside it.
    const std::string longest = path(std::string(255, 'L').c_str());
    EXPECT_EQ(cmtp_download_file(kPhone, "19", longest.c_str()).ok, 1);
    EXPECT_EQ(namesIn(dir), (QStringList{QString(255, 'L'), "notes.txt", "photo.jpg"}));
}

// libmtp deletes the file it was writing when a copy fails; the destination must not be
// that file. It stays byte for byte as it was, and no temporary file is left.
TEST_F(BridgeDownload, FailureLeavesTheDestinationAsItWas)
{
    const std::string existing = path("keep.txt");
    writeAll(existing, "precious bytes");
    chmod(existing.c_str(), 0644);
    ScriptedLibmtp::downloadOutcome = {-1, {"PTP Layer error 2007: Could not get file from device.",
                                            "Error 2007: PTP Incomplete Transfer"}};
    const CMTPTransferResult failed = cmtp_download_file(kPhone, "17", existing.c_str());
    EXPECT_EQ(failed.ok, 0);
    EXPECT_STREQ(failed.error, "Error 2007: PTP Incomplete Transfer");
    EXPECT_EQ(readAll(existing), "precious bytes");
    EXPECT_EQ(modeOf(existing), 0644u);

    ScriptedLibmtp::downloadOutcome = {-1, {}};
    const CMTPTransferResult fresh = cmtp_download_file(kPhone, "17", path("new.txt").c_str());
    EXPECT_STREQ(fresh.error, "MTP download failed");
    EXPECT_EQ(namesIn(dir), QStringList{"keep.txt"});
    EXPECT_EQ(ScriptedLibmtp::opens.size(), 1u);
}

// Where the download cannot be stored, nothing is fetched and nothing is touched.
TEST_F(BridgeDownload, UnwritableDestinationFailsBeforeTheTransfer)
{
    const CMTPTransferResult noFolder = cmtp_download_file(kPhone, "17", path("missing/a.jpg").c_str());
    EXPECT_EQ(noFolder.ok, 0);
    EXPECT_EQ(std::string(noFolder.error),
              std::string("Could not create a temporary file for the download: ") + std::strerror(ENOENT));

    ASSERT_TRUE(QDir(dir.path()).mkdir("album"));
    const CMTPTransferResult folder = cmtp_download_file(kPhone, "17", path("album").c_str());
    EXPECT_EQ(std::string(folder.error), std::string("Could not save the download: ") + std::strerror(EISDIR));
    EXPECT_TRUE(ScriptedLibmtp::downloads.empty());
    EXPECT_EQ(namesIn(dir), QStringList{"album"});
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
    EXPECT_EQ(upload(kStorage, path("missing"), nullptr),
              std::string("Could not read local file metadata: ") + std::strerror(ENOENT));
    EXPECT_EQ(upload(kStorage, dir.path().toStdString(), nullptr), "Local upload path is not a regular file");
    EXPECT_EQ(ScriptedLibmtp::detections, 0);
    EXPECT_EQ(upload(kStorage, file, nullptr), kNotAvailable);
}

// The remote file is named after the local one and typed unknown, in the folder given.
TEST_F(BridgeUpload, SendsTheFileUnderItsOwnName)
{
    const std::string photo = path("photo.jpg");
    writeAll(photo, "jpeg bytes");
    const CMTPTransferResult root = cmtp_upload_file(kPhone, kStorage, photo.c_str(), nullptr);
    EXPECT_EQ(root.ok, 1);
    EXPECT_STREQ(root.error, "");
    EXPECT_EQ(cmtp_upload_file(kPhone, kStorage, photo.c_str(), "42").ok, 1);

    ASSERT_EQ(ScriptedLibmtp::uploads.size(), 2u);
    const UploadCall &sent = ScriptedLibmtp::uploads[0];
    EXPECT_EQ(sent.path, photo);
    EXPECT_EQ(sent.filename, "photo.jpg");
    EXPECT_EQ(sent.filetype, LIBMTP_FILETYPE_UNKNOWN);
    EXPECT_EQ(sent.filesize, 10u);
    EXPECT_EQ(sent.content, "jpeg bytes");
    EXPECT_EQ(sent.storage, 65537u);
    EXPECT_EQ(sent.parent, kRoot);
    EXPECT_EQ(ScriptedLibmtp::uploads[1].parent, 42u);
    EXPECT_TRUE(ScriptedLibmtp::deletedObjects.empty());
    EXPECT_EQ(ScriptedLibmtp::fileNodesDestroyed, ScriptedLibmtp::fileNodesCreated);

    ScriptedLibmtp::canAllocateFiles = false;
    EXPECT_STREQ(cmtp_upload_file(kPhone, kStorage, photo.c_str(), nullptr).error,
                 "Could not allocate MTP file metadata");
    EXPECT_EQ(ScriptedLibmtp::uploads.size(), 2u);
}

// A send that fails after the device created the object deletes exactly that object; the
// text is still the send's, even when the deletion fails too.
TEST_F(BridgeUpload, FailureRemovesThePartialObject)
{
    const std::string video = path("clip.mp4");
    writeAll(video, "video");
    ScriptedLibmtp::uploadCreatesId = 901;
    ScriptedLibmtp::uploadOutcome = {-1, {"PTP Layer error 200c: Could not send object.", "Error 200c: PTP Store Full"}};
    const CMTPTransferResult full = cmtp_upload_file(kPhone, kStorage, video.c_str(), "42");
    EXPECT_EQ(full.ok, 0);
    EXPECT_STREQ(full.error, "Error 200c: PTP Store Full");
    EXPECT_EQ(ScriptedLibmtp::deletedObjects, (std::vector<uint32_t>{901}));

    ScriptedLibmtp::deleteOutcome = {-1, {"Delete failed"}};
    EXPECT_STREQ(cmtp_upload_file(kPhone, kStorage, video.c_str(), "42").error, "Error 200c: PTP Store Full");

    // Nothing created, nothing deleted.
    ScriptedLibmtp::uploadCreatesId = 0;
    ScriptedLibmtp::uploadOutcome = {-1, {}};
    EXPECT_STREQ(cmtp_upload_file(kPhone, kStorage, video.c_str(), "42").error, "MTP upload failed");
    EXPECT_EQ(ScriptedLibmtp::deletedObjects, (std::vector<uint32_t>{901, 901}));
    EXPECT_EQ(ScriptedLibmtp::fileNodesDestroyed, 3);
    EXPECT_EQ(ScriptedLibmtp::opens.size(), 1u);

    // Only libmtp's question after the copy failed, and the phone lists the file: it arrived
    // and stays.
    ScriptedLibmtp::uploadCreatesId = 902;
    ScriptedLibmtp::uploadOutcome = {-1, {"LIBMTP_Send_File_From_File(): Could not retrieve updated metadata."}};
    ScriptedLibmtp::folders[42] = {{902, "clip.mp4", 5, LIBMTP_FILETYPE_UNKNOWN, 42}};
    EXPECT_EQ(cmtp_upload_file(kPhone, kStorage, video.c_str(), "42").ok, 1);
    EXPECT_EQ(ScriptedLibmtp::deletedObjects.size(), 2u);
}
