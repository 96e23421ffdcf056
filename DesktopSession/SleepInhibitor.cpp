#include "DesktopSession/SleepInhibitor.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace tarvel {

namespace {

// The portal's Inhibit flags: 4 suspend, 8 idle.
constexpr uint suspendAndIdle = 4 | 8;

template <typename Reply, typename Then>
void whenAnswered(QObject *owner, const QDBusPendingCall &call, Then then)
{
    auto *watcher = new QDBusPendingCallWatcher(call, owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner, [then](QDBusPendingCallWatcher *answered) {
        answered->deleteLater();
        then(QDBusPendingReply<Reply>(*answered));
    });
}

} // namespace

SleepInhibitor::SleepInhibitor(QDBusConnection systemBus, QDBusConnection sessionBus, QObject *parent)
    : QObject(parent), m_systemBus(std::move(systemBus)), m_sessionBus(std::move(sessionBus))
{
}

SleepInhibitor::~SleepInhibitor()
{
    release();
}

void SleepInhibitor::inhibit()
{
    m_wanted = true;
    if (m_asking || m_lock.isValid() || !m_portalRequest.isEmpty())
        return;
    m_asking = true;
    askLogind();
}

void SleepInhibitor::release()
{
    m_wanted = false;
    m_lock = QDBusUnixFileDescriptor(); // closes our copy of the descriptor, which ends the lock
    closePortalRequest();
}

void SleepInhibitor::askLogind()
{
    if (!m_systemBus.isConnected()) {
        askPortal();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QStringLiteral("Tarvel") << reason() << QStringLiteral("block");
    using Lock = QDBusPendingReply<QDBusUnixFileDescriptor>;
    whenAnswered<QDBusUnixFileDescriptor>(this, m_systemBus.asyncCall(call), [this](const Lock &reply) {
        if (reply.isError() || !reply.value().isValid()) {
            askPortal();
            return;
        }
        m_asking = false;
        if (m_wanted)
            m_lock = reply.value();
        // Else released while it was on its way: the reply's descriptor closes with it.
    });
}

void SleepInhibitor::askPortal()
{
    if (!m_wanted || !m_sessionBus.isConnected()) {
        m_asking = false;
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
    call << QString() << suspendAndIdle << QVariantMap{{QStringLiteral("reason"), reason()}};
    using Request = QDBusPendingReply<QDBusObjectPath>;
    whenAnswered<QDBusObjectPath>(this, m_sessionBus.asyncCall(call), [this](const Request &reply) {
        m_asking = false;
        if (reply.isError())
            return;
        m_portalRequest = reply.value().path();
        if (!m_wanted)
            closePortalRequest();
    });
}

void SleepInhibitor::closePortalRequest()
{
    if (m_portalRequest.isEmpty())
        return;
    // Sent, not awaited: the portal also lets go when our connection closes.
    m_sessionBus.asyncCall(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.portal.Desktop"), m_portalRequest,
                                                          QStringLiteral("org.freedesktop.portal.Request"),
                                                          QStringLiteral("Close")));
    m_portalRequest.clear();
}

} // namespace tarvel
