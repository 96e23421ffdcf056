// The engine over the real bridge, with libmtp replaced by the scripted stand-in.

#include "CMTPBridge/CMTPBridge.h"
#include "MTPAdapter/MTPAndroidFileTransferEngine.h"
#include "MTPAdapter/MTPOperationLane.h"
#include "tests/support/ScriptedLibmtp.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>

using namespace tarvel;
using tarvel::test::runSync;
using tarvel::test::ScriptedDevice;
using tarvel::test::ScriptedLibmtp;
using tarvel::test::ScriptedObject;
using tarvel::test::ScriptedStorage;

namespace {

const QString pixelID = QStringLiteral("mtp-1-2-18d1-4ee1");

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ScriptedLibmtp::reset();
        ScriptedLibmtp::devices = {ScriptedDevice{}};
    }

    template <typename T>
    TransferError failure(QCoro::Task<T> task)
    {
        try {
            runSync(std::move(task));
        } catch (const TransferError &error) {
            return error;
        }
        ADD_FAILURE() << "expected a TransferError";
        return TransferError::cancelled();
    }

    MTPAndroidFileTransferEngine engine;
};

} // namespace

TEST_F(EngineTest, ScanMapsDevicesInOrder)
{
    ScriptedLibmtp::devices = {
        ScriptedDevice{.busLocation = 20, .deviceNumber = 5, .vendorId = 9, .productId = 171, .product = std::nullopt},
        ScriptedDevice{.busLocation = 3, .deviceNumber = 7, .vendorId = 0, .productId = 0, .product = ""},
        ScriptedDevice{.busLocation = 1, .deviceNumber = 2, .product = "Pixel 7"},
    };
    const QList<AndroidDevice> devices = runSync(engine.scanDevices());
    EXPECT_EQ(devices, (QList<AndroidDevice>{
                           {"mtp-20-5-0009-00ab", "Android phone", 9, 171, 20, 5},
                           {"mtp-3-7-0000-0000", "Android phone", 0, 0, 3, 7}, // ids of 0 are still present
                           {pixelID, "Pixel 7", 0x18d1, 0x4ee1, 1, 2},
                       }));

    ScriptedLibmtp::devices.clear();
    EXPECT_TRUE(runSync(engine.scanDevices()).isEmpty());

    ScriptedLibmtp::detectResult = LIBMTP_ERROR_USB_LAYER;
    EXPECT_EQ(failure(engine.scanDevices()), TransferError::nativeError("MTP device scan failed"));
}

