#pragma once

// Turns raw USB arrivals and departures into the events the app acts on: an arrival is
// told only once the device has stayed for the settle delay (a phone re-enumerates when
// its mode changes or access is allowed), and the events a deliberate close causes are
// held back. Lives on the UI thread; the raw events are posted to it.

#include "TarvelCore/USBPlugEvents.h"

#include <QHash>
#include <QString>

#include <chrono>
#include <optional>

namespace tarvel {

class USBPlugSettler : public USBPlugEvents {
    Q_OBJECT

public:
    explicit USBPlugSettler(std::chrono::milliseconds settleDelay = std::chrono::milliseconds(600),
                            QObject *parent = nullptr);

    void ignoreEventsFor(USBAddress address, std::chrono::milliseconds span) override;

    // Raw events; `port` names the physical port ("1-1.2"), which a device keeps when it
    // re-enumerates under a new device number.
    void deviceAppeared(USBAddress address, QString port);
    void deviceVanished(USBAddress address, QString port);

private:
    // A device being closed on purpose: what happened to it while it was quiet.
    struct Quiet {
        USBAddress address;
        QString port; // learnt from its departure
        bool left = false;
        std::optional<USBAddress> arrived; // what came back on its port
    };

    void startQuiet(USBAddress address, std::chrono::milliseconds span);
    void endQuiet(quint64 id);
    Quiet *quietFor(USBAddress address, const QString &port);

    std::chrono::milliseconds m_settleDelay;
    quint64 m_nextID = 0;
    QHash<quint64, USBAddress> m_pending; // arrivals waiting out the settle delay
    QHash<quint64, Quiet> m_quiet;
};

} // namespace tarvel
