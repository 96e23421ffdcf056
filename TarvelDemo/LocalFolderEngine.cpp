#include "TarvelDemo/LocalFolderEngine.h"

#include "TarvelCore/LocalFiles.h"

#include <QCoro/QCoroTimer>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSaveFile>
#include <QStorageInfo>
#include <QThread>

namespace tarvel {

// The folders listed, watched on the UI thread: what each held when it was last listed or
// looked at, and which the computer said changed since.
struct LocalFolderEngine::Watch {
    QString folder;
    QFileSystemWatcher watcher;
    QHash<QString, QSet<QString>> names; // by folder path
    QSet<QString> changed;
};

namespace {

[[noreturn]] void fail(const QString &message)
{
    throw TransferError::nativeError(message);
}

std::optional<qint64> positive(qint64 value)
{
    return value >= 1 ? std::optional(value) : std::nullopt;
}

// Which side of a copy a file is on: the computer's failures are kinds of their own, which
// the app words; the phone's are the demo's own text.
enum class Side { phone, computer };

[[noreturn]] void failOn(Side side, const QFileDevice &file, bool reading)
{
    if (side == Side::phone)
        fail((reading ? QStringLiteral("Could not read %1: %2") : QStringLiteral("Could not write %1: %2"))
                 .arg(file.fileName(), file.errorString()));
    if (file.error() == QFileDevice::ResourceError)
        throw TransferError::diskFull();
    throw TransferError::localFileFailed(file.errorString());
}

// Copies through a QSaveFile: the destination appears only when the whole file is
// there, and a failed, stopped or cancelled copy leaves whatever was at the destination
// untouched. Progress goes into the control, which also says when to stop.
void copyFile(const QString &from, Side fromSide, const QString &to, bool replaces, bool slow,
              const std::atomic_bool &stopping, TransferControl &control)
{
    const Side toSide = fromSide == Side::phone ? Side::computer : Side::phone;
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        failOn(fromSide, source, true);
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        failOn(toSide, target, false);
    const qint64 size = source.size();
    const qint64 chunk = slow ? 256 * 1024 : 4 * 1024 * 1024;
    qint64 copied = 0;
    control.setProgress(0, size);
    QByteArray buffer;
    while (!(buffer = source.read(chunk)).isEmpty()) {
        if (stopping)
            throw TransferError::disconnected();
        if (control.isCancelled())
            throw TransferError::cancelled();
        if (target.write(buffer) != buffer.size())
            failOn(toSide, target, false);
        copied += buffer.size();
        control.setProgress(copied, size);
        if (slow)
            QThread::msleep(250);
    }
    if (source.error() != QFileDevice::NoError)
        failOn(fromSide, source, true);
    if (control.isCancelled())
        throw TransferError::cancelled();
    // Not atomic, as a demo may be: the batches that ask this choose free names first.
    if (!replaces && QFileInfo::exists(to))
        throw TransferError::localFileFailed(QStringLiteral("%1 is already there").arg(QFileInfo(to).fileName()));
    if (!target.commit())
        failOn(toSide, target, false);
}

// An upload never replaces a file that is already on the phone: it takes the app's free
// name instead.
QString freeNameIn(const QDir &folder, const QString &name)
{
    const QStringList present = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return freeName(name, QSet<QString>(present.begin(), present.end()));
}

} // namespace

LocalFolderEngine::LocalFolderEngine(QString folder, bool slow)
    : m_folder(QFileInfo(folder).canonicalFilePath().isEmpty() ? QFileInfo(folder).absoluteFilePath()
                                                                : QFileInfo(folder).canonicalFilePath())
    , m_slow(slow)
    , m_watch(std::make_shared<Watch>())
{
    m_watch->folder = m_folder;
    Watch *watch = m_watch.get();
    QObject::connect(&watch->watcher, &QFileSystemWatcher::directoryChanged, &watch->watcher,
                     [watch](const QString &path) { watch->changed.insert(path); });
}

LocalFolderEngine::~LocalFolderEngine()
{
    *m_stopping = true;
}

QCoro::Task<QList<AndroidDevice>> LocalFolderEngine::scanDevices()
{
    auto work = [folder = m_folder] {
        if (!QFileInfo(folder).isDir())
            return QList<AndroidDevice>();
        return QList<AndroidDevice>{AndroidDevice{.id = deviceID, .name = QStringLiteral("Demo Phone")}};
    };
    co_return co_await awaitResult(m_worker.run(std::move(work)));
}

QCoro::Task<QList<AndroidStorage>> LocalFolderEngine::listStorage(QString device)
{
    auto work = [folder = m_folder, device] {
        if (device != deviceID || !QFileInfo(folder).isDir())
            fail(QStringLiteral("The demo phone is not connected"));
        const QStorageInfo volume(folder);
        return QList<AndroidStorage>{AndroidStorage{
            .id = storageID,
            .name = QFileInfo(folder).fileName().isEmpty() ? QStringLiteral("Demo storage") : QFileInfo(folder).fileName(),
            .capacityBytes = positive(volume.bytesTotal()),
            .freeBytes = positive(volume.bytesAvailable()),
        }};
    };
    co_return co_await awaitResult(m_worker.run(std::move(work)));
}

namespace {

// The absolute path of an id, refused when it would lead outside the folder.
QString resolve(const QString &folder, const std::optional<QString> &id)
{
    if (!id || id->isEmpty())
        return folder;
    const QString path = QFileInfo(QDir(folder).filePath(*id)).canonicalFilePath();
    if (path.isEmpty() || !path.startsWith(folder + QLatin1Char('/')))
        fail(QStringLiteral("The demo phone has no item %1").arg(*id));
    return path;
}

void checkIDs(const QString &device, const QString &storage)
{
    if (device != LocalFolderEngine::deviceID || storage != LocalFolderEngine::storageID)
        fail(QStringLiteral("The demo phone is not connected"));
}

} // namespace

namespace {

DirectoryListing listFolder(const QString &folder, bool slow, const DirectoryRequest &request)
{
    checkIDs(request.deviceID, request.storageID);
    const std::optional<QString> &parentID = request.parentID;
    const QDir dir(resolve(folder, parentID));
    if (slow)
        QThread::msleep(600);
    if (!dir.exists())
        fail(QStringLiteral("The demo phone has no folder %1").arg(parentID.value_or(QString())));
    const QDir root(folder);
    DirectoryListing listing;
    for (const QFileInfo &info : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot,
                                                   QDir::DirsFirst | QDir::Name | QDir::IgnoreCase)) {
        listing.entries.append(RemoteEntry{
            .id = root.relativeFilePath(info.absoluteFilePath()),
            .name = info.fileName(),
            .parentID = parentID && !parentID->isEmpty() ? parentID : std::nullopt,
            .kind = info.isDir() ? RemoteEntryKind::folder : RemoteEntryKind::file,
            // An empty file has a size, 0; only a folder has none.
            .sizeBytes = info.isDir() ? std::nullopt : std::optional(info.size()),
            .modifiedAt = info.lastModified().toUTC(),
        });
    }
    return listing;
}

void copyFromPhone(const QString &folder, bool slow, const std::atomic_bool &stopping, const DownloadRequest &request,
                   TransferControl &control)
{
    checkIDs(request.deviceID, LocalFolderEngine::storageID);
    const QString from = resolve(folder, request.remoteFileID);
    if (!QFileInfo(from).isFile())
        fail(QStringLiteral("The demo phone has no file %1").arg(request.remoteFileID));
    copyFile(from, Side::phone, QDir(request.localFolder).filePath(request.localName), request.replacesExisting, slow,
             stopping, control);
}

void copyToPhone(const QString &folder, bool slow, const std::atomic_bool &stopping, const UploadRequest &request,
                 TransferControl &control)
{
    checkIDs(request.deviceID, request.storageID);
    const QDir target(resolve(folder, request.remoteParentID));
    const QString from = request.localURL.toLocalFile();
    if (!QFileInfo(from).isFile())
        fail(QStringLiteral("Local upload path is not a regular file"));
    const QString name = request.remoteName.value_or(QFileInfo(from).fileName());
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String(".") || name == QLatin1String(".."))
        fail(QStringLiteral("Invalid local upload filename"));
    copyFile(from, Side::computer, target.filePath(freeNameIn(target, name)), true, slow, stopping, control);
}

