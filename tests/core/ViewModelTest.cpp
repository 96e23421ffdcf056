#include "TarvelCore/TarvelViewModel.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>

#include <stdexcept>

using namespace tarvel;
using tarvel::test::Gate;
using tarvel::test::runSync;
using State = TarvelConnectionState;

namespace {

const QString connectSentence =
    "Connect an Android device with a data-capable USB cable, unlock it, choose USB File transfer, then press Refresh. "
    "If it still does not appear, try another cable or USB port.";
const QString unlockSentence = "Unlock the phone and allow file transfer access.";
const QString genericSentence = "The phone could not be accessed. Check the cable and try again.";
const QString permissionSentence =
    "This account may not use the phone's USB connection. Sign in at the computer itself, or add a udev rule "
    "for the phone, then plug it in again.";

const AndroidDevice pixel{"mtp-1-2-18d1-4ee1", "Pixel 8", 0x18d1, 0x4ee1};
const AndroidDevice galaxy{"mtp-1-3-04e8-6860", "Galaxy", 0x04e8, 0x6860};
const AndroidStorage internal{"65537", "Internal shared storage", 64'000'000'000, 10'000'000'000};
const AndroidStorage card{"131073", "SD card", std::nullopt, std::nullopt};

RemoteEntry folder(QString id, QString name, std::optional<QString> parent = std::nullopt)
{
    return {.id = id, .name = name, .parentID = parent, .kind = RemoteEntryKind::folder};
}
RemoteEntry file(QString id, QString name, std::optional<qint64> size = std::nullopt)
{
    return {.id = id, .name = name, .kind = RemoteEntryKind::file, .sizeBytes = size};
}

const RemoteEntry dcim = folder("10", "DCIM");
const RemoteEntry camera = folder("11", "Camera", "10");
const RemoteEntry raw = folder("12", "Raw", "11");
const RemoteEntry documents = folder("20", "Documents");
const RemoteEntry music = folder("30", "Music");
const RemoteEntry photo = file("40", "photo.jpg", 2'000'000);

QUrl local(const QString &name) { return QUrl::fromLocalFile("/home/user/" + name); }

class ViewModelTest : public ::testing::Test {
protected:
    ViewModelTest()
    {
        engine->devicesToReturn = {pixel, galaxy};
        engine->storagesToReturn = {internal, card};
        engine->entriesByParentID = {
            {"", {dcim, documents, music, photo}},
            {"10", {camera}},
            {"11", {raw, file("41", "IMG_1.jpg")}},
            {"12", {file("42", "IMG_1.dng")}},
            {"20", {file("43", "cv.pdf")}},
            {"30", {}},
        };
    }

    // What the window does at start: scan, then open the first storage's root.
    void connect()
    {
        runSync(vm.refreshDevices());
        runSync(vm.loadSelectedDeviceStorage());
    }

    void expectStatus(State state, const QString &message)
    {
        EXPECT_EQ(vm.state(), state);
        EXPECT_EQ(vm.statusMessage(), message);
    }

    // Opens DCIM and downloads photo.jpg, both held open at their gates.
    void holdAListingAndADownload()
    {
        engine->beforeDirectoryListing = listing.hook();
        engine->beforeDownload = transfer.hook();
        opening = vm.openFolder(dcim);
        downloading = vm.download("40", "photo.jpg", local("copy.jpg"));
        ASSERT_TRUE(listing.waitEntered());
        ASSERT_TRUE(transfer.waitEntered());
    }

    std::shared_ptr<FakeAndroidFileTransferEngine> engine = std::make_shared<FakeAndroidFileTransferEngine>();
    TarvelViewModel vm{engine};
    Gate listing, transfer;
    QCoro::Task<> opening, downloading;
};


} // namespace

TEST_F(ViewModelTest, StartsWithNoDeviceAndTheConnectSentence)
{
    expectStatus(State::noDevice, connectSentence);
    EXPECT_TRUE(vm.devices().isEmpty());
    EXPECT_FALSE(vm.selectedDevice());
    EXPECT_TRUE(vm.storages().isEmpty());
    EXPECT_FALSE(vm.selectedStorage());
    EXPECT_TRUE(vm.entries().isEmpty());
    EXPECT_FALSE(vm.currentParentID());
    EXPECT_TRUE(vm.folderPath().isEmpty());
    EXPECT_FALSE(vm.currentTransfer());
    EXPECT_FALSE(vm.canNavigateUp());
}

