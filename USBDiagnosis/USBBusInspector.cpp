#include "USBDiagnosis/USBBusInspector.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <unistd.h>

namespace tarvel {

namespace {

// USB interface classes and the ones Android phones show in each mode.
constexpr int stillImageClass = 0x06;
constexpr int vendorClass = 0xff;
constexpr int adbSubclass = 0x42;
constexpr int adbProtocol = 0x01;

// One sysfs attribute, trimmed; absent when the file is gone or unreadable.
std::optional<QString> readAttribute(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(file.readAll()).trimmed();
}

std::optional<uint> readNumber(const QString &path, int base)
{
    const std::optional<QString> text = readAttribute(path);
    bool ok = false;
    const uint value = text ? text->toUInt(&ok, base) : 0;
    return ok ? std::optional(value) : std::nullopt;
}

// Where a symbolic link points, as written; empty when it is not one or is gone.
QString linkTarget(const QString &path)
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    return length > 0 ? QFile::decodeName(QByteArray(buffer, int(length))) : QString();
}

QString nodeName(USBAddress address)
{
    return QString::asprintf("bus/usb/%03u/%03u", address.busNumber, address.deviceNumber);
}

PhoneHolder classifyHolder(const QString &program, bool usesFuse)
{
    if (program == QLatin1String("gvfsd-mtp"))
        return {PhoneHolderKind::filesService, program};
    if (program == QLatin1String("kiod5") || program == QLatin1String("kiod6"))
        return {PhoneHolderKind::kdeService, program};
    if (usesFuse)
        return {PhoneHolderKind::folderMount, program};
    if (program == QLatin1String("tarvel"))
        return {PhoneHolderKind::tarvel, program};
    return {PhoneHolderKind::program, program};
}

// The link's speed (sysfs "speed", in Mbit/s: 1.5, 12, 480, 5000, 10000, 20000) and
// the USB version the device's descriptor claims (sysfs "version", " 3.20"). Nothing
// when the speed is missing or unknown.
std::optional<USBLink> readLink(const QString &devicePath)
{
    bool ok = false;
    const double mbits = readAttribute(devicePath + QStringLiteral("/speed")).value_or(QString()).toDouble(&ok);
    if (!ok || mbits <= 0)
        return std::nullopt;
    const QString generation = mbits <= 12     ? QStringLiteral("USB 1.1")
                               : mbits <= 480  ? QStringLiteral("USB 2.0")
                               : mbits <= 20000 ? QStringLiteral("USB 3")
                                                : QStringLiteral("USB4");
    const QString rate = mbits < 1000 ? QString::number(mbits) + QStringLiteral(" Mbit/s")
                                      : QString::number(mbits / 1000) + QStringLiteral(" Gbit/s");
    const double claimed = readAttribute(devicePath + QStringLiteral("/version")).value_or(QString()).toDouble();
    return USBLink{.text = generation + QStringLiteral(", ") + rate, .couldBeFaster = claimed >= 3 && mbits <= 480};
}

} // namespace

struct USBBusInspector::Interface {
    int interfaceClass = -1;
    int subclass = -1;
    int protocol = -1;
    QString name;   // the interface string, "MTP" on a phone in File transfer mode
    QString driver; // the bound driver; "usbfs" while a program has claimed it

    bool isMTP() const
    {
        return name.contains(QLatin1String("MTP")) && (interfaceClass == stillImageClass || interfaceClass == vendorClass);
    }
    bool isStillImage() const { return interfaceClass == stillImageClass; }
    bool isADB() const { return interfaceClass == vendorClass && subclass == adbSubclass && protocol == adbProtocol; }
};

USBBusInspector::USBBusInspector(QString sysfsRoot, QString procRoot, QString devRoot)
    : m_sysfs(std::move(sysfsRoot)), m_proc(std::move(procRoot)), m_dev(std::move(devRoot))
{
}

