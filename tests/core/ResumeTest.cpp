// Batches that survive: a download cut by an unplug is written down in the journal on a real
// SQLite file, offered again when its phone's storage is shown, and resumed.

#include "TarvelCore/ImportPlan.h"
#include "TarvelCore/ImportStore.h"
#include "TarvelCore/Sentences.h"
#include "TarvelCore/TarvelViewModel.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace tarvel;
using tarvel::test::runSync;

namespace {

RemoteEntry folder(QString id, QString name) { return {.id = id, .name = name, .kind = RemoteEntryKind::folder}; }
RemoteEntry file(QString id, QString name, qint64 size) { return {.id = id, .name = name, .kind = RemoteEntryKind::file, .sizeBytes = size}; }

const AndroidDevice pixel{.id = "mtp-1-2-18d1-4ee1", .name = "Pixel 8", .vendorID = 0x18d1, .productID = 0x4ee1,
                          .serialNumber = "PX8-0042"};
const AndroidStorage internal{"65537", "Internal shared storage", 64'000'000'000, 10'000'000'000};

// A phone with its storage; the test gives it its folders.
std::shared_ptr<FakeAndroidFileTransferEngine> phoneEngine()
{
    auto engine = std::make_shared<FakeAndroidFileTransferEngine>();
    engine->devicesToReturn = {pixel};
    engine->storagesToReturn = {internal};
    return engine;
}

// The view model as the window has it at start: the phone found and its storage shown.
void showPhone(TarvelViewModel &vm, const std::shared_ptr<ImportStore> &store)
{
    vm.setStore(store);
    runSync(vm.refreshDevices());
    runSync(vm.loadSelectedDeviceStorage());
}

// The journal answers from its own thread.
bool offered(const TarvelViewModel &vm, bool expected = true)
{
    const QDeadlineTimer deadline(expected ? 5000 : 500);
    while (vm.resumeOffer().isEmpty() == expected && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return !vm.resumeOffer().isEmpty();
}

} // namespace

// A batch cut after its first file is offered at the next start with what it has left, and
// resumes by the files' paths (the phone numbered its objects anew): the file done is never
// copied again, and one that changed on the phone meanwhile is named with why. A batch that
// ended is offered no more; Dismiss forgets one.
TEST(ResumeTest, CutDownloadResumesOnlyWhatIsLeft)
{
    QTemporaryDir computer, data;
    auto store = std::make_shared<ImportStore>(data.path());
    auto engine = phoneEngine();
    engine->entriesByParentID = {
        {"", {folder("10", "DCIM"), file("40", "photo.jpg", 2'000'000)}},
        {"10", {file("41", "a.jpg", 1'000'000), file("42", "b.jpg", 3'000'000)}},
    };
    {
        TarvelViewModel vm{engine};
        showPhone(vm, store);
        auto calls = std::make_shared<int>(0);
        engine->beforeDownload = [engine, calls]() -> QCoro::Task<> {
            if (++*calls == 2)
                engine->downloadError = TransferError::disconnected();
            co_return;
        };
        runSync(vm.downloadItems(engine->entriesByParentID.value(""), QUrl::fromLocalFile(computer.path())));
        ASSERT_EQ(engine->downloadRequests.size(), 1);
    }
    engine->beforeDownload = {};
    engine->downloadError.reset();
    engine->downloadRequests.clear();
    engine->entriesByParentID = {
        {"", {folder("70", "DCIM"), file("80", "photo.jpg", 2'000'000)}},
        {"70", {file("81", "a.jpg", 1'000'000), file("82", "b.jpg", 3'000'999)}},
    };

    TarvelViewModel vm{engine};
    showPhone(vm, store);
    ASSERT_TRUE(offered(vm));
    EXPECT_EQ(vm.resumeOffer(), "Resume: 2 of 3 files left (4 MB) to " + sentences::placeOnComputer(computer.path()));
    runSync(vm.resumeBatch());
    ASSERT_EQ(engine->downloadRequests.size(), 1);
    const DownloadRequest &resumed = engine->downloadRequests.first();
    EXPECT_EQ(resumed.remoteFileID, "81");
    EXPECT_EQ(QDir(resumed.localFolder).filePath(resumed.localName), QDir(computer.path()).filePath("DCIM/a.jpg"));
    EXPECT_FALSE(resumed.replacesExisting);
    EXPECT_TRUE(vm.statusMessage().contains("b.jpg: it changed on the phone since the copy began")) << vm.statusMessage().toStdString();
    EXPECT_FALSE(offered(vm, false));

    // Cut again, then dismissed: not offered at the next start.
    engine->downloadError = TransferError::disconnected();
    runSync(vm.downloadItems(engine->entriesByParentID.value(""), QUrl::fromLocalFile(computer.path())));
    ASSERT_TRUE(offered(vm));
    vm.dismissResume();
    TarvelViewModel next{engine};
    showPhone(next, store);
    EXPECT_FALSE(offered(next, false));
}

// A phone that fails two files in a row, reopened between them, is not tried with every file
// left: the batch stops there in one sentence, both files wait for Resume, and no protocol
// code stands alone on screen. A file found whole where it goes is not copied again.
TEST(ResumeTest, PhoneThatStopsAnsweringStopsTheBatchAsResumable)
{
    QTemporaryDir computer, data;
    auto store = std::make_shared<ImportStore>(data.path());
    auto engine = phoneEngine();
    QList<RemoteEntry> files;
    for (int n = 0; n < 5; ++n)
        files.append(file(QString::number(40 + n), QString("IMG_%1.jpg").arg(n), 1'000'000));
    engine->entriesByParentID = {{"", files}};
    TarvelViewModel vm{engine};
    showPhone(vm, store);
    auto calls = std::make_shared<int>(0);
    engine->beforeDownload = [engine, calls]() -> QCoro::Task<> {
        if (++*calls == 2)
            engine->downloadError = TransferError::deviceRefused("Error 02ff: PTP I/O Error");
        co_return;
    };
    runSync(vm.downloadItems(files, QUrl::fromLocalFile(computer.path())));
    EXPECT_EQ(*calls, 3);
    EXPECT_EQ(vm.state(), TarvelConnectionState::transferFailed);
    EXPECT_EQ(vm.statusMessage(),
              "The phone stopped answering after 1 of 5 files. Unplug it, plug it in again, then choose Resume.");
    ASSERT_TRUE(offered(vm));
    EXPECT_TRUE(vm.resumeOffer().startsWith("Resume: 4 of 5 files left"));

    // One landed whole just before a quit that kept its end from being written down.
    QFile landed(QDir(computer.path()).filePath("IMG_3.jpg"));
    ASSERT_TRUE(landed.open(QIODevice::WriteOnly) && landed.resize(1'000'000));
    landed.close();
    engine->beforeDownload = {};
    engine->downloadError.reset();
    engine->downloadRequests.clear();
    runSync(vm.resumeBatch());
    EXPECT_EQ(engine->downloadRequests.size(), 3);
    EXPECT_EQ(vm.state(), TarvelConnectionState::ready);
}

// An import that spans the phone's storage and its card is written down as one batch,
// offered where its first file is, and resumes on both, each copy remembered under its own
// storage and offered for freeing the phone by the ids it has now.
TEST(ResumeTest, ImportAcrossTwoStoragesResumesOnBoth)
{
    QTemporaryDir computer, data;
    auto store = std::make_shared<ImportStore>(data.path());
    auto engine = phoneEngine();
    const AndroidStorage card{"131073", "SD card", 32'000'000'000, 1'000'000'000};
    engine->storagesToReturn = {internal, card};
    QHash<QString, PhoneKey> keys;
    for (const AndroidStorage &storage : {internal, card})
        keys.insert(storage.id, PhoneKey::of(*pixel.serialNumber, pixel.name, storage.id, storage.name));
    ImportPlan plan{.destination = computer.path()};
    plan.items = {{.file = {.storageID = internal.id, .path = "DCIM/a.jpg", .entry = file("41", "a.jpg", 1000)}},
                  {.file = {.storageID = card.id, .path = "DCIM/b.jpg", .entry = file("51", "b.jpg", 2000)}}};
    {
        TarvelViewModel vm{engine};
        showPhone(vm, store);
        engine->downloadError = TransferError::disconnected();
        runSync(vm.importFiles(plan, keys, store));
    }
    engine->downloadError.reset();
    engine->downloadRequests.clear();
    engine->entriesByParentID = {{"", {folder("70", "DCIM")}}, {"70", {file("81", "a.jpg", 1000)}},
                                 {card.id, {folder("90", "DCIM")}}, {"90", {file("91", "b.jpg", 2000)}}};

    TarvelViewModel vm{engine};
    showPhone(vm, store);
    ASSERT_TRUE(offered(vm));
    EXPECT_TRUE(vm.resumeOffer().startsWith("Resume: 2 of 2 files left")) << vm.resumeOffer().toStdString();
    QSignalSpy resumed(&vm, &TarvelViewModel::importResumed);
    runSync(vm.resumeBatch());
    ASSERT_EQ(resumed.size(), 1);
    const auto copies = resumed.first().at(0).value<QList<ImportedCopy>>();
    ASSERT_EQ(copies.size(), 2);
    EXPECT_EQ(copies.at(1).file.storageID, card.id);
    EXPECT_EQ(copies.at(1).file.entry.id, "91");
    EXPECT_EQ((resumed.first().at(1).value<QHash<QString, PhoneKey>>()), keys);
    ASSERT_EQ(engine->downloadRequests.size(), 2);
    EXPECT_EQ(engine->downloadRequests.at(0).remoteFileID, "81");
    EXPECT_EQ(engine->downloadRequests.at(1).remoteFileID, "91");
    const QList<ImportedFiles> recorded = runSync(store->importedFiles({keys.value(internal.id), keys.value(card.id)}));
    ASSERT_EQ(recorded.size(), 2);
    EXPECT_TRUE(recorded.at(0).byPath.contains("DCIM/a.jpg") && recorded.at(1).byPath.contains("DCIM/b.jpg"));
}

// A download of a folder and an upload that wait behind another are looked through and in
// the journal before their turn: a quit while they wait leaves them offered at the next
// start, whole, after the one the quit cut.
TEST(ResumeTest, QueuedBatchesSurviveAQuit)
{
    QTemporaryDir computer, data;
    QFile local(computer.filePath("b.jpg"));
    ASSERT_TRUE(local.open(QIODevice::WriteOnly) && local.resize(20));
    auto store = std::make_shared<ImportStore>(data.path());
    auto engine = phoneEngine();
    engine->entriesByParentID = {{"", {file("40", "photo.jpg", 2'000'000), folder("50", "Trip")}},
                                 {"50", {file("41", "a.jpg", 1'000'000)}}};
    const QDateTime taken = QDateTime::fromSecsSinceEpoch(1718000000, Qt::UTC);
    engine->entriesByParentID[""][0].modifiedAt = taken;
    test::Gate running;
    std::optional<QCoro::Task<>> first;
    {
        TarvelViewModel vm{engine};
        showPhone(vm, store);
        engine->beforeDownload = running.hook();
        first = vm.download("40", "photo.jpg", QUrl::fromLocalFile(computer.filePath("photo.jpg")));
        ASSERT_TRUE(running.waitEntered());
        runSync(vm.downloadItems({engine->entriesByParentID.value("").at(1)}, QUrl::fromLocalFile(computer.path())));
        runSync(vm.uploadItems({QUrl::fromLocalFile(local.fileName())}, std::nullopt));
        ASSERT_EQ(vm.queuedTransfers().size(), 2);
        EXPECT_EQ(vm.queuedTransfers().at(0).sizeBytes, 1'000'000);
    }
    running.open();
    runSync(std::move(*first));
    EXPECT_EQ(engine->downloadRequests.first().modifiedAt, taken); // the one file saved as, too
    engine->beforeDownload = {};
    engine->downloadRequests.clear();

    // The one cut by the quit comes back first, then those that waited, each whole.
    TarvelViewModel vm{engine};
    showPhone(vm, store);
    for (const char *left : {"(2 MB)", "(1 MB)", "(1 KB)"}) {
        ASSERT_TRUE(offered(vm));
        EXPECT_TRUE(vm.resumeOffer().contains(QString("1 of 1 file left ") + left)) << vm.resumeOffer().toStdString();
        runSync(vm.resumeBatch());
    }
    ASSERT_EQ(engine->downloadRequests.size(), 2);
    DownloadRequest expected = test::downloadTo(pixel.id, "41", computer.filePath("Trip/a.jpg"), false);
    expected.partTag = engine->downloadRequests.at(1).partTag; // the batch's own
    EXPECT_EQ(engine->downloadRequests.at(1), expected);
    ASSERT_EQ(engine->uploadRequests.size(), 1);
    EXPECT_EQ(engine->uploadRequests.first().remoteName, "b.jpg");
}

// An upload cut in the middle of a file is offered again; Resume removes the object the cut
// left at the name it chose, with that file's size, sends that file again under its name,
// and sends those not yet begun beside a file of their name that was there before, never
// over it, removing it or taking each other's name.
TEST(ResumeTest, CutUploadRemovesItsHalfSentObjectAndSendsTheRest)
{
    QTemporaryDir computer, data;
    ASSERT_TRUE(QDir(computer.path()).mkdir("other"));
    for (const auto &[name, size] : {std::pair{"a.jpg", 10}, {"b.jpg", 20}, {"c.jpg", 30}, {"other/c.jpg", 40}}) {
        QFile local(QDir(computer.path()).filePath(name));
        ASSERT_TRUE(local.open(QIODevice::WriteOnly) && local.resize(size));
    }
    auto store = std::make_shared<ImportStore>(data.path());
    auto engine = phoneEngine();
    engine->entriesByParentID = {{"", {folder("10", "DCIM")}}, {"10", {file("11", "c.jpg", 5)}}};
    {
        TarvelViewModel vm{engine};
        showPhone(vm, store);
        auto calls = std::make_shared<int>(0);
        engine->beforeUpload = [engine, calls]() -> QCoro::Task<> {
            if (++*calls == 2)
                engine->uploadError = TransferError::disconnected();
            co_return;
        };
        const QStringList names{"a.jpg", "b.jpg", "c.jpg", "other/c.jpg"};
        QList<QUrl> items;
        for (const QString &name : names)
            items.append(QUrl::fromLocalFile(QDir(computer.path()).filePath(name)));
        runSync(vm.uploadItems(items, QString("10")));
        ASSERT_EQ(engine->uploadRequests.size(), 1);
    }
    engine->beforeUpload = {};
    engine->uploadError.reset();
    engine->uploadRequests.clear();
    // Numbered anew, with a.jpg whole and b.jpg half-sent at its full size.
    engine->entriesByParentID = {{"", {folder("70", "DCIM")}},
                                 {"70", {file("71", "c.jpg", 5), file("72", "a.jpg", 10), file("73", "b.jpg", 20)}}};

    // A phone that refuses at first keeps it written down; the next connection removes it
    // before anything is resumed.
    engine->deleteError = TransferError::deviceRefused("Error 02ff: PTP I/O Error");
    {
        TarvelViewModel refused{engine};
        showPhone(refused, store);
        ASSERT_TRUE(offered(refused));
    }
    engine->deleteError.reset();
    TarvelViewModel vm{engine};
    showPhone(vm, store);
    ASSERT_TRUE(offered(vm));
    ASSERT_EQ(engine->deleteRequests.size(), 1);
    EXPECT_EQ(vm.resumeOffer(), sentences::resumeOffer(3, 4, 90, "DCIM"));
    runSync(vm.resumeBatch());
    ASSERT_EQ(engine->deleteRequests.size(), 1);
    EXPECT_EQ(engine->deleteRequests.first().objectID, "73");
    ASSERT_EQ(engine->uploadRequests.size(), 3);
    EXPECT_EQ(engine->uploadRequests.at(0).remoteName, "b.jpg");
    EXPECT_EQ(engine->uploadRequests.at(1).remoteName, "c (2).jpg");
    EXPECT_EQ(engine->uploadRequests.at(2).remoteName, "c (3).jpg");
    EXPECT_EQ(engine->uploadRequests.at(1).remoteParentID, "70");
    EXPECT_EQ(vm.state(), TarvelConnectionState::ready) << vm.statusMessage().toStdString();
}
