// Runs inside the emulator guest (see run-e2e.sh): the whole application over the real
// engine, with the real bus diagnosis and libusb hot-plug. A second program holding the
// phone is named; a phone this user may not open gets the permission sentence; the
// window follows the phone being pulled out and plugged back in without Refresh.

#include "MTPAdapter/MTPAndroidFileTransferEngine.h"
#include "TarvelApp/TarvelApp.h"
#include "USBDiagnosis/USBHotplugMonitor.h"
#include "USBDiagnosis/USBPhoneDiagnosis.h"
#include "tests/support/FakeDesktopServices.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace tarvel;
using namespace std::chrono_literals;
using tarvel::test::spinUntil;

namespace {

class BusApp : public ::testing::Test, protected test::WindowDriver {
protected:
    void start()
    {
        app = std::make_unique<TarvelApp>(std::make_shared<MTPAndroidFileTransferEngine>(),
                                          std::make_shared<USBPhoneDiagnosis>(), &plugEvents,
                                          std::make_unique<test::FakeDesktopServices>());
        ASSERT_NE(window(), nullptr);
        app->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
    }
    ~BusApp() override
    {
        app.reset();
        MTPAndroidFileTransferEngine::waitForIdle(60000);
    }

    QQuickWindow *window() const override { return app->window(); }
    TarvelViewModel *vm() { return app->viewModel(); }

    void screenshot(const QString &name)
    {
        const QString folder = qEnvironmentVariable("TARVEL_E2E_SCREENSHOTS", qEnvironmentVariable("TARVEL_E2E_WORK"));
        QDir().mkpath(folder);
        test::settle();
        EXPECT_TRUE(window()->grabWindow().save(folder + "/bus-" + name + ".png")) << name.toStdString();
    }

    bool waitForStatus(const QString &status)
    {
        const bool seen = spinUntil([&] { return text("statusText") == status; }, 60s);
        if (!seen)
            ADD_FAILURE() << "status: " << text("statusText").toStdString();
        return seen;
    }

    bool showsThePhone() { return spinUntil([&] { return vm()->state() == TarvelConnectionState::ready && !rows().isEmpty(); }, 60s); }

    // mtpvm-phone, the harness's plug and unplug command.
    static bool phone(const QString &action)
    {
        QProcess command;
        command.start("mtpvm-phone", {action, "0"});
        return command.waitForFinished(60000) && command.exitStatus() == QProcess::NormalExit && command.exitCode() == 0;
    }

    USBHotplugMonitor plugEvents;
    std::unique_ptr<TarvelApp> app;
};

} // namespace

// The program that claimed the phone first is named, and once it lets go Refresh shows the phone.
TEST_F(BusApp, ASecondProgramHoldingThePhoneIsNamed)
{
    QProcess holder;
    holder.start(qEnvironmentVariable("TARVEL_E2E_HOLDER"), {});
    ASSERT_TRUE(holder.waitForReadyRead(30000));
    ASSERT_EQ(holder.readLine().trimmed(), "holding");

    start();
    ASSERT_TRUE(waitForStatus("phone-holder is using the phone. Close it, then press Refresh."));
    EXPECT_EQ(vm()->state(), TarvelConnectionState::deviceUnavailable);
    screenshot("held-by-another-program");

    holder.kill();
    holder.waitForFinished();
    click(item("refreshButton"));
    ASSERT_TRUE(showsThePhone());
}

// libusb hot-plug on its own context, through udev: pulled out, the window shows the
// no-device state; plugged back in, the phone is shown again; Refresh is never pressed.
TEST_F(BusApp, FollowsThePhoneBeingPulledOutAndPluggedIn)
{
    if (QStandardPaths::findExecutable("mtpvm-phone").isEmpty())
        GTEST_SKIP() << "the guest cannot plug phones in and out (run-e2e.sh bus)";
    ASSERT_TRUE(plugEvents.isWatching());
    start();
    ASSERT_TRUE(showsThePhone());
    const QString name = vm()->selectedDevice()->name;

    ASSERT_TRUE(phone("unplug"));
    ASSERT_TRUE(waitForStatus(name + " was unplugged."));
    EXPECT_TRUE(item("emptyState")->isVisible());
    screenshot("pulled-out");

    ASSERT_TRUE(phone("plug"));
    ASSERT_TRUE(showsThePhone());
    screenshot("plugged-in");
}

// As an ordinary user without access to the phone's node, the permission sentence, not
// the locked-phone one.
TEST_F(BusApp, NoAccessToTheNodeGetsThePermissionSentence)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root opens every node (run-e2e.sh nonroot runs this as nobody)";
    start();
    ASSERT_TRUE(waitForStatus(TarvelViewModel::message(TransferError::permissionDenied())));
    screenshot("no-permission");
}