// Copies one request after another in one worker job, as a phone's lane does, until a job
// waits behind it, or one is cancelled or finds the phone gone.
template <typename Request, typename Copy>
QList<std::exception_ptr> runSeries(const SerialWorker &worker, const QList<Request> &requests,
                                    TransferControl &control, Copy copy)
{
    QList<std::exception_ptr> outcomes;
    for (const Request &request : requests) {
        if (!outcomes.isEmpty() && worker.hasWaitingJobs())
            break;
        control.setProgress(0, 0);
        control.setFileInSeries(int(outcomes.size()));
        try {
            if (control.isCancelled())
                throw TransferError::cancelled();
            copy(request);
            outcomes.append(nullptr);
        } catch (const TransferError &error) {
            outcomes.append(std::current_exception());
            if (error.kind() == TransferError::Kind::cancelled || error.kind() == TransferError::Kind::disconnected)
                break;
        }
    }
    return outcomes;
}

} // namespace

QCoro::Task<QList<Attempt<DirectoryListing>>> LocalFolderEngine::listFolders(QList<DirectoryRequest> requests,
                                                                              std::shared_ptr<TransferControl> control)
{
    struct Listed {
        QList<Attempt<DirectoryListing>> listings;
        QList<std::pair<QString, QSet<QString>>> folders; // each folder listed and its names
    };
    auto work = [this, folder = m_folder, slow = m_slow, requests, control] {
        Listed listed;
        for (const DirectoryRequest &request : requests) {
            if (!listed.listings.isEmpty() && (m_worker.hasWaitingJobs() || control->isCancelled()))
                break;
            Attempt<DirectoryListing> &listing = listed.listings.emplace_back();
            try {
                listing.value = listFolder(folder, slow, request);
                QSet<QString> names;
                for (const RemoteEntry &entry : listing.value.entries)
                    names.insert(entry.name);
                listed.folders.append({resolve(folder, request.parentID), names});
            } catch (const TransferError &) {
                listing.error = std::current_exception();
            }
        }
        return listed;
    };
    const auto watch = m_watch;
    Listed listed = co_await awaitResult(m_worker.run(std::move(work)));
    // A phone announces changes in the folders listed in the session.
    for (const auto &[path, names] : listed.folders) {
        watch->names.insert(path, names);
        if (!watch->watcher.directories().contains(path))
            watch->watcher.addPath(path);
    }
    co_return listed.listings;
}

