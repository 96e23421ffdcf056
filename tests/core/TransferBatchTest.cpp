// Batches over the in-memory engine: the order folders are listed and files copied in,
// conflicts on both sides, a listing between two files, cancel, failures and the sentence
// that ends a batch.

#include "TarvelCore/LocalFiles.h"
#include "TarvelCore/TarvelViewModel.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace tarvel;
using tarvel::test::Gate;
using tarvel::test::runSync;
using State = TarvelConnectionState;

namespace {

RemoteEntry folder(QString id, QString name) { return {.id = id, .name = name, .kind = RemoteEntryKind::folder}; }
RemoteEntry file(QString id, QString name, qint64 size) { return {.id = id, .name = name, .kind = RemoteEntryKind::file, .sizeBytes = size}; }

const AndroidDevice pixel{"mtp-1-2-18d1-4ee1", "Pixel 8", 0x18d1, 0x4ee1};
const AndroidStorage internal{"65537", "Internal shared storage", 64'000'000'000, 10'000'000'000};
const RemoteEntry dcim = folder("10", "DCIM");
const RemoteEntry camera = folder("11", "Camera");
const RemoteEntry photo = file("40", "photo.jpg", 2'000'000);

void touch(const QString &path, const QByteArray &bytes = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
}

// A hook that fails the nth call with `error`.
FakeAndroidFileTransferEngine::Hook failingCall(std::shared_ptr<FakeAndroidFileTransferEngine> engine, int n,
                                                TransferError error)
{
    auto calls = std::make_shared<int>(0);
    return [engine, n, error, calls]() -> QCoro::Task<> {
        engine->downloadError = ++*calls == n ? std::optional(error) : std::nullopt;
        co_return;
    };
}

class TransferBatchTest : public ::testing::Test {
protected:
    TransferBatchTest()
    {
        engine->devicesToReturn = {pixel};
        engine->storagesToReturn = {internal};
        engine->entriesByParentID = {
            {"", {dcim, photo}},
            {"10", {camera, file("41", "a.jpg", 1'000'000)}},
            {"11", {file("42", "b.jpg", 3'000'000)}},
        };
        runSync(vm.refreshDevices());
        runSync(vm.loadSelectedDeviceStorage());
    }
    QString into(const QString &path) const { return QDir(computer.path()).filePath(path); }
    QStringList downloadedTo() const
    {
        QStringList paths;
        for (const DownloadRequest &request : engine->downloadRequests)
            paths.append(QDir(computer.path()).relativeFilePath(QDir(request.localFolder).filePath(request.localName)));
        return paths;
    }

    std::shared_ptr<FakeAndroidFileTransferEngine> engine = std::make_shared<FakeAndroidFileTransferEngine>();
    TarvelViewModel vm{engine};
    QTemporaryDir computer;
};

} // namespace

// Folders are listed first, one listing each; files then follow in that order into the same
// structure, and a name already taken on the computer becomes "name (2).ext".
TEST_F(TransferBatchTest, DownloadKeepsTheStructureAndNeverReplaces)
{
    touch(into("photo.jpg"), "mine");
    const int listings = engine->directoryRequests.size();
    runSync(vm.downloadItems({photo, dcim}, QUrl::fromLocalFile(computer.path())));
    EXPECT_EQ(engine->directoryRequests.size(), listings + 2);
    EXPECT_EQ(downloadedTo(), (QStringList{"photo (2).jpg", "DCIM/a.jpg", "DCIM/Camera/b.jpg"}));
    for (const DownloadRequest &request : engine->downloadRequests)
        EXPECT_FALSE(request.replacesExisting);
    EXPECT_TRUE(QFileInfo(into("DCIM/Camera")).isDir());
    EXPECT_EQ(vm.state(), State::ready);
    EXPECT_EQ(vm.statusMessage(), "Downloaded 3 files (6 MB) to " + computer.path() + ".");
    EXPECT_FALSE(vm.currentBatch());
    EXPECT_FALSE(vm.currentTransfer());
}

