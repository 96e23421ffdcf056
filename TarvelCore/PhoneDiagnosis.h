#pragma once

// What the USB bus shows about the devices that could be phones, so that "no phone" and
// "could not open it" can say exactly why. Read outside libmtp: a phone held by another
// program, in the wrong mode or closed to this account looks the same to libmtp.

#include "TarvelCore/Models.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QMetaType>

#include <functional>
#include <optional>

namespace tarvel {

struct USBAddress {
    quint32 busNumber = 0;
    quint32 deviceNumber = 0;

    friend bool operator==(const USBAddress &, const USBAddress &) = default;
};

// How fast a phone's USB connection runs. The text names the generation as ports and
// cables are labelled ("USB 1.1", "USB 2.0", "USB 3" for every 3.x, "USB4") and the
// link's speed in Mbit/s below 1000, else in Gbit/s: "USB 2.0, 480 Mbit/s",
// "USB 3, 5 Gbit/s".
struct USBLink {
    QString text = {};
    bool couldBeFaster = false; // a USB 3 phone on a USB 2 link: another port or cable would be quicker

    // What the window says under the text when couldBeFaster.
    static QString fasterHint() { return QStringLiteral("This phone could copy faster on a USB 3 port or cable."); }

    friend bool operator==(const USBLink &, const USBLink &) = default;
};

// One device on the bus with an MTP, still-image or USB-debugging interface.
struct USBPhoneReport {
    USBAddress address = {};
    quint16 vendorID = 0;
    quint16 productID = 0;
    QString product = {}; // the USB product string; may be empty
    QString serial = {};  // the USB serial string; may be empty
    std::optional<TransferError> problem = {}; // absent when nothing on the bus keeps it from being opened
    std::optional<USBLink> link = {};         // absent when sysfs does not tell the speed

    friend bool operator==(const USBPhoneReport &, const USBPhoneReport &) = default;
};

class PhoneDiagnosis {
public:
    virtual ~PhoneDiagnosis() = default;
    // The devices that could be phones, in bus order. Never throws: what cannot be read
    // is left out.
    virtual QCoro::Task<QList<USBPhoneReport>> inspectBus() = 0;
};

// Why no phone could be listed: the first problem the bus shows; deviceUnavailable for a
// phone that shows none (libmtp could not use it all the same); noDevice when nothing
// there could be a phone.
TransferError explainMissingPhone(const QList<USBPhoneReport> &reports);

// Why the phone at `address` could not be opened: its problem; disconnected when it is no
// longer on the bus; absent when the bus shows nothing wrong, so the caller's own error
// stands.
std::optional<TransferError> explainOpenFailure(const QList<USBPhoneReport> &reports, USBAddress address);

// Answers from `reports` at the moment of each call, so a test may change it in between.
class FakePhoneDiagnosis : public PhoneDiagnosis {
public:
    using Hook = std::function<QCoro::Task<>()>; // empty means absent

    QCoro::Task<QList<USBPhoneReport>> inspectBus() override;

    QList<USBPhoneReport> reports;
    Hook beforeInspection;
    int inspections = 0;
};

} // namespace tarvel

Q_DECLARE_METATYPE(tarvel::USBAddress)
