#pragma once

// Keeps the computer awake while files are copied: a suspend or idle sleep in the middle
// of a copy cuts the phone's USB session and leaves the copy half done. Asks logind for a
// "sleep:idle" block lock and, where logind does not answer (inside a sandbox, or a
// system without it), the desktop portal. Every call is asynchronous: nothing here waits
// for a reply, and with neither service there nothing happens at all.

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

namespace tarvel {

class SleepInhibitor : public QObject {
    Q_OBJECT

public:
    // logind is asked on `systemBus`, the portal on `sessionBus`; either may be
    // disconnected. Tests hand in private buses with stand-ins.
    SleepInhibitor(QDBusConnection systemBus, QDBusConnection sessionBus, QObject *parent = nullptr);
    ~SleepInhibitor() override;

    // Asks not to sleep until release(); again while asked, nothing changes.
    void inhibit();
    // Lets go of whatever lock is held, and of one that is still on its way.
    void release();

    static QString reason() { return tr("Copying files to or from the phone"); }

private:
    void askLogind();
    void askPortal();
    void closePortalRequest();

    QDBusConnection m_systemBus;
    QDBusConnection m_sessionBus;
    bool m_wanted = false;
    bool m_asking = false; // a request is on its way; its answer decides what is held
    QDBusUnixFileDescriptor m_lock; // logind's lock: held as long as this descriptor is open
    QString m_portalRequest;        // the portal's request object, closed to let go
};

} // namespace tarvel
