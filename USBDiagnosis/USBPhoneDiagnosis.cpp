#include "USBDiagnosis/USBPhoneDiagnosis.h"

namespace tarvel {

USBPhoneDiagnosis::USBPhoneDiagnosis(USBBusInspector inspector) : m_inspector(std::move(inspector)) {}

QCoro::Task<QList<USBPhoneReport>> USBPhoneDiagnosis::inspectBus()
{
    auto work = [inspector = m_inspector] { return inspector.inspect(); };
    co_return co_await awaitResult(m_worker.run(std::move(work)));
}

} // namespace tarvel
