#pragma once

// A sysfs, /proc and /dev tree built in a temporary folder, shaped as the kernel shows
// USB devices, their interfaces and the processes that hold their nodes.

#include "USBDiagnosis/USBBusInspector.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

namespace tarvel::test {

struct FakeInterface {
    int interfaceClass = 0;
    int subclass = 0;
    int protocol = 0;
    QString name = {};   // the interface string; none when empty
    QString driver = {}; // the bound driver; none when empty
};

// What phones show in each USB mode.
inline FakeInterface mtpInterface(QString driver = {}) { return {0x06, 0x01, 0x01, "MTP", driver}; }
inline FakeInterface androidMTPInterface(QString driver = {}) { return {0xff, 0xff, 0x00, "MTP", driver}; }
inline FakeInterface ptpInterface() { return {0x06, 0x01, 0x01, {}, {}}; }
inline FakeInterface adbInterface() { return {0xff, 0x42, 0x01, "ADB Interface", {}}; }
inline FakeInterface keyboardInterface() { return {0x03, 0x01, 0x01, {}, "usbhid"}; }

class FakeBus {
public:
    FakeBus();

    // A device at sysfs name `name` ("1-1"), its interfaces as `name`:1.N, and its node.
    void addDevice(const QString &name, uint bus, uint device, const QList<FakeInterface> &interfaces,
                   const QString &product = "Pixel 8", const QString &serial = "38161FDJH00");
    // A process whose descriptors link to `targets` ("/dev/bus/usb/001/004", "/dev/fuse").
    void addProcess(qint64 pid, const QString &comm, const QStringList &targets);
    void setSelf(qint64 pid);
    void write(const QString &relativePath, const QByteArray &content);
    void remove(const QString &relativePath);
    // Mode 0: closed to anyone but root, and to root too for the checks that run as an ordinary user.
    void lock(const QString &relativePath);
    QString path(const QString &relativePath) const { return m_dir.filePath(relativePath); }

    USBBusInspector inspector() const { return USBBusInspector(path("sys"), path("proc"), path("dev")); }

private:
    QTemporaryDir m_dir;
};

// One line per report, "bus:device problem", for comparing what another process saw.
QString describe(const QList<USBPhoneReport> &reports);

// Runs the inspection as an ordinary user: in a child that drops to nobody when the test
// runs as root, where file modes would not bind. Returns describe() of what it saw.
QString inspectAsOrdinaryUser(const FakeBus &bus);

} // namespace tarvel::test
