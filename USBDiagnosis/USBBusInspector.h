#pragma once

// Reads, from sysfs and /proc, what is on the USB bus and why each device that could be a
// phone can or cannot be opened. Blocking file reads: run it off the UI thread.

#include "TarvelCore/PhoneDiagnosis.h"

#include <QList>
#include <QString>

namespace tarvel {

class USBBusInspector {
public:
    // The roots are where sysfs, /proc and /dev are mounted; tests point them at trees
    // they build. Device nodes are still named /dev/bus/usb/BBB/DDD in /proc's fd links,
    // as the kernel names them.
    explicit USBBusInspector(QString sysfsRoot = QStringLiteral("/sys"), QString procRoot = QStringLiteral("/proc"),
                             QString devRoot = QStringLiteral("/dev"));

    // Devices that could be phones, by bus and device number. Each problem is the first
    // that applies, in this order: not in File transfer mode; the MTP interface claimed by
    // another process; no read and write access to the device node. A device that goes
    // away while it is read is left out. Each report also tells how fast the phone's link
    // runs, where sysfs says.
    QList<USBPhoneReport> inspect() const;

private:
    struct Interface;
    std::optional<TransferError> mtpProblem(USBAddress address, const Interface &mtp) const;
    std::optional<PhoneHolder> findHolder(USBAddress address) const;

    QString m_sysfs;
    QString m_proc;
    QString m_dev;
};

} // namespace tarvel
