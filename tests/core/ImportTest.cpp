// Imports over the in-memory engine and a real import record in a temporary folder: what
// counts as new, where files go, and what freeing the phone deletes.

#include "TarvelCore/ImportCleanup.h"
#include "TarvelCore/ImportPlan.h"
#include "TarvelCore/Sentences.h"
#include "TarvelCore/TarvelViewModel.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace tarvel;
using tarvel::test::runSync;

namespace {

const QDateTime june = QDateTime(QDate(2024, 6, 15), QTime(12, 0)).toUTC();
const AndroidDevice pixel{"mtp-1-2-18d1-4ee1", "Pixel 8", 0x18d1, 0x4ee1, 1, 2, QString("PX8-0042")};
const AndroidStorage internal{"65537", "Internal shared storage", 64'000'000'000, 10'000'000'000};

RemoteEntry folder(QString id, QString name) { return {.id = id, .name = name, .kind = RemoteEntryKind::folder}; }
RemoteEntry file(QString id, QString name, qint64 size, QDateTime at = june)
{
    return {.id = id, .name = name, .kind = RemoteEntryKind::file, .sizeBytes = size, .modifiedAt = at};
}

void write(const QString &path, qint64 size)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QByteArray(size, 'x'));
}

class ImportTest : public ::testing::Test {
protected:
    ImportTest()
    {
        engine->devicesToReturn = {pixel};
        engine->storagesToReturn = {internal};
        engine->entriesByParentID = {
            {"", {folder("1", "DCIM"), folder("2", "Pictures"), folder("3", "Movies"), folder("4", "Download")}},
            {"1", {folder("10", "Camera"), folder("11", ".thumbnails")}},
            {"2", {folder("20", "Screenshots")}},
            {"3", {file("30", "clip.mp4", 9000)}},
            {"10", {file("100", "IMG_1.jpg", 1000), file("101", "IMG_2.jpg", 2000), file("102", "notes.txt", 10),
                    folder("103", "Burst"), folder("104", ".trashed-1")}},
            {"103", {file("105", "BURST_1.jpg", 500)}},
            {"104", {file("106", "gone.jpg", 700)}},
            {"20", {file("200", "Screen.png", 300, QDateTime())}},
        };
        runSync(viewModel.findPhones());
    }

    QList<ImportCandidate> scan()
    {
        const auto look = viewModel.importScan();
        const QList<CameraFolder> folders = runSync(look->findCameraFolders());
        return runSync(look->look(folders));
    }

    ImportPlan decide(const QList<ImportCandidate> &found)
    {
        const QList<ImportedFiles> recorded = runSync(store->importedFiles({key}));
        return decideImport(found, {internal.id}, recorded, destination.path(), ImportFiling::byMonth);
    }

    std::shared_ptr<FakeAndroidFileTransferEngine> engine = std::make_shared<FakeAndroidFileTransferEngine>();
    TarvelViewModel viewModel{engine};
    QTemporaryDir data;
    QTemporaryDir destination;
    std::shared_ptr<ImportStore> store = std::make_shared<ImportStore>(data.path());
    const PhoneKey key = PhoneKey::of(*pixel.serialNumber, pixel.name, internal.id, internal.name);
    const QHash<QString, PhoneKey> keys{{internal.id, key}};
};

} // namespace

// The camera folders of the storage, and inside them photos and videos only, past hidden
// folders (thumbnails, the bin) and into ordinary ones.
TEST_F(ImportTest, LooksThroughCameraFoldersOnly)
{
    const auto look = viewModel.importScan();
    const QList<CameraFolder> folders = runSync(look->findCameraFolders());
    QStringList paths;
    for (const CameraFolder &found : folders)
        paths.append(found.path);
    EXPECT_EQ(paths, QStringList({"DCIM/Camera", "Pictures/Screenshots", "Movies"}));
    QStringList files;
    for (const ImportCandidate &found : runSync(look->look(folders)))
        files.append(found.path);
    EXPECT_EQ(files, QStringList({"DCIM/Camera/IMG_1.jpg", "DCIM/Camera/IMG_2.jpg", "Pictures/Screenshots/Screen.png",
                                  "Movies/clip.mp4", "DCIM/Camera/Burst/BURST_1.jpg"}));
    EXPECT_EQ(look->progress().foldersDone, 4);
    EXPECT_EQ(look->progress().itemsFound, 5);
}

