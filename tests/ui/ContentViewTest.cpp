#include "TarvelApp/Palette.h"
#include "TarvelCore/DonationSupport.h"
#include "tests/ui/ContentViewFixture.h"

#include <QMetaProperty>
#include <QSvgRenderer>

#include <string>

using namespace tarvel::test;

namespace {

// The status indicator and Refresh through a session: the grey cable before anything
// is found, the green check when ready, the grey folder while a listing runs (Refresh
// still usable), the copy's own arrow (no spinner: the copy has its bar) with Refresh
// disabled during a transfer, and the orange triangle with Refresh back after a failure.
TEST_F(ContentViewTest, StatusIndicatorAndRefreshFollowTheState)
{
    EXPECT_EQ(status->statusIconName(), "cable.connector");
    EXPECT_EQ(status->statusTint(), tint::secondary);
    EXPECT_EQ(status->statusMessage(), connectSentence);
    EXPECT_FALSE(status->showsStatusSpinner());
    EXPECT_TRUE(status->refreshEnabled());

    connect();
    EXPECT_EQ(status->statusIconName(), "checkmark.circle.fill");
    EXPECT_EQ(status->statusTint(), tint::green);

    Gate listing;
    engine->beforeDirectoryListing = listing.hook();
    auto opening = vm.openFolder(dcim);
    ASSERT_TRUE(listing.waitEntered());
    EXPECT_EQ(status->statusIconName(), "folder.badge.gearshape");
    EXPECT_EQ(status->statusTint(), tint::secondary);
    EXPECT_TRUE(status->refreshEnabled());
    listing.open();
    runSync(std::move(opening));

    Gate transfer;
    engine->beforeDownload = transfer.hook();
    engine->downloadError = TransferError::writeFailed();
    auto downloading = vm.download(photo.id, photo.name, QUrl::fromLocalFile("/tmp/photo.jpg"));
    ASSERT_TRUE(transfer.waitEntered());
    EXPECT_FALSE(status->showsStatusSpinner());
    EXPECT_EQ(status->statusIconName(), "square.and.arrow.down");
    EXPECT_FALSE(status->refreshEnabled());
    transfer.open();
    runSync(std::move(downloading));
    EXPECT_FALSE(status->showsStatusSpinner());
    EXPECT_EQ(status->statusIconName(), "exclamationmark.triangle.fill");
    EXPECT_EQ(status->statusTint(), tint::orange);
    EXPECT_TRUE(status->refreshEnabled());

    engine->scanError = TransferError::permissionDenied();
    connect();
    EXPECT_EQ(status->statusIconName(), "exclamationmark.triangle.fill");
    EXPECT_EQ(status->statusMessage(), "This account may not use the phone's USB connection. Sign in at the computer "
                                       "itself, or add a udev rule for the phone, then plug it in again.");
}

// The refresh sequence lists storage only when the scan found a device.
TEST_F(ContentViewTest, RefreshSequenceOpensTheStorageOnlyWhenADeviceWasFound)
{
    engine->devicesToReturn = {};
    connect();
    EXPECT_EQ(vm.state(), State::noDevice);
    EXPECT_TRUE(engine->directoryRequests.isEmpty());

    engine->devicesToReturn = {pixel};
    connect();
    EXPECT_EQ(engine->directoryRequests, (QList{DirectoryRequest{pixel.id, internal.id, std::nullopt}}));
    EXPECT_EQ(status->statusMessage(), "Showing Internal shared storage.");
}

TEST_F(ContentViewTest, HeaderNamesTheFolderAndTheFreeSpace)
{
    EXPECT_EQ(view.currentLocationTitle(), "Android device");
    EXPECT_EQ(view.storageSubtitle(), "No phone connected");

    connect();
    EXPECT_EQ(view.currentLocationTitle(), "Internal shared storage");
    EXPECT_EQ(view.breadcrumbText(), "");
    EXPECT_EQ(view.storageSubtitle(), "10 GB available of 64 GB");
    EXPECT_FALSE(browser->upEnabled());

    runSync(vm.openFolder(dcim));
    runSync(vm.openFolder(camera));
    EXPECT_EQ(view.currentLocationTitle(), "Camera");
    EXPECT_EQ(view.breadcrumbText(), "DCIM / Camera");
    EXPECT_EQ(view.storageSubtitle(), "DCIM / Camera - 10 GB available of 64 GB");
    EXPECT_TRUE(browser->upEnabled());

    // A device whose storage cannot be listed: the device's name stands in.
    engine->storagesToReturn = {};
    runSync(vm.loadSelectedDeviceStorage());
    EXPECT_EQ(view.currentLocationTitle(), "Android device");
    EXPECT_EQ(view.storageSubtitle(), "Pixel 8");
}

struct SpaceCase {
    std::optional<qint64> free;
    std::optional<qint64> capacity;
    const char *subtitle;
};

void PrintTo(const SpaceCase &c, std::ostream *os)
{
    const auto bytes = [](std::optional<qint64> value) { return value ? std::to_string(*value) : std::string("absent"); };
    *os << "free " << bytes(c.free) << ", capacity " << bytes(c.capacity) << " as \"" << c.subtitle << '"';
}

class StorageSubtitleTest : public ContentViewTest, public ::testing::WithParamInterface<SpaceCase> {};

TEST_P(StorageSubtitleTest, SaysWhatTheStorageReports)
{
    const SpaceCase c = GetParam();
    engine->storagesToReturn = {{.id = "65537", .name = "SD card", .capacityBytes = c.capacity, .freeBytes = c.free}};
    connect();
    EXPECT_EQ(view.storageSubtitle(), c.subtitle);
    runSync(vm.openFolder(music));
    EXPECT_EQ(view.storageSubtitle(), QString("Music - ") + c.subtitle);
}

INSTANTIATE_TEST_SUITE_P(SpaceTable, StorageSubtitleTest,
                         ::testing::Values(SpaceCase{1'500'000'000, 32'000'000'000, "1.5 GB available of 32 GB"},
                                           SpaceCase{812'000, std::nullopt, "812 KB available"},
                                           SpaceCase{std::nullopt, 32'000'000'000, "32 GB capacity"},
                                           SpaceCase{64'000'000'000, 32'000'000'000, "32 GB capacity"},
                                           SpaceCase{std::nullopt, std::nullopt, "Pixel 8"}));

TEST_F(ContentViewTest, EmptyStateSaysWhatIsGoingOn)
{
    EXPECT_TRUE(browser->showsEmptyState());
    EXPECT_EQ(browser->emptyStateTitle(), "No Android device");
    EXPECT_EQ(browser->emptyStateIconName(), "cable.connector");
    EXPECT_EQ(browser->emptyStateDescription(),
              "Use a data-capable USB cable, unlock the device, choose USB File transfer, then press Refresh. "
              "If it still does not appear, try another cable or USB port.");

    connect();
    EXPECT_FALSE(browser->showsEmptyState());

    runSync(vm.openFolder(music));
    EXPECT_TRUE(browser->showsEmptyState());
    EXPECT_EQ(browser->emptyStateTitle(), "No files");
    EXPECT_EQ(browser->emptyStateIconName(), "folder");
    EXPECT_EQ(browser->emptyStateDescription(), "This folder is empty.");

    Gate listing;
    engine->beforeDirectoryListing = listing.hook();
    auto reloading = vm.loadCurrentDirectory();
    ASSERT_TRUE(listing.waitEntered());
    EXPECT_EQ(browser->emptyStateTitle(), "Loading files");
    EXPECT_EQ(browser->emptyStateDescription(), "Reading the selected storage.");
    listing.open();
    runSync(std::move(reloading));

    // The failures' description is the status bar's own sentence.
    engine->beforeDirectoryListing = {};
    engine->directoryError = TransferError::nativeError("LIBMTP_Get_Files_And_Folders failed");
    runSync(vm.loadCurrentDirectory());
    EXPECT_EQ(vm.state(), State::transferFailed);
    EXPECT_EQ(browser->emptyStateTitle(), "Files unavailable");
    EXPECT_EQ(browser->emptyStateIconName(), "exclamationmark.triangle");
    EXPECT_EQ(browser->emptyStateDescription(), "LIBMTP_Get_Files_And_Folders failed");

    engine->scanError = TransferError::unsupportedUSBMode();
    connect();
    EXPECT_EQ(vm.state(), State::deviceUnavailable);
    EXPECT_EQ(browser->emptyStateTitle(), "Files unavailable");
    EXPECT_EQ(browser->emptyStateDescription(), status->statusMessage());
}

TEST_F(ContentViewTest, RowsListTheEntriesInTheEnginesOrder)
{
    engine->entriesByParentID[""] = {notes, {.id = "50", .name = "Sized folder", .kind = RemoteEntryKind::folder, .sizeBytes = 4096}, photo};
    connect();
    browser->setSortIndex(int(RemoteEntryListModel::SortOrder::phoneOrder));
    RemoteEntryListModel *rows = browser->entries();
    ASSERT_EQ(rows->rowCount(), 3);
    EXPECT_EQ(rows->roleNames().value(RemoteEntryListModel::detailTextRole), "detailText");

    EXPECT_EQ(row(0, RemoteEntryListModel::nameRole), "notes.txt");
    EXPECT_EQ(row(0, RemoteEntryListModel::detailTextRole), "File");
    EXPECT_EQ(row(0, RemoteEntryListModel::iconNameRole), "doc.text");
    EXPECT_EQ(row(0, RemoteEntryListModel::actionIconNameRole), "square.and.arrow.down");
    EXPECT_EQ(row(0, RemoteEntryListModel::actionTitleRole), "Download");

    EXPECT_EQ(row(1, RemoteEntryListModel::detailTextRole), "Folder");
    EXPECT_EQ(row(1, RemoteEntryListModel::iconNameRole), "folder");
    EXPECT_EQ(row(1, RemoteEntryListModel::iconTintRole).value<QColor>(), tint::blue);
    EXPECT_EQ(row(1, RemoteEntryListModel::actionIconNameRole), "chevron.right");
    EXPECT_EQ(row(1, RemoteEntryListModel::actionTitleRole), "Open Sized folder");

    EXPECT_EQ(row(2, RemoteEntryListModel::detailTextRole), "2 MB");
}

// One rule enables the row actions and both upload buttons: ready or transferring (what
// is asked for then is queued), with a device and a storage. The Up button only cares about
// the path and a running transfer.
TEST_F(ContentViewTest, ActionsAreEnabledOnlyWhenReadyWithAStorage)
{
    const auto expectActions = [&](bool enabled) {
        EXPECT_EQ(browser->rowActionsEnabled(), enabled);
        EXPECT_EQ(transfers->uploadEnabled(), enabled);
    };
    expectActions(false);
    connect();
    expectActions(true);
    runSync(vm.openFolder(dcim));

    Gate listing;
    engine->beforeDirectoryListing = listing.hook();
    auto reloading = vm.loadCurrentDirectory();
    ASSERT_TRUE(listing.waitEntered());
    expectActions(false);
    EXPECT_TRUE(browser->upEnabled());
    listing.open();
    runSync(std::move(reloading));
    engine->beforeDirectoryListing = {};

    Gate transfer;
    engine->beforeDownload = transfer.hook();
    engine->downloadError = TransferError::readFailed();
    auto downloading = vm.download(photo.id, photo.name, QUrl::fromLocalFile("/tmp/photo.jpg"));
    ASSERT_TRUE(transfer.waitEntered());
    expectActions(true);
    // Browsing goes on during a transfer: its listings run between two files.
    EXPECT_TRUE(browser->upEnabled());
    EXPECT_TRUE(browser->browseEnabled());
    transfer.open();
    runSync(std::move(downloading));

    // A failed transfer leaves the listing up and usable at once; its sentence stays.
    EXPECT_EQ(vm.state(), State::transferFailed);
    EXPECT_FALSE(browser->showsEmptyState());
    expectActions(true);
    EXPECT_TRUE(browser->upEnabled());

    // A device without a storage.
    engine->storagesToReturn = {};
    connect();
    EXPECT_TRUE(vm.selectedDevice());
    expectActions(false);
}

TEST_F(ContentViewTest, UploadHelperTextFollowsItsRulesInOrder)
{
    EXPECT_EQ(view.uploadHelperText(), "Connect an Android device before uploading files.");
    engine->scanError = TransferError::deviceUnavailable();
    connect();
    EXPECT_EQ(view.uploadHelperText(), "Connect an Android device before uploading files.");
    engine->scanError.reset();

    connect();
    EXPECT_EQ(view.uploadHelperText(), "Uploads and pasted files go to the Android storage root shown on the left.");
    runSync(vm.openFolder(dcim));
    runSync(vm.openFolder(camera));
    EXPECT_EQ(view.uploadHelperText(), "Uploads and pasted files go to Camera.");

    // It names the destination even while the buttons are off for a listing.
    Gate listing;
    engine->beforeDirectoryListing = listing.hook();
    auto reloading = vm.loadCurrentDirectory();
    ASSERT_TRUE(listing.waitEntered());
    EXPECT_FALSE(transfers->uploadEnabled());
    EXPECT_EQ(view.uploadHelperText(), "Uploads and pasted files go to Camera.");
    listing.open();
    runSync(std::move(reloading));

    Gate transfer;
    engine->beforeDownload = transfer.hook();
    auto downloading = vm.download(photo.id, photo.name, QUrl::fromLocalFile("/tmp/photo.jpg"));
    ASSERT_TRUE(transfer.waitEntered());
    EXPECT_EQ(view.uploadHelperText(), "Uploads and pasted files go to Camera.");
    transfer.open();
    runSync(std::move(downloading));
}

TEST_F(ContentViewTest, DownloadAsksWhereAndStartsOnlyWhenConfirmed)
{
    connect();
    const QString before = status->statusMessage();
    runSync(view.chooseDownloadDestination(photo));
    ASSERT_EQ(desktop.savePanels.size(), 1);
    EXPECT_EQ(desktop.savePanels[0].proposedName, "photo.jpg");
    EXPECT_EQ(desktop.savePanels[0].prompt, "Download");
    EXPECT_TRUE(engine->downloadRequests.isEmpty());
    EXPECT_EQ(status->statusMessage(), before);

    desktop.saveLocation = QUrl::fromLocalFile("/home/user/copy.jpg");
    runSync(view.chooseDownloadDestination(photo));
    test::spinUntil([&] { return !engine->downloadRequests.isEmpty(); });
    EXPECT_EQ(engine->downloadRequests, (QList{DownloadRequest{pixel.id, photo.id, "/home/user", "copy.jpg"}}));
    EXPECT_EQ(status->statusMessage(), "Downloaded photo.jpg.");
}

// A name from the phone is only ever a file name in the folder the user picks.
TEST_F(ContentViewTest, ProposedNameCannotNameAnotherFolder)
{
    EXPECT_EQ(BrowserPresenter::proposedFileName("IMG 1.jpg"), "IMG 1.jpg");
    EXPECT_EQ(BrowserPresenter::proposedFileName("../../.bashrc"), ".._.._.bashrc");
    EXPECT_EQ(BrowserPresenter::proposedFileName("/etc/passwd"), "_etc_passwd");
    EXPECT_EQ(BrowserPresenter::proposedFileName(QString("a") + QChar(0) + "b"), "a_b");
    EXPECT_EQ(BrowserPresenter::proposedFileName(".."), "__");
    EXPECT_EQ(BrowserPresenter::proposedFileName("."), "_");
    EXPECT_EQ(BrowserPresenter::proposedFileName(".hidden"), ".hidden");

    // The download itself keeps the phone's id and name.
    connect();
    desktop.saveLocation = QUrl::fromLocalFile("/home/user/safe.txt");
    runSync(view.chooseDownloadDestination(test::file("60", "a/b.txt")));
    EXPECT_EQ(desktop.savePanels.last().proposedName, "a_b.txt");
    EXPECT_EQ(engine->downloadRequests.last().remoteFileID, "60");
    EXPECT_EQ(status->statusMessage(), "Downloaded a/b.txt.");
}

TEST_F(ContentViewTest, ChosenFilesUploadInOrderThenTheFolderIsListedOnce)
{
    connect();
    runSync(vm.openFolder(dcim));
    const int listings = engine->directoryRequests.size();
    desktop.filesToOpen = {localFile("a.txt"), localFile("b.txt"), localFile("c.txt")};
    runSync(view.chooseFileToUpload());

    ASSERT_EQ(desktop.openPanels.size(), 1);
    EXPECT_EQ(desktop.openPanels[0].prompt, "Upload");
    QList<QUrl> uploaded;
    for (const UploadRequest &request : engine->uploadRequests) {
        uploaded.append(request.localURL);
        EXPECT_EQ(request.remoteParentID, dcim.id);
        EXPECT_EQ(request.storageID, internal.id);
    }
    EXPECT_EQ(uploaded, desktop.filesToOpen);
    // The folder's names before the first file, its listing after the last.
    EXPECT_EQ(engine->directoryRequests.size(), listings + 2);
    EXPECT_EQ(engine->directoryRequests.last().parentID, dcim.id);
    EXPECT_EQ(status->statusMessage(), "Uploaded 3 files to DCIM.");
}

// A failed upload does not stop the batch; the listing is still read again at the end.
TEST_F(ContentViewTest, AFailedUploadDoesNotStopTheBatch)
{
    connect();
    engine->uploadError = TransferError::writeFailed();
    const int listings = engine->directoryRequests.size();
    QList<QString> statuses;
    QObject::connect(&vm, &TarvelViewModel::statusMessageChanged, [&] { statuses.append(vm.statusMessage()); });
    runSync(view.uploadFiles({localFile("a.txt"), localFile("b.txt")}));
    EXPECT_EQ(statuses.last(), "Uploaded 0 of 2 files; 2 failed, the first: a.txt: The file could not be copied. "
                               "Check the cable and try again.");
    // The folder's names before the first file, its listing after the last.
    EXPECT_EQ(engine->directoryRequests.size(), listings + 2);
}

TEST_F(ContentViewTest, PasteUploadsOnlyTheRegularFiles)
{
    connect();
    const QUrl a = localFile("a.txt");
    const QUrl b = localFile("b.txt");
    desktop.clipboardURLs = {localFolder("Holiday"), b, QUrl("https://example.org/c.txt"),
                             QUrl::fromLocalFile(local.filePath("gone.txt")), a};
    runSync(view.pasteFilesFromFinder());
    ASSERT_EQ(engine->uploadRequests.size(), 2);
    EXPECT_EQ(engine->uploadRequests[0].localURL, b);
    EXPECT_EQ(engine->uploadRequests[1].localURL, a);
    EXPECT_FALSE(engine->uploadRequests[0].remoteParentID);
}

// The files are checked off the UI thread, and the batch belongs to the view model: a
// presenter that goes away meanwhile neither stops the batch nor is touched again.
TEST_F(ContentViewTest, BatchGoesOnWhenThePresenterGoesDuringTheFileCheck)
{
    connect();
    auto presenter = std::make_unique<ContentView>(&vm, &desktop);
    auto batch = presenter->uploadFiles({localFile("a.txt"), localFolder("Holiday")});
    presenter.reset();
    runSync(std::move(batch));
    ASSERT_EQ(engine->uploadRequests.size(), 1);
    EXPECT_EQ(engine->uploadRequests[0].localURL.fileName(), "a.txt");
    EXPECT_EQ(vm.statusMessage(), "Uploaded 1 file to Internal shared storage.");
}

// A cancelled panel, an empty clipboard or one with only a folder: no upload, no
// listing, no change of any text.
TEST_F(ContentViewTest, NothingUsableDoesNothingAtAll)
{
    connect();
    const QString before = status->statusMessage();
    const int listings = engine->directoryRequests.size();
    SignalCount changes;
    changes.watch(status, &StatusPresenter::statusChanged);
    changes.watch(browser, &BrowserPresenter::locationChanged);
    changes.watch(browser, &BrowserPresenter::browsingChanged);
    changes.watch(transfers, &TransferPresenter::uploadChanged);
    changes.watch(transfers, &TransferPresenter::transferChanged);

    runSync(view.chooseFileToUpload());
    runSync(view.pasteFilesFromFinder());
    desktop.clipboardURLs = {localFolder("Holiday")};
    runSync(view.pasteFilesFromFinder());
    desktop.filesToOpen = {localFolder("Holiday")};
    runSync(view.chooseFileToUpload());

    EXPECT_TRUE(engine->uploadRequests.isEmpty());
    EXPECT_EQ(engine->directoryRequests.size(), listings);
    EXPECT_EQ(changes.total(), 0);
    EXPECT_EQ(status->statusMessage(), before);
}

TEST_F(ContentViewTest, DonationActionsUseTheConfiguredAddress)
{
    desktop.clipboardURLs = {localFile("copied.txt")};
    view.donation()->copyDonationAddress();
    EXPECT_EQ(desktop.clipboardText, DonationSupport::btcSegWitAddress());
    EXPECT_TRUE(desktop.clipboardURLs.isEmpty());

    view.donation()->openKoFi();
    view.donation()->openBitcoinWallet();
    EXPECT_EQ(desktop.openedURLs, (QList{DonationSupport::koFiURL(), DonationSupport::bitcoinURL()}));
    EXPECT_FALSE(view.donation()->donationQRCodeSource().isEmpty());
}

// Every symbol the presenter or the window can name has an icon of our own that renders.
TEST_F(ContentViewTest, EverySymbolHasAnIcon)
{
    QStringList symbols = {"cable.connector", "exclamationmark.triangle.fill", "checkmark.circle.fill",
                           "folder.badge.gearshape", "exclamationmark.triangle", "folder", "doc", "chevron.right",
                           "square.and.arrow.down", "square.and.arrow.up", "arrow.clockwise", "chevron.up",
                           "clipboard", "checkmark.circle", "doc.on.doc", "heart.fill", "qrcode", "chevron.down",
                           "photo", "film", "music.note", "doc.text", "archivebox", "folder.badge.plus", "pencil",
                           "trash", "magnifyingglass", "arrow.up.arrow.down", "list.bullet", "square.grid.2x2", "xmark",
                           "progress.indicator"};
    const QStringList present = QDir(":/qt/qml/Tarvel/icons").entryList({"*.svg"});
    EXPECT_EQ(present.size(), symbols.size());
    for (const QString &symbol : symbols) {
        QSvgRenderer renderer(":/qt/qml/Tarvel/icons/" + symbol + ".svg");
        EXPECT_TRUE(renderer.isValid()) << symbol.toStdString();
    }
}

// Every icon the window is handed, by the presenter or by a row, is one of our files:
// a misspelt symbol would show an empty space, with no warning.
TEST_F(ContentViewTest, EveryIconSourceIsAFileOfOurs)
{
    QStringList checked;
    const auto checkAll = [&] {
        for (QObject *presenter : QList<QObject *>{status, browser, transfers, view.donation()}) {
            const QMetaObject *meta = presenter->metaObject();
            for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
                const QMetaProperty property = meta->property(i);
                if (!QByteArray(property.name()).endsWith("IconSource"))
                    continue;
                const QUrl source = property.read(presenter).toUrl();
                if (source.isEmpty())
                    continue;
                checked.append(property.name());
                EXPECT_TRUE(QFile::exists(":" + source.path())) << property.name() << " " << source.toString().toStdString();
            }
        }
        for (int r = 0; r < browser->entries()->rowCount(); ++r) {
            for (const auto role : {RemoteEntryListModel::iconSourceRole, RemoteEntryListModel::actionIconSourceRole}) {
                const QUrl source = row(r, role).toUrl();
                EXPECT_TRUE(QFile::exists(":" + source.path())) << source.toString().toStdString();
            }
        }
    };
    checkAll(); // no device
    connect();
    checkAll(); // ready, with a folder and files listed
    Gate transfer;
    engine->beforeDownload = transfer.hook();
    auto downloading = vm.download(photo.id, photo.name, QUrl::fromLocalFile("/home/user/copy.jpg"));
    ASSERT_TRUE(transfer.waitEntered());
    checkAll();
    transfer.open();
    runSync(std::move(downloading));
    EXPECT_TRUE(checked.contains("transferIconSource"));
    EXPECT_TRUE(checked.contains("emptyStateIconSource"));
    EXPECT_GE(checked.size(), 20);
}

} // namespace