// The refresh rows of the transition table.
TEST_F(ViewModelTest, RefreshSelectsTheFirstDeviceOrReportsWhyNot)
{
    runSync(vm.refreshDevices());
    EXPECT_EQ(vm.devices(), (QList{pixel, galaxy}));
    EXPECT_EQ(vm.selectedDevice(), pixel);
    expectStatus(State::ready, "Pixel 8 is ready.");

    engine->devicesToReturn = {};
    runSync(vm.refreshDevices());
    EXPECT_TRUE(vm.devices().isEmpty());
    EXPECT_FALSE(vm.selectedDevice());
    expectStatus(State::noDevice, connectSentence);

    engine->scanError = TransferError::unsupportedUSBMode();
    runSync(vm.refreshDevices());
    expectStatus(State::deviceUnavailable, "On your phone, change USB mode to File transfer.");

    engine->scanError = TransferError::nativeError("MTP device scan failed");
    runSync(vm.refreshDevices());
    expectStatus(State::deviceUnavailable, "MTP device scan failed");

    runSync(vm.loadSelectedDeviceStorage());
    expectStatus(State::noDevice, connectSentence);
    EXPECT_TRUE(engine->directoryRequests.isEmpty());
}

TEST_F(ViewModelTest, StorageLoadShowsTheFirstStoragesRoot)
{
    connect();
    EXPECT_EQ(vm.storages(), (QList{internal, card}));
    EXPECT_EQ(vm.selectedStorage(), internal);
    EXPECT_EQ(vm.entries(), (QList{dcim, documents, music, photo}));
    EXPECT_FALSE(vm.currentParentID());
    EXPECT_TRUE(vm.folderPath().isEmpty());
    expectStatus(State::ready, "Showing Internal shared storage.");
    EXPECT_EQ(engine->directoryRequests, (QList{DirectoryRequest{pixel.id, internal.id, std::nullopt}}));

    // Every storage load starts again at the root, wherever the user was.
    runSync(vm.openFolder(dcim));
    runSync(vm.loadSelectedDeviceStorage());
    EXPECT_TRUE(vm.folderPath().isEmpty());
    expectStatus(State::ready, "Showing Internal shared storage.");
}

TEST_F(ViewModelTest, StorageLoadFailuresEmptyTheBrowsingState)
{
    connect();
    engine->storagesToReturn = {};
    runSync(vm.loadSelectedDeviceStorage());
    EXPECT_TRUE(vm.storages().isEmpty());
    EXPECT_FALSE(vm.selectedStorage());
    EXPECT_TRUE(vm.entries().isEmpty());
    expectStatus(State::deviceUnavailable, unlockSentence);

    // A current root listing that fails never reads "Could not open": it empties and shows the error.
    engine->storagesToReturn = {internal};
    runSync(vm.loadSelectedDeviceStorage());
    engine->directoryError = TransferError::nativeError("MTP device is not connected or not available");
    runSync(vm.loadSelectedDeviceStorage());
    EXPECT_TRUE(vm.storages().isEmpty());
    EXPECT_FALSE(vm.selectedStorage());
    EXPECT_TRUE(vm.entries().isEmpty());
    expectStatus(State::transferFailed, "MTP device is not connected or not available");
}

// Every listing shows loadingDirectory while it runs and keeps the old listing until
// the new one arrives.
TEST_F(ViewModelTest, ListingsShowLoadingAndKeepTheOldListingMeanwhile)
{
    connect();
    const QString before = vm.statusMessage();
    Gate gate;
    engine->beforeDirectoryListing = gate.hook();
    auto opening = vm.openFolder(dcim);
    ASSERT_TRUE(gate.waitEntered());
    expectStatus(State::loadingDirectory, before);
    EXPECT_EQ(vm.entries(), (QList{dcim, documents, music, photo}));
    gate.open();
    runSync(std::move(opening));
    EXPECT_EQ(vm.entries(), QList{camera});
    EXPECT_EQ(vm.currentParentID(), "10");
    EXPECT_EQ(vm.folderPath(), QList{dcim});
    EXPECT_TRUE(vm.canNavigateUp());
    expectStatus(State::ready, "Showing DCIM.");
}

