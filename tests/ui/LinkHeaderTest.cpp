// The phone's USB link in the browser's header, read from a sysfs tree the test builds.

#include "TarvelApp/TarvelApp.h"
#include "USBDiagnosis/USBPhoneDiagnosis.h"
#include "tests/diagnosis/FakeBus.h"
#include "tests/support/FakeDesktopServices.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WindowDriver.h"
#include "tests/ui/ScriptedPhone.h"

#include <gtest/gtest.h>

#include <QQuickItem>
#include <QTest>

using namespace tarvel;
using namespace tarvel::test;

namespace {

// The real inspection, held at a gate while the test wants the bus slow.
class HeldDiagnosis : public PhoneDiagnosis {
public:
    explicit HeldDiagnosis(USBBusInspector inspector) : m_real(std::move(inspector)) {}
    QCoro::Task<QList<USBPhoneReport>> inspectBus() override
    {
        if (const auto hold = before)
            co_await hold();
        co_return co_await m_real.inspectBus();
    }
    FakePhoneDiagnosis::Hook before;

private:
    USBPhoneDiagnosis m_real;
};

class LinkHeaderTest : public ::testing::Test, protected WindowDriver {
protected:
    QQuickWindow *window() const override { return app->window(); }
    TarvelViewModel *vm() { return app->viewModel(); }

    FakeBus bus;
    std::shared_ptr<FakeAndroidFileTransferEngine> engine = std::make_shared<FakeAndroidFileTransferEngine>();
    std::unique_ptr<TarvelApp> app;
};

} // namespace

// A USB 3 phone held to USB 2 reads so with the hint, once the bus answers, and a slow bus
// holds neither the window nor the listing; another phone shows its own link (no hint at
// USB 3 speed), and one whose sysfs has no speed file shows no line at all.
TEST_F(LinkHeaderTest, ShowsTheSelectedPhonesLinkWithoutHoldingTheStart)
{
    const AndroidDevice slow{.id = "mtp-1-4", .name = "Pixel 8", .busNumber = 1, .deviceNumber = 4};
    const AndroidDevice fast{.id = "mtp-2-3", .name = "Galaxy S23", .busNumber = 2, .deviceNumber = 3};
    const AndroidDevice unknown{.id = "mtp-1-6", .name = "Fairphone 5", .busNumber = 1, .deviceNumber = 6};
    bus.addDevice("1-1", 1, 4, {androidMTPInterface()});
    bus.write("sys/bus/usb/devices/1-1/speed", "480\n");
    bus.write("sys/bus/usb/devices/1-1/version", " 3.20\n");
    bus.addDevice("2-1", 2, 3, {mtpInterface()}, "Galaxy S23", "R58M12ABCDE");
    bus.write("sys/bus/usb/devices/2-1/speed", "5000\n");
    bus.write("sys/bus/usb/devices/2-1/version", " 3.20\n");
    bus.addDevice("1-3", 1, 6, {mtpInterface()}, "FP5", "A0B1");
    bus.write("sys/bus/usb/devices/1-3/version", " 3.20\n");

    phone::script(*engine);
    engine->devicesToReturn = {slow, fast, unknown};
    const auto diagnosis = std::make_shared<HeldDiagnosis>(bus.inspector());
    Gate gate;
    diagnosis->before = gate.hook();
    app = std::make_unique<TarvelApp>(engine, diagnosis, nullptr, std::make_unique<FakeDesktopServices>());
    ASSERT_NE(window(), nullptr);
    app->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
    ASSERT_TRUE(spinUntil([&] { return vm()->state() == TarvelConnectionState::ready && rows().size() == 4; }));
    ASSERT_TRUE(gate.waitEntered());
    EXPECT_FALSE(item("linkLine")->isVisible());

    diagnosis->before = {};
    gate.open();
    ASSERT_TRUE(spinUntil([&] { return item("linkLine")->isVisible(); }));
    EXPECT_EQ(text("linkText"), "USB 2.0, 480 Mbit/s");
    EXPECT_EQ(text("linkHint"), "This phone could copy faster on a USB 3 port or cable.");
    EXPECT_TRUE(item("linkHint")->isVisible());

    runSync(vm()->selectDevice(fast.id));
    ASSERT_TRUE(spinUntil([&] { return text("linkText") == "USB 3, 5 Gbit/s"; }));
    EXPECT_FALSE(item("linkHint")->isVisible());

    runSync(vm()->selectDevice(unknown.id));
    ASSERT_TRUE(spinUntil([&] { return !item("linkLine")->isVisible(); }));
    // The answer for the phone before cannot come late and show under this one.
    settle();
    EXPECT_EQ(text("linkText"), "");
}
