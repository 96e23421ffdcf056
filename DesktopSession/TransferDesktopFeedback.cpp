#include "DesktopSession/TransferDesktopFeedback.h"

#include "DesktopSession/DesktopNotifier.h"
#include "DesktopSession/LauncherProgress.h"
#include "DesktopSession/SleepInhibitor.h"
#include "TarvelCore/TarvelViewModel.h"

#include <QDBusConnection>
#include <QThread>

#include <atomic>

namespace tarvel {

namespace {

QDBusConnection connectTo(const QString &address, QDBusConnection::BusType standard, const QString &name)
{
    return address.isEmpty() ? QDBusConnection::connectToBus(standard, name) : QDBusConnection::connectToBus(address, name);
}

double fractionOf(qint64 completed, std::optional<qint64> total)
{
    return total && *total > 0 ? double(completed) / double(*total) : 0.0;
}

} // namespace

TransferDesktopFeedback::TransferDesktopFeedback(TarvelViewModel *viewModel, std::function<bool()> windowIsActive,
                                                 DesktopBuses buses, std::chrono::milliseconds notifyAfter, QObject *parent)
    : QObject(parent)
    , m_viewModel(viewModel)
    , m_windowIsActive(std::move(windowIsActive))
    , m_buses(std::move(buses))
    , m_notifyAfter(notifyAfter)
{
    static std::atomic<int> instances = 0;
    const QString number = QString::number(++instances);
    m_sessionName = QStringLiteral("tarvel-session-") + number;
    m_systemName = QStringLiteral("tarvel-system-") + number;
    // Changes made in one step (a batch's next file, an end and its sentence) are read once,
    // in the next turn, when the view model has settled.
    connect(viewModel, &TarvelViewModel::currentTransferChanged, this, &TransferDesktopFeedback::schedule);
    connect(viewModel, &TarvelViewModel::currentBatchChanged, this, &TransferDesktopFeedback::schedule);
    // Heard at once: the transfer it stops may end, and clear it, before the next turn.
    connect(viewModel, &TarvelViewModel::cancellingTransferChanged, this, [this] {
        m_cancelled = m_cancelled || m_viewModel->cancellingTransfer();
    });
}

TransferDesktopFeedback::~TransferDesktopFeedback()
{
    // The pieces hold the connections; they let go first.
    m_inhibitor.reset();
    m_notifier.reset();
    m_launcher.reset();
    QDBusConnection::disconnectFromBus(m_sessionName);
    QDBusConnection::disconnectFromBus(m_systemName);
}

void TransferDesktopFeedback::windowActivated()
{
    if (m_launcher)
        m_launcher->setUrgent(false);
}

void TransferDesktopFeedback::schedule()
{
    if (m_followPending)
        return;
    m_followPending = true;
    QMetaObject::invokeMethod(this, &TransferDesktopFeedback::follow, Qt::QueuedConnection);
}

void TransferDesktopFeedback::follow()
{
    m_followPending = false;
    if (!m_viewModel)
        return;
    const std::optional<TransferJob> job = m_viewModel->currentTransfer();
    const std::optional<TransferBatch> batch = m_viewModel->currentBatch();
    if (job || batch) {
        if (!m_busy) {
            m_busy = true;
            m_cancelled = m_viewModel->cancellingTransfer();
            m_clock.start();
            if (m_launcher)
                m_launcher->setUrgent(false);
            connectBuses();
        }
        m_direction = batch ? batch->direction : job->direction;
        m_downloadBatch = batch && batch->direction == TransferDirection::download;
        m_fraction = batch ? fractionOf(batch->completedBytes, batch->totalBytes) : fractionOf(job->completedBytes, job->totalBytes);
        apply();
        return;
    }
    if (!m_busy)
        return;
    m_busy = false;
    apply();
    if (!m_cancelled && m_clock.elapsed() > m_notifyAfter.count() && !(m_windowIsActive && m_windowIsActive()))
        announceEnd(m_direction, m_downloadBatch);
}

void TransferDesktopFeedback::apply()
{
    if (!m_inhibitor)
        return;
    if (m_busy) {
        m_inhibitor->inhibit();
        m_launcher->showProgress(m_fraction);
    } else {
        m_inhibitor->release();
        m_launcher->hideProgress();
    }
}

// The end sentence is the view model's status, set in the same step that ended the transfer.
void TransferDesktopFeedback::announceEnd(TransferDirection direction, bool offerFolder)
{
    if (!m_notifier)
        return;
    const bool failed = m_viewModel->state() != TarvelConnectionState::ready;
    const bool download = direction == TransferDirection::download;
    const QString summary = failed ? (download ? tr("Download stopped") : tr("Upload stopped"))
                                   : (download ? tr("Download finished") : tr("Upload finished"));
    m_notifier->notify(summary, m_viewModel->statusMessage(), offerFolder);
    if (failed)
        m_launcher->setUrgent(true);
}

void TransferDesktopFeedback::connectBuses()
{
    if (m_connecting || m_inhibitor)
        return;
    m_connecting = true;
    // Connecting waits for the bus's greeting, and for a desktop without a session bus
    // libdbus may try to start one: never on the UI thread.
    QThread *connector = QThread::create([buses = m_buses, session = m_sessionName, system = m_systemName] {
        connectTo(buses.sessionAddress, QDBusConnection::SessionBus, session);
        connectTo(buses.systemAddress, QDBusConnection::SystemBus, system);
    });
    connect(connector, &QThread::finished, this, &TransferDesktopFeedback::busesConnected);
    connect(connector, &QThread::finished, connector, &QObject::deleteLater);
    connector->start();
}

void TransferDesktopFeedback::busesConnected()
{
    m_connecting = false;
    const QDBusConnection session(m_sessionName);
    m_inhibitor = std::make_unique<SleepInhibitor>(QDBusConnection(m_systemName), session);
    m_notifier = std::make_unique<DesktopNotifier>(session);
    m_launcher = std::make_unique<LauncherProgress>(session);
    connect(m_notifier.get(), &DesktopNotifier::showFolderInvoked, this, &TransferDesktopFeedback::showFolderRequested);
    if (m_busy) // still running: what it started with, late
        apply();
}

} // namespace tarvel
