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
                         std::shared_ptr<ImportStore> record, QHash<QString, QString> storageIDs)
    : Batch(host, batch.kind == JournalKind::upload ? TransferDirection::upload : TransferDirection::download,
            batch.destinationName, std::move(deviceID), std::move(storageID))
    , m_upload(batch.kind == JournalKind::upload)
    , m_destination(batch.destination)
    , m_key(batch.key)
    , m_record(batch.kind == JournalKind::import ? std::move(record) : nullptr)
    , m_storageIDs(std::move(storageIDs))
{
    for (const JournalFile &file : std::as_const(batch.files)) {
        if (file.state != JournalFileState::waiting)
            continue;
        m_files.append(file);
        if (m_files.last().storage.isEmpty())
            m_files.last().storage = m_key.storage;
        const QString &from = m_upload ? file.localPath : file.phonePath;
        const QString &to = m_upload ? file.phonePath : file.localPath;
        m_queue.add(BatchStep{.name = nameOf(from), .source = from, .size = file.sizeBytes.value_or(0),
                              .target = nameOf(to), .modifiedAt = file.modifiedAt});
    }
    m_queue.foldersListed();
    m_ids.resize(m_files.size());
    m_storageOf.resize(m_files.size());
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
            const QHash<QString, QList<ImportedFile>> landed = std::exchange(m_landed, {});
            for (auto it = landed.cbegin(); it != landed.cend(); ++it) {
                const PhoneKey key{m_key.phone, it.key(), m_key.guessed};
                co_await m_record->recordImported(key, it.value());
            }
        }
        if (!last)
            co_return;
        i = *last + 1;
    }
    if (m_upload && attached() && !phoneGone() && foldersOn(m_storageID).found(m_destination)) {
        const QString id = foldersOn(m_storageID).idOf(m_destination);
        std::optional<QString> folder; // named: GCC 12 destroys a temporary inside co_await twice
        if (!id.isEmpty())
            folder = id;
        co_await host().landedIn(m_storageID, std::move(folder));
    }
}

PhoneFolders::PhoneFolders(std::shared_ptr<AndroidFileTransferEngine> engine, QString deviceID, QString storageID)
    : m_engine(std::move(engine))
    , m_deviceID(std::move(deviceID))
    , m_storageID(std::move(storageID))
{
}

