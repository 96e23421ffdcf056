#include "TarvelCore/UploadBatch.h"

#include "TarvelCore/LocalFiles.h"

#include <QSet>

#include <algorithm>

namespace tarvel {

namespace {

std::optional<QString> folderID(const QString &key)
{
    return key.isEmpty() ? std::nullopt : std::optional(key); // "" is the storage's root
}

QHash<QString, RemoteEntry> byName(const QList<RemoteEntry> &entries)
{
    QHash<QString, RemoteEntry> named;
    for (const RemoteEntry &entry : entries)
        named.insert(entry.name, entry);
    return named;
}

QSet<QString> namesOf(const QHash<QString, RemoteEntry> &entries)
{
    const QList<QString> keys = entries.keys();
    return QSet<QString>(keys.begin(), keys.end());
}

} // namespace

UploadBatch::UploadBatch(BatchHost &host, QString deviceID, QString storageID, QList<QUrl> items,
                         std::optional<QString> parentID, QString destinationName)
    : Batch(host, TransferDirection::upload, std::move(destinationName), std::move(deviceID), std::move(storageID))
    , m_items(std::move(items))
    , m_root(parentID.value_or(QString()))
{
}

UploadBatch::UploadBatch(BatchHost &host, QString deviceID, QString storageID, QUrl file,
                         std::optional<QString> parentID, TransferJob job, std::optional<QList<RemoteEntry>> entries)
    : Batch(host, TransferDirection::upload, job.destinationFolderName, std::move(deviceID), std::move(storageID))
    , m_root(parentID.value_or(QString()))
{
    m_queue.add(BatchStep{.name = job.sourceName, .source = file.toLocalFile()});
    if (entries)
        m_known.insert(m_root, byName(*entries));
    showOnly(std::move(job));
}

QString UploadBatch::folderOf(int step) const
{
    return m_queue.destinationOf(step, m_root).value_or(m_root);
}

QString UploadBatch::phonePath(int step) const
{
    QString path = m_names.value(step, m_queue.at(step).name);
    for (int at = m_queue.at(step).parent; at >= 0; at = m_queue.at(at).parent)
        path = m_names.value(at, m_queue.at(at).name) + QLatin1Char('/') + path;
    return m_phoneFolder.isEmpty() ? path : m_phoneFolder + QLatin1Char('/') + path;
}

// A file is written down where it would go under its own name until its name is chosen, just
// before it is sent; from then on its path also marks it as possibly half-sent, so after a cut
// an object there of its size is known to be this batch's and is removed before it is sent again.
std::optional<JournalFile> UploadBatch::journalFile(int step) const
{
    const BatchStep &file = m_queue.at(step);
    if (file.kind != RemoteEntryKind::file || m_queue.skipsStep(step))
        return std::nullopt;
    const QString path = phonePath(step);
    return JournalFile{.seq = step, .phonePath = path, .localPath = file.source, .sizeBytes = file.size,
                       .partPath = m_names.contains(step) ? path : QString()};
}

QCoro::Task<> UploadBatch::findFiles()
{
    const auto [found, walkError] = co_await attempt(host().localFiles().walk(m_items));
    m_queue.adopt(found);
    m_queue.foldersListed();
    QList<int> all;
    for (int i = 0; i < m_queue.size(); ++i)
        all.append(i);
    journalSteps(all);
}

QCoro::Task<> UploadBatch::steps()
{
    if (!single()) {
        co_await lookThrough();
        if (!attached())
            co_return;
        host().show(view());
    }
    for (int i = 0; i < m_queue.size() && !m_control->isCancelled() && !phoneGone(); ++i) {
        if (m_queue.skipsStep(i)) {
            m_queue.fail(i, {});
            continue;
        }
        const QString into = folderOf(i);
        if (!m_known.contains(into)) {
            co_await learn(i, into);
            if (!attached())
                co_return;
            if (!m_known.contains(into))
                continue;
        }
        if (m_queue.at(i).kind == RemoteEntryKind::folder) {
            co_await makeFolder(i, into);
            if (!attached())
                co_return;
            continue;
        }
        const std::optional<int> last = co_await copyFrom(i);
        if (!attached())
            co_return;
        if (!last)
            break;
        i = *last;
    }
    // The folder shown is read again while the batch still owns the status line, so the
    // listing does not replace the batch's last sentence. The first window's upload left
    // that to its caller.
    if (!single() && !phoneGone())
        co_await host().landedIn(m_storageID, folderID(m_root));
}

// Lists the phone folder step `step` goes into; a failure fails the step.
QCoro::Task<> UploadBatch::learn(int step, QString folder)
{
    DirectoryRequest request{m_deviceID, m_storageID, folderID(folder)};
    const auto [listing, error] = co_await attempt(listOneFolder(m_engine, std::move(request)));
    if (!attached())
        co_return;
    if (kindOf(error) == TransferError::Kind::disconnected)
        phoneWentAway();
    else if (error)
        fail(step, error, m_queue.at(step).name);
    else
        m_known.insert(folder, byName(listing.entries));
}

QCoro::Task<> UploadBatch::makeFolder(int step, QString into)
{
    const QString name = m_queue.at(step).name;
    const QHash<QString, RemoteEntry> there = m_known.value(into);
    // A folder of that name is filled, not doubled.
    const auto found = there.constFind(name);
    if (found != there.constEnd() && found->kind == RemoteEntryKind::folder) {
        m_queue.setTarget(step, found->id);
        co_return;
    }
    const QString chosen = freeName(name, namesOf(there));
    m_names.insert(step, chosen);
    FolderRequest request{m_deviceID, m_storageID, folderID(into), chosen};
    const auto [made, error] = co_await attempt(m_engine->createFolder(std::move(request)));
    if (!attached())
        co_return;
    if (kindOf(error) == TransferError::Kind::disconnected) {
        phoneWentAway();
        co_return;
    }
    if (error) {
        fail(step, error, name);
        co_return;
    }
    // Not marked as known and empty: the first step into it lists it, which some phones
    // need before they take files into a folder made in this session.
    m_queue.setTarget(step, made);
    m_known[into].insert(chosen, RemoteEntry{.id = made, .name = chosen, .kind = RemoteEntryKind::folder});
}

// This file and the files right after it whose phone folders are known go to the lane as
// one series, each under a name that neither the folder nor the series holds.
QCoro::Task<std::optional<int>> UploadBatch::copyFrom(int first)
{
    QList<SeriesFile> series;
    QList<UploadRequest> requests;
    QHash<QString, QSet<QString>> taken;
    for (int j = first; j < m_queue.size(); ++j) {
        const BatchStep &file = m_queue.at(j);
        const QString to = folderOf(j);
        if (j > first && (file.kind != RemoteEntryKind::file || m_queue.skipsStep(j) || !m_known.contains(to)))
            break;
        if (!taken.contains(to))
            taken.insert(to, namesOf(m_known.value(to)));
        const QString chosen = freeName(file.name, taken.value(to));
        taken[to].insert(chosen);
        m_names.insert(j, chosen);
        const QString folderName = file.parent < 0 ? m_queue.destinationName() : m_queue.at(file.parent).name;
        series.append(SeriesFile{j, chosen, folderName, file.name});
        requests.append(UploadRequest{m_deviceID, m_storageID, QUrl::fromLocalFile(file.source), folderID(to),
                                      chosen == file.name ? std::nullopt : std::optional(chosen)});
    }
    QList<int> steps;
    for (const SeriesFile &file : std::as_const(series))
        steps.append(file.step);
    journalSteps(steps); // with the names chosen for them now
    startSeries(series);
    auto [outcomes, error] = co_await attempt(m_engine->uploadSeries(std::move(requests), m_control));
    if (!attached())
        co_return std::nullopt;
    co_return endSeries(std::move(outcomes), error);
}

void UploadBatch::copied(const SeriesFile &file)
{
    m_known[folderOf(file.step)].insert(file.name, RemoteEntry{.name = file.name});
}

} // namespace tarvel
