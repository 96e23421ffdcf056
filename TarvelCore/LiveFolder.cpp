#include "TarvelCore/LiveFolder.h"

#include "TarvelCore/Attempt.h"
#include "TarvelCore/TarvelViewModel.h"

#include <QPointer>
#include <QSet>

#include <algorithm>

namespace tarvel {

LiveFolder::LiveFolder(TarvelViewModel *viewModel, std::shared_ptr<AndroidFileTransferEngine> engine)
    : m_viewModel(viewModel)
    , m_engine(std::move(engine))
{
    // Started in the next turn, never from inside the view model's own signal.
    m_wakeTimer.setSingleShot(true);
    connect(&m_wakeTimer, &QTimer::timeout, this, [this] {
        if (!m_following && canAsk())
            follow();
    });
    for (auto signal : {&TarvelViewModel::stateChanged, &TarvelViewModel::currentTransferChanged,
                        &TarvelViewModel::currentBatchChanged, &TarvelViewModel::changingFilesChanged,
                        &TarvelViewModel::selectedStorageChanged, &TarvelViewModel::scanningChanged})
        connect(viewModel, signal, this, &LiveFolder::wake);
    // News about the folder left says nothing about the one shown now.
    for (auto signal : {&TarvelViewModel::folderPathChanged, &TarvelViewModel::selectedDeviceChanged}) {
        connect(viewModel, signal, this, [this] {
            m_changed = false;
            m_removedDepth.reset();
        });
    }
    wake();
}

void LiveFolder::wake()
{
    // A pause after an answer without news runs to its end.
    if (!m_wakeTimer.isActive())
        m_wakeTimer.start(0);
}

bool LiveFolder::canAsk() const
{
    const TarvelConnectionState state = m_viewModel->state();
    return m_viewModel->selectedDevice() && m_viewModel->selectedStorage() && !m_viewModel->currentTransfer()
        && !m_viewModel->currentBatch() && !m_viewModel->changingFiles() && !m_viewModel->scanning()
        && (state == TarvelConnectionState::ready || state == TarvelConnectionState::transferFailed);
}

qint64 LiveFolder::msUntilReading() const
{
    qint64 wait = std::min(quietMs - m_sinceEvent.elapsed(), longestDelayMs - m_sinceChanged.elapsed());
    if (m_sinceReading.isValid())
        wait = std::max(wait, readingShare * m_readingMs - m_sinceReading.elapsed());
    return std::max<qint64>(wait, 0);
}

QCoro::Task<> LiveFolder::follow()
{
    QPointer<LiveFolder> self(this);
    m_following = true;
    while (canAsk()) {
        if (m_removedDepth) {
            const qsizetype depth = *std::exchange(m_removedDepth, std::nullopt);
            co_await m_viewModel->leaveRemovedFolder(depth);
            if (!self)
                co_return;
            continue;
        }
        if (m_changed && msUntilReading() == 0) {
            m_changed = false;
            QElapsedTimer reading;
            reading.start();
            co_await m_viewModel->refreshShownFolder();
            if (!self)
                co_return;
            m_readingMs = reading.elapsed();
            m_sinceReading.start();
            // What came or went changed the free space too.
            co_await m_viewModel->refreshStorageSpace();
            if (!self)
                co_return;
            continue;
        }
        const QString deviceID = m_viewModel->selectedDevice()->id;
        const int wait = m_changed ? int(std::clamp<qint64>(msUntilReading(), 1, waitMs)) : waitMs;
        const auto engine = m_engine;
        QElapsedTimer asking;
        asking.start();
        const auto [events, error] = co_await attempt(engine->phoneEvents(deviceID, 0));
        if (!self)
            co_return;
        const auto device = m_viewModel->selectedDevice();
        if (device && device->id == deviceID)
            take(events);
        // An engine that answers at once, or cannot answer, is asked again only after the
        // wait. The wake timer keeps that pause, not a suspended coroutine, so a folder
        // closed meanwhile leaves nothing waiting behind it.
        const qint64 rest = (error ? failedPauseMs : wait) - asking.elapsed();
        if (events.isEmpty() && rest > 0) {
            m_following = false;
            m_wakeTimer.start(int(rest));
            co_return;
        }
    }
    m_following = false;
}

void LiveFolder::take(const QList<PhoneEvent> &events)
{
    if (events.isEmpty())
        return;
    QSet<QString> shown;
    for (const RemoteEntry &entry : m_viewModel->entries())
        shown.insert(entry.id);
    const QList<RemoteEntry> path = m_viewModel->folderPath();
    bool changed = false;
    for (const PhoneEvent &event : events) {
        switch (event.kind) {
        case PhoneEvent::Kind::objectAdded:
            // Something listed already is no news (the app's own uploads and new folders).
            // Anything else may be here or in any folder listed before: only a reading tells.
            changed = changed || !shown.contains(event.objectID);
            break;
        case PhoneEvent::Kind::objectRemoved:
            if (shown.contains(event.objectID)) {
                changed = true;
                break;
            }
            for (qsizetype depth = 0; depth < path.size(); ++depth) {
                if (path.at(depth).id == event.objectID && (!m_removedDepth || depth < *m_removedDepth))
                    m_removedDepth = depth;
            }
            break;
        case PhoneEvent::Kind::storageChanged: changed = true; break;
        }
    }
    if (!changed)
        return;
    if (!m_changed)
        m_sinceChanged.start();
    m_changed = true;
    m_sinceEvent.start();
}

} // namespace tarvel
