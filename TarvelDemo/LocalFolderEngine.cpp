#include "TarvelDemo/LocalFolderEngine.h"

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

// Copies through a QSaveFile: the destination appears only when the whole file is
// there, and a failed or stopped copy leaves whatever was at the destination untouched.
void copyFile(const QString &from, const QString &to, bool slow, const std::atomic_bool &stopping)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Could not read %1: %2").arg(from, source.errorString()));
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        fail(QStringLiteral("Could not write %1: %2").arg(to, target.errorString()));
    const qint64 chunk = slow ? 256 * 1024 : 4 * 1024 * 1024;
    QByteArray buffer;
    while (!(buffer = source.read(chunk)).isEmpty()) {
        if (stopping)
            fail(QStringLiteral("The demo phone was disconnected"));
        if (target.write(buffer) != buffer.size())
            fail(QStringLiteral("Could not write %1: %2").arg(to, target.errorString()));
        if (slow)
            QThread::msleep(250);
    }
    if (source.error() != QFileDevice::NoError)
        fail(QStringLiteral("Could not read %1: %2").arg(from, source.errorString()));
    if (!target.commit())
        fail(QStringLiteral("Could not write %1: %2").arg(to, target.errorString()));
}

// "photo.jpg" becomes "photo (2).jpg", "photo (3).jpg", ... until the name is free:
// an upload never replaces a file that is already on the phone.
QString freeName(const QDir &folder, const QString &name)
{
    if (!folder.exists(name))
        return name;
    const QFileInfo info(name);
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix);
        if (!folder.exists(candidate))
            return candidate;
    }
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

QCoro::Task<QList<RemoteEntry>> LocalFolderEngine::listDirectory(QString device, QString storage,
                                                                 std::optional<QString> parentID)
{
    auto work = [folder = m_folder, slow = m_slow, device, storage, parentID] {
        checkIDs(device, storage);
        const QDir dir(resolve(folder, parentID));
        if (slow)
            QThread::msleep(600);
        if (!dir.exists())
            fail(QStringLiteral("The demo phone has no folder %1").arg(parentID.value_or(QString())));
        const QDir root(folder);
        QList<RemoteEntry> entries;
        for (const QFileInfo &info : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot,
                                                       QDir::DirsFirst | QDir::Name | QDir::IgnoreCase)) {
            entries.append(RemoteEntry{
                .id = root.relativeFilePath(info.absoluteFilePath()),
                .name = info.fileName(),
                .parentID = parentID && !parentID->isEmpty() ? parentID : std::nullopt,
                .kind = info.isDir() ? RemoteEntryKind::folder : RemoteEntryKind::file,
                .sizeBytes = info.isDir() ? std::nullopt : positive(info.size()),
            });
        }
        return entries;
    };
    co_return co_await awaitResult(m_worker.run(std::move(work)));
}

QCoro::Task<> LocalFolderEngine::downloadFile(QString device, QString remoteFileID, QUrl localURL)
{
    auto work = [folder = m_folder, slow = m_slow, stopping = m_stopping, device, remoteFileID, to = localURL.toLocalFile()] {
        checkIDs(device, storageID);
        const QString from = resolve(folder, remoteFileID);
        if (!QFileInfo(from).isFile())
            fail(QStringLiteral("The demo phone has no file %1").arg(remoteFileID));
        copyFile(from, to, slow, *stopping);
    };
    co_await awaitResult(m_worker.run(std::move(work)));
}

QCoro::Task<> LocalFolderEngine::uploadFile(QString device, QString storage, QUrl localURL,
                                            std::optional<QString> remoteParentID)
{
    auto work = [folder = m_folder, slow = m_slow, stopping = m_stopping, device, storage, from = localURL.toLocalFile(),
                 remoteParentID] {
        checkIDs(device, storage);
        const QDir target(resolve(folder, remoteParentID));
        if (!QFileInfo(from).isFile())
            fail(QStringLiteral("Local upload path is not a regular file"));
        copyFile(from, target.filePath(freeName(target, QFileInfo(from).fileName())), slow, *stopping);
    };
    co_await awaitResult(m_worker.run(std::move(work)));
}

} // namespace tarvel
