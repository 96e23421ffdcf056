#include "USBDiagnosis/USBPlugSettler.h"

#include <QTimer>

namespace tarvel {

USBPlugSettler::USBPlugSettler(std::chrono::milliseconds settleDelay, QObject *parent)
    : USBPlugEvents(parent), m_settleDelay(settleDelay)
{
    qRegisterMetaType<tarvel::USBAddress>();
}

void USBPlugSettler::ignoreEventsFor(USBAddress address, std::chrono::milliseconds span)
{
    // Posted, so the close that follows on the caller's thread cannot overtake it.
    QMetaObject::invokeMethod(this, [this, address, span] { startQuiet(address, span); }, Qt::QueuedConnection);
}

void USBPlugSettler::startQuiet(USBAddress address, std::chrono::milliseconds span)
{
    const quint64 id = ++m_nextID;
    m_quiet.insert(id, Quiet{address, {}, false, std::nullopt});
    QTimer::singleShot(span, this, [this, id] { endQuiet(id); });
}

void USBPlugSettler::endQuiet(quint64 id)
{
    const Quiet quiet = m_quiet.take(id);
    // Only a lasting change is told: gone for good, or back under another number.
    if (quiet.arrived && !(*quiet.arrived == quiet.address))
        Q_EMIT deviceArrived(*quiet.arrived);
    else if (quiet.left && !quiet.arrived)
        Q_EMIT deviceLeft(quiet.address);
}

USBPlugSettler::Quiet *USBPlugSettler::quietFor(USBAddress address, const QString &port)
{
    for (Quiet &quiet : m_quiet) {
        if (quiet.address == address
            || (!quiet.port.isEmpty() && quiet.port == port && quiet.address.busNumber == address.busNumber))
            return &quiet;
    }
    return nullptr;
}

void USBPlugSettler::deviceAppeared(USBAddress address, QString port)
{
    if (Quiet *quiet = quietFor(address, port)) {
        quiet->arrived = address;
        return;
    }
    const quint64 id = ++m_nextID;
    m_pending.insert(id, address);
    QTimer::singleShot(m_settleDelay, this, [this, id] {
        if (const auto settled = m_pending.find(id); settled != m_pending.end()) {
            const USBAddress address = *settled;
            m_pending.erase(settled);
            Q_EMIT deviceArrived(address);
        }
    });
}

void USBPlugSettler::deviceVanished(USBAddress address, QString port)
{
    if (Quiet *quiet = quietFor(address, port)) {
        quiet->port = port;
        quiet->left = true;
        quiet->arrived.reset();
        return;
    }
    // Gone before it settled: nobody was told it came.
    if (m_pending.removeIf([address](const auto &pending) { return pending.value() == address; }) == 0)
        Q_EMIT deviceLeft(address);
}

} // namespace tarvel
