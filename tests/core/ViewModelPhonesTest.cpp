// Finding phones, explaining why none can be used, choosing among phones and storages,
// and following phones as they are plugged in and pulled out.

#include "TarvelCore/TarvelViewModel.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

using namespace tarvel;
using tarvel::test::Gate;
using tarvel::test::runSync;
using tarvel::test::spinUntil;
using State = TarvelConnectionState;

namespace {

const QString connectSentence =
    "Connect an Android device with a data-capable USB cable, unlock it, choose USB File transfer, then press Refresh. "
    "If it still does not appear, try another cable or USB port.";
const QString unlockSentence = "Unlock the phone and allow file transfer access.";
const QString modeSentence = "On your phone, change USB mode to File transfer.";
const QString filesSentence = "Eject the phone in Files, then press Refresh.";

const AndroidDevice pixel{.id = "mtp-1-4-18d1-4ee1", .name = "Pixel 8", .busNumber = 1, .deviceNumber = 4};
const AndroidDevice galaxy{.id = "mtp-1-5-04e8-6860", .name = "Galaxy", .busNumber = 1, .deviceNumber = 5};
const AndroidStorage internal{"65537", "Interner Speicher", 64'000'000'000, 10'000'000'000, StorageKind::internal};
const AndroidStorage card{"131073", "SD-Karte", 32'000'000'000, 1'000'000, StorageKind::removable};
const RemoteEntry dcim{.id = "10", .name = "DCIM", .kind = RemoteEntryKind::folder};
const RemoteEntry photo{.id = "40", .name = "photo.jpg", .kind = RemoteEntryKind::file};

USBPhoneReport report(const AndroidDevice &device, std::optional<TransferError> problem = std::nullopt,
                      QString serial = {})
{
    return {.address = {*device.busNumber, *device.deviceNumber}, .serial = serial, .problem = problem};
}
USBAddress addressOf(const AndroidDevice &device) { return {*device.busNumber, *device.deviceNumber}; }

class ViewModelPhonesTest : public ::testing::Test {
protected:
    ViewModelPhonesTest()
    {
        engine->devicesToReturn = {pixel};
        engine->storagesToReturn = {internal, card};
        engine->entriesByParentID = {{"", {dcim, photo}}, {"10", {}}};
        diagnosis->reports = {report(pixel)};
        vm.followPlugEvents(&plugs);
    }

    void expectStatus(State state, const QString &message)
    {
        EXPECT_EQ(vm.state(), state);
        EXPECT_EQ(vm.statusMessage(), message);
    }

    // Every status the window would have shown, with the state it came with.
    QStringList recordStatuses()
    {
        QObject::connect(&vm, &TarvelViewModel::statusMessageChanged, &vm, [this] {
            statuses << QString("%1 %2").arg(int(vm.state())).arg(vm.statusMessage());
        });
        return {};
    }

    std::shared_ptr<FakeAndroidFileTransferEngine> engine = std::make_shared<FakeAndroidFileTransferEngine>();
    std::shared_ptr<FakePhoneDiagnosis> diagnosis = std::make_shared<FakePhoneDiagnosis>();
    TarvelViewModel vm{engine, diagnosis};
    FakeUSBPlugEvents plugs;
    QStringList statuses;
};

QString status(State state, const QString &message) { return QString("%1 %2").arg(int(state)).arg(message); }

} // namespace

// A search says so while it runs, never shows the phone as ready before its storage is
// listed, and a second empty search is worded differently from the first.
TEST_F(ViewModelPhonesTest, StatusLineWhileLookingAndAfter)
{
    recordStatuses();
    Gate scan;
    engine->beforeScan = scan.hook();
    auto searching = vm.findPhones();
    ASSERT_TRUE(scan.waitEntered());
    EXPECT_TRUE(vm.scanning());
    EXPECT_EQ(vm.statusMessage(), "Looking for phones...");
    scan.open();
    runSync(std::move(searching));
    EXPECT_FALSE(vm.scanning());
    EXPECT_EQ(statuses, (QStringList{status(State::noDevice, "Looking for phones..."),
                                     status(State::loadingDirectory, "Opening Pixel 8..."),
                                     status(State::ready, "Showing Interner Speicher.")}));

    engine->beforeScan = {};
    engine->devicesToReturn = {};
    diagnosis->reports = {};
    runSync(vm.findPhones());
    expectStatus(State::noDevice, connectSentence);
    runSync(vm.findPhones());
    expectStatus(State::noDevice, "Still no phone found.");
    runSync(vm.findPhones());
    expectStatus(State::noDevice, "Still no phone found.");

    engine->devicesToReturn = {pixel};
    runSync(vm.findPhones());
    engine->devicesToReturn = {};
    runSync(vm.findPhones());
    expectStatus(State::noDevice, connectSentence);
}

// When the scan finds nothing, the bus says why: the first phone's own problem, a phone
// that shows none reads as locked, and a failed scan stands only when the bus is empty.
TEST_F(ViewModelPhonesTest, EmptyScanIsExplainedByTheBus)
{
    engine->devicesToReturn = {};
    struct Case {
        QList<USBPhoneReport> reports;
        State state;
        QString message;
    };
    const QList<Case> cases{
        {{report(pixel, TransferError::unsupportedUSBMode())}, State::deviceUnavailable, modeSentence},
        {{report(pixel, TransferError::deviceInUse({PhoneHolderKind::filesService, "gvfsd-mtp"})),
          report(galaxy, TransferError::unsupportedUSBMode())},
         State::deviceUnavailable,
         filesSentence},
        {{report(pixel)}, State::deviceUnavailable, unlockSentence},
        {{}, State::noDevice, connectSentence},
    };
    for (const Case &c : cases) {
        diagnosis->reports = c.reports;
        runSync(vm.findPhones());
        SCOPED_TRACE(c.message.toStdString());
        expectStatus(c.state, c.message);
    }

    engine->scanError = TransferError::nativeError("MTP device scan failed");
    runSync(vm.findPhones());
    expectStatus(State::deviceUnavailable, "MTP device scan failed");
    diagnosis->reports = {report(pixel, TransferError::permissionDenied())};
    runSync(vm.findPhones());
    EXPECT_EQ(vm.statusMessage(), TarvelViewModel::message(TransferError::permissionDenied()));

    // Without a diagnosis nothing changes from what the scan alone says.
    TarvelViewModel plain(engine);
    engine->scanError.reset();
    runSync(plain.findPhones());
    EXPECT_EQ(plain.statusMessage(), connectSentence);
}

// libmtp's one open failure becomes the bus's reason for this phone; with none, the
// engine's text stays; a phone gone from the bus reads as disconnected.
TEST_F(ViewModelPhonesTest, OpenFailureIsExplainedByTheBus)
{
    engine->storageError = TransferError::nativeError("Could not open MTP device; unlock the phone and choose File transfer");
    diagnosis->reports = {report(galaxy), report(pixel, TransferError::deviceInUse({PhoneHolderKind::kdeService, "kiod6"}))};
    runSync(vm.findPhones());
    expectStatus(State::deviceUnavailable,
                 "KDE's phone service is using the phone. Run \"kquitapp6 kiod6\", then press Refresh.");
    EXPECT_TRUE(vm.storages().isEmpty());
    EXPECT_TRUE(vm.entries().isEmpty());

    diagnosis->reports = {report(pixel)};
    runSync(vm.loadSelectedDeviceStorage());
    expectStatus(State::transferFailed, "Could not open MTP device; unlock the phone and choose File transfer");

    diagnosis->reports = {};
    runSync(vm.findPhones());
    expectStatus(State::deviceUnavailable, "The phone was disconnected. Connect it again, unlock it, then press Refresh.");

    engine->storageError.reset();
    runSync(vm.findPhones());
    expectStatus(State::ready, "Showing Interner Speicher.");
}

// A folder that would not open and a listing that is not whole keep what is shown usable
// (state ready) but are flagged, so the window never shows them as a success.
TEST_F(ViewModelPhonesTest, FailuresThatKeepTheListingAreWarnings)
{
    runSync(vm.findPhones());
    EXPECT_FALSE(vm.statusIsWarning());
    engine->directoryError = TransferError::nativeError("PTP I/O error");
    runSync(vm.openFolder(dcim));
    expectStatus(State::ready, "Could not open DCIM. Still showing Interner Speicher.");
    EXPECT_TRUE(vm.statusIsWarning());

    engine->directoryError.reset();
    runSync(vm.openFolder(dcim));
    EXPECT_FALSE(vm.statusIsWarning());
    engine->listingsIncomplete = true;
    runSync(vm.loadCurrentDirectory());
    EXPECT_TRUE(vm.statusIsWarning());
}

// Switching storage lists the other storage's root at once, never leaving the first
// storage's folders to upload into; uploads then name the chosen storage and its root.
// A Refresh keeps the choice.
TEST_F(ViewModelPhonesTest, SwitchingStorageListsItsRoot)
{
    runSync(vm.findPhones());
    EXPECT_EQ(vm.selectedStorage(), internal);
    runSync(vm.openFolder(dcim));

    Gate listing;
    engine->beforeDirectoryListing = listing.hook();
    auto switching = vm.selectStorage(card.id);
    ASSERT_TRUE(listing.waitEntered());
    EXPECT_EQ(vm.selectedStorage(), card);
    EXPECT_TRUE(vm.entries().isEmpty());
    EXPECT_TRUE(vm.folderPath().isEmpty());
    EXPECT_EQ(vm.state(), State::loadingDirectory);
    listing.open();
    runSync(std::move(switching));
    engine->beforeDirectoryListing = {};
    EXPECT_EQ(engine->directoryRequests.last(), (DirectoryRequest{pixel.id, card.id, std::nullopt}));
    expectStatus(State::ready, "Showing SD-Karte.");

    runSync(vm.upload(QUrl::fromLocalFile("/home/user/a.txt"), vm.currentParentID()));
    EXPECT_EQ(engine->uploadRequests.last().storageID, card.id);
    EXPECT_EQ(engine->uploadRequests.last().remoteParentID, std::nullopt);

    runSync(vm.findPhones());
    EXPECT_EQ(vm.selectedStorage(), card);

    // A storage that will not list leaves nothing of the other one behind.
    engine->directoryError = TransferError::nativeError("PTP I/O error");
    runSync(vm.selectStorage(internal.id));
    expectStatus(State::transferFailed, "The phone reported an error (PTP I/O error). Check the cable and try again.");
    EXPECT_TRUE(vm.entries().isEmpty());
}

// Choosing another phone opens its first storage; a Refresh keeps it while it is attached;
// during a transfer the choice is refused. Phones of one model get their serials.
TEST_F(ViewModelPhonesTest, ChoosingAPhone)
{
    engine->devicesToReturn = {pixel, galaxy};
    runSync(vm.findPhones());
    EXPECT_EQ(vm.selectedDevice(), pixel);
    runSync(vm.selectStorage(card.id));

    runSync(vm.selectDevice(galaxy.id));
    EXPECT_EQ(vm.selectedDevice(), galaxy);
    EXPECT_EQ(vm.selectedStorage(), internal);
    EXPECT_EQ(engine->directoryRequests.last(), (DirectoryRequest{galaxy.id, internal.id, std::nullopt}));
    runSync(vm.findPhones());
    EXPECT_EQ(vm.selectedDevice(), galaxy);

    Gate transfer;
    engine->beforeDownload = transfer.hook();
    auto downloading = vm.download(photo.id, photo.name, QUrl::fromLocalFile("/tmp/photo.jpg"));
    ASSERT_TRUE(transfer.waitEntered());
    runSync(vm.selectDevice(pixel.id));
    EXPECT_EQ(vm.selectedDevice(), galaxy);
    transfer.open();
    runSync(std::move(downloading));
    EXPECT_EQ(vm.statusMessage(), "Downloaded photo.jpg.");

    AndroidDevice twin = galaxy;
    twin.name = pixel.name;
    engine->devicesToReturn = {pixel, twin};
    diagnosis->reports = {report(pixel, std::nullopt, "38161FDJH00"), report(twin, std::nullopt, "R58M12ABCDE")};
    runSync(vm.findPhones());
    EXPECT_EQ(vm.devices().at(0).serialNumber, "38161FDJH00");
    EXPECT_EQ(vm.devices().at(1).serialNumber, "R58M12ABCDE");
}

// Plug events in any order while a download runs: another phone coming and going only
// changes the list; the phone shown pulled out ends the browsing at once and stops the
// transfer, which ends in the sentence of a phone that went away; plugged back in, it is
// shown again, and pulled out idle it is named.
TEST_F(ViewModelPhonesTest, PlugEventsWhileATransferRuns)
{
    plugs.plugIn(addressOf(pixel));
    ASSERT_TRUE(spinUntil([&] { return vm.state() == State::ready; }));
    EXPECT_EQ(vm.statusMessage(), "Showing Interner Speicher.");

    Gate transfer;
    engine->beforeDownload = transfer.hook();
    auto downloading = vm.download(photo.id, photo.name, QUrl::fromLocalFile("/tmp/photo.jpg"));
    ASSERT_TRUE(transfer.waitEntered());

    engine->devicesToReturn = {galaxy, pixel}; // the newest phone comes first
    diagnosis->reports = {report(pixel), report(galaxy)};
    plugs.plugIn(addressOf(galaxy));
    ASSERT_TRUE(spinUntil([&] { return vm.devices().size() == 2; }));
    EXPECT_EQ(vm.selectedDevice(), pixel);
    EXPECT_TRUE(vm.currentTransfer());
    plugs.pullOut(addressOf(galaxy));
    EXPECT_EQ(vm.devices(), QList{pixel});
    EXPECT_TRUE(vm.currentTransfer());

    const int scansBefore = engine->scans;
    plugs.plugIn({3, 9}); // not a phone: a keyboard
    test::settle();
    EXPECT_EQ(engine->scans, scansBefore);

    plugs.pullOut(addressOf(pixel));
    EXPECT_TRUE(engine->lastTransferControl->isCancelled());
    EXPECT_FALSE(vm.selectedDevice());
    EXPECT_TRUE(vm.entries().isEmpty());
    transfer.open();
    runSync(std::move(downloading));
    EXPECT_FALSE(vm.currentTransfer());
    expectStatus(State::noDevice, "The phone was disconnected. Connect it again, unlock it, then press Refresh.");

    engine->devicesToReturn = {pixel};
    diagnosis->reports = {report(pixel)};
    plugs.plugIn(addressOf(pixel));
    ASSERT_TRUE(spinUntil([&] { return vm.state() == State::ready; }));
    plugs.pullOut(addressOf(pixel));
    expectStatus(State::noDevice, "Pixel 8 was unplugged.");
}

// A phone whose access is not granted yet when it arrives gets one more try, not more.
TEST_F(ViewModelPhonesTest, ArrivalIsTriedOnceMoreAfterAnAccessError)
{
    engine->devicesToReturn = {}; // libmtp cannot probe a phone it may not open
    diagnosis->reports = {report(pixel, TransferError::permissionDenied())};
    plugs.plugIn(addressOf(pixel));
    ASSERT_TRUE(spinUntil([&] { return engine->scans == 1 && !vm.scanning(); }));
    EXPECT_EQ(vm.statusMessage(), TarvelViewModel::message(TransferError::permissionDenied()));

    engine->devicesToReturn = {pixel};
    diagnosis->reports = {report(pixel)};
    ASSERT_TRUE(spinUntil([&] { return vm.state() == State::ready; }));
    EXPECT_EQ(engine->scans, 2);

    plugs.pullOut(addressOf(pixel));
    engine->devicesToReturn = {};
    diagnosis->reports = {report(pixel, TransferError::unsupportedUSBMode())};
    plugs.plugIn(addressOf(pixel));
    ASSERT_TRUE(spinUntil([&] { return engine->scans == 3 && !vm.scanning(); }));
    QTest::qWait(TarvelViewModel::arrivalRetryDelayMs + 200);
    EXPECT_EQ(engine->scans, 3); // the wrong mode waits for the phone's owner, not for time
}
