#pragma once

// Desktop notifications through the freedesktop notification server. Asks the server
// what it shows before each notification, so "Show in Folder" is offered only where it
// can be pressed and a file name is never read as markup. Nothing waits for a reply;
// without a server nothing is shown and nothing fails.

#include <QDBusConnection>
#include <QObject>
#include <QSet>
#include <QString>

namespace tarvel {

class DesktopNotifier : public QObject {
    Q_OBJECT

public:
    explicit DesktopNotifier(QDBusConnection sessionBus, QObject *parent = nullptr);

    // `body` is plain text, shown as written.
    void notify(QString summary, QString body, bool offerShowFolder);

    static QString showFolderAction() { return QStringLiteral("show-folder"); }

Q_SIGNALS:
    // "Show in Folder" was pressed on one of our notifications.
    void showFolderInvoked();

private Q_SLOTS:
    void actionInvoked(uint id, const QString &action);
    void notificationClosed(uint id, uint reason);

private:
    void listen();

    QDBusConnection m_bus;
    bool m_listening = false;
    QSet<uint> m_offering; // our notifications still showing that offer "Show in Folder"
};

} // namespace tarvel
