#include "TarvelCore/Batch.h"

#include "TarvelCore/ImportStore.h"
#include "TarvelCore/Sentences.h"

#include <QUuid>

#include <algorithm>
#include <utility>

namespace tarvel {

Batch::Batch(BatchHost &host, TransferDirection direction, QString destinationName, QString deviceID, QString storageID)
    : m_queue(direction, std::move(destinationName))
    , m_engine(host.engine())
    , m_deviceID(std::move(deviceID))
    , m_storageID(std::move(storageID))
    , m_host(&host)
{
}

void Batch::showOnly(TransferJob job)
{
    m_single = true;
    m_queue.foldersListed();
    m_job = std::move(job);
    m_jobStep = 0;
}

QCoro::Task<> Batch::run()
{
    const std::shared_ptr<Batch> self = shared_from_this();
    co_await steps();
    closeJournal();
    if (BatchHost *host = std::exchange(m_host, nullptr))
        host->end(ending());
}

QString Batch::startSentence() const
{
    if (m_single)
        return sentences::copying(m_queue.direction(), m_queue.at(0).name);
    return sentences::lookingThrough(m_queue.direction());
}

void Batch::cancel()
{
    m_cancelled = true;
    m_control->cancel();
}

void Batch::unplugged()
{
    m_phoneGone = true;
    m_control->cancel();
}

void Batch::keepJournal(std::shared_ptr<ImportStore> store, JournalBatch batch, bool begun)
{
    m_journal = std::move(store);
    m_journalBatch = std::move(batch);
    m_journalBatch.files.clear();
    m_journalBegun = begun;
    for (int step = 0; begun && step < m_queue.size(); ++step)
        m_journaled.insert(step);
}

QCoro::Task<> Batch::lookThrough()
{
    if (!std::exchange(m_lookedThrough, true))
        co_await findFiles();
}

void Batch::journalSteps(const QList<int> &steps)
{
    if (!m_journal)
        return;
    QList<JournalFile> files;
    for (const int step : steps) {
        if (std::optional<JournalFile> file = journalFile(step)) {
            files.append(*file);
            m_journaled.insert(step);
        }
    }
    if (files.isEmpty())
        return;
    if (!std::exchange(m_journalBegun, true)) {
        JournalBatch batch = m_journalBatch;
        batch.files = files;
        m_journal->journal([batch](BatchJournal &journal) { return journal.begin(batch); });
        return;
    }
    m_journal->journal([id = m_journalBatch.id, files](BatchJournal &journal) { return journal.putFiles(id, files); });
}

QString Batch::partTag(const QString &localName) const
{
    // The bridge keeps the first 200 bytes of the name in the part's: only a name it keeps
    // whole gives a part this side can name too.
    if (!m_journal || localName.toUtf8().size() > 200)
        return {};
    return m_journalBatch.id.left(8);
}

QString Batch::partPath(const QString &localPath) const
{
    const qsizetype slash = localPath.lastIndexOf(QLatin1Char('/'));
    const QString name = localPath.mid(slash + 1);
    const QString tag = partTag(name);
    return tag.isEmpty() ? QString() : localPath.left(slash + 1) + QLatin1Char('.') + name + QStringLiteral(".part-") + tag;
}

void Batch::journalEnded(const QList<int> &steps, JournalFileState state)
{
    if (!m_journal || !m_journalBegun || steps.isEmpty())
        return;
    QList<int> numbers;
    for (const int step : steps)
        numbers.append(journalNumber(step));
    m_journal->journal([id = m_journalBatch.id, numbers, state](BatchJournal &journal) {
        return journal.setState(id, numbers, state);
    });
}

// A batch whose every file ended is forgotten; else what failed or was skipped is written
// down as ended, and the rest waits for Resume.
void Batch::closeJournal()
{
    if (!m_journal || !m_journalBegun)
        return;
    QList<int> ended;
    bool waits = m_queue.batch().listingFolders;
    for (const int step : std::as_const(m_journaled)) {
        if (m_done.contains(step))
            continue;
        if (m_queue.skipsStep(step) && !m_retry.contains(step))
            ended.append(step);
        else
            waits = true;
    }
    if (!waits) {
        m_journal->journal([id = m_journalBatch.id](BatchJournal &journal) { return journal.forget(id); });
        return;
    }
    journalEnded(ended, JournalFileState::failed);
}

TransferJob Batch::jobFor(const SeriesFile &file) const
{
    return TransferJob{.id = QUuid::createUuid(),
                       .direction = m_queue.direction(),
                       .sourceName = m_queue.at(file.step).name,
                       .destinationName = file.name,
                       .destinationFolderName = file.folderName};
}

BatchView Batch::view()
{
    int filesInFlight = 0;
    qint64 bytesInFlight = 0;
    if (!m_series.isEmpty()) {
        // The lane says which file it is at after it has set that file's counts to nothing,
        // so the counts read next are never an earlier file's.
        const int at = std::clamp(m_control->fileInSeries(), 0, int(m_series.size()) - 1);
        const SeriesFile &file = m_series.at(at);
        if (!m_job || m_jobStep != file.step) {
            m_job = jobFor(file);
            m_jobStep = file.step;
        }
        m_job->completedBytes = m_control->completedBytes();
        m_job->totalBytes = m_control->totalBytes();
        filesInFlight = at + 1;
        bytesInFlight = m_bytesBefore.at(at) + m_job->completedBytes;
    }
    BatchView view{.file = m_job};
    if (!m_single)
        view.counts = m_queue.batch(filesInFlight, bytesInFlight);
    return view;
}

void Batch::startSeries(QList<SeriesFile> files)
{
    m_series = std::move(files);
    m_bytesBefore.clear();
    qint64 bytes = 0;
    for (const SeriesFile &file : std::as_const(m_series)) {
        m_bytesBefore.append(bytes);
        bytes += m_queue.at(file.step).size;
    }
    m_control->setProgress(0, 0);
    m_control->setFileInSeries(0);
    if (m_job)
        return;
    const BatchView first = view();
    host().show(first);
    host().say(sentences::batchRunning(*first.counts));
}

std::optional<int> Batch::endSeries(QList<std::exception_ptr> outcomes, const std::exception_ptr &error)
{
    if (error || outcomes.isEmpty())
        outcomes = {error ? error : noResult()};
    const qsizetype ran = std::min(outcomes.size(), m_series.size());
    const int last = m_series.at(ran - 1).step;
    m_queue.started(int(ran));
    bool goesOn = true;
    QList<int> done;
    for (qsizetype k = 0; k < ran; ++k) {
        const SeriesFile &file = m_series.at(k);
        const std::exception_ptr &outcome = outcomes.at(k);
        const auto kind = kindOf(outcome);
        if (!outcome) {
            m_queue.finishFile(file.step);
            m_done.insert(file.step);
            done.append(file.step);
            copied(file);
        } else if (kind == TransferError::Kind::cancelled) {
            goesOn = false;
        } else if (kind == TransferError::Kind::disconnected) {
            m_phoneGone = true;
            goesOn = false;
        } else if (kind == TransferError::Kind::deviceRefused && m_phoneFailed) {
            // Trying the rest against a phone that no longer answers would only reset it once
            // per file: the batch stops here, and both files wait for Resume.
            m_retry << *m_phoneFailed << file.step;
            m_stoppedAnswering = true;
            goesOn = false;
            break;
        } else {
            fail(file.step, outcome, file.localName);
        }
        if (kind == TransferError::Kind::deviceRefused)
            m_phoneFailed = file.step;
        else
            m_phoneFailed.reset();
    }
    m_series.clear();
    journalEnded(done, JournalFileState::done);
    return goesOn ? std::optional(last) : std::nullopt;
}

void Batch::fail(int step, const std::exception_ptr &error, const QString &localName)
{
    m_failure = error;
    m_queue.fail(step, sentences::failureReason(error, m_queue.direction(), localName));
}

BatchEnd Batch::ending() const
{
    using State = TarvelConnectionState;
    const TransferDirection direction = m_queue.direction();
    // The phone's going away matters only for what it kept from being copied: a batch whose
    // every file had ended says how it went, whichever learnt of the phone first.
    const bool cut = m_phoneGone
        && (m_queue.batch().listingFolders || m_queue.filesDone() + m_queue.filesFailed() < m_queue.fileCount());
    if (m_single) {
        const BatchStep &file = m_queue.at(0);
        if (cut)
            return {State::deviceUnavailable, sentences::disconnected(), true};
        if (m_queue.filesDone() == 1)
            return {State::ready, sentences::copied(direction, file.name)};
        if (!m_failure)
            return {State::ready, sentences::error(TransferError::cancelled())};
        const QString localName = direction == TransferDirection::download ? file.target.value_or(file.name) : file.name;
        try {
            std::rethrow_exception(m_failure);
        } catch (const TransferError &error) {
            return {State::transferFailed, sentences::copyFailed(error, direction, file.name, localName)};
        } catch (...) {
            return {State::transferFailed, sentences::error(m_failure)};
        }
    }
    if (cut) {
        const int done = m_queue.filesDone();
        return {State::deviceUnavailable,
                m_journal ? sentences::disconnectedResumable(done, m_queue.fileCount()) : sentences::disconnected(done, m_queue.fileCount()),
                true};
    }
    if (m_stoppedAnswering)
        return {State::transferFailed, sentences::stoppedAnswering(m_queue.filesDone(), m_queue.fileCount())};
    if (m_cancelled)
        return {State::ready, sentences::batchCancelled(m_queue)};
    return {m_queue.hasFailures() ? State::transferFailed : State::ready, sentences::batchDone(m_queue)};
}

} // namespace tarvel
