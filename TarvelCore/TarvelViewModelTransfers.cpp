// The view model's transfers: each operation is a front that makes a batch (one file is a
// batch of one) and runs it, and the view model is the host the batches report to.

#include "TarvelCore/TarvelViewModel.h"

#include "TarvelCore/DownloadBatch.h"
#include "TarvelCore/Sentences.h"
#include "TarvelCore/UploadBatch.h"

#include <QFileInfo>
#include <QMetaMethod>
#include <QPointer>
#include <QSet>
#include <QUuid>

#include <algorithm>

namespace tarvel {

// Each front names its batch before awaiting it: GCC 12 destroys a temporary written
// inside a co_await expression twice.

QCoro::Task<> TarvelViewModel::download(QString remoteFileID, QString remoteName, QUrl to)
{
    if (!m_selectedDevice) {
        setCurrentTransfer(std::nullopt);
        setStatus(TarvelConnectionState::noDevice, sentences::connect());
        co_return;
    }
    // The one place a path is split: the user chose it whole.
    const QString path = to.toLocalFile();
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash > 0 ? path.left(slash) : (slash == 0 ? QStringLiteral("/") : QStringLiteral("."));
    TransferJob job{.id = QUuid::createUuid(), .direction = TransferDirection::download, .sourceName = remoteName,
                    .destinationName = to.fileName(),
                    .destinationFolderName = QFileInfo(QFileInfo(path).absolutePath()).fileName()};
    QueuedTransfer line{.name = sentences::queued(1, true, remoteName, sentences::placeOnComputer(folder))};
    // A file of the folder shown keeps the phone's date, and is remembered and written down
    // as a batch's file is: a cut copy goes on from its last byte.
    const auto shown = std::find_if(m_entries.cbegin(), m_entries.cend(), [&](const RemoteEntry &e) { return e.id == remoteFileID; });
    RemoteEntry file = shown != m_entries.cend() ? *shown : RemoteEntry{.id = remoteFileID, .name = remoteName};
    line.sizeBytes = file.sizeBytes;
    const QString from = phonePathOf(m_currentParentID).value_or(QString());
    std::optional<PhoneKey> key;
    if (shown != m_entries.cend() && m_selectedStorage && m_store) {
        const std::optional<std::optional<PhoneKey>> ready = co_await keyForBatch();
        if (!ready)
            co_return;
        key = *ready;
    }
    auto batch = std::make_shared<DownloadBatch>(asHost(), m_selectedDevice->id, std::move(file), std::move(job), folder,
                                                 path.mid(slash + 1), key ? std::optional(DownloadRecord{m_store, *key}) : std::nullopt);
    QString journalID;
    if (key) {
        journalID = QUuid::createUuid().toString(QUuid::WithoutBraces);
        batch->fromPhoneFolder(from);
        batch->keepJournal(m_store, JournalBatch{.id = journalID, .key = *key, .kind = JournalKind::download,
                                                 .destination = folder, .destinationName = sentences::placeOnComputer(folder)});
    }
    co_await runBatch(std::move(batch), std::move(line), std::move(journalID));
}

QCoro::Task<> TarvelViewModel::upload(QUrl localURL, std::optional<QString> toRemoteParentID)
{
    if (!m_selectedDevice) {
        setCurrentTransfer(std::nullopt);
        setStatus(TarvelConnectionState::noDevice, sentences::connect());
        co_return;
    }
    if (!m_selectedStorage) {
        setCurrentTransfer(std::nullopt);
        setStatus(TarvelConnectionState::deviceUnavailable, sentences::unlock());
        co_return;
    }
    const AndroidStorage storage = *m_selectedStorage;
    TransferJob job{.id = QUuid::createUuid(), .direction = TransferDirection::upload, .sourceName = localURL.fileName(),
                    .destinationName = storage.name, .destinationFolderName = uploadFolderName(toRemoteParentID)};
    QueuedTransfer line{.name = sentences::queued(1, true, job.sourceName, job.destinationFolderName)};
    // The window uploads its files one by one into the folder shown and lists it once at the
    // end: what is shown is what the folder holds, without a listing for each. Not for a
    // batch that waits: the folder may hold more by its turn.
    std::optional<QList<RemoteEntry>> shown;
    if (toRemoteParentID == m_currentParentID && !m_batch)
        shown = m_entries;
    auto batch = std::make_shared<UploadBatch>(asHost(), m_selectedDevice->id, storage.id, localURL, toRemoteParentID,
                                               std::move(job), std::move(shown));
    co_await runBatch(std::move(batch), std::move(line));
}

QCoro::Task<> TarvelViewModel::downloadItems(QList<RemoteEntry> items, QUrl toFolder)
{
    if (!readyForBatch() || items.isEmpty())
        co_return;
    const std::optional<std::optional<PhoneKey>> ready = co_await keyForBatch();
    if (!ready)
        co_return;
    const std::optional<PhoneKey> key = *ready;
    const QString folder = toFolder.toLocalFile();
    // Only items of the folder shown have a known path on the phone, as an import names it.
    QSet<QString> shown;
    for (const RemoteEntry &entry : std::as_const(m_entries))
        shown.insert(entry.id);
    const bool allShown = std::all_of(items.cbegin(), items.cend(), [&](const RemoteEntry &e) { return shown.contains(e.id); });
    const bool remembered = key && allShown;
    const bool allFiles = std::all_of(items.cbegin(), items.cend(),
                                      [](const RemoteEntry &e) { return e.kind == RemoteEntryKind::file; });
    QueuedTransfer line{.name = sentences::queued(int(items.size()), allFiles, items.first().name,
                                                  sentences::placeOnComputer(folder))};
    if (allFiles) {
        qint64 bytes = 0;
        for (const RemoteEntry &item : std::as_const(items))
            bytes += item.sizeBytes.value_or(0);
        line.sizeBytes = bytes;
    }
    QStringList phoneFolder;
    for (const RemoteEntry &entry : std::as_const(m_folderPath))
        phoneFolder.append(entry.name);
    const QString from = phoneFolder.join(QLatin1Char('/'));
    auto batch = std::make_shared<DownloadBatch>(asHost(), m_selectedDevice->id, m_selectedStorage->id, std::move(items), folder,
                                                 remembered ? std::optional(DownloadRecord{m_store, *key}) : std::nullopt);
    QString journalID;
    if (remembered) {
        journalID = QUuid::createUuid().toString(QUuid::WithoutBraces);
        batch->fromPhoneFolder(from);
        batch->keepJournal(m_store, JournalBatch{.id = journalID, .key = *key, .kind = JournalKind::download,
                                                 .destination = folder, .destinationName = sentences::placeOnComputer(folder)});
    }
    co_await runBatch(std::move(batch), std::move(line), std::move(journalID));
}

QCoro::Task<> TarvelViewModel::uploadItems(QList<QUrl> localItems, std::optional<QString> toRemoteParentID)
{
    if (!readyForBatch() || localItems.isEmpty())
        co_return;
    QueuedTransfer line{.name = sentences::queued(int(localItems.size()), false,
                                                  localItems.first().adjusted(QUrl::StripTrailingSlash).fileName(),
                                                  uploadFolderName(toRemoteParentID))};
    const std::optional<std::optional<PhoneKey>> ready = co_await keyForBatch();
    if (!ready)
        co_return;
    const std::optional<PhoneKey> key = *ready;
    auto batch = std::make_shared<UploadBatch>(asHost(), m_selectedDevice->id, m_selectedStorage->id, std::move(localItems),
                                               toRemoteParentID, uploadFolderName(toRemoteParentID));
    // Written down only where the folder's path on the phone is known, as Resume finds it by that.
    const std::optional<QString> path = phonePathOf(toRemoteParentID);
    QString journalID;
    if (key && path) {
        journalID = QUuid::createUuid().toString(QUuid::WithoutBraces);
        batch->toPhoneFolder(*path);
        batch->keepJournal(m_store, JournalBatch{.id = journalID, .key = *key, .kind = JournalKind::upload,
                                                 .destination = *path,
                                                 .destinationName = path->isEmpty() ? uploadFolderName(std::nullopt) : *path});
    }
    co_await runBatch(std::move(batch), std::move(line), std::move(journalID));
}

// The path from the storage's root of the root itself, the folder shown, a folder above it
// or one in it; nothing for any other.
std::optional<QString> TarvelViewModel::phonePathOf(const std::optional<QString> &folderID) const
{
    if (!folderID)
        return QString();
    QStringList names;
    for (const RemoteEntry &entry : std::as_const(m_folderPath)) {
        names.append(entry.name);
        if (entry.id == *folderID)
            return names.join(QLatin1Char('/'));
    }
    for (const RemoteEntry &entry : std::as_const(m_entries)) {
        if (entry.id == *folderID && entry.kind == RemoteEntryKind::folder)
            return (names + QStringList{entry.name}).join(QLatin1Char('/'));
    }
    return std::nullopt;
}

// The phone's key a batch is written down under (none without a store), once the phone was
// asked for its serial; nothing when the batch can no longer start: the view model, the
// phone or its storage went meanwhile.
QCoro::Task<std::optional<std::optional<PhoneKey>>> TarvelViewModel::keyForBatch()
{
    const QPointer<TarvelViewModel> self(this);
    const QString deviceID = m_selectedDevice->id;
    std::optional<PhoneKey> key;
    if (m_store)
        key = co_await phoneKey();
    if (!self || !readyForBatch() || m_selectedDevice->id != deviceID)
        co_return std::nullopt;
    co_return std::optional(key);
}

// A batch needs a phone and a listed storage; without them the status says what to do.
bool TarvelViewModel::readyForBatch()
{
    if (m_selectedDevice && m_selectedStorage)
        return true;
    setStatus(m_selectedDevice ? TarvelConnectionState::deviceUnavailable : TarvelConnectionState::noDevice,
              m_selectedDevice ? sentences::unlock() : sentences::connect());
    return false;
}

// The phone folder an upload lands in, as the window knows it: the storage's root, the
// folder shown, one up its path or one in it. Empty for any other: sentences leave it out.
QString TarvelViewModel::uploadFolderName(const std::optional<QString> &parentID) const
{
    if (!parentID)
        return m_selectedStorage ? m_selectedStorage->name : QString();
    if (parentID == m_currentParentID)
        return currentLocationName();
    for (const QList<RemoteEntry> &known : {m_folderPath, m_entries}) {
        for (const RemoteEntry &entry : known) {
            if (entry.id == *parentID && entry.kind == RemoteEntryKind::folder)
                return entry.name;
        }
    }
    return QString();
}

QCoro::Task<> TarvelViewModel::runBatch(std::shared_ptr<Batch> batch, QueuedTransfer line, QString journalID)
{
    // One batch at a time on the phone: a later one waits its turn in the pane.
    if (m_batch) {
        line.id = QUuid::createUuid();
        const QUuid id = line.id;
        const bool writtenDown = !journalID.isEmpty();
        m_queue.append(Waiting{std::move(line), batch, m_selectedDevice ? m_selectedDevice->id : QString(), journalID,
                               !writtenDown});
        Q_EMIT queuedTransfersChanged();
        if (!writtenDown)
            co_return;
        // Looked through as it waits, so the journal holds its files before a quit can come
        // (its folders' listings wait on the phone for the file in flight); it cannot start
        // until then. Removed meanwhile, it is forgotten again once it is written down.
        const QPointer<TarvelViewModel> self(this);
        co_await batch->lookThrough();
        if (!self)
            co_return;
        const auto at = std::find_if(m_queue.begin(), m_queue.end(), [&](const Waiting &w) { return w.line.id == id; });
        if (at == m_queue.end()) {
            if (m_store && batch->isCancelled())
                m_store->journal([journalID](BatchJournal &journal) { return journal.forget(journalID); });
            co_return;
        }
        at->ready = true;
        if (!at->line.sizeBytes)
            at->line.sizeBytes = batch->bytesFound();
        Q_EMIT queuedTransfersChanged();
        startNextQueued();
        co_return;
    }
    stopTransfer();
    m_batch = batch;
    m_batchJournalID = journalID;
    m_progressTimer.start();
    const BatchView view = batch->view();
    if (m_currentBatch && !view.counts)
        setCurrentBatch(std::nullopt);
    setCurrentTransfer(view.file);
    if (view.counts)
        setCurrentBatch(view.counts);
    setStatus(TarvelConnectionState::transferring, batch->startSentence());
    co_await batch->run();
}

QList<QueuedTransfer> TarvelViewModel::queuedTransfers() const
{
    QList<QueuedTransfer> lines;
    for (const Waiting &waiting : m_queue)
        lines.append(waiting.line);
    return lines;
}

void TarvelViewModel::removeQueued(QUuid id)
{
    const auto at = std::find_if(m_queue.begin(), m_queue.end(), [&](const Waiting &w) { return w.line.id == id; });
    if (at == m_queue.end())
        return;
    if (m_store && !at->journalID.isEmpty())
        m_store->journal([journalID = at->journalID](BatchJournal &journal) { return journal.forget(journalID); });
    at->batch->cancel(); // one still being looked through stops listing
    m_queue.erase(at);
    Q_EMIT queuedTransfersChanged();
}

// A batch knows its phone by the id the phone has on this connection, and its files by
// their object ids: one queued for a phone that went away cannot run when it is back. What
// the journal holds of it is offered to resume then, as a cut batch is.
void TarvelViewModel::startNextQueued()
{
    if (m_batch || m_queue.isEmpty() || !m_queue.first().ready)
        return;
    if (!showsDevice(m_queue.first().deviceID) || !m_selectedStorage) {
        dropQueue();
        return;
    }
    Waiting next = m_queue.takeFirst();
    Q_EMIT queuedTransfersChanged();
    runBatch(std::move(next.batch), std::move(next.line), std::move(next.journalID));
}

void TarvelViewModel::dropQueue()
{
    if (m_queue.isEmpty())
        return;
    m_queue.clear();
    Q_EMIT queuedTransfersChanged();
}

void TarvelViewModel::cancelTransfer()
{
    if (!m_batch || m_batch->isCancelled())
        return;
    m_batch->cancel();
    answerNamesTaken(TakenNames::keepBoth); // the batch stops before it copies anything more
    setCancellingTransfer(true);
}

void TarvelViewModel::dropTransfer()
{
    if (m_batch) {
        m_batch->cancel();
        m_batch->letGo();
        m_batch.reset();
    }
    dropQueue();
    answerNamesTaken(TakenNames::keepBoth);
    stopTransfer();
    setCurrentTransfer(std::nullopt);
    if (m_currentBatch)
        setCurrentBatch(std::nullopt);
}

void TarvelViewModel::stopTransfer()
{
    m_progressTimer.stop();
    if (m_cancellingTransfer)
        setCancellingTransfer(false);
}

// Runs on the timer, so the window hears of progress at most ten times a second however
// often the lane stores it.
void TarvelViewModel::sampleProgress()
{
    if (!m_batch)
        return;
    BatchView view = m_batch->view();
    // A file shows first when its batch says so; one the window was told is gone stays gone.
    if (!m_currentTransfer)
        view.file.reset();
    show(view);
}

void TarvelViewModel::show(const BatchView &view)
{
    if (view.file != m_currentTransfer)
        setCurrentTransfer(view.file);
    if (view.counts && view.counts != m_currentBatch)
        setCurrentBatch(view.counts);
}

void TarvelViewModel::say(QString sentence)
{
    setStatus(TarvelConnectionState::transferring, std::move(sentence));
}

QCoro::Task<> TarvelViewModel::landedIn(QString storageID, std::optional<QString> parentID)
{
    if (m_currentParentID == parentID && m_selectedStorage && m_selectedStorage->id == storageID)
        co_await loadCurrentDirectory();
}

QCoro::Task<TakenNames> TarvelViewModel::whenNamesTaken(int count, QString folderName)
{
    // With no window to ask, nothing is replaced and nothing dropped.
    if (!isSignalConnected(QMetaMethod::fromSignal(&TarvelViewModel::namesTaken)))
        co_return TakenNames::keepBoth;
    answerNamesTaken(TakenNames::keepBoth); // one question at a time
    auto question = std::make_shared<QPromise<TakenNames>>();
    question->start();
    const QFuture<TakenNames> answer = question->future();
    m_namesQuestion = question;
    Q_EMIT namesTaken(count, folderName);
    co_return co_await awaitResult(answer);
}

void TarvelViewModel::answerNamesTaken(TakenNames answer)
{
    if (const auto question = std::exchange(m_namesQuestion, nullptr)) {
        question->addResult(answer);
        question->finish();
    }
}

void TarvelViewModel::end(BatchEnd end)
{
    m_batch.reset();
    m_batchJournalID.clear();
    lookForResumable(); // a batch cut while the phone stays, by Cancel, is offered at once
    stopTransfer();
    setCurrentTransfer(std::nullopt);
    if (m_currentBatch)
        setCurrentBatch(std::nullopt);
    // Whether the phone is still listed depends on whether the bus has told of it yet; the
    // sentence does not.
    if (end.phoneGone)
        sayPhoneGone(m_selectedDevice ? TarvelConnectionState::deviceUnavailable : TarvelConnectionState::noDevice,
                     std::move(end.sentence));
    else
        setStatus(end.state, std::move(end.sentence));
    // The lane may learn of an unplug before the bus does: the phone is still listed then.
    if (end.phoneGone)
        dropQueue();
    // On the next turn, so the pane and the status show this end before the next start.
    if (!m_queue.isEmpty())
        QTimer::singleShot(0, this, &TarvelViewModel::startNextQueued);
}

} // namespace tarvel
