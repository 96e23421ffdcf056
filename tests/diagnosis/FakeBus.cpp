#include "tests/diagnosis/FakeBus.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvel::test {

FakeBus::FakeBus()
{
    QDir root(m_dir.path());
    root.mkpath("sys/bus/usb/devices");
    root.mkpath("proc");
    root.mkpath("dev/bus/usb");
    ::chmod(QFile::encodeName(m_dir.path()).constData(), 0755); // an ordinary user must find its way in
}

void FakeBus::write(const QString &relativePath, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path(relativePath)).path());
    QFile file(path(relativePath));
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

void FakeBus::remove(const QString &relativePath)
{
    if (!QFile::remove(path(relativePath)))
        QDir(path(relativePath)).removeRecursively();
}

void FakeBus::lock(const QString &relativePath)
{
    ::chmod(QFile::encodeName(path(relativePath)).constData(), 0);
}

void FakeBus::addDevice(const QString &name, uint bus, uint device, const QList<FakeInterface> &interfaces,
                        const QString &product, const QString &serial)
{
    const QString dir = "sys/bus/usb/devices/" + name + "/";
    write(dir + "busnum", QByteArray::number(bus) + "\n");
    write(dir + "devnum", QByteArray::number(device) + "\n");
    write(dir + "idVendor", "18d1\n");
    write(dir + "idProduct", "4ee1\n");
    write(dir + "product", product.toUtf8() + "\n");
    write(dir + "serial", serial.toUtf8() + "\n");
    for (int i = 0; i < interfaces.size(); ++i) {
        const FakeInterface &interface = interfaces.at(i);
        const QString interfaceDir = QString("sys/bus/usb/devices/%1:1.%2/").arg(name).arg(i);
        write(interfaceDir + "bInterfaceClass", QByteArray::number(interface.interfaceClass, 16).rightJustified(2, '0') + "\n");
        write(interfaceDir + "bInterfaceSubClass", QByteArray::number(interface.subclass, 16).rightJustified(2, '0') + "\n");
        write(interfaceDir + "bInterfaceProtocol", QByteArray::number(interface.protocol, 16).rightJustified(2, '0') + "\n");
        if (!interface.name.isEmpty())
            write(interfaceDir + "interface", interface.name.toUtf8() + "\n");
        if (!interface.driver.isEmpty())
            QFile::link("../../../../bus/usb/drivers/" + interface.driver, path(interfaceDir + "driver"));
    }
    const QString node = QString::asprintf("dev/bus/usb/%03u/%03u", bus, device);
    write(node, {});
    ::chmod(QFile::encodeName(path(node)).constData(), 0666);
}

void FakeBus::addProcess(qint64 pid, const QString &comm, const QStringList &targets)
{
    const QString dir = QString("proc/%1/").arg(pid);
    write(dir + "comm", comm.toUtf8() + "\n");
    QDir().mkpath(path(dir + "fd"));
    int fd = 0;
    for (const QString &target : targets)
        ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path(dir + "fd/" + QString::number(fd++))).constData());
}

void FakeBus::setSelf(qint64 pid)
{
    QFile::link(QString::number(pid), path("proc/self"));
}

QString describe(const QList<USBPhoneReport> &reports)
{
    QString text;
    for (const USBPhoneReport &report : reports) {
        text += QString("%1:%2 %3\n")
                    .arg(report.address.busNumber)
                    .arg(report.address.deviceNumber)
                    .arg(report.problem ? QString::fromUtf8(report.problem->what()) : QString("ok"));
    }
    return text;
}

QString inspectAsOrdinaryUser(const FakeBus &bus)
{
    if (::geteuid() != 0)
        return describe(bus.inspector().inspect());
    int channel[2];
    if (::pipe(channel) != 0)
        return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const uid_t nobody = 65534;
        if (::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(2);
        const QByteArray seen = describe(bus.inspector().inspect()).toUtf8();
        const bool written = ::write(channel[1], seen.constData(), size_t(seen.size())) == seen.size();
        ::_exit(written ? 0 : 3);
    }
    ::close(channel[1]);
    QByteArray seen;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        seen.append(buffer, int(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QString("the ordinary user's check failed (status %1)").arg(status);
    return QString::fromUtf8(seen);
}

} // namespace tarvel::test
