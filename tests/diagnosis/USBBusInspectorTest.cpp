#include "USBDiagnosis/USBBusInspector.h"
#include "USBDiagnosis/USBPhoneDiagnosis.h"
#include "tests/diagnosis/FakeBus.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tarvel;
using namespace tarvel::test;

namespace {
const QString node14 = "/dev/bus/usb/001/004";

std::optional<TransferError> onlyProblem(const FakeBus &bus)
{
    const QList<USBPhoneReport> reports = bus.inspector().inspect();
    EXPECT_EQ(reports.size(), 1);
    return reports.isEmpty() ? std::nullopt : reports.first().problem;
}
} // namespace

// Hubs, keyboards and an empty bus are not phones: the connect sentence stays.
TEST(USBBusInspector, NothingThatCouldBeAPhone)
{
    FakeBus bus;
    EXPECT_TRUE(bus.inspector().inspect().isEmpty());
    bus.addDevice("usb1", 1, 1, {{0x09, 0, 0, {}, "hub"}}, "xHCI Host Controller", "0000:00:04.0");
    bus.addDevice("1-2", 1, 3, {keyboardInterface()}, "USB Keyboard", "");
    EXPECT_TRUE(bus.inspector().inspect().isEmpty());
    EXPECT_EQ(explainMissingPhone(bus.inspector().inspect()), TransferError::noDevice());
}

// Debugging or charging only (an ADB interface) and picture transfer (a still-image
// interface without the MTP string) both ask for File transfer; an MTP interface of either
// class is File transfer, with or without debugging beside it.
TEST(USBBusInspector, UsbModeOtherThanFileTransfer)
{
    {
        FakeBus bus;
        bus.addDevice("1-1", 1, 4, {adbInterface()});
        EXPECT_EQ(onlyProblem(bus), TransferError::unsupportedUSBMode());
    }
    {
        FakeBus bus;
        bus.addDevice("1-1", 1, 4, {ptpInterface()});
        EXPECT_EQ(onlyProblem(bus), TransferError::unsupportedUSBMode());
    }
    {
        FakeBus bus;
        bus.addDevice("1-1", 1, 4, {androidMTPInterface(), adbInterface()});
        bus.addDevice("1-2", 1, 5, {mtpInterface()}, "QEMU filesharing", "34617-0000:00:04.0-2");
        const QList<USBPhoneReport> reports = bus.inspector().inspect();
        ASSERT_EQ(reports.size(), 2);
        EXPECT_EQ(reports.at(0), (USBPhoneReport{{1, 4}, 0x18d1, 0x4ee1, "Pixel 8", "38161FDJH00", std::nullopt}));
        EXPECT_EQ(reports.at(1).product, "QEMU filesharing");
        EXPECT_EQ(reports.at(1).problem, std::nullopt);
    }
}