TEST_F(ViewModelTest, NavigationWalksThePath)
{
    connect();
    runSync(vm.openFolder(dcim));
    runSync(vm.openFolder(camera));
    runSync(vm.openFolder(raw));
    EXPECT_EQ(vm.folderPath(), (QList{dcim, camera, raw}));

    // Files, and folders without a storage, are not opened at all.
    const int requests = engine->directoryRequests.size();
    runSync(vm.openFolder(photo));
    EXPECT_EQ(engine->directoryRequests.size(), requests);

    runSync(vm.navigateUp());
    EXPECT_EQ(engine->directoryRequests.last().parentID, "11");
    EXPECT_EQ(vm.folderPath(), (QList{dcim, camera}));
    expectStatus(State::ready, "Showing Camera.");

    runSync(vm.navigateUp());
    runSync(vm.navigateUp());
    EXPECT_EQ(engine->directoryRequests.last().parentID, std::nullopt);
    EXPECT_TRUE(vm.folderPath().isEmpty());
    EXPECT_FALSE(vm.currentParentID());
    expectStatus(State::ready, "Showing Internal shared storage.");

    const int atRoot = engine->directoryRequests.size();
    runSync(vm.navigateUp());
    EXPECT_EQ(engine->directoryRequests.size(), atRoot);
}

TEST_F(ViewModelTest, NavigationWithoutStorageChangesNothing)
{
    runSync(vm.refreshDevices());
    QSignalSpy stateSpy(&vm, &TarvelViewModel::stateChanged);
    runSync(vm.openFolder(dcim));
    runSync(vm.loadCurrentDirectory());
    EXPECT_EQ(stateSpy.count(), 0);
    EXPECT_TRUE(engine->directoryRequests.isEmpty());
}

// A failed navigation keeps the folder on screen and says so; with nothing on screen it
// shows the error's sentence instead.
TEST_F(ViewModelTest, NavigationFailuresKeepTheShownFolder)
{
    connect();
    runSync(vm.openFolder(documents));
    engine->directoryError = TransferError::nativeError("PTP I/O Error");
    runSync(vm.openFolder(music));
    expectStatus(State::ready, "Could not open Music. Still showing Documents.");
    EXPECT_EQ(vm.entries(), (QList{file("43", "cv.pdf")}));
    EXPECT_EQ(vm.currentParentID(), "20");
    EXPECT_EQ(vm.folderPath(), QList{documents});

    runSync(vm.loadCurrentDirectory());
    expectStatus(State::ready, "Could not open Documents. Still showing Documents.");

    runSync(vm.navigateUp());
    expectStatus(State::ready, "Could not open Internal shared storage. Still showing Documents.");

    engine->directoryError.reset();
    runSync(vm.openFolder(music)); // an empty folder
    engine->directoryError = TransferError::readFailed();
    runSync(vm.openFolder(documents));
    expectStatus(State::transferFailed, "The file could not be copied. Check the cable and try again.");
    EXPECT_EQ(vm.folderPath(), (QList{documents, music}));
}

TEST_F(ViewModelTest, OpeningBAfterAShowsOnlyB)
{
    connect();
    for (const bool releaseAFirst : {false, true}) {
        runSync(vm.loadSelectedDeviceStorage());
        Gate gateA, gateB;
        engine->beforeDirectoryListing = gateA.hook();
        auto openA = vm.openFolder(dcim);
        ASSERT_TRUE(gateA.waitEntered());
        engine->beforeDirectoryListing = gateB.hook();
        auto openB = vm.openFolder(documents);
        ASSERT_TRUE(gateB.waitEntered());
        engine->beforeDirectoryListing = {};
        if (releaseAFirst) {
            gateA.open();
            runSync(std::move(openA));
            expectStatus(State::loadingDirectory, "Showing Internal shared storage.");
            EXPECT_TRUE(vm.folderPath().isEmpty());
        }
        gateB.open();
        runSync(std::move(openB));
        if (!releaseAFirst) {
            EXPECT_EQ(vm.folderPath(), QList{documents});
            gateA.open();
            runSync(std::move(openA));
        }
        EXPECT_EQ(vm.folderPath(), QList{documents}) << releaseAFirst;
        expectStatus(State::ready, "Showing Documents.");
    }
}