QCoro::Task<std::optional<QList<RemoteEntry>>> PhoneFolders::entriesAt(QString path)
{
    if (const auto known = m_listed.constFind(path); known != m_listed.cend())
        co_return std::optional<QList<RemoteEntry>>(*known);
    std::optional<QString> parentID;
    if (!path.isEmpty()) {
        // Named, as every argument of a co_await here: GCC 12 destroys such temporaries twice.
        const QString up = folderOf(path);
        const std::optional<QList<RemoteEntry>> above = co_await entriesAt(up);
        if (!above || m_phoneGone) {
            if (m_listed.contains(up)) // missing, so is all inside it
                m_listed.insert(path, std::nullopt);
            co_return std::nullopt;
        }
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
    m_ids.insert(path, parentID.value_or(QString()));
    DirectoryRequest request{m_deviceID, m_storageID, parentID};
    auto [listing, error] = co_await attempt(listOneFolder(m_engine, std::move(request)));
    if (error) {
        // Not known to be missing: asked again next time.
        m_phoneGone = kindOf(error) == TransferError::Kind::disconnected;
        co_return std::nullopt;
    }
    m_listed.insert(path, listing.entries);
    co_return std::optional<QList<RemoteEntry>>(listing.entries);
}

QCoro::Task<QList<std::exception_ptr>> PhoneFolders::removeHalfSent(QList<JournalFile> files,
                                                                     std::shared_ptr<TransferControl> control)
{
    QList<std::exception_ptr> outcomes(files.size());
    QList<ObjectRequest> halfSent;
    QList<int> fileOf;
    for (int i = 0; i < files.size(); ++i) {
        const JournalFile &file = files.at(i);
        if (file.partPath.isEmpty())
            continue;
        const QString where = folderOf(file.partPath);
        const std::optional<QList<RemoteEntry>> entries = co_await entriesAt(where);
        if (!entries && !m_listed.contains(where)) {
            outcomes[i] = m_phoneGone ? std::make_exception_ptr(TransferError::disconnected()) : noResult();
            continue;
        }
        for (const RemoteEntry &entry : entries.value_or(QList<RemoteEntry>())) {
            if (entry.kind == RemoteEntryKind::file && entry.name == nameOf(file.partPath) && entry.sizeBytes == file.sizeBytes) {
                halfSent.append(ObjectRequest{m_deviceID, m_storageID, entry.id, entry.name, entry.sizeBytes});
                fileOf.append(i);
            }
        }
    }
    for (qsizetype k = 0; k < halfSent.size();) {
        if (m_phoneGone || control->isCancelled()) {
            outcomes[fileOf.at(k++)] = std::make_exception_ptr(TransferError::cancelled());
            continue;
        }
        QList<ObjectRequest> rest = halfSent.mid(k);
        auto [deleted, error] = co_await attempt(m_engine->deleteObjects(std::move(rest), control));
        if (error || deleted.isEmpty())
            deleted = {error ? error : noResult()};
        for (qsizetype n = 0; n < deleted.size() && k < halfSent.size(); ++n, ++k) {
            outcomes[fileOf.at(k)] = deleted.at(n);
            m_phoneGone = m_phoneGone || kindOf(deleted.at(n)) == TransferError::Kind::disconnected;
            if (!deleted.at(n)) {
                QList<RemoteEntry> &listed = *m_listed[folderOf(files.at(fileOf.at(k)).partPath)];
                listed.removeIf([&](const RemoteEntry &e) { return e.id == halfSent.at(k).objectID; });
            }
        }
    }
    co_return outcomes;
}

PhoneFolders &ResumeBatch::foldersOn(const QString &storageID)
{
    return m_folders.try_emplace(storageID, m_engine, m_deviceID, storageID).first->second;
}

QCoro::Task<std::optional<QList<RemoteEntry>>> ResumeBatch::entriesAt(QString storageID, QString path)
{
    PhoneFolders &folders = foldersOn(storageID);
    const std::optional<QList<RemoteEntry>> entries = co_await folders.entriesAt(std::move(path));
    if (folders.phoneGone())
        phoneWentAway();
    co_return entries;
}

// Each file by its path, as it was when the batch began, on its storage.
QCoro::Task<> ResumeBatch::findAgain()
{
    for (int i = 0; i < m_queue.size() && !m_control->isCancelled(); ++i) {
        const JournalFile &file = m_files.at(i);
        const QString storageID = file.storage == m_key.storage ? m_storageID : m_storageIDs.value(file.storage);
        if (storageID.isEmpty()) { // a card taken out meanwhile
            m_queue.fail(i, sentences::reason(sentences::Problem::goneFromPhone));
            continue;
        }
        const QString where = folderOf(file.phonePath);
        const std::optional<QList<RemoteEntry>> entries = co_await entriesAt(storageID, where);
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
        else {
            m_ids[i] = found->id;
            m_storageOf[i] = storageID;
        }
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
    QList<JournalFile> halfSent;
    for (int i = 0; i < m_queue.size(); ++i) {
        if (!QFileInfo(m_files.at(i).localPath).isFile())
            m_queue.fail(i, sentences::reason(sentences::Problem::gone));
        else
            halfSent.append(m_files.at(i));
    }
    // A file whose half-sent object stays is not sent beside it.
    const QList<std::exception_ptr> removed = co_await foldersOn(m_storageID).removeHalfSent(halfSent, m_control);
    if (!attached())
        co_return;
    QHash<QString, QSet<QString>> claimed; // by folder, the names this batch's files take there
    for (int i = 0, k = 0; i < m_queue.size() && !m_control->isCancelled(); ++i) {
        if (m_queue.skipsStep(i))
            continue;
        const std::exception_ptr &outcome = removed.at(k++);
        if (kindOf(outcome) == TransferError::Kind::disconnected)
            phoneWentAway();
        if (phoneGone())
            co_return;
        if (outcome && kindOf(outcome) != TransferError::Kind::cancelled) {
            fail(i, outcome, {});
            continue;
        }
        const QString where = folderOf(m_files.at(i).phonePath);
        const std::optional<QList<RemoteEntry>> entries = co_await entriesAt(m_storageID, where);
        if (!attached() || phoneGone())
            co_return;
        if (!entries) {
            m_queue.fail(i, sentences::reason(sentences::Problem::folderGoneFromPhone));
            continue;
        }
        m_ids[i] = foldersOn(m_storageID).idOf(where);
        const QString name = nameOf(m_files.at(i).phonePath);
        QSet<QString> &taken = claimed[where];
        for (const RemoteEntry &entry : *entries)
            taken.insert(entry.name);
        if (taken.contains(name))
            m_queue.setTarget(i, freeName(name, taken));
        taken.insert(m_queue.at(i).target.value_or(name));
    }
}

void ResumeBatch::copied(const SeriesFile &file)
{
    const JournalFile &landed = m_files.at(file.step);
    m_landed[landed.storage].append({landed.phonePath, landed.sizeBytes, landed.modifiedAt, landed.localPath});
    if (m_record)
        m_copies.append({{m_storageOf.at(file.step), landed.phonePath,
                          RemoteEntry{.id = m_ids.at(file.step), .name = nameOf(landed.phonePath), .kind = RemoteEntryKind::file,
                                      .sizeBytes = landed.sizeBytes, .modifiedAt = landed.modifiedAt}},
                         landed.localPath});
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
