// The window with several phones and storages, while it looks for phones, and as phones
// are plugged in and pulled out: through the presenter and through the real window.

#include "TarvelApp/ContentView.h"
#include "TarvelApp/Palette.h"
#include "TarvelApp/TarvelApp.h"
#include "tests/support/FakeDesktopServices.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WindowDriver.h"
#include "tests/ui/ScriptedPhone.h"

#include <gtest/gtest.h>

#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

using namespace tarvel;
using namespace tarvel::test::phone;
using tarvel::test::FakeDesktopServices;
using tarvel::test::Gate;
using tarvel::test::runSync;
using tarvel::test::spinUntil;
using State = TarvelConnectionState;

namespace {

const AndroidDevice phoneA{.id = "mtp-1-4-18d1-4ee1", .name = "Pixel 8", .busNumber = 1, .deviceNumber = 4};
const AndroidDevice phoneB{.id = "mtp-1-5-04e8-6860", .name = "Galaxy S23", .busNumber = 1, .deviceNumber = 5};
const AndroidStorage ownMemory{"65537", "Interner gemeinsamer Speicher", 128'000'000'000, 10'000'000'000,
                               StorageKind::internal};
const AndroidStorage sdCard{"131073", "SanDisk", 32'000'000'000, 2'000'000'000, StorageKind::removable};

class PhonesViewTest : public ::testing::Test {
protected:
    PhonesViewTest()
    {
        test::phone::script(*engine);
        engine->devicesToReturn = {phoneA, phoneB};
        engine->storagesToReturn = {ownMemory, sdCard};
    }

    std::shared_ptr<FakeAndroidFileTransferEngine> engine = std::make_shared<FakeAndroidFileTransferEngine>();
    TarvelViewModel vm{engine};
    FakeDesktopServices desktop;
    ContentView view{&vm, &desktop};
    StatusPresenter *status = view.status();
    BrowserPresenter *browser = view.browser();
};

} // namespace

// Pickers only when there is a choice; storages by kind and capacity, the phone's own
// description only to tell two of a kind apart; phones of one model by serial, else by
// their place on the bus.
TEST_F(PhonesViewTest, PickerLabels)
{
    engine->devicesToReturn = {pixel};
    engine->storagesToReturn = {internal};
    runSync(view.refreshSequence());
    EXPECT_FALSE(browser->showsDevicePicker());
    EXPECT_FALSE(browser->showsStoragePicker());

    engine->devicesToReturn = {phoneA, phoneB};
    engine->storagesToReturn = {ownMemory, sdCard, AndroidStorage{"196609", "USB-Stick", std::nullopt, std::nullopt}};
    runSync(view.refreshSequence());
    EXPECT_TRUE(browser->showsDevicePicker());
    EXPECT_EQ(browser->deviceChoices(), (QStringList{"Pixel 8", "Galaxy S23"}));
    EXPECT_EQ(browser->selectedDeviceIndex(), 0);
    EXPECT_TRUE(browser->showsStoragePicker());
    EXPECT_EQ(browser->storageChoices(), (QStringList{"Internal storage, 128 GB", "SD card, 32 GB", "USB-Stick"}));
    EXPECT_EQ(browser->selectedStorageIndex(), 0);

    AndroidStorage secondCard = sdCard;
    secondCard.id = "196609";
    secondCard.name = "Samsung EVO";
    engine->storagesToReturn = {ownMemory, sdCard, secondCard};
    AndroidDevice twinA = phoneA, twinB = phoneB;
    twinB.name = twinA.name;
    twinA.serialNumber = "38161FDJH00";
    engine->devicesToReturn = {twinA, twinB};
    runSync(view.refreshSequence());
    EXPECT_EQ(browser->storageChoices(),
              (QStringList{"Internal storage, 128 GB", "SD card (SanDisk), 32 GB", "SD card (Samsung EVO), 32 GB"}));
    EXPECT_EQ(browser->deviceChoices(), (QStringList{"Pixel 8 (38161FDJH00)", "Pixel 8 (USB 1-5)"}));
}

