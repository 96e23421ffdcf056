// The view model's part in imports: the import's copies run as its batch, so they show and
// cancel as every transfer does; looking through the phone and deciding are the window's.

#include "TarvelCore/Sentences.h"
#include "TarvelCore/TarvelViewModel.h"

#include <QPointer>
#include <QUuid>

namespace tarvel {

QCoro::Task<QList<ImportedCopy>> TarvelViewModel::importFiles(ImportPlan plan, QHash<QString, PhoneKey> keys,
                                                              std::shared_ptr<ImportStore> store)
{
    // Its copies are its result, so it never waits in the queue: the window offers no
    // import while a transfer runs.
    if (!readyForBatch() || plan.items.isEmpty() || m_batch)
        co_return {};
    // Written down under its first file's storage, where it is offered again; each file
    // names its own.
    const JournalBatch journal{.id = QUuid::createUuid().toString(QUuid::WithoutBraces),
                               .key = keys.value(plan.items.first().file.storageID), .kind = JournalKind::import,
                               .destination = plan.destination, .destinationName = sentences::placeOnComputer(plan.destination)};
    auto batch = std::make_shared<ImportBatch>(asHost(), m_selectedDevice->id, std::move(plan), std::move(keys), store);
    if (store)
        batch->keepJournal(std::move(store), journal);
    co_await runBatch(batch, QueuedTransfer{});
    co_return QList<ImportedCopy>(batch->copies());
}

std::shared_ptr<ImportScan> TarvelViewModel::importScan() const
{
    if (!m_selectedDevice)
        return nullptr;
    return std::make_shared<ImportScan>(m_engine, m_selectedDevice->id, m_storages);
}

std::shared_ptr<ImportCleanup> TarvelViewModel::importCleanup(QList<ImportedCopy> copies, QHash<QString, PhoneKey> keys,
                                                              std::shared_ptr<ImportStore> store) const
{
    if (!m_selectedDevice)
        return nullptr;
    return std::make_shared<ImportCleanup>(m_engine, m_selectedDevice->id, std::move(copies), std::move(keys),
                                           std::move(store));
}

QCoro::Task<QString> TarvelViewModel::shownPhoneSerial()
{
    if (!m_selectedDevice)
        co_return QString();
    if (m_selectedDevice->serialNumber)
        co_return QString(*m_selectedDevice->serialNumber);
    const AndroidDevice device = *m_selectedDevice;
    const auto diagnosis = m_diagnosis;
    if (!diagnosis || !device.busNumber || !device.deviceNumber)
        co_return QString();
    // A read of sysfs, not of the phone: cheap, and it never throws.
    const QList<USBPhoneReport> reports = co_await diagnosis->inspectBus();
    for (const USBPhoneReport &report : reports) {
        if (report.address == USBAddress{*device.busNumber, *device.deviceNumber})
            co_return QString(report.serial);
    }
    co_return QString();
}

void TarvelViewModel::announce(TarvelConnectionState state, QString sentence, bool warning)
{
    if (warning)
        setWarning(std::move(sentence));
    else
        setStatus(state, std::move(sentence));
}

} // namespace tarvel
