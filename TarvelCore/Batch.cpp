#include "TarvelCore/Batch.h"

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

bool Batch::endSeries(QList<std::exception_ptr> outcomes)
{
    const qsizetype ran = std::min(outcomes.size(), m_series.size());
    m_queue.started(int(ran));
    bool goesOn = true;
    for (qsizetype k = 0; k < ran; ++k) {
        const SeriesFile &file = m_series.at(k);
        const std::exception_ptr &outcome = outcomes.at(k);
        const auto kind = kindOf(outcome);
        if (!outcome) {
            m_queue.finishFile(file.step);
            copied(file);
        } else if (kind == TransferError::Kind::cancelled) {
            goesOn = false;
        } else if (kind == TransferError::Kind::disconnected) {
            m_phoneGone = true;
            goesOn = false;
        } else {
            fail(file.step, outcome, file.localName);
        }
    }
    m_series.clear();
    return goesOn;
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
    if (cut)
        return {State::deviceUnavailable, sentences::disconnected(m_queue.filesDone(), m_queue.fileCount()), true};
    if (m_cancelled)
        return {State::ready, sentences::batchCancelled(m_queue)};
    return {m_queue.hasFailures() ? State::transferFailed : State::ready, sentences::batchDone(m_queue)};
}

} // namespace tarvel