// A listing asked for while a file is held runs at once, not after the batch; the batch
// shows which file of how many is in flight.
TEST_F(TransferBatchTest, ListingRunsBetweenTwoFiles)
{
    Gate held;
    engine->beforeDownload = held.hook();
    auto batch = vm.downloadItems({dcim}, QUrl::fromLocalFile(computer.path()));
    ASSERT_TRUE(held.waitEntered());
    ASSERT_TRUE(vm.currentBatch());
    EXPECT_EQ(vm.currentBatch()->fileNumber, 1);
    EXPECT_EQ(vm.currentBatch()->fileCount, 2);
    EXPECT_FALSE(vm.currentBatch()->listingFolders);
    EXPECT_EQ(vm.statusMessage(), "Downloading 2 files to " + computer.path() + "...");
    EXPECT_EQ(vm.currentTransfer()->sourceName, "a.jpg");
    runSync(vm.openFolder(dcim));
    EXPECT_EQ(vm.folderPath(), QList{dcim});
    EXPECT_EQ(vm.state(), State::transferring);
    EXPECT_EQ(engine->downloadRequests.size(), 0);
    engine->beforeDownload = {};
    held.open();
    runSync(std::move(batch));
    EXPECT_EQ(engine->downloadRequests.size(), 2);
}

// Cancel stops the file in flight and the rest; what was copied stays.
TEST_F(TransferBatchTest, CancelStopsTheBatchAndKeepsWhatIsDone)
{
    auto calls = std::make_shared<int>(0);
    Gate second;
    const auto secondHook = second.hook();
    engine->beforeDownload = [calls, secondHook]() -> QCoro::Task<> {
        if (++*calls == 2)
            co_await secondHook();
    };
    auto batch = vm.downloadItems({dcim, photo}, QUrl::fromLocalFile(computer.path()));
    ASSERT_TRUE(second.waitEntered());
    vm.cancelTransfer();
    second.open();
    runSync(std::move(batch));
    EXPECT_EQ(engine->downloadRequests.size(), 1);
    EXPECT_EQ(vm.state(), State::ready);
    EXPECT_EQ(vm.statusMessage(), "The transfer was cancelled after 1 of 3 files.");
}

// One file that fails does not stop the others; the sentence names it and why, and a name
// the computer cannot hold is refused for that file only.
TEST_F(TransferBatchTest, FailuresAreNamedAndTheRestGoesOn)
{
    engine->entriesByParentID["11"].append(file("43", "a/b.jpg", 10));
    engine->beforeDownload = failingCall(engine, 2, TransferError::deviceRefused("Error 2007: PTP Incomplete Transfer"));
    runSync(vm.downloadItems({dcim}, QUrl::fromLocalFile(computer.path())));
    EXPECT_EQ(downloadedTo(), QStringList{"DCIM/a.jpg"});
    EXPECT_EQ(vm.state(), State::transferFailed);
    EXPECT_EQ(vm.statusMessage(), "Downloaded 1 of 3 files; 2 failed, the first: b.jpg: The phone refused the request (Error 2007: PTP Incomplete Transfer). Unlock the phone and try again.");

    engine->beforeDownload = {};
    engine->downloadError = TransferError::disconnected();
    runSync(vm.downloadItems({photo}, QUrl::fromLocalFile(computer.path())));
    EXPECT_EQ(vm.state(), State::deviceUnavailable);
}

