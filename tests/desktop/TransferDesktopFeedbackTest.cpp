#include "DesktopSession/TransferDesktopFeedback.h"
#include "TarvelCore/TarvelViewModel.h"
#include "tests/desktop/DesktopBus.h"
#include "tests/support/TestSupport.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tarvel;
using namespace tarvel::test;

namespace {

const RemoteEntry photo{.id = "40", .name = "photo.jpg", .kind = RemoteEntryKind::file, .sizeBytes = 2'000'000};

class TransferDesktopFeedbackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
        engine->devicesToReturn = {{"mtp-1-2-18d1-4ee1", "Pixel 8", 0x18d1, 0x4ee1}};
        engine->storagesToReturn = {{"65537", "Internal shared storage", 64'000'000'000, 10'000'000'000}};
        engine->entriesByParentID = {{"", {photo}}};
        runSync(vm.refreshDevices());
        runSync(vm.loadSelectedDeviceStorage());
    }

    // Runs a transfer held at the gate long enough to count as long, the lock held
    // meanwhile; `atGate` runs while it is held.
    void runHeld(std::function<QCoro::Task<>()> start, std::function<void()> atGate = {})
    {
        Gate gate;
        engine->beforeDownload = gate.hook();
        auto transfer = start();
        ASSERT_TRUE(gate.waitEntered());
        const qsizetype lock = ++locksTaken;
        ASSERT_TRUE(spinUntil([&] { return logind->calls("Inhibit").size() == lock && !locks.allReleased(); }));
        QTest::qWait(5);
        if (atGate)
            atGate();
        gate.open();
        runSync(std::move(transfer));
        ASSERT_TRUE(spinUntil([&] { return locks.allReleased(); }));
        settle();
    }
    QCoro::Task<> downloadPhoto() { return vm.download(photo.id, photo.name, QUrl::fromLocalFile(computer.filePath("p.jpg"))); }
    QVariantList lastNotification() const { return notifications->calls("Notify").last().arguments().mid(3, 3); }

    PrivateBus bus;
    QDBusConnection services = bus.connect("services");
    PipeLocks locks;
    qsizetype locksTaken = 0;
    std::unique_ptr<StandIn> logind = standInLogind(services, locks);
    QStringList capabilities{"actions", "body"};
    std::unique_ptr<StandIn> notifications = standInNotifications(services, capabilities);
    LauncherListener listener{services};
    std::shared_ptr<FakeAndroidFileTransferEngine> engine = std::make_shared<FakeAndroidFileTransferEngine>();
    TarvelViewModel vm{engine};
    QTemporaryDir computer;
    bool windowActive = false;
    TransferDesktopFeedback feedback{&vm, [this] { return windowActive; }, {bus.address(), bus.address()},
                                     std::chrono::milliseconds(1)};
    // Beside it, one without any bus follows the same transfers: it must do nothing, quietly.
    TransferDesktopFeedback unreachable{&vm, [] { return false; }, {"unix:path=/nonexistent", "unix:path=/nonexistent"}};
};

} // namespace

// Every transfer keeps the computer awake and shows on the taskbar until it ends, however
// it ends. A long one ending unseen says its end sentence in a notification: with "Show
// in Folder" after a batch download, as the window offers, which the window then opens;
// a failure also calls the user to the taskbar entry until they come back. Seen, or
// cancelled by the user, it ends without one.
TEST_F(TransferDesktopFeedbackTest, EndOfATransfer)
{
    QSignalSpy showFolder(&feedback, &TransferDesktopFeedback::showFolderRequested);
    runHeld([&] { return vm.downloadItems({photo}, QUrl::fromLocalFile(computer.path())); });
    EXPECT_EQ(listener.properties(0).value("progress-visible"), true);
    // The last signal crosses the bus after the transfer has ended.
    EXPECT_TRUE(spinUntil([&] { return listener.last().value("progress-visible") == false; }));
    ASSERT_TRUE(spinUntil([&] { return notifications->calls("Notify").size() == 1; }));
    EXPECT_EQ(lastNotification(), (QVariantList{"Download finished", vm.statusMessage(), QStringList{"show-folder", "Show in Folder"}}));
    invokeAction(services, 1, "show-folder");
    EXPECT_TRUE(spinUntil([&] { return showFolder.size() == 1; }));

    engine->downloadError = TransferError::disconnected();
    runHeld([&] { return downloadPhoto(); });
    ASSERT_TRUE(spinUntil([&] { return notifications->calls("Notify").size() == 2; }));
    EXPECT_EQ(lastNotification(), (QVariantList{"Download stopped", vm.statusMessage(), QStringList()}));
    EXPECT_TRUE(spinUntil([&] { return listener.last().value("urgent") == true; }));
    feedback.windowActivated();
    EXPECT_TRUE(spinUntil([&] { return listener.last().value("urgent") == false; }));

    engine->downloadError.reset();
    runHeld([&] { return downloadPhoto(); }, [&] { vm.cancelTransfer(); });
    windowActive = true;
    runHeld([&] { return downloadPhoto(); });
    EXPECT_EQ(notifications->calls("Notify").size(), 2);
}
