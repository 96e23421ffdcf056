#include "TarvelCore/TransferQueue.h"

namespace tarvel {

TransferQueue::TransferQueue(TransferDirection direction, QString destinationName)
    : m_direction(direction), m_destinationName(std::move(destinationName))
{
}

int TransferQueue::add(BatchStep step)
{
    if (step.kind == RemoteEntryKind::file) {
        ++m_fileCount;
        m_totalBytes += step.size;
        m_filesIn[step.parent].append(size());
    }
    m_steps.append(std::move(step));
    return size() - 1;
}

void TransferQueue::adopt(const LocalItems &items)
{
    const int offset = size();
    for (BatchStep step : items.steps) {
        if (step.parent >= 0)
            step.parent += offset;
        add(std::move(step));
    }
    for (const QString &skipped : items.skipped) {
        ++m_fileCount;
        ++m_filesFailed;
        m_failures.append(skipped);
    }
}

void TransferQueue::foldersListed()
{
    m_listing = false;
}

void TransferQueue::fail(int index, QString reason)
{
    BatchStep &step = m_steps[index];
    if (step.failed)
        return;
    step.failed = true;
    if (step.kind == RemoteEntryKind::file)
        ++m_filesFailed;
    if (!reason.isEmpty())
        m_failures.append(step.name + QStringLiteral(": ") + reason);
}

void TransferQueue::note(QString problem)
{
    m_failures.append(std::move(problem));
}

void TransferQueue::skip(int index)
{
    BatchStep &step = m_steps[index];
    if (step.failed)
        return;
    step.failed = true;
    --m_fileCount;
    m_totalBytes -= step.size;
    ++m_filesSkipped;
}

void TransferQueue::setTarget(int index, QString target)
{
    m_steps[index].target = std::move(target);
}

std::optional<QString> TransferQueue::destinationOf(int index, const std::optional<QString> &batchDestination) const
{
    const int parent = m_steps.at(index).parent;
    return parent < 0 ? batchDestination : m_steps.at(parent).target;
}

bool TransferQueue::skipsStep(int index) const
{
    for (int at = index; at >= 0; at = m_steps.at(at).parent) {
        if (m_steps.at(at).failed)
            return true;
    }
    return false;
}

QList<int> TransferQueue::filesIn(int folder) const
{
    return m_filesIn.value(folder);
}

void TransferQueue::started(int files)
{
    m_filesStarted += files;
}

void TransferQueue::finishFile(int index)
{
    ++m_filesDone;
    m_bytesDone += m_steps.at(index).size;
}

TransferBatch TransferQueue::batch(int filesInFlight, qint64 bytesInFlight) const
{
    return TransferBatch{
        .direction = m_direction,
        .destinationName = m_destinationName,
        .fileCount = m_fileCount,
        .fileNumber = m_filesStarted + filesInFlight,
        .completedBytes = m_bytesDone + bytesInFlight,
        .totalBytes = m_totalBytes,
        .failedCount = m_filesFailed,
        .listingFolders = m_listing,
    };
}

} // namespace tarvel