// The status bar spins while phones are looked for, and a failure that keeps the listing
// shows the orange triangle although the state is ready.
TEST_F(PhonesViewTest, StatusIndicatorWhileLookingAndOnWarnings)
{
    engine->scanError = TransferError::unsupportedUSBMode();
    runSync(view.refreshSequence());
    engine->scanError.reset();
    Gate scan;
    engine->beforeScan = scan.hook();
    auto looking = view.refreshSequence();
    ASSERT_TRUE(scan.waitEntered());
    EXPECT_TRUE(status->showsStatusSpinner());
    EXPECT_EQ(status->statusIconName(), "");
    EXPECT_EQ(status->statusMessage(), "Looking for phones...");
    EXPECT_TRUE(status->refreshEnabled());
    EXPECT_EQ(browser->emptyStateTitle(), "Looking for phones"); // not the last search's failure
    EXPECT_EQ(browser->emptyStateIconName(), "cable.connector");
    scan.open();
    runSync(std::move(looking));
    EXPECT_FALSE(status->showsStatusSpinner());
    EXPECT_EQ(status->statusIconName(), "checkmark.circle.fill");

    engine->directoryError = TransferError::nativeError("PTP I/O error");
    runSync(vm.openFolder(dcim));
    EXPECT_EQ(vm.state(), State::ready);
    EXPECT_EQ(status->statusIconName(), "exclamationmark.triangle.fill");
    EXPECT_EQ(status->statusTint(), tint::orange);
    EXPECT_TRUE(browser->rowActionsEnabled()); // what is shown can still be used
}

// While a transfer runs the pickers are dead, so the copy's destination cannot change
// under it; a stale index does nothing.
TEST_F(PhonesViewTest, PickersWaitForTheTransfer)
{
    runSync(view.refreshSequence());
    Gate transfer;
    engine->beforeDownload = transfer.hook();
    auto downloading = vm.download(photo.id, photo.name, QUrl::fromLocalFile("/tmp/photo.jpg"));
    ASSERT_TRUE(transfer.waitEntered());
    EXPECT_FALSE(browser->pickersEnabled());
    browser->startSelectStorage(1);
    browser->startSelectDevice(1);
    test::settle();
    EXPECT_EQ(vm.selectedStorage(), ownMemory);
    EXPECT_EQ(vm.selectedDevice(), phoneA);
    transfer.open();
    runSync(std::move(downloading));

    browser->startSelectStorage(7);
    browser->startSelectStorage(-1);
    test::settle();
    EXPECT_EQ(vm.selectedStorage(), ownMemory);
    browser->startSelectStorage(1);
    ASSERT_TRUE(spinUntil([&] { return vm.state() == State::ready; }));
    EXPECT_EQ(vm.selectedStorage(), sdCard);
}

namespace {

// The real window over two phones, a diagnosis and plug events.
class PhonesWindowTest : public ::testing::Test, protected test::WindowDriver {
protected:
    PhonesWindowTest()
    {
        test::phone::script(*engine);
        engine->devicesToReturn = {phoneA, phoneB};
        engine->storagesToReturn = {ownMemory, sdCard};
        diagnosis->reports = {{.address = {1, 4}}, {.address = {1, 5}}};
        app = std::make_unique<TarvelApp>(engine, diagnosis, &plugs, std::make_unique<FakeDesktopServices>());
    }

    void open(int rowCount)
    {
        ASSERT_NE(window(), nullptr);
        app->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
        ASSERT_TRUE(spinUntil([&] { return vm()->state() == State::ready && rows().size() == rowCount; }));
    }

    // Opens the picker and clicks its choice with this text.
    void choose(const char *picker, const QString &choice)
    {
        click(item(picker));
        auto *popup = item(picker)->property("popup").value<QObject *>();
        ASSERT_NE(popup, nullptr);
        ASSERT_TRUE(spinUntil([&] { return popup->property("opened").toBool(); }));
        QList<QQuickItem *> choices;
        collect(popup->property("contentItem").value<QQuickItem *>(), "pickerChoice", choices);
        for (QQuickItem *candidate : choices) {
            if (candidate->property("text").toString() == choice || candidate->property("modelData").toString() == choice) {
                click(candidate);
                return;
            }
        }
        ADD_FAILURE() << "no choice " << choice.toStdString();
    }

