#pragma once

// A transfer's progress on the application's taskbar entry, through the launcher entry
// interface Unity introduced and KDE Plasma's task manager and GNOME's docks read: a
// signal the application sends, so no reply is ever awaited and, with no bus, nothing is
// sent.

#include <QDBusConnection>
#include <QString>

#include <optional>

namespace tarvel {

class LauncherProgress {
public:
    explicit LauncherProgress(QDBusConnection sessionBus,
                              QString appURI = QStringLiteral("application://io.github.orvath.Tarvel.desktop"),
                              QString objectPath = QStringLiteral("/io/github/orvath/Tarvel/LauncherEntry"));

    // A fraction from 0 to 1. The taskbar shows whole percents, so nothing is sent again
    // until the shown percent changes: progress comes ten times a second.
    void showProgress(double fraction);
    void hideProgress();
    // Asks the taskbar to draw the user's eye to the entry, until set back.
    void setUrgent(bool urgent);

private:
    struct Shown {
        bool visible = false;
        int percent = 0;
        bool urgent = false;
        friend bool operator==(const Shown &, const Shown &) = default;
    };
    void show(Shown wanted);

    QDBusConnection m_bus;
    QString m_appURI;
    QString m_objectPath;
    Shown m_wanted;
    std::optional<Shown> m_sent;
};

} // namespace tarvel
