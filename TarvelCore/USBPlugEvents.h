#pragma once

// USB devices arriving and leaving, told on the UI thread, so a phone plugged in or
// pulled out shows without Refresh. A device that arrives may be anything: the receiver
// asks the bus whether it could be a phone.

#include "TarvelCore/PhoneDiagnosis.h"

#include <QList>
#include <QObject>

#include <chrono>
#include <utility>

namespace tarvel {

class USBPlugEvents : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Closing a device on purpose can reset it, and a reset can look like a pull and a
    // plug. For `span`, events of the device at `address`, and of one that takes its place
    // on the same port, are held back; what changed for good is told when the span ends.
    // Any thread may call it.
    virtual void ignoreEventsFor(USBAddress address, std::chrono::milliseconds span) = 0;

Q_SIGNALS:
    // Sent once the device has settled on the bus.
    void deviceArrived(tarvel::USBAddress address);
    void deviceLeft(tarvel::USBAddress address);
};

// Sends what the test says, at once.
class FakeUSBPlugEvents : public USBPlugEvents {
    Q_OBJECT

public:
    using USBPlugEvents::USBPlugEvents;

    void plugIn(USBAddress address) { Q_EMIT deviceArrived(address); }
    void pullOut(USBAddress address) { Q_EMIT deviceLeft(address); }
    void ignoreEventsFor(USBAddress address, std::chrono::milliseconds span) override
    {
        ignoreRequests.append({address, span});
    }

    QList<std::pair<USBAddress, std::chrono::milliseconds>> ignoreRequests;
};

} // namespace tarvel