    QQuickWindow *window() const override { return app->window(); }
    TarvelViewModel *vm() { return app->viewModel(); }

    std::shared_ptr<FakeAndroidFileTransferEngine> engine = std::make_shared<FakeAndroidFileTransferEngine>();
    std::shared_ptr<FakePhoneDiagnosis> diagnosis = std::make_shared<FakePhoneDiagnosis>();
    FakeUSBPlugEvents plugs;
    std::unique_ptr<TarvelApp> app;
};

} // namespace

// Clicking a storage lists its root; clicking a phone opens it; both keep their choice
// shown in the picker.
TEST_F(PhonesWindowTest, SwitchingStorageAndPhoneWithThePickers)
{
    open(4);
    EXPECT_TRUE(item("devicePicker")->isVisible());
    EXPECT_TRUE(item("storagePicker")->isVisible());
    EXPECT_EQ(item("storagePicker")->property("displayText"), "Internal storage, 128 GB");
    doubleClick(row("DCIM"));
    ASSERT_TRUE(spinUntil([&] { return text("locationTitle") == "DCIM"; }));

    choose("storagePicker", "SD card, 32 GB");
    ASSERT_TRUE(spinUntil([&] { return text("locationTitle") == "SanDisk" && rows().size() == 4; }));
    EXPECT_EQ(engine->directoryRequests.last(), (DirectoryRequest{phoneA.id, sdCard.id, std::nullopt}));
    EXPECT_EQ(item("storagePicker")->property("displayText"), "SD card, 32 GB");
    EXPECT_FALSE(item("upButton")->isEnabled());

    choose("devicePicker", "Galaxy S23");
    ASSERT_TRUE(spinUntil([&] { return vm()->state() == State::ready && vm()->selectedDevice() == phoneB; }));
    EXPECT_EQ(item("devicePicker")->property("displayText"), "Galaxy S23");
    EXPECT_EQ(item("storagePicker")->property("displayText"), "Internal storage, 128 GB");
    EXPECT_EQ(engine->directoryRequests.last(), (DirectoryRequest{phoneB.id, ownMemory.id, std::nullopt}));
}

// With no phone at start, plugging one in shows it and pulling it out shows the no-device
// state, without Refresh.
TEST_F(PhonesWindowTest, FollowsPlugAndUnplug)
{
    engine->devicesToReturn = {};
    diagnosis->reports = {};
    app->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
    ASSERT_TRUE(spinUntil([&] { return text("statusText") == vm()->message(TransferError::noDevice()); }));
    EXPECT_TRUE(item("emptyState")->isVisible());

    engine->devicesToReturn = {phoneA};
    diagnosis->reports = {{.address = {1, 4}}};
    Gate scan;
    engine->beforeScan = scan.hook();
    plugs.plugIn({1, 4});
    ASSERT_TRUE(scan.waitEntered());
    test::settle();
    EXPECT_TRUE(item("statusSpinner")->isVisible());
    EXPECT_EQ(text("statusText"), "Looking for phones...");
    scan.open();
    ASSERT_TRUE(spinUntil([&] { return rows().size() == 4; }));
    EXPECT_EQ(text("statusText"), "Showing Interner gemeinsamer Speicher.");
    EXPECT_FALSE(item("devicePicker")->isVisible());

    plugs.pullOut({1, 4});
    ASSERT_TRUE(spinUntil([&] { return item("emptyState")->isVisible(); }));
    EXPECT_EQ(text("statusText"), "Pixel 8 was unplugged.");
    EXPECT_EQ(text("emptyStateTitle"), "No Android device");
    EXPECT_TRUE(item("refreshButton")->isEnabled());
}
