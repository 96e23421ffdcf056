#include "TarvelDemo/LocalFolderEngine.h"

#include "TarvelCore/LocalFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>
#include <QThread>

namespace tarvel {

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
{
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
    auto work = [this, folder = m_folder, slow = m_slow, requests, control] {
        QList<Attempt<DirectoryListing>> listings;
        for (const DirectoryRequest &request : requests) {
            if (!listings.isEmpty() && (m_worker.hasWaitingJobs() || control->isCancelled()))
                break;
            Attempt<DirectoryListing> &listing = listings.emplace_back();
            try {
                listing.value = listFolder(folder, slow, request);
            } catch (const TransferError &) {
                listing.error = std::current_exception();
            }
        }
        return listings;
    };
    co_return co_await awaitResult(m_worker.run(std::move(work)));
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

// Not built yet: the phone's deletes, renames, pictures, partial reads and events.
QCoro::Task<QList<std::exception_ptr>> LocalFolderEngine::deleteObjects(QList<ObjectRequest>, std::shared_ptr<TransferControl>)
{
    throw TransferError::nativeError(QStringLiteral("Deleting is not built yet"));
    co_return {};
}

QCoro::Task<> LocalFolderEngine::renameObject(RenameRequest)
{
    throw TransferError::nativeError(QStringLiteral("Renaming is not built yet"));
    co_return;
}

QCoro::Task<QByteArray> LocalFolderEngine::thumbnail(ObjectRequest)
{
    co_return QByteArray();
}

QCoro::Task<QByteArray> LocalFolderEngine::readPart(ObjectRequest, qint64, qint64)
{
    throw TransferError::deviceRefused(QStringLiteral("Partial reads are not built yet"));
    co_return QByteArray();
}

QCoro::Task<QList<PhoneEvent>> LocalFolderEngine::phoneEvents(QString, int)
{
    co_return {};
}

} // namespace tarvel
