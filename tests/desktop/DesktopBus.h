#pragma once

// A D-Bus daemon of the test's own, and what the test registers on it from its own
// process: stand-ins for the services Tarvel calls, and a listener for the taskbar
// entry's updates.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QVariantMap>

#include <functional>
#include <memory>

namespace tarvel::test {

// With no service files: a name no stand-in owns stays unowned, never started.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    QString address() const { return m_address; }
    // A connection of its own, as a second program would have.
    QDBusConnection connect(const QString &name);

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QStringList m_names;
};

// Owns `service` and answers every call to `path` and below it with what `answer` gives
// for it, the n-th of its name (from 1), recording the calls.
class StandIn : public QDBusVirtualObject {
public:
    using Answer = std::function<QVariantList(const QDBusMessage &call, qsizetype n)>;
    StandIn(QDBusConnection bus, const QString &service, const QString &path, Answer answer);
    QList<QDBusMessage> calls(const QString &member) const;

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

private:
    Answer m_answer;
    QList<QDBusMessage> m_calls;
};

// logind's locks: one end of a pipe each, whose other end shows when the lock is let go.
class PipeLocks {
public:
    ~PipeLocks();
    QDBusUnixFileDescriptor make();
    bool allReleased() const; // every lock's last descriptor closed

private:
    QList<int> m_readEnds;
};

// logind's manager, handing out locks; the portal, its n-th request at portalRequest(n);
// the notification server, showing what `capabilities` says at each call, the n-th
// notification with id n.
inline QString portalRequest(qsizetype n) { return QString("/org/freedesktop/portal/desktop/request/1_1/t%1").arg(n); }
std::unique_ptr<StandIn> standInLogind(QDBusConnection bus, PipeLocks &locks);
std::unique_ptr<StandIn> standInPortal(QDBusConnection bus);
std::unique_ptr<StandIn> standInNotifications(QDBusConnection bus, const QStringList &capabilities);
// The server's signal that a notification's action was pressed.
void invokeAction(QDBusConnection bus, uint id, const QString &action);

class LauncherListener : public QObject {
    Q_OBJECT

public:
    explicit LauncherListener(QDBusConnection bus);
    QList<QDBusMessage> updates;
    QVariantMap properties(qsizetype i) const;
    QVariantMap last() const { return updates.isEmpty() ? QVariantMap() : properties(updates.size() - 1); }

private Q_SLOTS:
    void received(const QDBusMessage &message) { updates.append(message); }
};

} // namespace tarvel::test
