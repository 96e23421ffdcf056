// The view model's changes to the phone's files (a new folder, a rename, a delete) and
// the folder shown following what the phone says changed on it. A change owns the status
// line while it runs, as a transfer does, and never runs beside one: the window is told
// through changingFiles.

#include "TarvelCore/TarvelViewModel.h"

#include "TarvelCore/LiveFolder.h"
#include "TarvelCore/Sentences.h"

#include <QPointer>

#include <algorithm>

namespace tarvel {

void TarvelViewModel::setChangingFiles(bool value) { m_changingFiles = value; Q_EMIT changingFilesChanged(); }

bool TarvelViewModel::readyForChange()
{
    return m_selectedDevice && m_selectedStorage && isIdle()
        && (m_state == TarvelConnectionState::ready || m_state == TarvelConnectionState::transferFailed);
}

bool TarvelViewModel::showsDevice(const QString &deviceID) const
{
    return m_selectedDevice && m_selectedDevice->id == deviceID;
}

QCoro::Task<> TarvelViewModel::createFolder(QString name)
{
    if (!readyForChange())
        co_return;
    if (const auto problem = nameProblem(name, m_entries)) {
        setWarning(*problem);
        co_return;
    }
    QPointer<TarvelViewModel> self(this);
    const auto engine = m_engine;
    const QString deviceID = m_selectedDevice->id;
    setChangingFiles(true);
    setStatus(TarvelConnectionState::loadingDirectory, sentences::creatingFolder(name));
    FolderRequest request{deviceID, m_selectedStorage->id, m_currentParentID, name};
    const auto [made, error] = co_await attempt(engine->createFolder(std::move(request)));
    if (!self)
        co_return;
    QString sentence = error ? sentences::couldNotCreateFolder(name, error) : sentences::createdFolder(name);
    co_await finishChange(deviceID, std::move(sentence), error);
}

QCoro::Task<> TarvelViewModel::renameEntry(RemoteEntry entry, QString newName)
{
    const bool shown = std::any_of(m_entries.cbegin(), m_entries.cend(), [&](const RemoteEntry &e) { return e.id == entry.id; });
    if (!readyForChange() || !shown || newName == entry.name)
        co_return;
    if (const auto problem = nameProblem(newName, m_entries, entry.id)) {
        setWarning(*problem);
        co_return;
    }
    QPointer<TarvelViewModel> self(this);
    const auto engine = m_engine;
    const QString deviceID = m_selectedDevice->id;
    const bool folder = entry.kind == RemoteEntryKind::folder;
    setChangingFiles(true);
    setStatus(TarvelConnectionState::loadingDirectory, sentences::renaming(entry.name));
    RenameRequest request{ObjectRequest{deviceID, m_selectedStorage->id, entry.id, entry.name,
                                        folder ? std::nullopt : entry.sizeBytes},
                          newName};
    const auto [error] = co_await attempt(engine->renameObject(std::move(request)));
    if (!self)
        co_return;
    QString sentence = error ? sentences::couldNotRename(entry.name, error) : sentences::renamed(entry.name, newName);
    co_await finishChange(deviceID, std::move(sentence), error);
}

QCoro::Task<std::optional<DeletionPlan>> TarvelViewModel::planDeletion(QList<RemoteEntry> items)
{
    if (!readyForChange() || items.isEmpty())
        co_return std::nullopt;
    QPointer<TarvelViewModel> self(this);
    const auto engine = m_engine;
    const QString deviceID = m_selectedDevice->id;
    stopPlanning();
    const auto control = std::make_shared<TransferControl>();
    m_planning = control;
    const QString storageID = m_selectedStorage->id;
    auto [plan, error] = co_await attempt(listForDeletion(engine, deviceID, storageID, items, control));
    if (!self)
        co_return std::nullopt;
    if (m_planning == control)
        m_planning.reset();
    // Listing only reads: what is shown is left alone, and only a failure is said.
    if (!showsDevice(deviceID) || control->isCancelled())
        co_return std::nullopt;
    if (!error)
        co_return std::optional(plan);
    if (!isIdle())
        co_return std::nullopt;
    if (kindOf(error) == TransferError::Kind::disconnected)
        sayPhoneGone(TarvelConnectionState::deviceUnavailable, sentences::disconnected());
    else
        setWarning(sentences::couldNotLookThrough(items, error));
    co_return std::nullopt;
}

void TarvelViewModel::stopPlanning()
{
    if (const auto planning = std::exchange(m_planning, nullptr))
        planning->cancel();
}

QCoro::Task<> TarvelViewModel::deletePlanned(DeletionPlan plan)
{
    if (!readyForChange() || plan.items.isEmpty() || plan.deviceID != m_selectedDevice->id
        || plan.storageID != m_selectedStorage->id)
        co_return;
    QPointer<TarvelViewModel> self(this);
    const auto engine = m_engine;
    const QString deviceID = plan.deviceID;
    const QList<RemoteEntry> items = plan.items;
    setChangingFiles(true);
    setStatus(TarvelConnectionState::loadingDirectory, sentences::deleting(items, 0, int(plan.steps.size())));
    // A big tree takes a while: the status counts the objects as their runs end.
    auto progress = [self, items](int done, int total) {
        if (self && self->m_changingFiles && done < total)
            self->setStatusMessage(sentences::deleting(items, done, total));
    };
    auto control = std::make_shared<TransferControl>();
    auto [outcome, error] = co_await attempt(carryOut(engine, std::move(plan), std::move(control), std::move(progress)));
    if (!self)
        co_return;
    if (error) // carryOut throws nothing of its own; whatever escaped it left everything in doubt
        outcome = DeletionOutcome{.remaining = items, .error = error};
    QString sentence = sentences::deleted(outcome.deleted, outcome.remaining, outcome.error);
    co_await finishChange(deviceID, std::move(sentence), outcome.error);
}

QCoro::Task<> TarvelViewModel::deleteEntries(QList<RemoteEntry> items)
{
    QPointer<TarvelViewModel> self(this);
    const std::optional<DeletionPlan> plan = co_await planDeletion(std::move(items));
    if (self && plan)
        co_await deletePlanned(*plan);
}

QCoro::Task<> TarvelViewModel::finishChange(QString deviceID, QString sentence, std::exception_ptr error)
{
    QPointer<TarvelViewModel> self(this);
    setChangingFiles(false);
    // The phone went away meanwhile: what the change did is still worth saying.
    if (!showsDevice(deviceID) || !m_selectedStorage || kindOf(error) == TransferError::Kind::disconnected) {
        sayPhoneGone(m_selectedDevice ? TarvelConnectionState::deviceUnavailable : TarvelConnectionState::noDevice,
                     std::move(sentence));
        co_return;
    }
    // The folder shown is read again whatever happened: a change the phone refused may
    // still have been made in part.
    const QString storageID = m_selectedStorage->id;
    const qint64 generation = ++m_storageLoadGeneration;
    const std::optional<QString> parentID = m_currentParentID;
    const QList<RemoteEntry> path = m_folderPath;
    const auto [listError] = co_await attempt(loadDirectory(deviceID, storageID, parentID, path, generation, false));
    if (!self || !isCurrentStorageLoad(deviceID, generation) || !isIdle())
        co_return;
    if (kindOf(listError) == TransferError::Kind::disconnected)
        sayPhoneGone(TarvelConnectionState::deviceUnavailable, std::move(sentence));
    else if (error || listError)
        setWarning(std::move(sentence));
    else
        setStatus(TarvelConnectionState::ready, std::move(sentence));
}

QCoro::Task<> TarvelViewModel::openPath(QList<RemoteEntry> path)
{
    if (!m_selectedDevice || !m_selectedStorage)
        co_return;
    const std::optional<QString> parentID = path.isEmpty() ? std::nullopt : std::optional(path.last().id);
    const QString name = path.isEmpty() ? m_selectedStorage->name : path.last().name;
    co_await listFolder(parentID, std::move(path), name);
}

void TarvelViewModel::followPhoneEvents()
{
    if (!m_liveFolder)
        m_liveFolder = std::make_unique<LiveFolder>(this, m_engine);
}

QCoro::Task<> TarvelViewModel::refreshShownFolder()
{
    if (!m_selectedDevice || !m_selectedStorage || !isIdle() || m_state == TarvelConnectionState::loadingDirectory)
        co_return;
    QPointer<TarvelViewModel> self(this);
    const auto engine = m_engine;
    const QString deviceID = m_selectedDevice->id;
    // Not raised: any listing the user asks for meanwhile is newer and wins.
    const qint64 generation = m_storageLoadGeneration;
    DirectoryRequest request{deviceID, m_selectedStorage->id, m_currentParentID};
    const auto [listing, error] = co_await attempt(listOneFolder(engine, std::move(request)));
    // A listing that is not whole would hide items that are there: what is shown stays.
    if (!self || error || !listing.complete || !isCurrentStorageLoad(deviceID, generation))
        co_return;
    if (listing.entries != m_entries)
        setEntries(listing.entries);
}

QCoro::Task<> TarvelViewModel::leaveRemovedFolder(qsizetype depth)
{
    if (depth < 0 || depth >= m_folderPath.size() || !readyForChange())
        co_return;
    QPointer<TarvelViewModel> self(this);
    const QString gone = m_folderPath.at(depth).name;
    co_await navigateToDepth(depth);
    if (self && m_folderPath.size() == depth && isIdle() && m_state == TarvelConnectionState::ready
        && !m_statusIsWarning)
        setStatus(TarvelConnectionState::ready, sentences::folderRemoved(gone, currentLocationName()));
}

} // namespace tarvel