// The first import copies everything into month folders with the phone's date and records
// it; after a reconnect that renumbered every object, nothing is new but what changed on the
// phone or was added, and a file copied by hand before counts as there.
TEST_F(ImportTest, SecondImportCopiesOnlyWhatIsNew)
{
    const ImportPlan first = decide(scan());
    ASSERT_EQ(first.items.size(), 5);
    EXPECT_EQ(first.alreadyImported, 0);
    const QList<ImportedCopy> copies = runSync(viewModel.importFiles(first, keys, store));
    ASSERT_EQ(copies.size(), 5);
    const DownloadRequest &request = engine->downloadRequests.first();
    EXPECT_EQ(request.localFolder, destination.path() + "/2024/2024-06");
    EXPECT_EQ(request.modifiedAt, june);
    EXPECT_FALSE(request.replacesExisting);
    EXPECT_EQ(engine->downloadRequests.at(2).localFolder, destination.path()) << "an undated file is not filed by month";
    EXPECT_TRUE(QFileInfo(destination.path() + "/2024/2024-06").isDir());

    // Reconnected: new ids. One photo edited (size), one re-dated, one added, one copied by hand.
    engine->entriesByParentID["10"] = {file("900", "IMG_1.jpg", 1000), file("901", "IMG_2.jpg", 2100),
                                       file("902", "IMG_3.jpg", 3000), file("903", "IMG_4.jpg", 4000),
                                       folder("904", "Burst")};
    engine->entriesByParentID["904"] = {file("905", "BURST_1.jpg", 500, june.addDays(1))};
    write(destination.path() + "/2024/2024-06/IMG_4.jpg", 4000);
    const ImportPlan second = decide(scan());
    QStringList names;
    for (const ImportItem &item : second.items)
        names.append(item.file.entry.name);
    names.sort();
    EXPECT_EQ(names, QStringList({"BURST_1.jpg", "IMG_2.jpg", "IMG_3.jpg"}));
    EXPECT_EQ(second.alreadyImported, 4);
}

// Only files whose copy is whole on the computer are deleted, each named as listed; what was
// deleted is recorded; a phone pulled out midway keeps the rest and says so.
TEST_F(ImportTest, FreeingThePhoneDeletesOnlySafeCopies)
{
    const QList<ImportedCopy> copies = runSync(viewModel.importFiles(decide(scan()), keys, store));
    ASSERT_EQ(copies.size(), 5);
    // The fake engine writes nothing: the copies are made here, one short and one missing.
    write(copies.at(0).localPath, 1000);
    write(copies.at(1).localPath, 1999);
    write(copies.at(3).localPath, 9000);
    write(copies.at(4).localPath, 500);
    auto calls = std::make_shared<int>(0);
    engine->beforeDelete = [this, calls]() -> QCoro::Task<> {
        if (++*calls == 3)
            engine->deleteError = TransferError::disconnected();
        co_return;
    };
    const auto cleanup = viewModel.importCleanup(copies, keys, store);
    const CleanupEnd end = runSync(cleanup->run());
    ASSERT_EQ(engine->deleteRequests.size(), 2);
    EXPECT_EQ(engine->deleteRequests.at(0), (ObjectRequest{pixel.id, internal.id, "100", "IMG_1.jpg", 1000}));
    EXPECT_EQ(end.deleted, 2);
    EXPECT_EQ(end.copyNotSafe, 2);
    EXPECT_TRUE(end.phoneGone);
    EXPECT_EQ(end.notReached, 1);
    EXPECT_EQ(sentences::cleanupEnded(end),
              "The phone was disconnected after deleting 2 files; the rest stay on the phone. Kept on the phone: 2 whose "
              "copy on the computer is missing or not whole.");
    // A photo the phone lists as empty may still be being written: an empty copy never frees it.
    const QString empty = QFileInfo(copies.at(0).localPath).absolutePath() + "/empty.jpg";
    write(empty, 0);
    EXPECT_FALSE(copyIsSafe(empty, 0));
}

// A record that cannot be opened still lets the import run: everything counts as new, the
// copies are made, and the end says this import cannot be remembered.
TEST_F(ImportTest, UnwritableRecordStillImports)
{
    // A file where the record's folder should be: nothing can be opened or made there.
    write(data.path() + "/taken", 1);
    store = std::make_shared<ImportStore>(data.path() + "/taken");
    const ImportPlan plan = decide(scan());
    EXPECT_EQ(plan.items.size(), 5);
    runSync(viewModel.importFiles(plan, keys, store));
    EXPECT_EQ(engine->downloadRequests.size(), 5);
    EXPECT_TRUE(viewModel.statusMessage().contains("This import cannot be remembered"))
        << viewModel.statusMessage().toStdString();
}

// Files downloaded from the browser are remembered with their path on the phone, a folder's
// contents with theirs, so the next import copies only the rest; a file from elsewhere than
// the folder shown is copied but not recorded under a path it does not have.
TEST_F(ImportTest, DownloadedFilesAreNotImportedAgain)
{
    viewModel.setStore(store);
    ASSERT_TRUE(QDir().mkpath(destination.path() + "/Browsed") && QDir().mkpath(destination.path() + "/Other"));
    runSync(viewModel.openFolder(folder("1", "DCIM")));
    runSync(viewModel.openFolder(folder("10", "Camera")));
    runSync(viewModel.downloadItems({file("100", "IMG_1.jpg", 1000), folder("103", "Burst")},
                                    QUrl::fromLocalFile(destination.path() + "/Browsed")));
    runSync(viewModel.downloadItems({file("30", "clip.mp4", 9000)}, QUrl::fromLocalFile(destination.path() + "/Other")));
    ASSERT_EQ(engine->downloadRequests.size(), 3);
    const ImportPlan plan = decide(scan());
    QStringList names;
    for (const ImportItem &item : plan.items)
        names.append(item.file.entry.name);
    names.sort();
    EXPECT_EQ(names, QStringList({"IMG_2.jpg", "Screen.png", "clip.mp4"}));
    EXPECT_EQ(plan.alreadyImported, 2);
}
