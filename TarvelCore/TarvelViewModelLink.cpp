// The selected phone's USB link, which the browser's header shows. Read from the bus on
// the diagnosis's own thread once a phone is chosen: the window never waits for it.

#include "TarvelCore/TarvelViewModel.h"

#include <QPointer>

namespace tarvel {

QCoro::Task<> TarvelViewModel::readSelectedDeviceLink()
{
    // Told again whenever the phone is set, mostly the same one: read once for each.
    const std::optional<AndroidDevice> device = m_selectedDevice;
    if (device == m_selectedDeviceLinkFor)
        co_return;
    m_selectedDeviceLinkFor = device;
    if (m_selectedDeviceLink) {
        m_selectedDeviceLink.reset();
        Q_EMIT selectedDeviceLinkChanged();
    }
    if (!device || !device->busNumber || !device->deviceNumber)
        co_return;
    const USBAddress address{*device->busNumber, *device->deviceNumber};
    const auto diagnosis = m_diagnosis;
    QPointer<TarvelViewModel> self(this);
    const QList<USBPhoneReport> reports = co_await diagnosis->inspectBus();
    // Another phone chosen meanwhile reads its own.
    if (!self || self->m_selectedDeviceLinkFor != device)
        co_return;
    const auto report = std::find_if(reports.begin(), reports.end(),
                                     [&](const USBPhoneReport &each) { return each.address == address; });
    if (report == reports.end() || !report->link)
        co_return;
    self->m_selectedDeviceLink = report->link;
    Q_EMIT self->selectedDeviceLinkChanged();
}

} // namespace tarvel