// A claimed MTP interface names the process that has the node open, with what it is.
TEST(USBBusInspector, NamesTheProgramHoldingThePhone)
{
    struct Case {
        QString comm;
        QStringList targets;
        PhoneHolder holder;
    };
    const QList<Case> cases{
        {"gvfsd-mtp", {"/dev/null", node14}, {PhoneHolderKind::filesService, "gvfsd-mtp"}},
        {"kiod6", {node14}, {PhoneHolderKind::kdeService, "kiod6"}},
        {"kiod5", {node14}, {PhoneHolderKind::kdeService, "kiod5"}},
        {"phonefs", {"/dev/fuse", "socket:[4711]", node14}, {PhoneHolderKind::folderMount, "phonefs"}},
        {"tarvel", {node14}, {PhoneHolderKind::tarvel, "tarvel"}},
        {"probe", {node14}, {PhoneHolderKind::program, "probe"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.comm.toStdString());
        FakeBus bus;
        bus.addDevice("1-1", 1, 4, {mtpInterface("usbfs")});
        bus.addProcess(300, "bash", {"/dev/pts/0", "/dev/bus/usb/001/005"}); // another device's node
        bus.addProcess(2200, c.comm, c.targets);
        bus.setSelf(900);
        EXPECT_EQ(onlyProblem(bus), TransferError::deviceInUse(c.holder));
    }
}

// Our own open session is no reason to stop; but beside another holder, the other is named.
TEST(USBBusInspector, OwnProcessIsNotAHolder)
{
    FakeBus bus;
    bus.addDevice("1-1", 1, 4, {mtpInterface("usbfs")});
    bus.addProcess(900, "tarvel", {node14});
    bus.setSelf(900);
    EXPECT_EQ(onlyProblem(bus), std::nullopt);

    bus.addProcess(1200, "gvfsd-mtp", {node14});
    EXPECT_EQ(onlyProblem(bus), TransferError::deviceInUse({PhoneHolderKind::filesService, "gvfsd-mtp"}));
}

// Another user's processes cannot be looked into: a claim nobody visible holds is theirs,
// and the sentence says so rather than naming a wrong program.
TEST(USBBusInspector, HolderRunningAsAnotherUserIsUnseen)
{
    FakeBus bus;
    bus.addDevice("1-1", 1, 4, {mtpInterface("usbfs")});
    bus.addProcess(1500, "gvfsd-mtp", {node14});
    bus.lock("proc/1500/fd");
    EXPECT_EQ(inspectAsOrdinaryUser(bus), "1:4 deviceInUse: unseen holder\n");

    FakeBus empty; // no process at all, as with a /proc that hides other users' processes
    empty.addDevice("1-1", 1, 4, {mtpInterface("usbfs")});
    EXPECT_EQ(onlyProblem(empty), TransferError::deviceInUse({}));
}

// A phone this account may not open is a permission problem, not a locked phone.
TEST(USBBusInspector, NodeWithoutReadWriteAccess)
{
    FakeBus bus;
    bus.addDevice("1-1", 1, 4, {mtpInterface()});
    EXPECT_EQ(inspectAsOrdinaryUser(bus), "1:4 ok\n");
    bus.lock("dev/bus/usb/001/004");
    EXPECT_EQ(inspectAsOrdinaryUser(bus), "1:4 permissionDenied\n");
}

// Several phones come in bus order, numbers compared as numbers, each with its own
// reason; the asynchronous diagnosis gives the same answer.
TEST(USBBusInspector, SeveralPhones)
{
    FakeBus bus;
    bus.addDevice("2-1", 2, 3, {androidMTPInterface()}, "Pixel 8", "AAA");
    bus.addDevice("1-1", 1, 12, {adbInterface()}, "Galaxy", "BBB");
    bus.addDevice("1-2", 1, 7, {mtpInterface("usbfs")}, "Galaxy", "CCC");
    bus.addProcess(4000, "gvfsd-mtp", {"/dev/bus/usb/001/007"});
    const QList<USBPhoneReport> reports = bus.inspector().inspect();
    EXPECT_EQ(describe(reports), "1:7 deviceInUse: gvfsd-mtp\n1:12 unsupportedUSBMode\n2:3 ok\n");
    EXPECT_EQ(reports.at(1).serial, "BBB");
    EXPECT_EQ(explainMissingPhone(reports), TransferError::deviceInUse({PhoneHolderKind::filesService, "gvfsd-mtp"}));
    EXPECT_EQ(explainOpenFailure(reports, {2, 3}), std::nullopt);

    USBPhoneDiagnosis diagnosis(bus.inspector());
    EXPECT_EQ(runSync(diagnosis.inspectBus()), reports);
}

// What a device leaves behind as it is unplugged mid-read (a link to a removed folder,
// attributes already gone, a node already gone) is skipped, and so is a holder that ended;
// the rest of the bus is still read.
TEST(USBBusInspector, DeviceGoingAwayWhileReadIsLeftOut)
{
    FakeBus bus;
    bus.addDevice("1-1", 1, 4, {mtpInterface("usbfs")});
    bus.addDevice("1-2", 1, 5, {mtpInterface()});
    bus.remove("sys/bus/usb/devices/1-2/devnum");
    bus.addDevice("1-3", 1, 6, {mtpInterface()});
    bus.remove("dev/bus/usb/001/006");
    bus.addDevice("1-4", 1, 8, {mtpInterface()});
    bus.remove("sys/bus/usb/devices/1-4:1.0/bInterfaceClass");
    QFile::link(bus.path("sys/devices/pci0000:00/usb1/1-5"), bus.path("sys/bus/usb/devices/1-5"));
    bus.addProcess(700, "ended", {node14});
    bus.remove("proc/700/comm");
    bus.addProcess(800, "gvfsd-mtp", {node14});
    EXPECT_EQ(describe(bus.inspector().inspect()), "1:4 deviceInUse: gvfsd-mtp\n");
}

// The link reads in plain words; a USB 3 phone held to USB 2 speed gets the hint; an
// unknown or missing speed file, or no version, is no link or no hint, never an error.
TEST(USBBusInspector, LinkSpeedAndWhetherItCouldBeFaster)
{
    struct Case {
        QByteArray speed; // empty: no file
        QByteArray version;
        std::optional<USBLink> link;
    };
    const QList<Case> cases{
        {"480\n", " 3.20\n", USBLink{"USB 2.0, 480 Mbit/s", true}},
        {"480\n", " 2.10\n", USBLink{"USB 2.0, 480 Mbit/s", false}},
        {"5000\n", " 3.20\n", USBLink{"USB 3, 5 Gbit/s", false}},
        {"10000\n", " 3.10\n", USBLink{"USB 3, 10 Gbit/s", false}},
        {"20000\n", " 3.20\n", USBLink{"USB 3, 20 Gbit/s", false}},
        {"12\n", " 3.00\n", USBLink{"USB 1.1, 12 Mbit/s", true}},
        {"1.5\n", " 1.10\n", USBLink{"USB 1.1, 1.5 Mbit/s", false}},
        {"480\n", {}, USBLink{"USB 2.0, 480 Mbit/s", false}},
        {"unknown\n", " 3.20\n", std::nullopt},
        {{}, " 3.20\n", std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.speed.toStdString() + c.version.toStdString());
        FakeBus bus;
        bus.addDevice("1-1", 1, 4, {mtpInterface()});
        if (!c.speed.isEmpty())
            bus.write("sys/bus/usb/devices/1-1/speed", c.speed);
        if (!c.version.isEmpty())
            bus.write("sys/bus/usb/devices/1-1/version", c.version);
        const QList<USBPhoneReport> reports = bus.inspector().inspect();
        ASSERT_EQ(reports.size(), 1);
        EXPECT_EQ(reports.first().link, c.link);
        EXPECT_EQ(reports.first().problem, std::nullopt);
    }
}