QCoro::Task<QList<std::exception_ptr>> LocalFolderEngine::downloadSeries(QList<DownloadRequest> requests,
                                                                        std::shared_ptr<TransferControl> control)
{
    auto work = [this, folder = m_folder, slow = m_slow, stopping = m_stopping, requests, control] {
        return runSeries(m_worker, requests, *control, [&](const DownloadRequest &request) {
            copyFromPhone(folder, slow, *stopping, request, *control);
        });
    };
    co_return co_await awaitResult(m_worker.run(std::move(work)));
}

QCoro::Task<QList<std::exception_ptr>> LocalFolderEngine::uploadSeries(QList<UploadRequest> requests,
                                                                      std::shared_ptr<TransferControl> control)
{
    auto work = [this, folder = m_folder, slow = m_slow, stopping = m_stopping, requests, control] {
        return runSeries(m_worker, requests, *control, [&](const UploadRequest &request) {
            copyToPhone(folder, slow, *stopping, request, *control);
        });
    };
    co_return co_await awaitResult(m_worker.run(std::move(work)));
}

QCoro::Task<QString> LocalFolderEngine::createFolder(FolderRequest request)
{
    auto work = [folder = m_folder, request] {
        checkIDs(request.deviceID, request.storageID);
        QDir parent(resolve(folder, request.parentID));
        const QString &name = request.name;
        if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String(".") || name == QLatin1String(".."))
            fail(QStringLiteral("Invalid folder name"));
        if (parent.exists(name) || !parent.mkdir(name))
            fail(QStringLiteral("Could not create the folder %1").arg(name));
        return QDir(folder).relativeFilePath(parent.filePath(name));
    };
    co_return co_await awaitResult(m_worker.run(std::move(work)));
}

namespace {

void checkName(const QString &name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QChar(0)) || name == QLatin1String(".")
        || name == QLatin1String(".."))
        throw TransferError::deviceRefused(QStringLiteral("Invalid object name"));
}

// The path of the object the window listed, refused when the id now names another: a
// different name, or a file of another size.
QString listedObject(const QString &folder, const ObjectRequest &request)
{
    checkIDs(request.deviceID, request.storageID);
    if (request.objectID.isEmpty())
        throw TransferError::deviceRefused(QStringLiteral("The storage's root cannot be changed"));
    const QString path = resolve(folder, request.objectID);
    const QFileInfo info(path);
    const bool sameSize = info.isDir() ? !request.sizeBytes : request.sizeBytes == info.size();
    if (info.fileName() != request.name || !sameSize)
        throw TransferError::deviceRefused(QStringLiteral("%1 is not the item that was listed").arg(request.name));
    return path;
}