// A series runs in one engine call; the window follows the file in flight, each outcome
// counts once, and a cancel inside the series keeps the files before it.
TEST_F(TransferBatchTest, SeriesShowTheFileInFlightAndCountEachOutcome)
{
    auto series = std::make_shared<test::SeriesEngine>();
    series->devicesToReturn = {pixel};
    series->storagesToReturn = {internal};
    const RemoteEntry trip = folder("20", "Trip");
    series->entriesByParentID = {{"", {trip}},
                                 {"20", {file("21", "a.jpg", 1'000'000), file("22", "b.jpg", 3'000'000),
                                         file("23", "c.jpg", 2'000'000)}}};
    TarvelViewModel seriesVM{series};
    runSync(seriesVM.refreshDevices());
    runSync(seriesVM.loadSelectedDeviceStorage());
    auto calls = std::make_shared<int>(0);
    Gate second;
    const auto secondHook = second.hook();
    series->beforeDownload = [calls, secondHook, series]() -> QCoro::Task<> {
        ++*calls;
        series->downloadError = std::nullopt;
        if (*calls % 3 == 2)
            co_await secondHook();
        if (*calls == 3)
            series->downloadError = TransferError::deviceRefused("Error 2007: PTP Incomplete Transfer");
    };

    auto batch = seriesVM.downloadItems({trip}, QUrl::fromLocalFile(computer.path()));
    ASSERT_TRUE(second.waitEntered());
    EXPECT_TRUE(tarvel::test::spinUntil([&] { return seriesVM.currentBatch()->fileNumber == 2; }));
    EXPECT_EQ(seriesVM.currentTransfer()->sourceName, "b.jpg");
    EXPECT_EQ(seriesVM.currentTransfer()->destinationFolderName, "Trip");
    EXPECT_EQ(seriesVM.currentBatch()->completedBytes, 1'000'000);
    second.open();
    runSync(std::move(batch));
    EXPECT_EQ(series->calls, 1);
    EXPECT_EQ(seriesVM.statusMessage(), "Downloaded 2 of 3 files; 1 failed: c.jpg: The phone refused the request (Error 2007: PTP Incomplete Transfer). Unlock the phone and try again.");

    series->downloadError = std::nullopt;
    Gate again;
    const auto againHook = again.hook();
    series->beforeDownload = [calls, againHook]() -> QCoro::Task<> {
        if (++*calls == 5)
            co_await againHook();
    };
    auto cancelled = seriesVM.downloadItems({trip}, QUrl::fromLocalFile(computer.path()));
    ASSERT_TRUE(again.waitEntered());
    seriesVM.cancelTransfer();
    again.open();
    runSync(std::move(cancelled));
    EXPECT_EQ(seriesVM.statusMessage(), "The transfer was cancelled after 1 of 3 files.");

    // Two files of one name into one phone folder, in one series: the second is renamed.
    touch(into("one/x.jpg"));
    touch(into("two/x.jpg"));
    runSync(seriesVM.uploadItems({QUrl::fromLocalFile(into("one/x.jpg")), QUrl::fromLocalFile(into("two/x.jpg"))}, std::nullopt));
    EXPECT_EQ(series->calls, 3);
    ASSERT_EQ(series->uploadRequests.size(), 2);
    EXPECT_FALSE(series->uploadRequests[0].remoteName);
    EXPECT_EQ(series->uploadRequests[1].remoteName, "x (2).jpg");
}

// Uploads: an existing folder is filled, a new one is made, a taken file name becomes
// "name (2).ext", and what is not a file or a folder is skipped and named.
TEST_F(TransferBatchTest, UploadFillsFoldersAndNeverDoublesANameOnThePhone)
{
    engine->entriesByParentID[""].append(file("50", "c.txt", 1));
    touch(into("DCIM/new.jpg"));
    touch(into("DCIM/Trip/sea.jpg"));
    touch(into("c.txt"));
    const QString pipe = into("pipe");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    runSync(vm.uploadItems({QUrl::fromLocalFile(into("DCIM")), QUrl::fromLocalFile(into("c.txt")),
                            QUrl::fromLocalFile(pipe)},
                           std::nullopt));
    EXPECT_EQ(engine->folderRequests, (QList{FolderRequest{pixel.id, internal.id, dcim.id, "Trip"}}));
    ASSERT_EQ(engine->uploadRequests.size(), 3);
    EXPECT_EQ(engine->uploadRequests[0].remoteParentID, dcim.id);
    EXPECT_FALSE(engine->uploadRequests[0].remoteName);
    EXPECT_EQ(engine->uploadRequests[1].remoteParentID, "folder-1");
    EXPECT_EQ(engine->uploadRequests[2].remoteName, "c (2).txt");
    EXPECT_EQ(vm.state(), State::transferFailed);
    EXPECT_EQ(vm.statusMessage(), "Uploaded 3 of 4 files; 1 failed: pipe: it is not a file or a folder.");
}

TEST(FreeNames, NumberBeforeTheExtension)
{
    const QSet<QString> taken{"a.jpg", "a (2).jpg", "notes", ".bashrc", "archive.tar.gz"};
    EXPECT_EQ(freeName("b.jpg", taken), "b.jpg");
    EXPECT_EQ(freeName("a.jpg", taken), "a (3).jpg");
    EXPECT_EQ(freeName("notes", taken), "notes (2)");
    EXPECT_EQ(freeName(".bashrc", taken), ".bashrc (2)");
    EXPECT_EQ(freeName("archive.tar.gz", taken), "archive.tar (2).gz");
}
