#include "TarvelCore/DownloadBatch.h"

#include "TarvelCore/Sentences.h"

#include <algorithm>
#include <numeric>

namespace tarvel {

DownloadBatch::DownloadBatch(BatchHost &host, QString deviceID, QString storageID, QList<RemoteEntry> items,
                             QString folder, std::optional<DownloadRecord> record)
    : Batch(host, TransferDirection::download, sentences::placeOnComputer(folder), std::move(deviceID), std::move(storageID))
    , m_folder(std::move(folder))
    , m_record(std::move(record))
{
    for (const RemoteEntry &item : items)
        m_queue.add(BatchStep{.kind = item.kind, .name = item.name, .source = item.id, .size = item.sizeBytes.value_or(0),
                              .modifiedAt = item.modifiedAt});
}

// No storage: the first window's download needed none.
DownloadBatch::DownloadBatch(BatchHost &host, QString deviceID, RemoteEntry file, TransferJob job,
                             QString localFolder, QString localName, std::optional<DownloadRecord> record)
    : Batch(host, TransferDirection::download, job.destinationFolderName, std::move(deviceID), QString())
    , m_folder(std::move(localFolder))
    , m_record(std::move(record))
{
    m_queue.add(BatchStep{.name = job.sourceName, .source = file.id, .size = file.sizeBytes.value_or(0),
                          .target = std::move(localName), .modifiedAt = file.modifiedAt});
    showOnly(std::move(job));
}

QCoro::Task<> DownloadBatch::findFiles()
{
    co_await listFolders();
    if (!attached() || phoneGone())
        co_return;
    m_queue.foldersListed();
    QList<int> all(m_queue.size());
    std::iota(all.begin(), all.end(), 0);
    journalSteps(all);
}

QCoro::Task<> DownloadBatch::steps()
{
    co_await lookThrough();
    if (!attached() || phoneGone())
        co_return;
    // The batch's own folder first: its files' names are chosen there.
    for (int i = single() ? 0 : -1; i < m_queue.size() && !m_control->isCancelled(); ++i) {
        if (i >= 0 && m_queue.skipsStep(i)) {
            m_queue.fail(i, {});
            continue;
        }
        if (i >= 0 && !single()) {
            if (const auto unfit = unfitForLocalName(m_queue.at(i).name)) {
                m_queue.fail(i, *unfit);
                continue;
            }
        }
        std::optional<int> last;
        if (i < 0 || m_queue.at(i).kind == RemoteEntryKind::folder)
            last = co_await placeFrom(i);
        else
            last = co_await copyFrom(i);
        if (!attached() || !last)
            co_return;
        i = *last;
    }
}

QCoro::Task<> DownloadBatch::listFolders()
{
    for (int i = 0; i < m_queue.size() && !m_control->isCancelled();) {
        QList<int> folders;
        QList<DirectoryRequest> requests;
        for (int j = i; j < m_queue.size(); ++j) {
            if (m_queue.at(j).kind == RemoteEntryKind::folder) {
                folders.append(j);
                requests.append(DirectoryRequest{m_deviceID, m_storageID, m_queue.at(j).source});
            }
        }
        if (folders.isEmpty())
            co_return;
        auto [listings, error] = co_await attempt(m_engine->listFolders(std::move(requests), m_control));
        if (!attached())
            co_return;
        if (error || listings.isEmpty())
            listings = {Attempt<DirectoryListing>{.error = error ? error : noResult()}};
        const qsizetype answered = std::min(listings.size(), folders.size());
        for (qsizetype k = 0; k < answered; ++k) {
            const int folder = folders.at(k);
            const auto &[listing, failure] = listings.at(k);
            if (kindOf(failure) == TransferError::Kind::disconnected) {
                phoneWentAway();
                co_return;
            }
            if (failure) {
                fail(folder, failure, {});
                continue;
            }
            if (!listing.complete)
                m_queue.note(m_queue.at(folder).name + QStringLiteral(": ")
                             + sentences::reason(sentences::Problem::partlyListed));
            for (const RemoteEntry &entry : listing.entries)
                m_queue.add(BatchStep{.kind = entry.kind, .name = entry.name, .source = entry.id,
                                      .size = entry.sizeBytes.value_or(0), .parent = folder,
                                      .modifiedAt = entry.modifiedAt});
        }
        i = folders.at(answered - 1) + 1;
    }
}

QString DownloadBatch::pathIn(int step) const
{
    QString path = m_queue.at(step).name;
    for (int at = m_queue.at(step).parent; at >= 0; at = m_queue.at(at).parent)
        path = m_queue.at(at).name + QLatin1Char('/') + path;
    return path;
}

QString DownloadBatch::phonePath(int step) const
{
    return m_phoneFolder.isEmpty() ? pathIn(step) : m_phoneFolder + QLatin1Char('/') + pathIn(step);
}

// A file placed is written down where it goes; one not yet placed where it would go under
// its own name, which its placement writes over.
std::optional<JournalFile> DownloadBatch::journalFile(int step) const
{
    const BatchStep &file = m_queue.at(step);
    if (file.kind != RemoteEntryKind::file || m_queue.skipsStep(step))
        return std::nullopt;
    const std::optional<QString> folder = m_queue.destinationOf(step, m_folder);
    const QString localPath = folder && file.target ? *folder + QLatin1Char('/') + *file.target
                                                    : m_folder + QLatin1Char('/') + pathIn(step);
    return JournalFile{.seq = step,
                       .phonePath = phonePath(step),
                       .localPath = localPath,
                       .sizeBytes = file.size,
                       .modifiedAt = file.modifiedAt,
                       .partPath = partPath(localPath)};
}

FolderPlace DownloadBatch::placeOf(int step) const
{
    FolderPlace place{.id = step, .into = m_folder};
    if (step >= 0) {
        place.parent = m_queue.at(step).parent;
        place.into = m_queue.destinationOf(step, m_folder);
        place.name = m_queue.at(step).name;
    }
    for (const int file : m_queue.filesIn(step))
        place.files.append(m_queue.at(file).name);
    return place;
}

bool DownloadBatch::readyToPlace(int step) const
{
    const BatchStep &at = m_queue.at(step);
    return at.kind == RemoteEntryKind::folder && !m_queue.skipsStep(step) && !unfitForLocalName(at.name);
}

// A file whose download can join a series: nothing about it fails before it runs.
bool DownloadBatch::readyToDownload(int step) const
{
    const BatchStep &at = m_queue.at(step);
    return at.kind == RemoteEntryKind::file && at.target && !m_queue.skipsStep(step) && !unfitForLocalName(at.name);
}

// This folder and the ready folders right after it are placed in one job.
QCoro::Task<std::optional<int>> DownloadBatch::placeFrom(int first)
{
    QList<FolderPlace> places;
    for (int j = first; j < m_queue.size() && (j == first || readyToPlace(j)); ++j)
        places.append(placeOf(j));
    QList<TakenName> taken;
    auto [placed, error] = co_await attempt(host().localFiles().place(places));
    if (!attached())
        co_return std::nullopt;
    if (error || placed.isEmpty())
        placed = {Attempt<LocalPlacement>{.error = error ? error : noResult()}};
    const qsizetype answered = std::min(placed.size(), places.size());
    for (qsizetype k = 0; k < answered; ++k) {
        const int step = places.at(k).id;
        const auto &[where, failure] = placed.at(k);
        if (failure && step < 0) {
            // Without its own folder the batch has nowhere to go.
            m_queue.note(sentences::failureReason(failure, TransferDirection::download, {}));
            co_return std::nullopt;
        }
        if (step >= 0 && m_queue.skipsStep(step)) {
            m_queue.fail(step, {});
        } else if (failure) {
            fail(step, failure, {});
        } else {
            if (step >= 0)
                m_queue.setTarget(step, where.folder);
            const QList<int> files = m_queue.filesIn(step);
            for (qsizetype n = 0; n < files.size() && n < where.names.size(); ++n) {
                m_queue.setTarget(files.at(n), where.names.at(n));
                if (n < where.taken.size() && where.taken.at(n))
                    taken.append({files.at(n), *where.taken.at(n), where.folder});
            }
        }
    }
    if (!taken.isEmpty()) {
        const bool goesOn = co_await settleTaken(std::move(taken));
        if (!goesOn)
            co_return std::nullopt;
    }
    co_return places.at(answered - 1).id;
}

// The first time names are taken the host asks what to do, and the answer holds for the
// rest of the batch. Nothing is replaced unless the answer says so.
QCoro::Task<bool> DownloadBatch::settleTaken(QList<TakenName> taken)
{
    if (!m_takenNames) {
        const TakenNames answer =
            co_await host().whenNamesTaken(int(taken.size()), sentences::placeOnComputer(taken.first().folder));
        if (!attached())
            co_return false;
        m_takenNames = answer;
    }
    for (const TakenName &name : taken) {
        const BatchStep &file = m_queue.at(name.step);
        if (*m_takenNames == TakenNames::skipSame && name.sizeThere == file.size) {
            m_queue.skip(name.step);
        } else if (*m_takenNames == TakenNames::replace && name.sizeThere >= 0) {
            m_queue.setTarget(name.step, file.name);
            m_replacing.insert(name.step);
        }
    }
    co_return true;
}

// This file and the ready files right after it go to the lane as one series, each as its
// folder and its name, straight from where it was placed.
QCoro::Task<std::optional<int>> DownloadBatch::copyFrom(int first)
{
    QList<SeriesFile> series;
    QList<DownloadRequest> requests;
    for (int j = first; j < m_queue.size() && (j == first || readyToDownload(j)); ++j) {
        const BatchStep &file = m_queue.at(j);
        const QString folder = m_queue.destinationOf(j, m_folder).value_or(m_folder);
        const QString name = file.target.value_or(file.name);
        series.append(SeriesFile{j, name, folder.mid(folder.lastIndexOf(QLatin1Char('/')) + 1), name});
        requests.append(DownloadRequest{.deviceID = m_deviceID, .remoteFileID = file.source, .localFolder = folder,
                                        .localName = name, .replacesExisting = single() || m_replacing.contains(j),
                                        .modifiedAt = file.modifiedAt, .partTag = partTag(name)});
    }
    QList<int> steps;
    for (const SeriesFile &file : std::as_const(series))
        steps.append(file.step);
    journalSteps(steps); // with the names chosen for them now
    startSeries(series);
    auto [outcomes, error] = co_await attempt(m_engine->downloadSeries(std::move(requests), m_control));
    if (!attached())
        co_return std::nullopt;
    const std::optional<int> last = endSeries(std::move(outcomes), error);
    // What landed is remembered even when the batch stops here.
    co_await remember();
    if (!attached())
        co_return std::nullopt;
    co_return last;
}

void DownloadBatch::copied(const SeriesFile &file)
{
    if (!m_record)
        return;
    const BatchStep &step = m_queue.at(file.step);
    const QString folder = m_queue.destinationOf(file.step, m_folder).value_or(m_folder);
    m_landed.append({phonePath(file.step), step.size > 0 ? std::optional(step.size) : std::nullopt, step.modifiedAt,
                     folder + QLatin1Char('/') + file.localName});
}

// One transaction on the record's own thread. A record that cannot be written costs only
// a second copy at the next import, which the import's own dialog warns of.
QCoro::Task<> DownloadBatch::remember()
{
    if (!m_record || m_landed.isEmpty())
        co_return;
    QList<ImportedFile> landed = std::exchange(m_landed, {});
    co_await m_record->store->recordImported(m_record->key, std::move(landed));
}

} // namespace tarvel