TEST_F(ViewModelTest, SecondStorageLoadWinsOverTheFirst)
{
    runSync(vm.refreshDevices());
    Gate first;
    engine->beforeDirectoryListing = first.hook();
    auto loadA = vm.loadSelectedDeviceStorage();
    ASSERT_TRUE(first.waitEntered());
    engine->beforeDirectoryListing = {};
    engine->storagesToReturn = {card};
    engine->entriesByParentID[""] = {music};
    runSync(vm.loadSelectedDeviceStorage());
    EXPECT_EQ(vm.selectedStorage(), card);

    // The first load's root listing now fails late: it must not wipe the newer listing.
    engine->directoryError = TransferError::nativeError("PTP I/O Error");
    first.open();
    runSync(std::move(loadA));
    EXPECT_EQ(vm.storages(), QList{card});
    EXPECT_EQ(vm.selectedStorage(), card);
    EXPECT_EQ(vm.entries(), QList{music});
    expectStatus(State::ready, "Showing SD card.");

    // And uploads still find their storage.
    runSync(vm.upload(local("a.txt"), std::nullopt));
    EXPECT_EQ(engine->uploadRequests.size(), 1);
    expectStatus(State::ready, "Uploaded a.txt.");
}

TEST_F(ViewModelTest, LateSuccessfulStorageLoadIsDropped)
{
    runSync(vm.refreshDevices());
    Gate first;
    engine->beforeDirectoryListing = first.hook();
    auto loadA = vm.loadSelectedDeviceStorage();
    ASSERT_TRUE(first.waitEntered());
    engine->beforeDirectoryListing = {};
    engine->entriesByParentID[""] = {music};
    runSync(vm.loadSelectedDeviceStorage());
    engine->entriesByParentID[""] = {photo};
    first.open();
    runSync(std::move(loadA));
    EXPECT_EQ(vm.entries(), QList{music});
}

TEST_F(ViewModelTest, TransfersReportStartEndAndFailure)
{
    connect();
    Gate gate;
    engine->beforeDownload = gate.hook();
    auto downloading = vm.download("40", "photo.jpg", local("copy.jpg"));
    ASSERT_TRUE(gate.waitEntered());
    expectStatus(State::transferring, "Downloading photo.jpg...");
    ASSERT_TRUE(vm.currentTransfer());
    const TransferJob job = *vm.currentTransfer();
    EXPECT_EQ(job.direction, TransferDirection::download);
    EXPECT_EQ(job.sourceName, "photo.jpg");
    EXPECT_EQ(job.destinationName, "copy.jpg");
    EXPECT_EQ(job.completedBytes, 0);
    EXPECT_FALSE(job.totalBytes);
    EXPECT_FALSE(job.id.isNull());
    gate.open();
    runSync(std::move(downloading));
    EXPECT_FALSE(vm.currentTransfer());
    expectStatus(State::ready, "Downloaded photo.jpg.");
    EXPECT_EQ(engine->downloadRequests, (QList{test::downloadTo(pixel.id, "40", local("copy.jpg").toLocalFile())}));

    engine->beforeDownload = {};
    engine->downloadError = TransferError::nativeError("");
    runSync(vm.download("40", "photo.jpg", local("copy.jpg")));
    expectStatus(State::transferFailed, genericSentence);

    runSync(vm.openFolder(dcim));
    runSync(vm.upload(local("notes.txt"), QString("10")));
    EXPECT_EQ(engine->uploadRequests, (QList{UploadRequest{pixel.id, internal.id, local("notes.txt"), QString("10")}}));
    expectStatus(State::ready, "Uploaded notes.txt.");

    engine->uploadError = TransferError::writeFailed();
    runSync(vm.upload(local("notes.txt"), std::nullopt));
    expectStatus(State::transferFailed, "The file could not be copied. Check the cable and try again.");
    EXPECT_FALSE(vm.currentTransfer());
}

