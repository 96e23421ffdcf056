#pragma once

// Hears USB devices come and go through libusb hot-plug, on a libusb context of its own
// (never libmtp's) and a small thread whose callback only posts the event to this
// object's thread, where USBPlugSettler settles it. Debian's libusb hears of hot-plug
// through udev; without a udev daemon nothing is told, and Refresh still works.

#include "USBDiagnosis/USBPlugSettler.h"

#include <atomic>
#include <thread>

struct libusb_context;
struct libusb_device;

namespace tarvel {

class USBHotplugMonitor : public USBPlugSettler {
    Q_OBJECT

public:
    explicit USBHotplugMonitor(QObject *parent = nullptr);
    ~USBHotplugMonitor() override; // stops and joins the thread before anything else goes

    // False when libusb could not start or cannot report hot-plug on this system.
    bool isWatching() const { return m_thread.joinable(); }

private:
    static int onEvent(libusb_context *context, libusb_device *device, int event, void *monitor);

    libusb_context *m_context = nullptr;
    int m_callback = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

} // namespace tarvel
