#include "USBDiagnosis/USBHotplugMonitor.h"

#include <libusb.h>

namespace tarvel {

namespace {
// The physical port, as sysfs names it ("1-1.2"); a device keeps it when it re-enumerates.
QString portName(libusb_device *device)
{
    uint8_t ports[8];
    const int depth = libusb_get_port_numbers(device, ports, sizeof ports);
    QString name = QString::number(libusb_get_bus_number(device));
    for (int i = 0; i < depth; ++i)
        name += (i == 0 ? QLatin1Char('-') : QLatin1Char('.')) + QString::number(ports[i]);
    return name;
}
} // namespace

USBHotplugMonitor::USBHotplugMonitor(QObject *parent) : USBPlugSettler(std::chrono::milliseconds(600), parent)
{
    if (libusb_init(&m_context) != LIBUSB_SUCCESS) {
        m_context = nullptr;
        return;
    }
    // Devices already there are found by the first scan; only changes are wanted here.
    const auto callback = [](libusb_context *context, libusb_device *device, libusb_hotplug_event event,
                             void *monitor) { return onEvent(context, device, int(event), monitor); };
    if (!libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG)
        || libusb_hotplug_register_callback(
               m_context, LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED | LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT,
               LIBUSB_HOTPLUG_NO_FLAGS, LIBUSB_HOTPLUG_MATCH_ANY, LIBUSB_HOTPLUG_MATCH_ANY, LIBUSB_HOTPLUG_MATCH_ANY,
               callback, this, &m_callback)
               != LIBUSB_SUCCESS) {
        libusb_exit(m_context);
        m_context = nullptr;
        return;
    }
    m_thread = std::thread([this] {
        while (!m_stopping.load()) {
            timeval timeout{0, 250000};
            libusb_handle_events_timeout_completed(m_context, &timeout, nullptr);
        }
    });
}

USBHotplugMonitor::~USBHotplugMonitor()
{
    if (!m_context)
        return;
    m_stopping.store(true);
    libusb_hotplug_deregister_callback(m_context, m_callback);
    libusb_interrupt_event_handler(m_context);
    if (m_thread.joinable())
        m_thread.join();
    libusb_exit(m_context);
}

// On the event thread. libusb forbids blocking work here; the event is only posted.
int USBHotplugMonitor::onEvent(libusb_context *, libusb_device *device, int event, void *monitor)
{
    auto *self = static_cast<USBHotplugMonitor *>(monitor);
    const USBAddress address{libusb_get_bus_number(device), libusb_get_device_address(device)};
    const QString port = portName(device);
    if (event == LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED)
        QMetaObject::invokeMethod(self, [self, address, port] { self->deviceAppeared(address, port); }, Qt::QueuedConnection);
    else
        QMetaObject::invokeMethod(self, [self, address, port] { self->deviceVanished(address, port); }, Qt::QueuedConnection);
    return 0; // stay registered
}

} // namespace tarvel
