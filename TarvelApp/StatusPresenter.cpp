#include "TarvelApp/StatusPresenter.h"

#include "TarvelApp/Palette.h"
#include "TarvelApp/TransferSummary.h"

namespace tarvel {

using State = TarvelConnectionState;

StatusPresenter::StatusPresenter(TarvelViewModel *viewModel, QObject *parent)
    : QObject(parent), m_viewModel(viewModel), m_changes(this, [this] {
        if (m_viewModel)
            Q_EMIT statusChanged();
    })
{
    const auto changes = {&TarvelViewModel::stateChanged, &TarvelViewModel::statusMessageChanged,
                          &TarvelViewModel::scanningChanged, &TarvelViewModel::statusIsWarningChanged};
    for (auto signal : changes)
        connect(viewModel, signal, this, [this] { m_changes.request(); });
    // A copy's progress leaves the bar be; only its start, its end and its direction show.
    connect(viewModel, &TarvelViewModel::currentTransferChanged, this, &StatusPresenter::followTransfer);
    connect(viewModel, &TarvelViewModel::currentBatchChanged, this, &StatusPresenter::followTransfer);
}

void StatusPresenter::followTransfer()
{
    const QString shown = copyIconName();
    if (shown == m_copyIconName)
        return;
    m_copyIconName = shown;
    m_changes.request();
}

QString StatusPresenter::statusMessage() const
{
    return m_viewModel->statusMessage();
}

bool StatusPresenter::busy() const
{
    return m_viewModel->state() == State::transferring || m_viewModel->scanning();
}

QString StatusPresenter::copyIconName() const
{
    if (const auto job = m_viewModel->currentTransfer())
        return transferSymbol(job->direction);
    if (const auto batch = m_viewModel->currentBatch())
        return transferSymbol(batch->direction);
    return {};
}

bool StatusPresenter::showsStatusSpinner() const
{
    return busy() && copyIconName().isEmpty();
}

QString StatusPresenter::statusIconName() const
{
    if (busy())
        return copyIconName();
    // A failure never wears the green check, also when what is shown can still be used.
    if (m_viewModel->statusIsWarning())
        return QStringLiteral("exclamationmark.triangle.fill");
    switch (m_viewModel->state()) {
    case State::noDevice: return QStringLiteral("cable.connector");
    case State::deviceUnavailable:
    case State::transferFailed: return QStringLiteral("exclamationmark.triangle.fill");
    case State::ready: return QStringLiteral("checkmark.circle.fill");
    case State::loadingDirectory: return QStringLiteral("folder.badge.gearshape");
    case State::transferring: break;
    }
    return {};
}

QColor StatusPresenter::statusTint() const
{
    if (m_viewModel->statusIsWarning())
        return tint::orange;
    switch (m_viewModel->state()) {
    case State::deviceUnavailable:
    case State::transferFailed: return tint::orange;
    case State::ready: return tint::green;
    case State::noDevice:
    case State::loadingDirectory:
    case State::transferring: break;
    }
    return tint::secondary;
}

bool StatusPresenter::refreshEnabled() const
{
    return m_viewModel->state() != State::transferring;
}

namespace {

// The folder of a path in a fresh listing: the same object if the phone kept its id,
// else one of the same name (a new session numbers objects anew).
std::optional<RemoteEntry> findFolder(const QList<RemoteEntry> &entries, const RemoteEntry &wanted)
{
    std::optional<RemoteEntry> sameName;
    for (const RemoteEntry &entry : entries) {
        if (entry.kind != RemoteEntryKind::folder || entry.name != wanted.name)
            continue;
        if (entry.id == wanted.id)
            return entry;
        if (!sameName)
            sameName = entry;
    }
    return sameName;
}

} // namespace

QCoro::Task<> StatusPresenter::refreshKeepingPlace()
{
    QPointer<TarvelViewModel> viewModel = m_viewModel;
    const auto device = viewModel->selectedDevice();
    const auto storage = viewModel->selectedStorage();
    const QList<RemoteEntry> path = viewModel->folderPath();
    co_await viewModel->findPhones();
    if (!viewModel || path.isEmpty() || !device || !storage || !viewModel->selectedDevice()
        || viewModel->selectedDevice()->id != device->id || !viewModel->selectedStorage()
        || viewModel->selectedStorage()->id != storage->id)
        co_return;
    QList<RemoteEntry> reached;
    for (const RemoteEntry &folder : path) {
        // A failed listing, or the user opening something else meanwhile, ends the way down.
        if (viewModel->folderPath() != reached)
            co_return;
        const auto next = findFolder(viewModel->entries(), folder);
        if (!next)
            co_return;
        co_await viewModel->openFolder(*next);
        if (!viewModel)
            co_return;
        reached.append(*next);
    }
}

// Checks the rule that enables the button, so a shortcut fired during a transfer does nothing.
void StatusPresenter::startRefresh()
{
    if (refreshEnabled())
        refreshKeepingPlace();
}

} // namespace tarvel
