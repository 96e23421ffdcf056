#pragma once

// The desktop portal's file chooser (org.freedesktop.portal.FileChooser): the panel of the
// desktop the user runs, also inside a sandbox. Asked only when a panel is wanted, so
// nothing touches the bus at start; a session without the portal answers "none" and the
// caller shows a panel of its own.

#include <QCoro/QCoroTask>
#include <QDBusConnection>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPromise>
#include <QUrl>

#include <map>
#include <optional>

class QDBusMessage;

namespace tarvel {

class PortalFileChooser : public QObject {
    Q_OBJECT

public:
    enum class Mode { openFiles, folder, save };
    struct Request {
        Mode mode = Mode::openFiles;
        QString title = {};
        QString acceptLabel = {};
        QUrl startIn = {};
        QString proposedName = {}; // save only
        QString parentWindow = {}; // "x11:<id>", or empty
    };

    explicit PortalFileChooser(QDBusConnection sessionBus, QObject *parent = nullptr);

    // Nothing when no portal can show this panel (none on the bus, or one too old to
    // choose folders); else what was chosen, empty when the user cancelled.
    QCoro::Task<std::optional<QList<QUrl>>> choose(Request request);

private Q_SLOTS:
    void response(const QDBusMessage &message);

private:
    QCoro::Task<uint> version();

    QDBusConnection m_bus;
    std::optional<uint> m_version; // 0: no portal
    bool m_listening = false;
    int m_requests = 0;
    QHash<QString, QList<QUrl>> m_answers; // by request path; empty when cancelled
    // Finished when the answer on that path comes; cancelled when the chooser goes.
    std::map<QString, QPromise<void>> m_waiting;
};

} // namespace tarvel
