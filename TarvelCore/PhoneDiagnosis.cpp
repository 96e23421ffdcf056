#include "TarvelCore/PhoneDiagnosis.h"

namespace tarvel {

TransferError explainMissingPhone(const QList<USBPhoneReport> &reports)
{
    if (reports.isEmpty())
        return TransferError::noDevice();
    for (const USBPhoneReport &report : reports) {
        if (report.problem)
            return *report.problem;
    }
    return TransferError::deviceUnavailable();
}

std::optional<TransferError> explainOpenFailure(const QList<USBPhoneReport> &reports, USBAddress address)
{
    for (const USBPhoneReport &report : reports) {
        if (report.address == address)
            return report.problem;
    }
    return TransferError::disconnected();
}

QCoro::Task<QList<USBPhoneReport>> FakePhoneDiagnosis::inspectBus()
{
    ++inspections;
    if (beforeInspection) {
        const Hook hook = beforeInspection;
        co_await hook();
    }
    co_return QList<USBPhoneReport>(reports);
}

} // namespace tarvel
