#include "TarvelCore/ResumeBatch.h"

#include "TarvelCore/Sentences.h"

#include <QFileInfo>
#include <QSet>

namespace tarvel {

namespace {

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

QString nameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// MTP dates have whole seconds; a date the phone did not give matches any.
bool sameDate(const std::optional<QDateTime> &was, const std::optional<QDateTime> &is)
{
    return !was || !is || was->toSecsSinceEpoch() == is->toSecsSinceEpoch();
}

} // namespace

ResumeBatch::ResumeBatch(BatchHost &host, QString deviceID, QString storageID, JournalBatch batch,
                         std::shared_ptr<ImportStore> record)
    : Batch(host, batch.kind == JournalKind::upload ? TransferDirection::upload : TransferDirection::download,
            batch.destinationName, std::move(deviceID), std::move(storageID))
    , m_upload(batch.kind == JournalKind::upload)
    , m_destination(batch.destination)
    , m_key(batch.key)
    , m_record(batch.kind == JournalKind::import ? std::move(record) : nullptr)
{
    for (const JournalFile &file : std::as_const(batch.files)) {
        if (file.state != JournalFileState::waiting)
            continue;
        m_files.append(file);
        const QString &from = m_upload ? file.localPath : file.phonePath;
        const QString &to = m_upload ? file.phonePath : file.localPath;
        m_queue.add(BatchStep{.name = nameOf(from), .source = from, .size = file.sizeBytes.value_or(0),
                              .target = nameOf(to), .modifiedAt = file.modifiedAt});
    }
    m_queue.foldersListed();
    m_ids.resize(m_files.size());
}

QCoro::Task<> ResumeBatch::steps()
{
    if (m_upload)
        co_await findFolders();
    else
        co_await findAgain();
    for (int i = 0; i < m_queue.size() && attached() && !phoneGone() && !m_control->isCancelled();) {
        if (m_queue.skipsStep(i)) {
            ++i;
            continue;
        }
        std::optional<int> last;
        if (m_upload)
            last = co_await sendFrom(i);
        else
            last = co_await copyFrom(i);
        // As an import does: what landed is remembered even when the window no longer shows it.
        if (m_record && !m_landed.isEmpty()) {
            QList<ImportedFile> landed = std::exchange(m_landed, {});
            co_await m_record->recordImported(m_key, std::move(landed));
        }
        if (!last)
            co_return;
        i = *last + 1;
    }
    if (m_upload && attached() && !phoneGone() && m_folderIDs.contains(m_destination)) {
        const QString id = m_folderIDs.value(m_destination);
        std::optional<QString> folder; // named: GCC 12 destroys a temporary inside co_await twice
        if (!id.isEmpty())
            folder = id;
        co_await host().landedIn(m_storageID, std::move(folder));
    }
}

QCoro::Task<std::optional<QList<RemoteEntry>>> ResumeBatch::entriesAt(QString path)
{
    if (const auto known = m_listed.constFind(path); known != m_listed.cend())
        co_return std::optional<QList<RemoteEntry>>(*known);
    std::optional<QString> parentID;
    if (!path.isEmpty()) {
        // Named, as every argument of a co_await here: GCC 12 destroys such temporaries twice.
        const QString up = folderOf(path);
        const std::optional<QList<RemoteEntry>> above = co_await entriesAt(up);
        if (!above || phoneGone())
            co_return std::nullopt;
        const QString name = nameOf(path);
        for (const RemoteEntry &entry : *above) {
            if (entry.kind == RemoteEntryKind::folder && entry.name == name)
                parentID = entry.id;
        }
        if (!parentID) {
            m_listed.insert(path, std::nullopt);
            co_return std::nullopt;
        }
    }
    m_folderIDs.insert(path, parentID.value_or(QString()));
    DirectoryRequest request{m_deviceID, m_storageID, parentID};
    auto [listing, error] = co_await attempt(listOneFolder(m_engine, std::move(request)));
    if (kindOf(error) == TransferError::Kind::disconnected) {
        phoneWentAway();
        co_return std::nullopt;
    }
    std::optional<QList<RemoteEntry>> entries;
    if (!error)
        entries = listing.entries;
    m_listed.insert(path, entries);
    co_return entries;
}

// Each file by its path, as it was when the batch began.
QCoro::Task<> ResumeBatch::findAgain()
{
    for (int i = 0; i < m_queue.size() && !m_control->isCancelled(); ++i) {
        const JournalFile &file = m_files.at(i);
        const QString where = folderOf(file.phonePath);
        const std::optional<QList<RemoteEntry>> entries = co_await entriesAt(where);
        if (!attached() || phoneGone())
            co_return;
        std::optional<RemoteEntry> found;
        for (const RemoteEntry &entry : entries.value_or(QList<RemoteEntry>())) {
            if (entry.kind == RemoteEntryKind::file && entry.name == m_queue.at(i).name)
                found = entry;
        }
        if (!found)
            m_queue.fail(i, sentences::reason(sentences::Problem::goneFromPhone));
        else if (found->sizeBytes != file.sizeBytes || !sameDate(file.modifiedAt, found->modifiedAt))
            m_queue.fail(i, sentences::reason(sentences::Problem::changedOnPhone));
        else
            m_ids[i] = found->id;
    }
    if (attached() && !m_control->isCancelled())
        co_await checkComputer();
}

// A file already where it goes with its size landed before the cut was written down (a quit
// or a crash right after it): it is not copied again.
QCoro::Task<> ResumeBatch::checkComputer()
{
    QHash<QString, int> placeOf; // local folder to its place
    QList<FolderPlace> places;
    QList<QList<int>> stepsOf;
    for (int i = 0; i < m_queue.size(); ++i) {
        if (m_queue.skipsStep(i))
            continue;
        const QString folder = folderOf(m_files.at(i).localPath);
        if (!placeOf.contains(folder)) {
            placeOf.insert(folder, int(places.size()));
            places.append(FolderPlace{.id = int(places.size()), .into = folder});
            stepsOf.append(QList<int>());
        }
        places[placeOf.value(folder)].files.append(nameOf(m_files.at(i).localPath));
        stepsOf[placeOf.value(folder)].append(i);
    }
    if (places.isEmpty())
        co_return;
    auto [placed, error] = co_await attempt(host().localFiles().place(places));
    if (!attached() || error)
        co_return; // each copy then says for itself what is wrong
    for (qsizetype k = 0; k < placed.size() && k < stepsOf.size(); ++k) {
        const auto &[where, failure] = placed.at(k);
        const QList<int> &steps = stepsOf.at(k);
        for (qsizetype n = 0; n < steps.size(); ++n) {
            if (failure)
                fail(steps.at(n), failure, {});
            else if (n < where.taken.size() && where.taken.at(n) && *where.taken.at(n) == m_files.at(steps.at(n)).sizeBytes)
                m_queue.skip(steps.at(n));
        }
    }
}

// Each upload's phone folder by its path, and its name there cleared of what the cut left.
QCoro::Task<> ResumeBatch::findFolders()
{
    QList<ObjectRequest> halfSent;
    QList<int> halfSteps;
    for (int i = 0; i < m_queue.size() && !m_control->isCancelled(); ++i) {
        const JournalFile &file = m_files.at(i);
        if (!QFileInfo(file.localPath).isFile()) {
            m_queue.fail(i, sentences::reason(sentences::Problem::gone));
            continue;
        }
        const QString where = folderOf(file.phonePath);
        const std::optional<QList<RemoteEntry>> entries = co_await entriesAt(where);
        if (!attached() || phoneGone())
            co_return;
        if (!entries) {
            m_queue.fail(i, sentences::reason(sentences::Problem::folderGoneFromPhone));
            continue;
        }
        m_ids[i] = m_folderIDs.value(where);
        const QString name = nameOf(file.phonePath);
        QSet<QString> taken;
        std::optional<RemoteEntry> there;
        for (const RemoteEntry &entry : *entries) {
            taken.insert(entry.name);
            if (entry.name == name)
                there = entry;
        }
        // Only a name this batch chose and an object of the size it was sending is the cut's.
        if (there && !file.partPath.isEmpty() && there->kind == RemoteEntryKind::file && there->sizeBytes == file.sizeBytes) {
            halfSent.append(ObjectRequest{m_deviceID, m_storageID, there->id, there->name, there->sizeBytes});
            halfSteps.append(i);
        } else if (there) {
            m_queue.setTarget(i, freeName(name, taken));
        }
    }
    // A file whose half-sent object stays is not sent beside it.
    for (qsizetype k = 0; k < halfSent.size() && attached() && !phoneGone() && !m_control->isCancelled();) {
        QList<ObjectRequest> rest = halfSent.mid(k);
        auto [outcomes, error] = co_await attempt(m_engine->deleteObjects(std::move(rest), m_control));
        if (!attached())
            co_return;
        if (error || outcomes.isEmpty())
            outcomes = {error ? error : noResult()};
        for (qsizetype n = 0; n < outcomes.size() && k < halfSent.size(); ++n, ++k) {
            const auto kind = kindOf(outcomes.at(n));
            if (kind == TransferError::Kind::disconnected)
                phoneWentAway();
            else if (outcomes.at(n) && kind != TransferError::Kind::cancelled)
                fail(halfSteps.at(k), outcomes.at(n), {});
        }
    }
}

void ResumeBatch::copied(const SeriesFile &file)
{
    const JournalFile &landed = m_files.at(file.step);
    m_landed.append({landed.phonePath, landed.sizeBytes, landed.modifiedAt, landed.localPath});
}

QCoro::Task<std::optional<int>> ResumeBatch::copyFrom(int first)
{
    QList<SeriesFile> series;
    QList<DownloadRequest> requests;
    for (int j = first; j < m_queue.size() && !m_queue.skipsStep(j); ++j) {
        const JournalFile &file = m_files.at(j);
        const QString folder = folderOf(file.localPath);
        const QString name = nameOf(file.localPath);
        series.append(SeriesFile{j, name, nameOf(folder), name});
        requests.append(DownloadRequest{.deviceID = m_deviceID, .remoteFileID = m_ids.at(j),
                                        .localFolder = folder, .localName = name, .replacesExisting = false,
                                        .modifiedAt = file.modifiedAt, .partTag = partTag(name)});
    }
    startSeries(series);
    auto [outcomes, error] = co_await attempt(m_engine->downloadSeries(std::move(requests), m_control));
    if (!attached())
        co_return std::nullopt;
    co_return endSeries(std::move(outcomes), error);
}

QCoro::Task<std::optional<int>> ResumeBatch::sendFrom(int first)
{
    QList<SeriesFile> series;
    QList<UploadRequest> requests;
    for (int j = first; j < m_queue.size() && !m_queue.skipsStep(j); ++j) {
        const BatchStep &file = m_queue.at(j);
        const QString name = file.target.value_or(file.name);
        const QString folder = folderOf(m_files.at(j).phonePath);
        series.append(SeriesFile{j, name, folder.isEmpty() ? m_queue.destinationName() : nameOf(folder), file.name});
        requests.append(UploadRequest{.deviceID = m_deviceID, .storageID = m_storageID,
                                      .localURL = QUrl::fromLocalFile(file.source),
                                      .remoteParentID = m_ids.at(j).isEmpty() ? std::nullopt : std::optional(m_ids.at(j)),
                                      .remoteName = name});
    }
    startSeries(series);
    auto [outcomes, error] = co_await attempt(m_engine->uploadSeries(std::move(requests), m_control));
    if (!attached())
        co_return std::nullopt;
    co_return endSeries(std::move(outcomes), error);
}

} // namespace tarvel