QList<USBPhoneReport> USBBusInspector::inspect() const
{
    const QDir devices(m_sysfs + QStringLiteral("/bus/usb/devices"));
    const QStringList names = devices.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QList<USBPhoneReport> reports;
    for (const QString &name : names) {
        if (name.contains(QLatin1Char(':'))) // an interface, read with its device below
            continue;
        const QString path = devices.filePath(name);
        const std::optional<uint> bus = readNumber(path + QStringLiteral("/busnum"), 10);
        const std::optional<uint> device = readNumber(path + QStringLiteral("/devnum"), 10);
        if (!bus || !device)
            continue;
        const USBAddress address{*bus, *device};

        std::optional<Interface> mtp;
        bool stillImage = false;
        bool adb = false;
        const QStringList interfaceNames = devices.entryList({name + QStringLiteral(":*")}, QDir::Dirs);
        for (const QString &interfaceName : interfaceNames) {
            const QString interfacePath = devices.filePath(interfaceName);
            Interface interface;
            interface.interfaceClass = int(readNumber(interfacePath + QStringLiteral("/bInterfaceClass"), 16).value_or(-1));
            interface.subclass = int(readNumber(interfacePath + QStringLiteral("/bInterfaceSubClass"), 16).value_or(-1));
            interface.protocol = int(readNumber(interfacePath + QStringLiteral("/bInterfaceProtocol"), 16).value_or(-1));
            interface.name = readAttribute(interfacePath + QStringLiteral("/interface")).value_or(QString());
            interface.driver = linkTarget(interfacePath + QStringLiteral("/driver")).section(QLatin1Char('/'), -1);
            if (interface.isMTP() && !mtp)
                mtp = interface;
            stillImage = stillImage || interface.isStillImage();
            adb = adb || interface.isADB();
        }
        if (!mtp && !stillImage && !adb)
            continue;

        USBPhoneReport report;
        report.address = address;
        report.vendorID = quint16(readNumber(path + QStringLiteral("/idVendor"), 16).value_or(0));
        report.productID = quint16(readNumber(path + QStringLiteral("/idProduct"), 16).value_or(0));
        report.product = readAttribute(path + QStringLiteral("/product")).value_or(QString());
        report.serial = readAttribute(path + QStringLiteral("/serial")).value_or(QString());
        report.link = readLink(path);
        if (mtp)
            report.problem = mtpProblem(address, *mtp);
        else
            report.problem = TransferError::unsupportedUSBMode(); // picture transfer, or debugging and charging only

        // Unplugged while it was read: its files are gone, or the number now belongs to another device.
        if (readNumber(path + QStringLiteral("/devnum"), 10) != device)
            continue;
        if (report.problem && report.problem->kind() == TransferError::Kind::disconnected)
            continue;
        reports.append(report);
    }
    std::sort(reports.begin(), reports.end(), [](const USBPhoneReport &a, const USBPhoneReport &b) {
        return std::pair(a.address.busNumber, a.address.deviceNumber) < std::pair(b.address.busNumber, b.address.deviceNumber);
    });
    return reports;
}

std::optional<TransferError> USBBusInspector::mtpProblem(USBAddress address, const Interface &mtp) const
{
    if (mtp.driver == QLatin1String("usbfs")) {
        // Our own process holds it while its session is open; that is no reason to stop.
        if (const std::optional<PhoneHolder> holder = findHolder(address))
            return TransferError::deviceInUse(*holder);
    }
    const QByteArray node = QFile::encodeName(m_dev + QLatin1Char('/') + nodeName(address));
    if (::access(node.constData(), R_OK | W_OK) != 0) {
        if (errno == ENOENT)
            return TransferError::disconnected();
        if (errno == EACCES || errno == EPERM || errno == EROFS)
            return TransferError::permissionDenied();
    }
    return std::nullopt;
}

// The first process, by pid, that has the device node open. Another user's processes
// cannot be looked into, so a claim nobody visible holds is theirs: unseen. None when
// only this process holds it.
std::optional<PhoneHolder> USBBusInspector::findHolder(USBAddress address) const
{
    const QString node = QStringLiteral("/dev/") + nodeName(address);
    const QString self = linkTarget(m_proc + QStringLiteral("/self"));
    const QDir proc(m_proc);
    QList<qint64> pids;
    for (const QString &entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (ok)
            pids.append(pid);
    }
    std::sort(pids.begin(), pids.end());

    bool selfHolds = false;
    for (const qint64 pid : pids) {
        const QString processPath = proc.filePath(QString::number(pid));
        const QDir fds(processPath + QStringLiteral("/fd"));
        bool holds = false;
        bool usesFuse = false;
        for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            const QString target = linkTarget(fds.filePath(fd));
            holds = holds || target == node;
            usesFuse = usesFuse || target == QLatin1String("/dev/fuse");
        }
        if (!holds)
            continue;
        if (QString::number(pid) == self) {
            selfHolds = true;
            continue;
        }
        // A process that ended while it was read has no name left; look further.
        if (const std::optional<QString> program = readAttribute(processPath + QStringLiteral("/comm")))
            return classifyHolder(*program, usesFuse);
    }
    if (selfHolds)
        return std::nullopt;
    return PhoneHolder{};
}

} // namespace tarvel
