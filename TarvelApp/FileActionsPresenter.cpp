#include "TarvelApp/FileActionsPresenter.h"

#include "TarvelApp/BrowserPresenter.h"
#include "TarvelApp/ByteCountFormat.h"
#include "TarvelCore/FileActions.h"
#include "TarvelCore/LocalFiles.h"

#include <QSet>

namespace tarvel {

using State = TarvelConnectionState;

FileActionsPresenter::FileActionsPresenter(TarvelViewModel *viewModel, BrowserPresenter *browser, QObject *parent)
    : QObject(parent)
    , m_viewModel(viewModel)
    , m_browser(browser)
    , m_entries(browser->entries())
    , m_actionChanges(this, [this] {
        if (m_viewModel)
            Q_EMIT actionsChanged();
    })
{
    for (auto signal : {&TarvelViewModel::stateChanged, &TarvelViewModel::changingFilesChanged,
                        &TarvelViewModel::selectedStorageChanged, &TarvelViewModel::currentTransferChanged,
                        &TarvelViewModel::currentBatchChanged})
        connect(viewModel, signal, this, [this] { m_actionChanges.request(); });
    connect(m_entries, &RemoteEntryListModel::selectionChanged, this, [this] { m_actionChanges.request(); });
    // A question whose answer can no longer be acted on says so by its button.
    connect(this, &FileActionsPresenter::actionsChanged, this, &FileActionsPresenter::deleteQuestionChanged);
    // Queued: a view told of a row's selection before it is told of the row itself marks
    // the row that was there before.
    connect(m_entries, &QAbstractItemModel::modelReset, this, &FileActionsPresenter::selectNamedWhenListed,
            Qt::QueuedConnection);
    connect(m_entries, &QAbstractItemModel::rowsInserted, this, &FileActionsPresenter::selectNamedWhenListed,
            Qt::QueuedConnection);
}

bool FileActionsPresenter::changesEnabled() const
{
    const State state = m_viewModel->state();
    return (state == State::ready || state == State::transferFailed) && m_viewModel->selectedDevice()
        && m_viewModel->selectedStorage() && !m_viewModel->changingFiles() && !m_viewModel->currentTransfer()
        && !m_viewModel->currentBatch();
}

bool FileActionsPresenter::deleteEnabled() const
{
    return changesEnabled() && m_entries->hasSelection();
}

bool FileActionsPresenter::openEnabled() const
{
    const QList<RemoteEntry> selected = m_entries->selectedEntries();
    return selected.size() == 1 && selected.first().kind == RemoteEntryKind::folder && m_browser->browseEnabled();
}

bool FileActionsPresenter::downloadEnabled() const
{
    return m_browser->downloadSelectionEnabled();
}

std::optional<RemoteEntry> FileActionsPresenter::renameTarget() const
{
    const QList<RemoteEntry> selected = m_entries->selectedEntries();
    return selected.size() == 1 ? std::optional(selected.first()) : std::nullopt;
}

// The name question

QString FileActionsPresenter::nameQuestionTitle() const
{
    return m_renaming ? tr("Rename %1").arg(m_renaming->name) : tr("New Folder");
}

QString FileActionsPresenter::proposedName() const
{
    if (m_renaming)
        return m_renaming->name;
    QSet<QString> taken;
    for (const RemoteEntry &entry : m_viewModel->entries())
        taken.insert(entry.name);
    return freeName(tr("New folder"), taken);
}

QString FileActionsPresenter::nameConfirmTitle() const
{
    return m_renaming ? tr("Rename") : tr("Create");
}

QString FileActionsPresenter::nameProblem(const QString &name) const
{
    const QString selfID = m_renaming ? m_renaming->id : QString();
    return tarvel::nameProblem(name, m_viewModel->entries(), selfID).value_or(QString());
}

void FileActionsPresenter::askNewFolder()
{
    if (!newFolderEnabled())
        return;
    m_renaming.reset();
    Q_EMIT nameQuestionChanged();
    Q_EMIT nameAsked();
}

void FileActionsPresenter::askRename()
{
    if (!renameEnabled())
        return;
    m_renaming = renameTarget();
    Q_EMIT nameQuestionChanged();
    Q_EMIT nameAsked();
}

void FileActionsPresenter::acceptName(const QString &name)
{
    if (!nameProblem(name).isEmpty() || !changesEnabled())
        return;
    if (m_renaming) {
        m_viewModel->renameEntry(*m_renaming, name);
    } else {
        m_madeName = name;
        m_viewModel->createFolder(name);
    }
}

// The folder just made becomes the selection, so the keyboard carries on from it.
void FileActionsPresenter::selectNamedWhenListed()
{
    if (m_madeName.isEmpty())
        return;
    for (int row = 0; row < m_entries->rowCount(); ++row) {
        if (m_entries->entryAt(row)->name == m_madeName) {
            m_madeName.clear();
            m_entries->selectOnly(row);
            return;
        }
    }
}

// The delete question

QString FileActionsPresenter::deleteQuestionTitle() const
{
    if (m_deleting.size() == 1)
        return tr("Delete %1 from the phone?").arg(m_deleting.first().name);
    return tr("Delete %Ln item(s) from the phone?", nullptr, int(m_deleting.size()));
}

QString FileActionsPresenter::deleteQuestionText() const
{
    if (!m_plan) {
        if (m_deleting.size() == 1)
            return tr("Counting what %1 holds...").arg(m_deleting.first().name);
        return tr("Counting what the folders hold...");
    }
    QStringList parts;
    if (m_plan->fileCount > 0 || m_plan->folderCount == 0)
        parts.append(tr("%Ln file(s)", nullptr, m_plan->fileCount));
    if (m_plan->folderCount > 0)
        parts.append(tr("%Ln folder(s)", nullptr, m_plan->folderCount));
    QString what = parts.join(tr(" and "));
    if (m_plan->bytes > 0)
        what += QStringLiteral(" (%1)").arg(formatByteCount(m_plan->bytes));
    return tr("This deletes %1 from the phone. It cannot be undone: the phone has no trash.").arg(what);
}

void FileActionsPresenter::askDelete()
{
    if (!deleteEnabled())
        return;
    m_deleting = m_entries->selectedEntries();
    m_plan.reset();
    const quint64 question = ++m_question;
    Q_EMIT deleteQuestionChanged();
    Q_EMIT deleteAsked();
    plan(question, m_deleting);
}

QCoro::Task<> FileActionsPresenter::plan(quint64 question, QList<RemoteEntry> items)
{
    QPointer<FileActionsPresenter> self(this);
    const std::optional<DeletionPlan> planned = co_await m_viewModel->planDeletion(std::move(items));
    if (!self || question != m_question)
        co_return;
    if (!planned) {
        ++m_question;
        Q_EMIT deleteQuestionDropped();
        co_return;
    }
    m_plan = planned;
    Q_EMIT deleteQuestionChanged();
}

void FileActionsPresenter::confirmDelete()
{
    ++m_question;
    const std::optional<DeletionPlan> planned = std::exchange(m_plan, std::nullopt);
    if (planned && changesEnabled())
        m_viewModel->deletePlanned(*planned);
}

void FileActionsPresenter::cancelDelete()
{
    ++m_question;
    m_plan.reset();
    m_viewModel->stopPlanning();
}

// The context menu

void FileActionsPresenter::askMenu(int row)
{
    if (row < 0 || row >= m_entries->rowCount())
        m_entries->clearSelection();
    else if (!m_entries->isSelected(row))
        m_entries->selectOnly(row);
    Q_EMIT actionsChanged();
    Q_EMIT menuAsked(row);
}

void FileActionsPresenter::openFromMenu()
{
    if (!openEnabled())
        return;
    m_browser->startRowAction(m_entries->rowOf(m_entries->selectedEntries().first().id));
}

void FileActionsPresenter::downloadFromMenu()
{
    m_browser->startDownloadSelection();
}

} // namespace tarvel
