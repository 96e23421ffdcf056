#include "DesktopSession/PortalFileChooser.h"

#include <QCoro/QCoroFuture>
#include <QCoro/QCoroSignal>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QFile>
#include <QPointer>

namespace tarvel {

namespace {

const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString chooser = QStringLiteral("org.freedesktop.portal.FileChooser");

// Folders need version 3 of the interface.
constexpr uint folderVersion = 3;

QCoro::Task<QDBusMessage> call(QDBusConnection bus, QDBusMessage message)
{
    auto watcher = std::make_unique<QDBusPendingCallWatcher>(bus.asyncCall(message));
    if (!watcher->isFinished())
        co_await qCoro(watcher.get(), &QDBusPendingCallWatcher::finished);
    co_return watcher->reply();
}

} // namespace

PortalFileChooser::PortalFileChooser(QDBusConnection sessionBus, QObject *parent)
    : QObject(parent), m_bus(std::move(sessionBus))
{
}

QCoro::Task<uint> PortalFileChooser::version()
{
    if (!m_version) {
        QPointer<PortalFileChooser> self(this);
        QDBusMessage get = QDBusMessage::createMethodCall(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
        get << chooser << QStringLiteral("version");
        const QDBusMessage reply = co_await call(m_bus, get);
        if (!self)
            co_return 0u;
        const bool answered = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
        m_version = answered ? qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toUInt() : 0u;
    }
    co_return uint(*m_version);
}

QCoro::Task<std::optional<QList<QUrl>>> PortalFileChooser::choose(Request request)
{
    if (!m_bus.isConnected())
        co_return std::nullopt;
    QPointer<PortalFileChooser> self(this);
    const uint portal = co_await version();
    if (!self || portal == 0 || (request.mode == Mode::folder && portal < folderVersion))
        co_return std::nullopt;

    // Every answer comes as a signal on the request's own path; listening to all of them
    // from the start means none is missed however soon it comes. Any sender: naming the
    // portal would make Qt ask the bus for its owner, and wait.
    if (!m_listening) {
        m_listening = m_bus.connect(QString(), QString(), QStringLiteral("org.freedesktop.portal.Request"),
                                    QStringLiteral("Response"), this, SLOT(response(QDBusMessage)));
    }
    QVariantMap options{{QStringLiteral("handle_token"), QStringLiteral("tarvel%1").arg(++m_requests)},
                        {QStringLiteral("modal"), true}};
    if (!request.acceptLabel.isEmpty())
        options.insert(QStringLiteral("accept_label"), request.acceptLabel);
    if (request.startIn.isLocalFile())
        options.insert(QStringLiteral("current_folder"), QFile::encodeName(request.startIn.toLocalFile()) + '\0');
    if (request.mode == Mode::openFiles)
        options.insert(QStringLiteral("multiple"), true);
    if (request.mode == Mode::folder)
        options.insert(QStringLiteral("directory"), true);
    if (request.mode == Mode::save)
        options.insert(QStringLiteral("current_name"), request.proposedName);
    QDBusMessage open = QDBusMessage::createMethodCall(
        service, path, chooser, request.mode == Mode::save ? QStringLiteral("SaveFile") : QStringLiteral("OpenFile"));
    open << request.parentWindow << request.title << options;
    const QDBusMessage reply = co_await call(m_bus, open);
    if (!self || reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        co_return std::nullopt;
    const QString handle = qvariant_cast<QDBusObjectPath>(reply.arguments().first()).path();
    // The answer may have come before the path it comes on was known. Else a promise of its
    // own, finished once: a signal of ours awaited in a loop was resumed by every answer
    // queued meanwhile, other requests' too, and crashed on one that came after its awaiter
    // had gone.
    if (!self->m_answers.contains(handle)) {
        QPromise<void> answered;
        const QFuture<void> answer = answered.future();
        answered.start();
        self->m_waiting.emplace(handle, std::move(answered));
        co_await answer;
        if (!self)
            co_return QList<QUrl>();
    }
    co_return self->m_answers.take(handle);
}

void PortalFileChooser::response(const QDBusMessage &message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2)
        return;
    QList<QUrl> chosen;
    // 0 is a choice; 1 a cancel, 2 anything else: either way nothing was chosen.
    if (arguments.at(0).toUInt() == 0) {
        const QVariantMap results = qdbus_cast<QVariantMap>(arguments.at(1));
        for (const QString &uri : results.value(QStringLiteral("uris")).toStringList())
            chosen.append(QUrl(uri));
    }
    m_answers.insert(message.path(), chosen);
    if (const auto waiting = m_waiting.find(message.path()); waiting != m_waiting.end()) {
        waiting->second.finish();
        m_waiting.erase(waiting);
    }
}

} // namespace tarvel
