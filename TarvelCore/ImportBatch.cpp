#include "TarvelCore/ImportBatch.h"

#include "TarvelCore/LocalFiles.h"
#include "TarvelCore/Sentences.h"

#include <QMap>

#include <numeric>

namespace tarvel {

ImportBatch::ImportBatch(BatchHost &host, QString deviceID, ImportPlan plan, QHash<QString, PhoneKey> keys,
                         std::shared_ptr<ImportStore> store)
    : Batch(host, TransferDirection::download, plan.destination.section(QLatin1Char('/'), -1, -1, QString::SectionSkipEmpty),
            std::move(deviceID), QString())
    , m_plan(std::move(plan))
    , m_keys(std::move(keys))
    , m_store(std::move(store))
{
    for (const ImportItem &item : m_plan.items)
        m_queue.add(BatchStep{.name = item.file.entry.name, .source = item.file.entry.id,
                              .size = item.file.entry.sizeBytes.value_or(0)});
    m_queue.foldersListed();
    m_folders.resize(m_queue.size());
}

QCoro::Task<> ImportBatch::steps()
{
    if (m_queue.size() == 0 || !co_await place())
        co_return;
    QList<int> all(m_queue.size());
    std::iota(all.begin(), all.end(), 0);
    journalSteps(all);
    for (int i = 0; i < m_queue.size() && !m_control->isCancelled();) {
        if (m_queue.skipsStep(i) || !m_queue.at(i).target) {
            ++i;
            continue;
        }
        const std::optional<int> last = co_await copyFrom(i);
        // What landed is remembered even when the window no longer shows the batch.
        co_await remember();
        if (!attached() || !last)
            co_return;
        i = *last + 1;
    }
}

// Every folder the import fills, with the names its files take there, in one job: the
// destination itself, then each year and each month in it.
QCoro::Task<bool> ImportBatch::place()
{
    QMap<QString, QList<int>> stepsBySubfolder;
    for (int i = 0; i < m_plan.items.size(); ++i)
        stepsBySubfolder[m_plan.items.at(i).subfolder].append(i);
    QList<FolderPlace> places;
    QList<QList<int>> filesOf;
    QHash<QString, int> placed; // subfolder path to its place's id
    const auto addPlace = [&](const QString &path, const QList<int> &files) {
        FolderPlace folder{.id = int(places.size())};
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        if (path.isEmpty())
            folder.makeInto = true; // Pictures may not exist yet, nor a folder chosen last time
        if (slash < 0)
            folder.into = m_plan.destination;
        else
            folder.parent = placed.value(path.left(slash), -1);
        if (!path.isEmpty())
            folder.name = path.mid(slash + 1);
        for (const int step : files)
            folder.files.append(m_queue.at(step).name);
        placed.insert(path, folder.id);
        places.append(folder);
        filesOf.append(files);
    };
    // The destination is made first: everything goes into it.
    addPlace(QString(), stepsBySubfolder.value(QString()));
    for (auto it = stepsBySubfolder.cbegin(); it != stepsBySubfolder.cend(); ++it) {
        if (it.key().isEmpty())
            continue;
        const QString year = it.key().section(QLatin1Char('/'), 0, 0);
        if (!placed.contains(year))
            addPlace(year, {});
        addPlace(it.key(), it.value());
    }
    auto [where, error] = co_await attempt(host().localFiles().place(places));
    if (!attached())
        co_return false;
    if (error || where.isEmpty() || where.first().error) {
        const std::exception_ptr failure = error ? error : where.isEmpty() ? noResult() : where.first().error;
        m_queue.note(sentences::failureReason(failure, TransferDirection::download, m_queue.destinationName()));
        co_return false;
    }
    for (qsizetype k = 0; k < where.size() && k < filesOf.size(); ++k) {
        const auto &[placement, failure] = where.at(k);
        const QList<int> &files = filesOf.at(k);
        for (qsizetype n = 0; n < files.size(); ++n) {
            if (failure) {
                fail(files.at(n), failure, {});
            } else if (n < placement.names.size()) {
                m_queue.setTarget(files.at(n), placement.names.at(n));
                m_folders[files.at(n)] = placement.folder;
            }
        }
    }
    co_return true;
}

QCoro::Task<std::optional<int>> ImportBatch::copyFrom(int first)
{
    QList<SeriesFile> series;
    QList<DownloadRequest> requests;
    for (int j = first; j < m_queue.size() && !m_queue.skipsStep(j) && m_queue.at(j).target; ++j) {
        const BatchStep &file = m_queue.at(j);
        const QString &folder = m_folders.at(j);
        series.append(SeriesFile{j, *file.target, folder.section(QLatin1Char('/'), -1), *file.target});
        requests.append(DownloadRequest{.deviceID = m_deviceID, .remoteFileID = file.source, .localFolder = folder,
                                        .localName = *file.target, .replacesExisting = false,
                                        .modifiedAt = m_plan.items.at(j).file.entry.modifiedAt,
                                        .partTag = partTag(*file.target)});
    }
    startSeries(series);
    auto [outcomes, error] = co_await attempt(m_engine->downloadSeries(std::move(requests), m_control));
    co_return endSeries(std::move(outcomes), error);
}

void ImportBatch::copied(const SeriesFile &file)
{
    m_copies.append({m_plan.items.at(file.step).file, m_folders.at(file.step) + QLatin1Char('/') + file.localName});
}

// The copies that landed since the last time, one transaction per storage.
QCoro::Task<> ImportBatch::remember()
{
    QHash<QString, QList<ImportedFile>> byStorage;
    for (; m_remembered < m_copies.size(); ++m_remembered) {
        const ImportedCopy &copy = m_copies.at(m_remembered);
        const RemoteEntry &entry = copy.file.entry;
        byStorage[copy.file.storageID].append({copy.file.path, entry.sizeBytes, entry.modifiedAt, copy.localPath});
    }
    for (auto it = byStorage.cbegin(); it != byStorage.cend(); ++it) {
        const StoreProblem problem = co_await m_store->recordImported(m_keys.value(it.key()), it.value());
        if (problem != StoreProblem::none && m_storeProblem == StoreProblem::none)
            m_storeProblem = problem;
    }
}

std::optional<JournalFile> ImportBatch::journalFile(int step) const
{
    const BatchStep &file = m_queue.at(step);
    if (!file.target || m_queue.skipsStep(step))
        return std::nullopt;
    const ImportCandidate &found = m_plan.items.at(step).file;
    return JournalFile{.seq = step,
                       .phonePath = found.path,
                       .localPath = m_folders.at(step) + QLatin1Char('/') + *file.target,
                       .sizeBytes = found.entry.sizeBytes,
                       .modifiedAt = found.entry.modifiedAt,
                       .partPath = partPath(m_folders.at(step) + QLatin1Char('/') + *file.target),
                       .storage = m_keys.value(found.storageID).storage};
}

BatchEnd ImportBatch::ending() const
{
    BatchEnd end = Batch::ending();
    if (m_storeProblem != StoreProblem::none && !m_copies.isEmpty())
        end.sentence += QLatin1Char(' ') + sentences::importNotRemembered(m_storeProblem);
    return end;
}

} // namespace tarvel
