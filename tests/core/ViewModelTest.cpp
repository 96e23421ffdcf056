#include "tests/core/ViewModelFixture.h"

#include <QSignalSpy>

using namespace tarvel::test::vm;

#include <stdexcept>

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
              "The phone reported an error (Error 02fe: PTP Data Expected). Check the cable and try again.");
    EXPECT_EQ(TarvelViewModel::message(TransferError::nativeError("LIBMTP_Get_Storage(): failed.")),
              "The phone reported an error (LIBMTP_Get_Storage(): failed). Check the cable and try again.");
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
