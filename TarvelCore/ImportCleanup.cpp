#include "TarvelCore/ImportCleanup.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvel {

namespace {

bool flushed(const QString &path, int flags, std::optional<qint64> size)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = fstat(fd, &info) == 0 && (!size || (S_ISREG(info.st_mode) && info.st_size == *size)) && fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace

bool copyIsSafe(const QString &localPath, std::optional<qint64> size)
{
    // A phone that did not say the size gives nothing to compare the copy with; nor does one
    // that says a photo is empty: it may still be writing it, and list it again whole later.
    if (!size || *size == 0)
        return false;
    return flushed(localPath, O_RDONLY, size) && flushed(QFileInfo(localPath).absolutePath(), O_RDONLY | O_DIRECTORY, std::nullopt);
}

ImportCleanup::ImportCleanup(std::shared_ptr<AndroidFileTransferEngine> engine, QString deviceID,
                             QList<ImportedCopy> copies, QHash<QString, PhoneKey> keys, std::shared_ptr<ImportStore> store)
    : m_engine(std::move(engine))
    , m_deviceID(std::move(deviceID))
    , m_copies(std::move(copies))
    , m_keys(std::move(keys))
    , m_store(std::move(store))
{
}

QCoro::Task<CleanupEnd> ImportCleanup::run()
{
    auto check = [copies = m_copies] {
        QList<bool> safe;
        for (const ImportedCopy &copy : copies)
            safe.append(copyIsSafe(copy.localPath, copy.file.entry.sizeBytes));
        return safe;
    };
    auto [safe, checkError] = co_await attempt(awaitResult(m_store->run(std::move(check))));
    QList<ImportCandidate> waiting;
    QList<ObjectRequest> requests;
    for (qsizetype i = 0; i < m_copies.size(); ++i) {
        const ImportCandidate &file = m_copies.at(i).file;
        if (checkError || i >= safe.size() || !safe.at(i)) {
            ++m_end.copyNotSafe;
            continue;
        }
        waiting.append(file);
        requests.append(ObjectRequest{m_deviceID, file.storageID, file.entry.id, file.entry.name, file.entry.sizeBytes});
    }
    while (!requests.isEmpty() && !m_control->isCancelled() && !m_end.phoneGone) {
        auto [outcomes, error] = co_await attempt(m_engine->deleteObjects(requests, m_control));
        if (error || outcomes.isEmpty())
            outcomes = {error ? error : noResult()};
        const qsizetype answered = std::min(outcomes.size(), requests.size());
        QList<ImportCandidate> deleted;
        for (qsizetype k = 0; k < answered; ++k) {
            const auto kind = kindOf(outcomes.at(k));
            if (!outcomes.at(k)) {
                deleted.append(waiting.at(k));
                ++m_end.deleted;
                m_end.bytes += waiting.at(k).entry.sizeBytes.value_or(0);
            } else if (kind == TransferError::Kind::disconnected) {
                m_end.phoneGone = true;
            } else if (kind != TransferError::Kind::cancelled) {
                ++m_end.refused;
            }
        }
        // A cancelled or cut request was not deleted: it is counted as not reached below.
        qsizetype settled = 0;
        for (qsizetype k = 0; k < answered; ++k) {
            const auto kind = kindOf(outcomes.at(k));
            if (kind == TransferError::Kind::disconnected || kind == TransferError::Kind::cancelled)
                break;
            settled = k + 1;
        }
        requests.remove(0, settled);
        waiting.remove(0, settled);
        co_await remember(std::move(deleted));
        if (settled < answered)
            break;
    }
    m_end.cancelled = m_control->isCancelled() && !m_end.phoneGone;
    m_end.notReached = int(requests.size());
    co_return m_end;
}

QCoro::Task<> ImportCleanup::remember(QList<ImportCandidate> deleted)
{
    QHash<QString, QStringList> byStorage;
    for (const ImportCandidate &file : deleted)
        byStorage[file.storageID].append(file.path);
    for (auto it = byStorage.cbegin(); it != byStorage.cend(); ++it) {
        const StoreProblem problem = co_await m_store->recordDeleted(m_keys.value(it.key()), it.value());
        if (problem != StoreProblem::none && m_end.storeProblem == StoreProblem::none)
            m_end.storeProblem = problem;
    }
}

} // namespace tarvel
