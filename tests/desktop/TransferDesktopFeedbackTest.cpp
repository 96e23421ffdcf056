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

const AndroidDevice pixel{"mtp-1-2-18d1-4ee1", "Pixel 8", 0x18d1, 0x4ee1};
const AndroidStorage internal{"65537", "Internal shared storage", 64'000'000'000, 10'000'000'000};
const RemoteEntry photo{.id = "40", .name = "photo.jpg", .kind = RemoteEntryKind::file, .sizeBytes = 2'000'000};

class TransferDesktopFeedbackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
        engine->devicesToReturn = {pixel};
        engine->storagesToReturn = {internal};
        engine->entriesByParentID = {{"", {photo}}};
        runSync(vm.refreshDevices());
        runSync(vm.loadSelectedDeviceStorage());
        engine->beforeDownload = gate->hook();
    }

    // Holds the download at its gate long enough to count as long, then lets it end.
    void runHeld(QCoro::Task<> transfer)
    {
        ASSERT_TRUE(gate->waitEntered());
        ++inhibits;
        ASSERT_TRUE(spinUntil([&] { return logind->calls("Inhibit").size() == inhibits && !locks.allReleased(); }));
        QTest::qWait(5);
        gate->open();
        runSync(std::move(transfer));
        gate = std::make_unique<Gate>();
        engine->beforeDownload = gate->hook();
        ASSERT_TRUE(spinUntil([&] { return locks.allReleased(); }));
        settle();
    }

    PrivateBus bus;
    QDBusConnection services = bus.connect("services");
    PipeLocks locks;
    std::unique_ptr<StandIn> logind = standInLogind(services, locks);
    QStringList capabilities{"actions", "body"};
    std::unique_ptr<StandIn> notifications = standInNotifications(services, capabilities);
    LauncherListener listener{services};
    std::shared_ptr<FakeAndroidFileTransferEngine> engine = std::make_shared<FakeAndroidFileTransferEngine>();
    TarvelViewModel vm{engine};
    std::unique_ptr<Gate> gate = std::make_unique<Gate>();
    int inhibits = 0;
    bool windowActive = false;
    QTemporaryDir computer;
    TransferDesktopFeedback feedback{&vm, [this] { return windowActive; }, {bus.address(), bus.address()},
                                     std::chrono::milliseconds(1)};
    // Beside it, one without any bus follows the same transfers: it must do nothing, quietly.
    TransferDesktopFeedback unreachable{&vm, [] { return false; }, {"unix:path=/nonexistent", "unix:path=/nonexistent"}};
};

} // namespace

// While a download runs the computer stays awake and the taskbar shows it; when a long
// one ends unseen the end sentence comes as a notification, with "Show in Folder" after
// a batch, which the window then opens. Seen, it ends without one.
TEST_F(TransferDesktopFeedbackTest, LongTransferEndingUnseenIsAnnounced)
{
    QSignalSpy showFolder(&feedback, &TransferDesktopFeedback::showFolderRequested);
    runHeld(vm.downloadItems({photo}, QUrl::fromLocalFile(computer.path())));
    ASSERT_GE(listener.updates.size(), 2);
    EXPECT_EQ(listener.properties(0).value("progress-visible"), true);
    EXPECT_EQ(listener.last().value("progress-visible"), false);
    ASSERT_TRUE(spinUntil([&] { return notifications->calls("Notify").size() == 1; }));
    EXPECT_EQ(notifications->calls("Notify").first().arguments().mid(3, 3),
              (QVariantList{"Download finished", vm.statusMessage(), QStringList{"show-folder", "Show in Folder"}}));
    invokeAction(services, 1, "show-folder");
    EXPECT_TRUE(spinUntil([&] { return showFolder.size() == 1; }));

    windowActive = true;
    runHeld(vm.download(photo.id, photo.name, QUrl::fromLocalFile(computer.filePath("photo.jpg"))));
    EXPECT_EQ(notifications->calls("Notify").size(), 1);
}

// A failure lets go of the lock too, and its notification says it stopped and calls the
// user to the taskbar entry until they come back; a copy the user cancelled ends quietly.
TEST_F(TransferDesktopFeedbackTest, FailureAndCancelAlsoLetGo)
{
    engine->downloadError = TransferError::disconnected();
    runHeld(vm.download(photo.id, photo.name, QUrl::fromLocalFile(computer.filePath("photo.jpg"))));
    ASSERT_TRUE(spinUntil([&] { return notifications->calls("Notify").size() == 1; }));
    // One file: the window offers no folder to show either.
    EXPECT_EQ(notifications->calls("Notify").first().arguments().mid(3, 3),
              (QVariantList{"Download stopped", vm.statusMessage(), QStringList()}));
    EXPECT_TRUE(spinUntil([&] { return listener.last().value("urgent") == true; }));
    feedback.windowActivated();
    EXPECT_TRUE(spinUntil([&] { return listener.last().value("urgent") == false; }));

    engine->downloadError.reset();
    auto cancelled = vm.download(photo.id, photo.name, QUrl::fromLocalFile(computer.filePath("photo.jpg")));
    ASSERT_TRUE(gate->waitEntered());
    ASSERT_TRUE(spinUntil([&] { return logind->calls("Inhibit").size() == 2; }));
    vm.cancelTransfer();
    gate->open();
    runSync(std::move(cancelled));
    EXPECT_TRUE(spinUntil([&] { return locks.allReleased(); }));
    settle();
    EXPECT_EQ(notifications->calls("Notify").size(), 1);
}