TEST_F(ViewModelTest, UploadNamesTheStorageNotTheFolder)
{
    connect();
    runSync(vm.openFolder(dcim));
    engine->uploadError = TransferError::writeFailed();
    std::optional<TransferJob> seen;
    QObject::connect(&vm, &TarvelViewModel::currentTransferChanged, &vm, [&] {
        if (vm.currentTransfer())
            seen = vm.currentTransfer();
    });
    runSync(vm.upload(local("a b.txt"), QString("10")));
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->direction, TransferDirection::upload);
    EXPECT_EQ(seen->sourceName, "a b.txt");
    EXPECT_EQ(seen->destinationName, "Internal shared storage");
}

TEST_F(ViewModelTest, TransfersWithoutDeviceOrStorageAreRefused)
{
    runSync(vm.download("40", "photo.jpg", local("copy.jpg")));
    expectStatus(State::noDevice, connectSentence);
    runSync(vm.upload(local("a.txt"), std::nullopt));
    expectStatus(State::noDevice, connectSentence);

    // A download needs no storage; an upload does.
    runSync(vm.refreshDevices());
    runSync(vm.download("40", "photo.jpg", local("copy.jpg")));
    expectStatus(State::ready, "Downloaded photo.jpg.");
    runSync(vm.upload(local("a.txt"), std::nullopt));
    expectStatus(State::deviceUnavailable, unlockSentence);
    EXPECT_TRUE(engine->uploadRequests.isEmpty());
}

TEST_F(ViewModelTest, RefusedTransferRemovesAShownTransfer)
{
    connect();
    Gate gate;
    engine->beforeDownload = gate.hook();
    auto running = vm.download("40", "photo.jpg", local("copy.jpg"));
    ASSERT_TRUE(gate.waitEntered());
    engine->devicesToReturn = {pixel};
    engine->storagesToReturn = {};
    runSync(vm.loadSelectedDeviceStorage()); // the storage goes away during the download
    runSync(vm.upload(local("a.txt"), std::nullopt));
    EXPECT_FALSE(vm.currentTransfer());
    expectStatus(State::deviceUnavailable, unlockSentence);
    // The first transfer's end is still shown: no newer transfer started.
    gate.open();
    runSync(std::move(running));
    expectStatus(State::ready, "Downloaded photo.jpg.");
}

TEST_F(ViewModelTest, OnlyTheLastOfTwoDownloadsIsShown)
{
    connect();
    Gate first, second;
    engine->beforeDownload = first.hook();
    auto a = vm.download("40", "photo.jpg", local("a.jpg"));
    ASSERT_TRUE(first.waitEntered());
    engine->beforeDownload = second.hook();
    auto b = vm.download("41", "IMG_1.jpg", local("b.jpg"));
    ASSERT_TRUE(second.waitEntered());
    const TransferJob jobB = *vm.currentTransfer();
    first.open();
    runSync(std::move(a));
    EXPECT_EQ(vm.currentTransfer(), jobB);
    expectStatus(State::transferring, "Downloading IMG_1.jpg...");
    second.open();
    runSync(std::move(b));
    expectStatus(State::ready, "Downloaded IMG_1.jpg.");
}

// Listings during a transfer update the folder but leave the status to the transfer.
TEST_F(ViewModelTest, ListingDuringATransferKeepsTheTransfersStatus)
{
    connect();
    Gate gate;
    engine->beforeDownload = gate.hook();
    auto downloading = vm.download("40", "photo.jpg", local("copy.jpg"));
    ASSERT_TRUE(gate.waitEntered());
    runSync(vm.openFolder(dcim));
    EXPECT_EQ(vm.folderPath(), QList{dcim});
    EXPECT_TRUE(vm.canNavigateUp());
    expectStatus(State::transferring, "Downloading photo.jpg...");
    engine->directoryError = TransferError::readFailed();
    runSync(vm.openFolder(camera));
    expectStatus(State::transferring, "Downloading photo.jpg...");
    engine->storagesToReturn = {};
    runSync(vm.loadSelectedDeviceStorage());
    expectStatus(State::transferring, "Downloading photo.jpg...");
    gate.open();
    runSync(std::move(downloading));
    expectStatus(State::ready, "Downloaded photo.jpg.");
}