// Sizes below one are absent; fixed memory is internal, a card removable, whether ROM or RAM.
TEST_F(EngineTest, StorageSizesBelowOneAreAbsentAndKindsFollowTheStorageType)
{
    ScriptedLibmtp::storages = {
        ScriptedStorage{.id = 0x00010001, .description = "", .maxCapacity = 0, .freeSpace = UINT64_MAX},
        ScriptedStorage{.id = 0x00020001, .description = "SD card", .maxCapacity = 32'000'000'000, .freeSpace = 1,
                        .storageType = 0x0004},
        ScriptedStorage{.id = 0x00030001, .description = "Full", .maxCapacity = 16'000'000'000, .freeSpace = 0,
                        .storageType = 0x0001},
        ScriptedStorage{.id = 0x00040001, .description = "Stick", .storageType = 0x0002},
        ScriptedStorage{.id = 0x00050001, .description = "Odd", .storageType = 0x0009},
    };
    using enum StorageKind;
    EXPECT_EQ(runSync(engine.listStorage(pixelID)),
              (QList<AndroidStorage>{
                  {"65537", "Android storage", std::nullopt, std::nullopt, internal},
                  {"131073", "SD card", 32'000'000'000, 1, removable},
                  {"196609", "Full", 16'000'000'000, std::nullopt, internal},
                  {"262145", "Stick", 128'000'000'000, 64'000'000'000, removable},
                  {"327681", "Odd", 128'000'000'000, 64'000'000'000, unknown},
              }));
}

TEST_F(EngineTest, EntriesMapKindsParentsAndSizes)
{
    ScriptedLibmtp::folders[LIBMTP_FILES_AND_FOLDERS_ROOT] = {
        ScriptedObject{.id = 10, .name = "DCIM", .size = 0, .type = LIBMTP_FILETYPE_FOLDER, .parentId = 0},
        ScriptedObject{.id = 11, .name = "empty.txt", .size = 0, .type = LIBMTP_FILETYPE_TEXT, .parentId = 0},
        ScriptedObject{.id = 12, .name = std::nullopt, .size = 5, .type = LIBMTP_FILETYPE_JPEG, .parentId = 0},
    };
    ScriptedLibmtp::folders[17] = {ScriptedObject{.id = 18, .name = "a.jpg", .size = 2'000'000, .type = LIBMTP_FILETYPE_JPEG, .parentId = 17}};

    EXPECT_EQ(runSync(engine.listDirectory(pixelID, "65537", std::nullopt)),
              (QList<RemoteEntry>{
                  {.id = "10", .name = "DCIM", .parentID = std::nullopt, .kind = RemoteEntryKind::folder, .sizeBytes = std::nullopt},
                  {.id = "11", .name = "empty.txt", .parentID = std::nullopt, .kind = RemoteEntryKind::file, .sizeBytes = 0},
                  {.id = "12", .name = "Untitled", .parentID = std::nullopt, .kind = RemoteEntryKind::file, .sizeBytes = 5},
              }));
    EXPECT_EQ(runSync(engine.listDirectory(pixelID, "65537", QString("17"))),
              (QList<RemoteEntry>{{.id = "18", .name = "a.jpg", .parentID = "17", .kind = RemoteEntryKind::file, .sizeBytes = 2'000'000}}));
    EXPECT_EQ(ScriptedLibmtp::listings.front().parent, LIBMTP_FILES_AND_FOLDERS_ROOT); // absent parent: the root

    // The newer listing tells an empty file (0 bytes) from a size the phone did not give.
    const QList<RemoteEntry> listed = runSync(test::listOne(&engine, DirectoryRequest{pixelID, "65537", std::nullopt})).entries;
    ASSERT_EQ(listed.size(), 3);
    EXPECT_EQ(listed[0].sizeBytes, std::nullopt);
    EXPECT_EQ(listed[1].sizeBytes, 0);
}

// A big folder reaches the caller whole and in the device's order, from one listing.
TEST_F(EngineTest, LargeFolderArrivesWhole)
{
    auto &folder = ScriptedLibmtp::folders[LIBMTP_FILES_AND_FOLDERS_ROOT];
    for (uint32_t i = 0; i < 5000; ++i)
        folder.push_back(ScriptedObject{.id = 5000 - i, .name = "IMG_" + std::to_string(i) + ".jpg", .size = 1000 + i});
    const QList<RemoteEntry> entries = runSync(engine.listDirectory(pixelID, "65537", std::nullopt));
    ASSERT_EQ(entries.size(), 5000);
    for (int i = 0; i < 5000; ++i) {
        EXPECT_EQ(entries[i].id, QString::number(5000 - i));
        EXPECT_EQ(entries[i].sizeBytes, 1000 + i);
    }
    EXPECT_EQ(ScriptedLibmtp::listings.size(), 1u);
    EXPECT_EQ(ScriptedLibmtp::fileNodesDestroyed, 5000);
}

// Every bridge failure arrives as nativeError with the bridge's own text.
TEST_F(EngineTest, FailuresCarryTheBridgesText)
{
    ScriptedLibmtp::devices = {ScriptedDevice{.opens = false}};
    EXPECT_EQ(failure(engine.listStorage(pixelID)),
              TransferError::nativeError("Could not open MTP device; unlock the phone and choose File transfer"));

    ScriptedLibmtp::devices = {ScriptedDevice{}};
    ScriptedLibmtp::listingOutcome = {.result = -1, .errors = {"PTP Layer error 02fe", "Error 02fe: PTP Data Expected"}};
    EXPECT_EQ(failure(engine.listDirectory(pixelID, "65537", std::nullopt)),
              TransferError::nativeError("Error 02fe: PTP Data Expected"));
    EXPECT_EQ(failure(engine.listDirectory(pixelID, "x", std::nullopt)), TransferError::nativeError("Invalid MTP storage id"));
    EXPECT_EQ(failure(engine.listDirectory("mtp-9-9-0000-0000", "65537", std::nullopt)),
              TransferError::nativeError("MTP device is not connected or not available"));

    const QTemporaryDir dir;
    ScriptedLibmtp::downloadOutcome = {.result = -1, .errors = {}};
    EXPECT_EQ(failure(engine.downloadFile(pixelID, "5", QUrl::fromLocalFile(dir.filePath("a.jpg")))),
              TransferError::nativeError("MTP download failed"));
    EXPECT_EQ(failure(engine.uploadFile(pixelID, "65537", QUrl::fromLocalFile(dir.filePath("missing.txt")), std::nullopt)),
              TransferError::nativeError("Could not read local file metadata: No such file or directory"));
}

// Local paths reach the bridge percent-decoded, names with spaces and accents intact (the
// bytes sent are the file's at that path), and an absent parent uploads into the storage root.
TEST_F(EngineTest, TransfersUseTheFileSystemPath)
{
    const QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("Ünïcode photo #1.jpg"));
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("jpeg");
    file.close();
    const QUrl url = QUrl::fromLocalFile(source);
    ASSERT_TRUE(url.toEncoded().contains("%20"));

    runSync(engine.uploadFile(pixelID, "65537", url, std::nullopt));
    ASSERT_EQ(ScriptedLibmtp::uploads.size(), 1u);
    EXPECT_EQ(QString::fromStdString(ScriptedLibmtp::uploads[0].filename), QStringLiteral("Ünïcode photo #1.jpg"));
    EXPECT_EQ(ScriptedLibmtp::uploads[0].parent, LIBMTP_FILES_AND_FOLDERS_ROOT);
    EXPECT_EQ(ScriptedLibmtp::uploads[0].content, "jpeg");

    const QString target = dir.filePath(QStringLiteral("copy of Ünïcode.jpg"));
    runSync(engine.downloadFile(pixelID, "5", QUrl::fromLocalFile(target)));
    QFile copy(target);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll().toStdString(), ScriptedLibmtp::downloadContent);
}

