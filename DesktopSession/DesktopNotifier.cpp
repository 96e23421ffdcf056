#include "DesktopSession/DesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace tarvel {

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
const QString appID = QStringLiteral("io.github.orvath.Tarvel");

// Servers that take markup in the body read "&", "<" and ">" as markup; a file name is
// not. Quotes need nothing outside tags.
QString escapeMarkup(QString text)
{
    return text.replace(QLatin1Char('&'), QLatin1String("&amp;"))
        .replace(QLatin1Char('<'), QLatin1String("&lt;"))
        .replace(QLatin1Char('>'), QLatin1String("&gt;"));
}

} // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection sessionBus, QObject *parent)
    : QObject(parent), m_bus(std::move(sessionBus))
{
}

void DesktopNotifier::notify(QString summary, QString body, bool offerShowFolder)
{
    if (!m_bus.isConnected())
        return;
    listen();
    const QDBusPendingCall call =
        m_bus.asyncCall(QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("GetCapabilities")));
    auto *watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [=, this](QDBusPendingCallWatcher *answered) {
        answered->deleteLater();
        const QDBusPendingReply<QStringList> capabilities = *answered;
        if (capabilities.isError()) // no server: nobody to tell
            return;
        const bool offers = offerShowFolder && capabilities.value().contains(QLatin1String("actions"));
        QDBusMessage notify = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
        notify << QStringLiteral("Tarvel") << uint(0) << appID << summary
               << (capabilities.value().contains(QLatin1String("body-markup")) ? escapeMarkup(body) : body)
               << (offers ? QStringList{showFolderAction(), tr("Show in Folder")} : QStringList())
               << QVariantMap{{QStringLiteral("desktop-entry"), appID}} << -1;
        auto *shown = new QDBusPendingCallWatcher(m_bus.asyncCall(notify), this);
        connect(shown, &QDBusPendingCallWatcher::finished, this, [offers, this](QDBusPendingCallWatcher *reply) {
            reply->deleteLater();
            const QDBusPendingReply<uint> id = *reply;
            if (offers && !id.isError())
                m_offering.insert(id.value());
        });
    });
}

// Any sender: naming the service would make Qt ask the bus for its owner, and wait.
void DesktopNotifier::listen()
{
    if (m_listening)
        return;
    m_listening = true;
    m_bus.connect(QString(), path, interface, QStringLiteral("ActionInvoked"), this,
                  SLOT(actionInvoked(uint, QString)));
    m_bus.connect(QString(), path, interface, QStringLiteral("NotificationClosed"), this,
                  SLOT(notificationClosed(uint, uint)));
}

void DesktopNotifier::actionInvoked(uint id, const QString &action)
{
    if (action == showFolderAction() && m_offering.contains(id))
        Q_EMIT showFolderInvoked();
}

void DesktopNotifier::notificationClosed(uint id, uint)
{
    m_offering.remove(id);
}

} // namespace tarvel
