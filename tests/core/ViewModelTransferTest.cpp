#include "tests/core/ViewModelFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>

using namespace tarvel::test::vm;

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

// What is asked for while a transfer runs waits its turn; Cancel stops only the running
// one, and one taken out of the queue never runs.
TEST_F(ViewModelTest, TransfersAskedForMeanwhileRunInTurn)
{
    connect();
    Gate first;
    engine->beforeDownload = first.hook();
    auto running = vm.download("40", "photo.jpg", local("a.jpg"));
    ASSERT_TRUE(first.waitEntered());
    QSignalSpy queueChanges(&vm, &TarvelViewModel::queuedTransfersChanged);
    runSync(vm.download("41", "IMG_1.jpg", local("b.jpg")));
    runSync(vm.upload(local("notes.txt"), std::nullopt));
    runSync(vm.download("42", "IMG_2.jpg", local("c.jpg")));
    EXPECT_EQ(queueChanges.count(), 3);
    const QList<QueuedTransfer> queued = vm.queuedTransfers();
    ASSERT_EQ(queued.size(), 3);
    EXPECT_EQ(queued.at(0).name, "IMG_1.jpg to /home/user");
    EXPECT_EQ(queued.at(1).name, "notes.txt to " + internal.name);
    expectStatus(State::transferring, "Downloading photo.jpg...");
    EXPECT_EQ(vm.currentTransfer()->sourceName, "photo.jpg");

    vm.removeQueued(queued.at(1).id);
    engine->beforeDownload = {};
    vm.cancelTransfer();
    first.open();
    runSync(std::move(running));
    test::spinUntil([&] { return engine->downloadRequests.size() == 2 && vm.state() == State::ready; });
    EXPECT_EQ(engine->downloadRequests, (QList{test::downloadTo(pixel.id, "41", "/home/user/b.jpg"),
                                               test::downloadTo(pixel.id, "42", "/home/user/c.jpg")}));
    EXPECT_TRUE(engine->uploadRequests.isEmpty());
    EXPECT_TRUE(vm.queuedTransfers().isEmpty());
    expectStatus(State::ready, "Downloaded IMG_2.jpg.");
}

// Listings during a transfer update the folder but leave the status to the transfer.
TEST_F(ViewModelTest, ListingDuringATransferKeepsTheTransfersStatus)
{
    connect();
    Gate gate;
    engine->beforeDownload = gate.hook();
    auto downloading = vm.download("40", "photo.jpg", local("copy.jpg"));
    ASSERT_TRUE(gate.waitEntered());
    // The folder asked for is named while its listing waits behind the copy.
    Gate listing;
    engine->beforeDirectoryListing = listing.hook();
    auto opening = vm.openFolder(dcim);
    ASSERT_TRUE(listing.waitEntered());
    EXPECT_EQ(vm.folderAwaited(), "DCIM");
    engine->beforeDirectoryListing = {};
    listing.open();
    runSync(std::move(opening));
    EXPECT_TRUE(vm.folderAwaited().isEmpty());
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
    expectStatus(State::transferFailed, "The phone stopped the copy of IMG_0001.jpg (Error 2007: PTP Incomplete Transfer). Check that the phone "
                                         "has room for it, then try again.");
    engine->listingsIncomplete = true;
    runSync(vm.openFolder(dcim));
    expectStatus(State::ready, "Showing DCIM. Some of its items could not be read from the phone.");
    engine->directoryError = TransferError::disconnected();
    runSync(vm.openFolder(camera));
    expectStatus(State::deviceUnavailable, "The phone was disconnected. Connect it again, unlock it, then press Refresh.");
}