// Bridge work runs on one thread that is not the caller's, one job at a time, and the
// caller's event loop keeps ticking while a job holds the lane.
TEST(OperationLane, OneWorkerThreadOneJobAtATime)
{
    ScriptedLibmtp::reset();
    ScriptedLibmtp::devices = {ScriptedDevice{}};
    MTPAndroidFileTransferEngine engine;
    runSync(engine.listStorage(pixelID)); // opens the device, so the upload below detects nothing

    auto &lane = MTPOperationLane::shared();
    QSemaphore release;
    QThread *blockedOn = nullptr;
    auto block = [&release, &blockedOn] {
        blockedOn = QThread::currentThread();
        release.acquire();
    };
    auto blocker = lane.run(std::move(block));

    const QTemporaryDir dir;
    QFile file(dir.filePath("a.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    auto upload = engine.uploadFile(pixelID, "65537", QUrl::fromLocalFile(file.fileName()), std::nullopt);
    auto scan = engine.scanDevices();

    // The UI thread stays free while the lane is held.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(1);
    EXPECT_TRUE(tarvel::test::spinUntil([&] { return ticks >= 20; }));
    EXPECT_EQ(ScriptedLibmtp::uploads.size(), 0u);

    release.release();
    runSync(std::move(upload));
    EXPECT_EQ(runSync(std::move(scan)).size(), 1);
    const auto &calls = ScriptedLibmtp::calls;
    const auto send = std::find(calls.begin(), calls.end(), "LIBMTP_Send_File_From_Handler");
    const auto detect = std::find(calls.rbegin(), calls.rend(), "LIBMTP_Detect_Raw_Devices");
    ASSERT_NE(send, calls.end());
    EXPECT_LT(send - calls.begin(), calls.rend() - detect - 1); // the scan ran after the upload

    auto where = [] { return QThread::currentThread(); };
    QThread *const worker = runSync(tarvel::awaitResult(lane.run(where)));
    EXPECT_EQ(worker, blockedOn);
    EXPECT_NE(worker, QThread::currentThread());
}

// A lane future that ends without a result is reported, not read.
TEST(OperationLane, FutureWithoutResultBecomesAnError)
{
    QPromise<int> promise;
    promise.start();
    QFuture<int> future = promise.future();
    promise.future().cancel();
    promise.finish();
    EXPECT_THROW(runSync(tarvel::awaitResult(future)), TransferError);
}

TEST(EngineStatus, DiagnosticSummaryIsTheBridgeStatus)
{
    EXPECT_EQ(MTPAndroidFileTransferEngine().diagnosticSummary(), QStringLiteral("libmtp headers are available"));
}

// The newer operations store progress in the control and turn each result code into the
// error the window words.
TEST_F(EngineTest, NewerOperationsReportProgressAndTellFailuresApart)
{
    QTemporaryDir dir;
    const QUrl target = QUrl::fromLocalFile(dir.filePath("a.jpg"));
    ScriptedLibmtp::downloadContent = "0123456789";
    auto control = std::make_shared<TransferControl>();
    runSync(test::downloadOne(&engine, test::downloadTo(pixelID, "12", target.toLocalFile()), control));
    EXPECT_EQ(control->completedBytes(), 10);
    EXPECT_EQ(control->totalBytes(), 10);

    auto cancelled = std::make_shared<TransferControl>();
    cancelled->cancel();
    EXPECT_EQ(failure(test::downloadOne(&engine, test::downloadTo(pixelID, "12", target.toLocalFile()), cancelled)), TransferError::cancelled());
    ScriptedLibmtp::downloadOutcome = {-1, {"Error 2007: PTP Incomplete Transfer"}};
    EXPECT_EQ(failure(test::downloadOne(&engine, test::downloadTo(pixelID, "12", target.toLocalFile()), control)),
              TransferError::deviceRefused("Error 2007: PTP Incomplete Transfer"));
    ScriptedLibmtp::breakOpenSessions();
    ScriptedLibmtp::devices.clear();
    ScriptedLibmtp::uploadOutcome = {-1, {"Error 02ff: PTP I/O Error"}};
    EXPECT_EQ(failure(test::uploadOne(&engine, UploadRequest{pixelID, "65537", target}, control)), TransferError::disconnected());

    ScriptedLibmtp::devices = {ScriptedDevice{}};
    ScriptedLibmtp::folders[LIBMTP_FILES_AND_FOLDERS_ROOT] = {
        ScriptedObject{.id = 5, .name = "b.jpg", .size = 3, .modified = 1'700'000'000}};
    ScriptedLibmtp::listingOutcome = {0, {"Error 02fe: PTP Data Expected"}};
    const DirectoryListing listing = runSync(test::listOne(&engine, DirectoryRequest{pixelID, "65537", std::nullopt}));
    EXPECT_FALSE(listing.complete);
    ASSERT_EQ(listing.entries.size(), 1);
    EXPECT_EQ(listing.entries[0].modifiedAt, QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC));
    EXPECT_EQ(runSync(engine.createFolder(FolderRequest{pixelID, "65537", QString("5"), "Trip"})), "700");
}

// A series runs file after file (or folder after folder) in one lane job; a job that
// waits goes in between two, and nothing runs after a cancel.
TEST_F(EngineTest, SeriesLetsAWaitingJobInBetweenTwoFiles)
{
    runSync(engine.listStorage(pixelID)); // opens the device
    const QTemporaryDir dir;
    QList<DownloadRequest> requests;
    for (const char *name : {"a", "b", "c"})
        requests.append(DownloadRequest{pixelID, "12", dir.path(), name, false});
    auto control = std::make_shared<TransferControl>();
    QSemaphore release;
    auto blocker = MTPOperationLane::shared().run([&release] { release.acquire(); });
    auto series = engine.downloadSeries(requests, control);
    auto listing = test::listOne(&engine, DirectoryRequest{pixelID, "65537", std::nullopt});
    release.release();
    EXPECT_EQ(runSync(std::move(series)).size(), 1);
    runSync(std::move(listing));
    EXPECT_EQ(ScriptedLibmtp::downloads.size(), 1u);

    // The rest, into the folder, another folder, and one that is not there.
    QDir(dir.path()).mkdir("sub");
    QList<DownloadRequest> rest = requests.mid(1);
    for (const char *name : {"sub/d", "missing/e"})
        rest.append(test::downloadTo(pixelID, "12", dir.filePath(name), false));
    ScriptedLibmtp::calls.clear();
    const QList<std::exception_ptr> outcomes = runSync(engine.downloadSeries(rest, control));
    ASSERT_EQ(outcomes.size(), 4);
    EXPECT_EQ(outcomes.mid(0, 3), (QList<std::exception_ptr>{nullptr, nullptr, nullptr}));
    ASSERT_TRUE(outcomes[3]);
    try {
        std::rethrow_exception(outcomes[3]);
    } catch (const TransferError &error) {
        EXPECT_EQ(error, TransferError::localFileFailed(QString::fromLocal8Bit(strerror(ENOENT))));
    }
    EXPECT_EQ(control->fileInSeries(), 3);
    EXPECT_TRUE(QFile::exists(dir.filePath("c")));
    EXPECT_TRUE(QFile::exists(dir.filePath("sub/d")));
    // Each folder is flushed once, after its files; files in one that cannot be flushed fail.
    EXPECT_EQ(std::count(ScriptedLibmtp::calls.begin(), ScriptedLibmtp::calls.end(), "fsync folder"), 2);
    ScriptedLibmtp::folderFlushFails = true;
    const QList<DownloadRequest> more{test::downloadTo(pixelID, "12", dir.filePath("f"), false),
                                      test::downloadTo(pixelID, "12", dir.filePath("g"), false)};
    const QList<std::exception_ptr> unflushed = runSync(engine.downloadSeries(more, control));
    ASSERT_EQ(unflushed.size(), 2);
    EXPECT_TRUE(unflushed[0] && unflushed[1]);
    ScriptedLibmtp::folderFlushFails = false;
    EXPECT_TRUE(QFile::exists(dir.filePath("g")));

    const QList<DirectoryRequest> folders(2, DirectoryRequest{pixelID, "65537", std::nullopt});
    EXPECT_EQ(runSync(engine.listFolders(folders, control)).size(), 2);

    control->cancel();
    EXPECT_EQ(runSync(engine.downloadSeries(requests, control)).size(), 1);
    EXPECT_EQ(ScriptedLibmtp::downloads.size(), 6u);
    EXPECT_EQ(runSync(engine.listFolders(folders, control)).size(), 1);
}

// Deletes run as a series that checks each object and ends once the phone is gone; renames,
// thumbnails and long parts map the bridge's results; a download keeps the phone's date.
TEST_F(EngineTest, PhoneOperationsCheckEachObjectAndMapTheirResults)
{
    const std::string movie = [] {
        std::string bytes(9 << 20, '\0');
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i * 7 / 5);
        return bytes;
    }();
    ScriptedLibmtp::objects = {{20, {20, "a.jpg", 3, LIBMTP_FILETYPE_JPEG, 5}},
                               {21, {21, "b.jpg", 4, LIBMTP_FILETYPE_JPEG, 5}},
                               {22, {22, "Album", 4096, LIBMTP_FILETYPE_FOLDER, 5}},
                               {23, {23, "movie.mp4", movie.size(), LIBMTP_FILETYPE_MP4, 5}}};
    ScriptedLibmtp::contents[23] = movie;
    ScriptedLibmtp::thumbnails[21] = "thumb";
    const auto object = [](QString id, QString name, std::optional<qint64> size) {
        return ObjectRequest{pixelID, "65537", id, name, size};
    };
    auto control = std::make_shared<TransferControl>();
    const QList<std::exception_ptr> outcomes = runSync(engine.deleteObjects(
        {object("20", "a.jpg", 3), object("21", "b.jpg", 5), object("22", "Album", std::nullopt)}, control));
    ASSERT_EQ(outcomes.size(), 3);
    EXPECT_EQ(kindOf(outcomes[1]), TransferError::Kind::deviceRefused);
    EXPECT_EQ(ScriptedLibmtp::deletedObjects, (std::vector<uint32_t>{20, 22}));

    ScriptedLibmtp::renameOutcome = {-1, {"Error 2002: PTP General Error"}};
    EXPECT_EQ(failure(engine.renameObject({object("21", "b.jpg", 4), "a.jpg"})),
              TransferError::deviceRefused("Error 2002: PTP General Error"));
    EXPECT_EQ(runSync(engine.thumbnail(object("21", "b.jpg", 4))), QByteArray("thumb"));
    const QByteArray part = runSync(engine.readPart(object("23", "movie.mp4", qint64(movie.size())), 1, 1 << 30));
    EXPECT_EQ(part, QByteArray::fromStdString(movie.substr(1)));

    const QTemporaryDir dir;
    DownloadRequest dated = test::downloadTo(pixelID, "12", dir.filePath("a.jpg"));
    dated.modifiedAt = QDateTime::fromSecsSinceEpoch(1'600'000'000, Qt::UTC);
    runSync(test::downloadOne(&engine, dated));
    EXPECT_EQ(QFileInfo(dir.filePath("a.jpg")).lastModified().toSecsSinceEpoch(), 1'600'000'000);

    ScriptedLibmtp::breakOpenSessions();
    ScriptedLibmtp::devices.clear();
    const QList<std::exception_ptr> gone = runSync(engine.deleteObjects({object("21", "b.jpg", 4), object("23", "c", 1)}, control));
    ASSERT_EQ(gone.size(), 1);
    EXPECT_EQ(kindOf(gone[0]), TransferError::Kind::disconnected);
}

// The phone's events arrive mapped; with none, the wait gives way within one slice to a job
// queued behind it on the lane.
TEST_F(EngineTest, PhoneEventsGiveWayToAWaitingJob)
{
    using Scripted = ScriptedLibmtp::ScriptedEvent;
    ScriptedLibmtp::phoneEvents = {Scripted{LIBMTP_HANDLER_RETURN_OK, LIBMTP_EVENT_OBJECT_ADDED, 30},
                                   Scripted{LIBMTP_HANDLER_RETURN_OK, LIBMTP_EVENT_OBJECT_REMOVED, 31},
                                   Scripted{LIBMTP_HANDLER_RETURN_OK, LIBMTP_EVENT_STORE_REMOVED, 0x00020001}};
    using enum PhoneEvent::Kind;
    EXPECT_EQ(runSync(engine.phoneEvents(pixelID, 1000)),
              (QList<PhoneEvent>{{objectAdded, "30"}, {objectRemoved, "31"}, {storageChanged, QString()}}));

    QElapsedTimer waited;
    waited.start();
    auto events = engine.phoneEvents(pixelID, 10'000);
    runSync(engine.listDirectory(pixelID, "65537", std::nullopt));
    EXPECT_LT(waited.elapsed(), 1000);
    EXPECT_TRUE(runSync(std::move(events)).isEmpty());
}

// A full disk or quota is its own error, whatever the words; any other local problem carries
// the bridge's words, which hold the system's, or the system's own when the bridge had none.
TEST(EngineErrors, LocalFileProblemsTellAFullDiskApart)
{
    const auto errorFor = &MTPAndroidFileTransferEngine::errorFor;
    EXPECT_EQ(errorFor(CMTP_RESULT_LOCAL_FILE, ENOSPC, "Could not write the download: No space left on device"),
              TransferError::diskFull());
    EXPECT_EQ(errorFor(CMTP_RESULT_LOCAL_FILE, EDQUOT, "Could not save the download: Disk quota exceeded"),
              TransferError::diskFull());
    EXPECT_EQ(errorFor(CMTP_RESULT_LOCAL_FILE, EACCES, "Could not save the download: Permission denied"),
              TransferError::localFileFailed("Could not save the download: Permission denied"));
    EXPECT_EQ(errorFor(CMTP_RESULT_LOCAL_FILE, EACCES, QString()),
              TransferError::localFileFailed(QString::fromLocal8Bit(strerror(EACCES))));
    EXPECT_EQ(errorFor(CMTP_RESULT_OTHER, ENOSPC, "Invalid MTP file id"), TransferError::nativeError("Invalid MTP file id"));
}
