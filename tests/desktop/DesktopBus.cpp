#include "tests/desktop/DesktopBus.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QFile>

#include <poll.h>
#include <unistd.h>

#include <algorithm>

namespace tarvel::test {

PrivateBus::PrivateBus()
{
    const QString config = m_dir.filePath("bus.conf");
    QFile file(config);
    if (file.open(QIODevice::WriteOnly))
        file.write("<busconfig><type>session</type><listen>unix:tmpdir=" + QFile::encodeName(m_dir.path()) +
                   "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\"/>"
                   "<allow own=\"*\"/><allow eavesdrop=\"true\"/></policy></busconfig>");
    file.close();
    m_daemon.start("dbus-daemon", {"--config-file=" + config, "--nofork", "--print-address"});
    if (m_daemon.waitForStarted() && m_daemon.waitForReadyRead(10000))
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
}

PrivateBus::~PrivateBus()
{
    for (const QString &name : m_names)
        QDBusConnection::disconnectFromBus(name);
    m_daemon.kill();
    m_daemon.waitForFinished();
}

QDBusConnection PrivateBus::connect(const QString &name)
{
    m_names.append(name);
    return QDBusConnection::connectToBus(m_address, name);
}

StandIn::StandIn(QDBusConnection bus, const QString &service, const QString &path, Answer answer)
    : m_answer(std::move(answer))
{
    bus.registerVirtualObject(path, this, QDBusConnection::SubPath);
    bus.registerService(service);
}

QList<QDBusMessage> StandIn::calls(const QString &member) const
{
    QList<QDBusMessage> of;
    for (const QDBusMessage &call : m_calls)
        if (call.member() == member)
            of.append(call);
    return of;
}

bool StandIn::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    m_calls.append(message);
    connection.send(message.createReply(m_answer(message, calls(message.member()).size())));
    return true;
}

PipeLocks::~PipeLocks()
{
    for (int fd : m_readEnds)
        ::close(fd);
}

QDBusUnixFileDescriptor PipeLocks::make()
{
    int ends[2];
    if (::pipe(ends) != 0)
        return {};
    m_readEnds.append(ends[0]);
    QDBusUnixFileDescriptor lock(ends[1]); // a copy: ours closes now, the client's is the last
    ::close(ends[1]);
    return lock;
}

bool PipeLocks::allReleased() const
{
    return std::all_of(m_readEnds.begin(), m_readEnds.end(), [](int fd) {
        pollfd end{fd, POLLIN, 0};
        return ::poll(&end, 1, 0) == 1 && (end.revents & POLLHUP);
    });
}

std::unique_ptr<StandIn> standInLogind(QDBusConnection bus, PipeLocks &locks)
{
    return std::make_unique<StandIn>(bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                                     [&locks](const QDBusMessage &, qsizetype) { return QVariantList{QVariant::fromValue(locks.make())}; });
}

std::unique_ptr<StandIn> standInPortal(QDBusConnection bus)
{
    return std::make_unique<StandIn>(bus, "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
                                     [](const QDBusMessage &call, qsizetype n) {
        return call.member() == "Inhibit" ? QVariantList{QVariant::fromValue(QDBusObjectPath(portalRequest(n)))} : QVariantList();
    });
}

std::unique_ptr<StandIn> standInNotifications(QDBusConnection bus, const QStringList &capabilities)
{
    return std::make_unique<StandIn>(bus, "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                                     [&capabilities](const QDBusMessage &call, qsizetype n) {
        return call.member() == "GetCapabilities" ? QVariantList{capabilities} : QVariantList{uint(n)};
    });
}

void invokeAction(QDBusConnection bus, uint id, const QString &action)
{
    bus.send(QDBusMessage::createSignal("/org/freedesktop/Notifications", "org.freedesktop.Notifications", "ActionInvoked")
             << id << action);
}

LauncherListener::LauncherListener(QDBusConnection bus)
{
    bus.connect(QString(), QString(), "com.canonical.Unity.LauncherEntry", "Update", this, SLOT(received(QDBusMessage)));
    // Its answer comes after the bus has taken the match above: no update sent later is missed.
    bus.interface()->isServiceRegistered("org.freedesktop.DBus");
}

QVariantMap LauncherListener::properties(qsizetype i) const
{
    return qdbus_cast<QVariantMap>(updates.at(i).arguments().value(1));
}

} // namespace tarvel::test