// A refresh that finds a different first device drops everything in flight for the old one.
TEST_F(ViewModelTest, RefreshThatChangesTheDeviceDropsLateResults)
{
    connect();
    ASSERT_NO_FATAL_FAILURE(holdAListingAndADownload());

    engine->devicesToReturn = {galaxy, pixel};
    runSync(vm.refreshDevices());
    EXPECT_EQ(vm.selectedDevice(), galaxy);
    EXPECT_FALSE(vm.currentTransfer());
    EXPECT_TRUE(vm.entries().isEmpty());
    EXPECT_FALSE(vm.selectedStorage());
    expectStatus(State::ready, "Galaxy is ready.");

    listing.open();
    transfer.open();
    runSync(std::move(opening));
    runSync(std::move(downloading));
    EXPECT_TRUE(vm.entries().isEmpty());
    EXPECT_TRUE(vm.folderPath().isEmpty());
    expectStatus(State::ready, "Galaxy is ready.");
}

TEST_F(ViewModelTest, RefreshThatKeepsTheDeviceKeepsWorkInFlight)
{
    connect();
    ASSERT_NO_FATAL_FAILURE(holdAListingAndADownload());

    runSync(vm.refreshDevices());
    expectStatus(State::transferring, "Downloading photo.jpg...");
    EXPECT_TRUE(vm.currentTransfer());
    EXPECT_EQ(vm.selectedStorage(), internal);

    listing.open();
    runSync(std::move(opening));
    EXPECT_EQ(vm.folderPath(), QList{dcim});
    transfer.open();
    runSync(std::move(downloading));
    expectStatus(State::ready, "Downloaded photo.jpg.");

    // Idle, the same refresh says the device is ready and leaves the listing on screen.
    runSync(vm.refreshDevices());
    expectStatus(State::ready, "Pixel 8 is ready.");
    EXPECT_EQ(vm.folderPath(), QList{dcim});
}

TEST_F(ViewModelTest, FailedScanAbandonsTheRunningTransfer)
{
    connect();
    Gate gate;
    engine->beforeDownload = gate.hook();
    auto downloading = vm.download("40", "photo.jpg", local("copy.jpg"));
    ASSERT_TRUE(gate.waitEntered());
    engine->scanError = TransferError::nativeError("MTP device scan failed");
    runSync(vm.refreshDevices());
    EXPECT_FALSE(vm.currentTransfer());
    expectStatus(State::deviceUnavailable, "MTP device scan failed");
    gate.open();
    runSync(std::move(downloading));
    expectStatus(State::deviceUnavailable, "MTP device scan failed");
}

// Observers read the new value inside their handler, and every assignment notifies,
// also one that stores an equal value.
TEST_F(ViewModelTest, NotificationsFollowTheStoredValueInOrder)
{
    QStringList order;
    const auto record = [&](const char *name) { return [&order, name] { order << name; }; };
    QObject::connect(&vm, &TarvelViewModel::storagesChanged, &vm, record("storages"));
    QObject::connect(&vm, &TarvelViewModel::selectedStorageChanged, &vm, record("selectedStorage"));
    QObject::connect(&vm, &TarvelViewModel::entriesChanged, &vm, record("entries"));
    QObject::connect(&vm, &TarvelViewModel::currentParentIDChanged, &vm, record("currentParentID"));
    QObject::connect(&vm, &TarvelViewModel::folderPathChanged, &vm, record("folderPath"));
    QObject::connect(&vm, &TarvelViewModel::stateChanged, &vm, record("state"));
    QObject::connect(&vm, &TarvelViewModel::statusMessageChanged, &vm, record("statusMessage"));
    QStringList statuses;
    QObject::connect(&vm, &TarvelViewModel::statusMessageChanged, &vm, [&] { statuses << vm.statusMessage(); });

    runSync(vm.refreshDevices());
    runSync(vm.refreshDevices());
    EXPECT_EQ(statuses, (QStringList{"Pixel 8 is ready.", "Pixel 8 is ready."}));

    order.clear();
    engine->storagesToReturn = {};
    runSync(vm.loadSelectedDeviceStorage());
    EXPECT_EQ(order, (QStringList{"state", "storages", "selectedStorage", "storages", "selectedStorage", "entries",
                                  "currentParentID", "folderPath", "state", "statusMessage"}));
}

