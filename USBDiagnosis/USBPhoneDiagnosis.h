#pragma once

// The bus inspection for the view model: it reads sysfs and /proc on a thread of its own
// and answers on the UI thread.

#include "TarvelCore/PhoneDiagnosis.h"
#include "TarvelCore/SerialWorker.h"
#include "USBDiagnosis/USBBusInspector.h"

namespace tarvel {

class USBPhoneDiagnosis : public PhoneDiagnosis {
public:
    explicit USBPhoneDiagnosis(USBBusInspector inspector = USBBusInspector());

    QCoro::Task<QList<USBPhoneReport>> inspectBus() override;

private:
    USBBusInspector m_inspector;
    SerialWorker m_worker;
};

} // namespace tarvel