void deleteObject(const QString &folder, const ObjectRequest &request)
{
    const QString path = listedObject(folder, request);
    // A phone deletes a folder with what it holds, as this does.
    const bool deleted = QFileInfo(path).isDir() ? QDir(path).removeRecursively() : QFile::remove(path);
    if (!deleted)
        throw TransferError::deviceRefused(QStringLiteral("Could not delete %1").arg(request.name));
}

} // namespace

QCoro::Task<QList<std::exception_ptr>> LocalFolderEngine::deleteObjects(QList<ObjectRequest> requests,
                                                                       std::shared_ptr<TransferControl> control)
{
    auto work = [this, folder = m_folder, requests, control] {
        return runSeries(m_worker, requests, *control,
                         [&](const ObjectRequest &request) { deleteObject(folder, request); });
    };
    co_return co_await awaitResult(m_worker.run(std::move(work)));
}

QCoro::Task<> LocalFolderEngine::renameObject(RenameRequest request)
{
    auto work = [folder = m_folder, request] {
        const QString path = listedObject(folder, request.object);
        checkName(request.newName);
        QDir parent = QFileInfo(path).dir();
        if (parent.exists(request.newName))
            throw TransferError::deviceRefused(QStringLiteral("%1 is already there").arg(request.newName));
        if (!parent.rename(QFileInfo(path).fileName(), request.newName))
            throw TransferError::deviceRefused(QStringLiteral("Could not rename %1").arg(request.object.name));
    };
    co_await awaitResult(m_worker.run(std::move(work)));
}

QCoro::Task<QByteArray> LocalFolderEngine::thumbnail(ObjectRequest)
{
    co_return QByteArray();
}

QCoro::Task<QByteArray> LocalFolderEngine::readPart(ObjectRequest request, qint64 offset, qint64 length)
{
    auto work = [folder = m_folder, request, offset, length] {
        QFile file(listedObject(folder, request));
        if (offset < 0 || length < 0 || !file.open(QIODevice::ReadOnly) || !file.seek(offset))
            throw TransferError::deviceRefused(QStringLiteral("Could not read part of %1").arg(request.name));
        return file.read(length);
    };
    co_return co_await awaitResult(m_worker.run(std::move(work)));
}


namespace {

QSet<QString> namesIn(const QString &path)
{
    const QStringList names = QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    return QSet<QString>(names.begin(), names.end());
}

} // namespace

QCoro::Task<QList<PhoneEvent>> LocalFolderEngine::phoneEvents(QString device, int waitMs)
{
    if (device != deviceID)
        fail(QStringLiteral("The demo phone is not connected"));
    const auto watch = m_watch;
    QDeadlineTimer deadline(std::max(0, waitMs));
    while (watch->changed.isEmpty() && !deadline.hasExpired())
        co_await QCoro::sleepFor(std::chrono::milliseconds(std::min<qint64>(50, deadline.remainingTime())));
    if (watch->changed.isEmpty())
        co_return {};
    QHash<QString, QSet<QString>> before;
    for (const QString &path : std::exchange(watch->changed, {}))
        before.insert(path, watch->names.value(path));
    // Read off the UI thread, by a worker of this call's own: the engine may be gone.
    auto look = [before] {
        QHash<QString, QSet<QString>> now;
        for (auto it = before.begin(); it != before.end(); ++it)
            now.insert(it.key(), namesIn(it.key()));
        return now;
    };
    const auto worker = std::make_shared<SerialWorker>();
    const QHash<QString, QSet<QString>> now = co_await awaitResult(worker->run(std::move(look)));
    QList<PhoneEvent> events;
    const QDir root(watch->folder);
    for (auto it = before.begin(); it != before.end(); ++it) {
        const QSet<QString> &after = now.value(it.key());
        const QString prefix = root.relativeFilePath(it.key());
        const auto idOf = [&](const QString &name) {
            return prefix == QLatin1String(".") ? name : prefix + QLatin1Char('/') + name;
        };
        for (const QString &name : it.value() - after)
            events.append(PhoneEvent{.kind = PhoneEvent::Kind::objectRemoved, .objectID = idOf(name)});
        for (const QString &name : after - it.value())
            events.append(PhoneEvent{.kind = PhoneEvent::Kind::objectAdded, .objectID = idOf(name)});
        watch->names.insert(it.key(), after);
    }
    co_return events;
}

} // namespace tarvel