TEST(ViewModelMessages, EveryErrorHasItsSentence)
{
    EXPECT_EQ(TarvelViewModel::message(TransferError::noDevice()), connectSentence);
    EXPECT_EQ(TarvelViewModel::message(TransferError::deviceUnavailable()), unlockSentence);
    EXPECT_EQ(TarvelViewModel::message(TransferError::permissionDenied()), permissionSentence);
    EXPECT_EQ(TarvelViewModel::message(TransferError::unsupportedUSBMode()), "On your phone, change USB mode to File transfer.");
    EXPECT_EQ(TarvelViewModel::message(TransferError::readFailed()), "The file could not be copied. Check the cable and try again.");
    EXPECT_EQ(TarvelViewModel::message(TransferError::writeFailed()), "The file could not be copied. Check the cable and try again.");
    EXPECT_EQ(TarvelViewModel::message(TransferError::cancelled()), "The transfer was cancelled.");
    EXPECT_EQ(TarvelViewModel::message(TransferError::nativeError("Could not open MTP device; unlock the phone and choose File transfer")),
              "Could not open MTP device; unlock the phone and choose File transfer");
    EXPECT_EQ(TarvelViewModel::message(TransferError::nativeError("")), genericSentence);
    EXPECT_EQ(TarvelViewModel::message(TransferError::nativeError("   ")), "   ");
    // libmtp's own texts never stand alone.
    EXPECT_EQ(TarvelViewModel::message(TransferError::nativeError("Error 02fe: PTP Data Expected")),
              "The phone reported an error (Error 02fe: PTP Data Expected).");
    EXPECT_EQ(TarvelViewModel::message(TransferError::nativeError("LIBMTP_Get_Storage(): failed.")),
              "The phone reported an error (LIBMTP_Get_Storage(): failed).");
    EXPECT_EQ(TarvelViewModel::message(std::make_exception_ptr(TransferError::cancelled())), "The transfer was cancelled.");
    EXPECT_EQ(TarvelViewModel::message(std::make_exception_ptr(std::runtime_error("disk full"))), genericSentence);
    EXPECT_EQ(TarvelViewModel::message(std::make_exception_ptr(42)), genericSentence);
}

// An operation still waiting on the engine when its view model goes away ends quietly.
TEST(ViewModelLifetime, DestroyedWhileAnOperationWaits)
{
    auto engine = std::make_shared<FakeAndroidFileTransferEngine>(QList{pixel});
    engine->storagesToReturn = {internal};
    auto vm = std::make_unique<TarvelViewModel>(engine);
    runSync(vm->refreshDevices());
    Gate listing, transfer;
    engine->beforeDirectoryListing = listing.hook();
    engine->beforeDownload = transfer.hook();
    auto loading = vm->loadSelectedDeviceStorage();
    auto downloading = vm->download("40", "photo.jpg", local("copy.jpg"));
    ASSERT_TRUE(listing.waitEntered());
    ASSERT_TRUE(transfer.waitEntered());
    vm.reset();
    listing.open();
    transfer.open();
    runSync(std::move(loading));
    runSync(std::move(downloading));
}

