// The view model's part in batches that survive: downloads, imports and uploads are written
// down as they go (Batch::keepJournal), and a cut one is offered again when its phone's
// storage is shown, after a reconnect or at the next start.

#include "TarvelCore/TarvelViewModel.h"

#include "TarvelCore/ResumeBatch.h"
#include "TarvelCore/Sentences.h"

#include <QPointer>

#include <algorithm>

namespace tarvel {

QCoro::Task<std::optional<PhoneKey>> TarvelViewModel::phoneKey()
{
    if (!m_selectedDevice || !m_selectedStorage)
        co_return std::nullopt;
    const QPointer<TarvelViewModel> self(this);
    const QString deviceID = m_selectedDevice->id;
    const QString serial = co_await shownPhoneSerial();
    if (!self || !m_selectedDevice || m_selectedDevice->id != deviceID || !m_selectedStorage)
        co_return std::nullopt;
    co_return PhoneKey::of(serial, m_selectedDevice->name, m_selectedStorage->id, m_selectedStorage->name);
}

QCoro::Task<> TarvelViewModel::lookForResumable(bool connected)
{
    const QPointer<TarvelViewModel> self(this);
    const std::shared_ptr<ImportStore> store = m_store;
    std::optional<PhoneKey> key;
    if (store)
        key = co_await phoneKey();
    if (!self)
        co_return;
    if (!key) {
        setResumable(std::nullopt);
        co_return;
    }
    std::optional<PhoneKey> asked = key;
    const QList<JournalBatch> batches = co_await store->unfinishedBatches(std::move(asked));
    if (!self)
        co_return;
    std::optional<JournalBatch> found;
    for (JournalBatch batch : batches) {
        // A batch with nothing left only failed to be forgotten.
        // The batch running and those queued are written down too, and still to come.
        const auto live = [&](const Waiting &waiting) { return waiting.journalID == batch.id; };
        if (batch.id == m_batchJournalID || std::any_of(m_queue.cbegin(), m_queue.cend(), live))
            continue;
        if (batch.filesLeft() == 0) {
            store->journal([id = batch.id](BatchJournal &journal) { return journal.forget(id); });
            continue;
        }
        // Not right after a batch stopped: that phone may have stopped answering.
        if (connected && batch.kind == JournalKind::upload)
            batch = co_await removeHalfSent(std::move(batch));
        if (!self)
            co_return;
        if (!found)
            found = batch;
    }
    // What the storage shown is now decides, not what it was when the question was asked.
    std::optional<PhoneKey> now;
    if (found)
        now = co_await phoneKey();
    if (!self)
        co_return;
    setResumable(now == key ? found : std::nullopt);
}

// An object at a cut upload's chosen name, of its file's size, is the cut's: it goes as soon
// as the phone answers again, whether or not the batch is resumed, so a photo at full size
// with wrong bytes never stays on the phone. The journal forgets only what is gone.
QCoro::Task<JournalBatch> TarvelViewModel::removeHalfSent(JournalBatch batch)
{
    QList<JournalFile> halfSent;
    for (const JournalFile &file : std::as_const(batch.files)) {
        if (file.state == JournalFileState::waiting && !file.partPath.isEmpty())
            halfSent.append(file);
    }
    if (halfSent.isEmpty() || !m_selectedDevice || !m_selectedStorage || !m_store)
        co_return batch;
    const std::shared_ptr<ImportStore> store = m_store;
    PhoneFolders folders(m_engine, m_selectedDevice->id, m_selectedStorage->id);
    auto control = std::make_shared<TransferControl>();
    const QList<std::exception_ptr> outcomes = co_await folders.removeHalfSent(halfSent, std::move(control));
    QList<JournalFile> cleared;
    for (qsizetype i = 0; i < halfSent.size(); ++i) {
        if (!outcomes.at(i)) {
            cleared.append(halfSent.at(i));
            cleared.last().partPath.clear();
        }
    }
    for (JournalFile &file : batch.files) {
        if (std::any_of(cleared.cbegin(), cleared.cend(), [&](const JournalFile &c) { return c.seq == file.seq; }))
            file.partPath.clear();
    }
    if (!cleared.isEmpty())
        store->journal([id = batch.id, cleared](BatchJournal &journal) { return journal.putFiles(id, cleared); });
    co_return batch;
}

void TarvelViewModel::setResumable(std::optional<JournalBatch> batch)
{
    m_resumable = std::move(batch);
    m_resumeOffer = m_resumable ? sentences::resumeOffer(m_resumable->filesLeft(), int(m_resumable->files.size()),
                                                         m_resumable->bytesLeft(), m_resumable->destinationName)
                                : QString();
    Q_EMIT resumeOfferChanged();
}

QCoro::Task<> TarvelViewModel::resumeBatch()
{
    if (!m_resumable || m_batch || !m_store || !readyForBatch())
        co_return;
    const JournalBatch cut = *m_resumable;
    setResumable(std::nullopt);
    // An import's files on the phone's other storages: each as the key names it, as PhoneKey::of does.
    QHash<QString, QString> storageIDs;
    QHash<QString, PhoneKey> keys;
    for (const AndroidStorage &storage : std::as_const(m_storages)) {
        const QString named = cut.key.guessed ? storage.name : storage.id;
        storageIDs.insert(named, storage.id);
        keys.insert(storage.id, PhoneKey{cut.key.phone, named, cut.key.guessed});
    }
    auto batch = std::make_shared<ResumeBatch>(asHost(), m_selectedDevice->id, m_selectedStorage->id, cut, m_store,
                                               std::move(storageIDs));
    batch->keepJournal(m_store, cut, true);
    const QPointer<TarvelViewModel> self(this);
    std::shared_ptr<Batch> running = batch;
    co_await runBatch(std::move(running), QueuedTransfer{}, cut.id);
    if (self && cut.kind == JournalKind::import && !batch->copies().isEmpty())
        Q_EMIT importResumed(batch->copies(), keys);
}

void TarvelViewModel::dismissResume()
{
    if (!m_resumable)
        return;
    if (m_store)
        m_store->journal([id = m_resumable->id](BatchJournal &journal) { return journal.forget(id); });
    setResumable(std::nullopt);
}

} // namespace tarvel
