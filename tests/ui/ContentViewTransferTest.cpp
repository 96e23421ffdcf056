#include "TarvelApp/QuitSignals.h"
#include "tests/ui/ContentViewFixture.h"

#include <csignal>

using namespace tarvel::test;

TEST_F(ContentViewTest, TransferSummaryShowsTheRunningJob)
{
    connect();
    EXPECT_FALSE(transfers->hasTransfer());

    Gate transfer;
    engine->beforeDownload = transfer.hook();
    auto downloading = vm.download(photo.id, photo.name, QUrl::fromLocalFile("/home/user/copy.jpg"));
    ASSERT_TRUE(transfer.waitEntered());
    EXPECT_TRUE(transfers->hasTransfer());
    EXPECT_EQ(transfers->transferTitle(), "Downloading");
    EXPECT_EQ(transfers->transferIconName(), "square.and.arrow.down");
    // The folder the copy lands in, not the file name the user just typed.
    EXPECT_EQ(transfers->transferRouteText(), "photo.jpg \u2192 user");
    EXPECT_FALSE(transfers->transferHasProgress());
    EXPECT_EQ(transfers->transferBytesText(), "");
    transfer.open();
    runSync(std::move(downloading));
    EXPECT_FALSE(transfers->hasTransfer());
}

// The byte text and the bar appear only for a job that knows a positive total.
TEST(TransferSummaryTest, ProgressOnlyWithAKnownTotal)
{
    TransferJob job{.direction = TransferDirection::upload, .sourceName = "a.mp4", .destinationName = "SD card",
                    .completedBytes = 500'000, .totalBytes = 2'000'000};
    TransferSummary summary = summarizeTransfer(job);
    EXPECT_EQ(summary.title, "Uploading");
    EXPECT_EQ(summary.iconName, "square.and.arrow.up");
    EXPECT_EQ(summary.routeText, "a.mp4 \u2192 SD card");
    EXPECT_TRUE(summary.hasProgress);
    EXPECT_DOUBLE_EQ(summary.progress, 0.25);
    EXPECT_EQ(summary.bytesText, "500 KB of 2 MB");

    for (const std::optional<qint64> total : {std::optional<qint64>(), std::optional<qint64>(0), std::optional<qint64>(-5)}) {
        job.totalBytes = total;
        summary = summarizeTransfer(job);
        EXPECT_FALSE(summary.hasProgress);
        EXPECT_EQ(summary.bytesText, "");
    }
}

// A transfer's start shows the pane once; progress ticks raise only the transfer's
// progress, and the window's title only when its percentage moves; Cancel reads
// "Cancelling..." until the lane is free; closing during a transfer stops it and only then
// asks to quit.
TEST_F(ContentViewTest, TransferPaneFollowsProgressCancelAndQuit)
{
    connect();
    Gate transfer;
    engine->beforeDownload = transfer.hook();
    QSignalSpy started(transfers, &TransferPresenter::transferChanged);
    auto downloading = vm.download(photo.id, photo.name, QUrl::fromLocalFile("/home/user/Photos/copy.jpg"));
    ASSERT_TRUE(transfer.waitEntered());
    tarvel::test::settle();
    EXPECT_EQ(started.count(), 1);
    EXPECT_EQ(view.windowTitle(), "Tarvel – Downloading");
    EXPECT_EQ(transfers->cancelTransferTitle(), "Cancel");

    SignalCount elsewhere;
    elsewhere.watch(status, &StatusPresenter::statusChanged);
    elsewhere.watch(browser, &BrowserPresenter::locationChanged);
    elsewhere.watch(browser, &BrowserPresenter::browsingChanged);
    elsewhere.watch(transfers, &TransferPresenter::transferChanged);
    elsewhere.watch(transfers, &TransferPresenter::fileChanged);
    elsewhere.watch(transfers, &TransferPresenter::uploadChanged);
    QSignalSpy progress(transfers, &TransferPresenter::progressChanged);
    QSignalSpy title(&view, &ContentView::windowTitleChanged);
    engine->lastTransferControl->setProgress(450'000, 1'000'000);
    ASSERT_TRUE(tarvel::test::spinUntil([&] { return progress.count() >= 1; }));
    EXPECT_TRUE(transfers->transferHasProgress());
    EXPECT_EQ(transfers->transferBytesText(), "450 KB of 1 MB");
    EXPECT_EQ(view.windowTitle(), "Tarvel – Downloading 45%");
    engine->lastTransferControl->setProgress(452'000, 1'000'000);
    ASSERT_TRUE(tarvel::test::spinUntil([&] { return transfers->transferBytesText() == "452 KB of 1 MB"; }));
    EXPECT_EQ(title.count(), 1);
    EXPECT_EQ(elsewhere.total(), 0);

    QSignalSpy quit(&view, &ContentView::quitRequested);
    view.stopTransferAndQuit();
    EXPECT_TRUE(engine->lastTransferControl->isCancelled());
    EXPECT_EQ(transfers->cancelTransferTitle(), "Cancelling...");
    EXPECT_FALSE(transfers->cancelTransferEnabled());
    EXPECT_EQ(quit.count(), 0);
    transfer.open();
    runSync(std::move(downloading));
    EXPECT_EQ(quit.count(), 1);
    EXPECT_EQ(transfers->cancelTransferTitle(), "Cancel");
    EXPECT_EQ(transfers->transferWindowTitle(), "");
    EXPECT_EQ(vm.statusMessage(), "The transfer was cancelled.");
}

// A batch's progress and its next file reach only the transfer pane's own lines (the status
// bar keeps its one sentence and arrow); a listing during the batch reaches the browser and
// leaves those lines be.
TEST_F(ContentViewTest, EachPaneHearsOnlyWhatItShows)
{
    connect();
    Gate first;
    Gate second;
    int begun = 0;
    engine->beforeDownload = [&begun, holdFirst = first.hook(), holdSecond = second.hook()] {
        return ++begun == 1 ? holdFirst() : holdSecond();
    };
    QTemporaryDir target;
    auto batch = vm.downloadItems({photo, notes}, QUrl::fromLocalFile(target.path()));
    ASSERT_TRUE(first.waitEntered());
    ASSERT_TRUE(tarvel::test::spinUntil([&] { return transfers->transferRouteText().startsWith("photo.jpg"); }));
    tarvel::test::settle();

    SignalCount elsewhere;
    elsewhere.watch(status, &StatusPresenter::statusChanged);
    elsewhere.watch(browser, &BrowserPresenter::locationChanged);
    elsewhere.watch(browser, &BrowserPresenter::browsingChanged);
    elsewhere.watch(transfers, &TransferPresenter::transferChanged);
    elsewhere.watch(transfers, &TransferPresenter::uploadChanged);
    QSignalSpy files(transfers, &TransferPresenter::fileChanged);
    QSignalSpy progress(transfers, &TransferPresenter::progressChanged);
    engine->lastTransferControl->setProgress(1'000'000, 2'000'000);
    ASSERT_TRUE(tarvel::test::spinUntil([&] { return progress.count() >= 1; }));
    EXPECT_EQ(files.count(), 0);
    first.open();
    ASSERT_TRUE(second.waitEntered());
    ASSERT_TRUE(tarvel::test::spinUntil([&] { return transfers->transferRouteText().startsWith("notes.txt"); }));
    EXPECT_GE(files.count(), 1);
    EXPECT_EQ(elsewhere.total(), 0);

    QSignalSpy location(browser, &BrowserPresenter::locationChanged);
    files.clear();
    progress.clear();
    runSync(vm.openFolder(dcim));
    tarvel::test::settle();
    EXPECT_GE(location.count(), 1);
    EXPECT_EQ(files.count() + progress.count(), 0);
    second.open();
    runSync(std::move(batch));
}

// SIGTERM (the session ending) stops the transfer first, as closing the window does, and a
// second one would end the process at once.
TEST_F(ContentViewTest, TerminationSignalStopsTheTransferBeforeQuitting)
{
    connect();
    Gate transfer;
    engine->beforeDownload = transfer.hook();
    auto downloading = vm.download(photo.id, photo.name, QUrl::fromLocalFile("/home/user/Photos/copy.jpg"));
    ASSERT_TRUE(transfer.waitEntered());
    QSignalSpy quit(&view, &ContentView::quitRequested);
    {
        QuitSignals quitSignals;
        QObject::connect(&quitSignals, &QuitSignals::received, &view, &ContentView::stopTransferAndQuit);
        std::raise(SIGTERM);
        ASSERT_TRUE(tarvel::test::spinUntil([&] { return engine->lastTransferControl->isCancelled(); }));
        struct sigaction now = {};
        sigaction(SIGTERM, nullptr, &now);
        EXPECT_EQ(now.sa_handler, SIG_DFL);
    }
    EXPECT_EQ(quit.count(), 0);
    transfer.open();
    runSync(std::move(downloading));
    EXPECT_EQ(quit.count(), 1);
}

// The rate shows once a second of bytes has moved, with the time left.
TEST(TransferRateText, SpeedAndTimeLeftOnceMeaningful)
{
    TransferRate rate;
    rate.add(0, 0);
    rate.add(100, 1'000'000);
    EXPECT_EQ(rate.text(100'000'000), "");
    rate.add(1100, 11'000'000);
    EXPECT_EQ(rate.text(100'000'000), "10 MB/s · 9 s left");
    EXPECT_EQ(rate.text(std::nullopt), "10 MB/s");
    EXPECT_EQ(TransferRate::timeLeftText(61), "2 min left");
    EXPECT_EQ(TransferRate::timeLeftText(3600 * 2 + 300), "2 h 5 min left");
}

// Downloading several entries asks once for a folder, first in Downloads, then where the
// user last chose; afterwards "Show in Folder" opens it.
TEST_F(ContentViewTest, DownloadOfSeveralEntriesAsksForAFolderOnce)
{
    connect();
    QTemporaryDir target;
    desktop.folderToChoose = QUrl::fromLocalFile(target.path());
    runSync(transfers->downloadEntries({photo, dcim}));
    ASSERT_EQ(desktop.folderPanels, QList<QUrl>{desktop.downloads});
    EXPECT_TRUE(transfers->showInFolderVisible());
    EXPECT_EQ(vm.statusMessage().left(11), "Downloaded ");
    transfers->showDownloadedFolder();
    EXPECT_EQ(desktop.openedURLs.last(), QUrl::fromLocalFile(target.path()));

    desktop.folderToChoose.reset();
    runSync(transfers->downloadEntries({photo}));
    EXPECT_EQ(desktop.folderPanels.last(), QUrl::fromLocalFile(target.path()));
}