// The window must hear of progress at most ten times a second, however often the lane stores it.
TEST_F(ViewModelTest, ProgressReachesTheJobAtMostTenTimesASecond)
{
    connect();
    engine->beforeDownload = transfer.hook();
    auto running = vm.download("40", "photo.jpg", local("Photos/copy.jpg"));
    ASSERT_TRUE(transfer.waitEntered());
    EXPECT_EQ(vm.currentTransfer()->destinationFolderName, "Photos");
    QSignalSpy changes(&vm, &TarvelViewModel::currentTransferChanged);
    QElapsedTimer clock;
    clock.start();
    for (qint64 sent = 0; sent <= 2'000'000; sent += 1000) {
        engine->lastTransferControl->setProgress(sent, 2'000'000);
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(tarvel::test::spinUntil([&] { return vm.currentTransfer()->completedBytes == 2'000'000; }));
    EXPECT_EQ(vm.currentTransfer()->totalBytes, 2'000'000);
    EXPECT_LE(changes.count(), 2 + clock.elapsed() / TarvelViewModel::progressIntervalMs);
    transfer.open();
    runSync(std::move(running));
}

// Cancel stops the transfer, ends ready with the cancelled sentence, and a late cancel does nothing.
TEST_F(ViewModelTest, CancelStopsDownloadsAndUploads)
{
    connect();
    const QString cancelledSentence = "The transfer was cancelled.";
    engine->beforeDownload = transfer.hook();
    auto downloading = vm.download("40", "photo.jpg", local("copy.jpg"));
    ASSERT_TRUE(transfer.waitEntered());
    vm.cancelTransfer();
    EXPECT_TRUE(vm.cancellingTransfer());
    EXPECT_TRUE(engine->lastTransferControl->isCancelled());
    expectStatus(State::transferring, "Downloading photo.jpg...");
    transfer.open();
    runSync(std::move(downloading));
    expectStatus(State::ready, cancelledSentence);
    EXPECT_FALSE(vm.cancellingTransfer());
    EXPECT_FALSE(vm.currentTransfer());
    EXPECT_TRUE(engine->downloadRequests.isEmpty());

    Gate uploadGate;
    engine->beforeUpload = uploadGate.hook();
    auto uploading = vm.upload(local("a.txt"), std::nullopt);
    ASSERT_TRUE(uploadGate.waitEntered());
    vm.cancelTransfer();
    uploadGate.open();
    runSync(std::move(uploading));
    expectStatus(State::ready, cancelledSentence);
    EXPECT_TRUE(engine->uploadRequests.isEmpty());

    engine->beforeUpload = {};
    runSync(vm.upload(local("a.txt"), std::nullopt));
    QSignalSpy anything(&vm, &TarvelViewModel::stateChanged);
    vm.cancelTransfer();
    EXPECT_EQ(anything.count(), 0);
    expectStatus(State::ready, "Uploaded a.txt.");
}

// A refresh that moves to another phone stops the old transfer instead of only hiding it.
TEST_F(ViewModelTest, RefreshToAnotherPhoneStopsTheRunningTransfer)
{
    connect();
    engine->beforeDownload = transfer.hook();
    auto running = vm.download("40", "photo.jpg", local("copy.jpg"));
    ASSERT_TRUE(transfer.waitEntered());
    const auto control = engine->lastTransferControl;
    engine->devicesToReturn = {galaxy};
    runSync(vm.refreshDevices());
    EXPECT_TRUE(control->isCancelled());
    EXPECT_FALSE(vm.currentTransfer());
    transfer.open();
    runSync(std::move(running));
    expectStatus(State::ready, "Galaxy is ready.");
}

// Failures say what happened in a sentence of ours, never only a protocol code.
TEST_F(ViewModelTest, TransferFailuresNameThePhoneOrTheFile)
{
    connect();
    engine->downloadError = TransferError::disconnected();
    runSync(vm.download("40", "photo.jpg", local("copy.jpg")));
    expectStatus(State::deviceUnavailable, "The phone was disconnected. Connect it again, unlock it, then press Refresh.");
    engine->downloadError = TransferError::deviceRefused("Error 2007: PTP Incomplete Transfer");
    runSync(vm.download("40", "IMG_0001.jpg", local("copy.jpg")));
    expectStatus(State::transferFailed, "The phone stopped the copy of IMG_0001.jpg (Error 2007: PTP Incomplete Transfer).");
    engine->listingsIncomplete = true;
    runSync(vm.openFolder(dcim));
    expectStatus(State::ready, "Showing DCIM. Some of its items could not be read from the phone.");
    engine->directoryError = TransferError::disconnected();
    runSync(vm.openFolder(camera));
    expectStatus(State::deviceUnavailable, "The phone was disconnected. Connect it again, unlock it, then press Refresh.");
}
