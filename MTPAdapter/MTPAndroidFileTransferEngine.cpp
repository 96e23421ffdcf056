#include "MTPAdapter/MTPAndroidFileTransferEngine.h"

#include "CMTPBridge/CMTPBridge.h"
#include "MTPAdapter/MTPOperationLane.h"

#include <QByteArray>

#include <cerrno>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace tarvel {

namespace {

// A bridge text field ends at its first NUL or at the end of the array; bad UTF-8
// becomes U+FFFD.
template <std::size_t N>
QString fieldText(const char (&field)[N])
{
    return QString::fromUtf8(field, static_cast<qsizetype>(strnlen(field, N)));
}

QString statusText()
{
    const CMTPBridgeStatus status = cmtp_bridge_status();
    return status.message && *status.message ? QString::fromUtf8(status.message) : QStringLiteral("MTP bridge status unavailable");
}

// Throws the failure of a bridge result whose ok is not 1. The bridge always says what failed;
// a result without a text would get the fallback, as the first operations did.
template <typename Result>
void throwIfFailed(const Result &result, const QString &fallback = statusText())
{
    if (result.ok == 1)
        return;
    const QString text = fieldText(result.error);
    int systemError = 0;
    if constexpr (requires { result.system_error; })
        systemError = result.system_error;
    throw MTPAndroidFileTransferEngine::errorFor(result.code, systemError, text.isEmpty() ? fallback : text);
}

std::optional<qint64> positive(int64_t value)
{
    return value >= 1 ? std::optional<qint64>(value) : std::nullopt;
}

// MTP's StorageType: fixed and removable, each as ROM or RAM.
StorageKind storageKind(uint16_t storageType)
{
    switch (storageType) {
    case 0x0001:
    case 0x0003: return StorageKind::internal;
    case 0x0002:
    case 0x0004: return StorageKind::removable;
    default: return StorageKind::unknown;
    }
}

// Names and parents arrive from the bridge as the window shows them: fallback names filled
// in, and no parent text for the storage root. MTP always reports a file's size, so 0 is an
// empty file; a folder of size 0 has none. The objects of one listing share their parent,
// so its text is made once, not once per object.
void collectEntry(const CMTPDirectoryEntry *entry, void *context)
{
    auto &entries = *static_cast<QList<RemoteEntry> *>(context);
    const bool folder = entry->is_folder == 1;
    const std::optional<QString> *before = entries.isEmpty() ? nullptr : &entries.constLast().parentID;
    std::optional<QString> parent;
    if (before && *before && **before == QLatin1StringView(entry->parent_id))
        parent = *before;
    else if (entry->parent_id[0] != '\0')
        parent = fieldText(entry->parent_id);
    entries.append(RemoteEntry{
        .id = QString::fromLatin1(entry->id),
        .name = fieldText(entry->name),
        .parentID = std::move(parent),
        .kind = folder ? RemoteEntryKind::folder : RemoteEntryKind::file,
        .sizeBytes = entry->size_bytes >= (folder ? 1 : 0) ? std::optional<qint64>(entry->size_bytes) : std::nullopt,
        .modifiedAt = entry->modified_at > 0 ? std::optional(QDateTime::fromSecsSinceEpoch(entry->modified_at, Qt::UTC))
                                             : std::nullopt,
    });
}

// Stores the bridge's counts in the control and stops the transfer once it is cancelled.
int reportProgress(uint64_t sent, uint64_t total, void *context)
{
    auto *control = static_cast<TransferControl *>(context);
    control->setProgress(qint64(qMin<uint64_t>(sent, INT64_MAX)), qint64(qMin<uint64_t>(total, INT64_MAX)));
    return control->isCancelled() ? 1 : 0;
}

QByteArray optionalText(const std::optional<QString> &text)
{
    return text ? text->toUtf8() : QByteArray(""); // the bridge reads an empty parent as the storage root
}

// One listing, on the lane.
DirectoryListing listOnLane(const DirectoryRequest &request)
{
    DirectoryListing listing;
    listing.entries.reserve(512);
    const CMTPListingResult result =
        cmtp_list_directory_each(request.deviceID.toUtf8().constData(), request.storageID.toUtf8().constData(),
                                 optionalText(request.parentID).constData(), &collectEntry, &listing.entries);
    throwIfFailed(result);
    listing.complete = result.complete == 1;
    return listing;
}

// The local folder a series of downloads goes into, open while the series runs: each file is
// made and moved into place by its name alone, and the folder's path is looked up once. The
// folder is flushed once for all the files put in it, when the next folder of a tree takes
// its place or the series ends: one flush per file cost a disk commit each.
class SeriesFolder {
public:
    SeriesFolder() = default;
    SeriesFolder(const SeriesFolder &) = delete;
    SeriesFolder &operator=(const SeriesFolder &) = delete;
    ~SeriesFolder() { forget(); }

    // The open folder at `path` for the series' file `file`; throws the system's error when it
    // cannot be opened.
    int at(const QString &path, int file)
    {
        if (!m_path || path != *m_path) {
            flush();
            forget();
            m_path = path;
            m_fd = open(path.toUtf8().constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            m_error = m_fd < 0 ? errno : 0;
        }
        if (m_fd < 0)
            throw MTPAndroidFileTransferEngine::errorFor(CMTP_RESULT_LOCAL_FILE, m_error, QString());
        m_unflushed.append(file);
        return m_fd;
    }

    // Flushes the last folder. A file whose folder could not be flushed fails though it is in
    // place: only a name on the disk counts as done.
    void finish(QList<std::exception_ptr> &outcomes)
    {
        flush();
        for (const auto &[file, failure] : m_failed) {
            if (file < outcomes.size() && !outcomes[file])
                outcomes[file] = failure;
        }
    }

private:
    void flush()
    {
        if (m_fd >= 0 && !m_unflushed.isEmpty()) {
            try {
                throwIfFailed(cmtp_flush_folder(m_fd));
            } catch (const TransferError &) {
                for (const int file : std::as_const(m_unflushed))
                    m_failed.append({file, std::current_exception()});
            }
        }
        m_unflushed.clear();
    }

    void forget()
    {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = -1;
    }

    std::optional<QString> m_path;
    int m_fd = -1;
    int m_error = 0;
    QList<int> m_unflushed; // files put in the open folder since its last flush
    QList<std::pair<int, std::exception_ptr>> m_failed;
};

// One download, on the lane.
void copyFromPhone(const DownloadRequest &request, TransferControl &control, SeriesFolder &series)
{
    // Cancelled while it waited for the lane: it never starts.
    if (control.isCancelled())
        throw TransferError::cancelled();
    const int folder = series.at(request.localFolder, control.fileInSeries());
    const int64_t modifiedAt = request.modifiedAt && request.modifiedAt->isValid() ? request.modifiedAt->toSecsSinceEpoch() : 0;
    throwIfFailed(cmtp_download_file_at(request.deviceID.toUtf8().constData(), request.remoteFileID.toUtf8().constData(),
                                        folder, request.localName.toUtf8().constData(), request.partTag.toUtf8().constData(),
                                        request.replacesExisting ? 1 : 0,
                                        modifiedAt, &reportProgress, &control),
                  QStringLiteral("MTP download failed"));
}

// One upload, on the lane.
void copyToPhone(const UploadRequest &request, TransferControl &control)
{
    if (control.isCancelled())
        throw TransferError::cancelled();
    throwIfFailed(cmtp_upload_file_as(request.deviceID.toUtf8().constData(), request.storageID.toUtf8().constData(),
                                      request.localURL.toLocalFile().toUtf8().constData(),
                                      optionalText(request.remoteParentID).constData(),
                                      optionalText(request.remoteName).constData(), &reportProgress, &control),
                  QStringLiteral("MTP upload failed"));
}

// An object as the request lists it, in the bridge's terms: the texts stay alive as long as
// this does.
struct ListedObject {
    explicit ListedObject(const ObjectRequest &request)
        : device(request.deviceID.toUtf8()), id(request.objectID.toUtf8()), name(request.name.toUtf8()),
          size(request.sizeBytes && *request.sizeBytes >= 0 ? *request.sizeBytes : -1)
    {
    }
    const QByteArray device;
    const QByteArray id;
    const QByteArray name;
    const int64_t size; // -1: a folder
};

// One delete, on the lane.
void deleteOnPhone(const ObjectRequest &request, TransferControl &control)
{
    if (control.isCancelled())
        throw TransferError::cancelled();
    const ListedObject object(request);
    throwIfFailed(cmtp_delete_object(object.device.constData(), object.id.constData(), object.name.constData(), object.size),
                  QStringLiteral("Could not delete the object"));
}

void appendBytes(const unsigned char *data, uint32_t size, void *context)
{
    static_cast<QByteArray *>(context)->append(reinterpret_cast<const char *>(data), qsizetype(size));
}

void collectEvent(const CMTPPhoneEvent *event, void *context)
{
    auto *events = static_cast<QList<PhoneEvent> *>(context);
    switch (event->kind) {
    case CMTP_EVENT_OBJECT_ADDED: events->append({PhoneEvent::Kind::objectAdded, fieldText(event->id)}); break;
    case CMTP_EVENT_OBJECT_REMOVED: events->append({PhoneEvent::Kind::objectRemoved, fieldText(event->id)}); break;
    // A storage that came or went, or events the bridge could not keep: what is shown is read again.
    default: events->append({PhoneEvent::Kind::storageChanged, QString()}); break;
    }
}

int anotherJobWaits(void *)
{
    return MTPOperationLane::shared().hasWaitingJobs() ? 1 : 0;
}

// The files of a series go one after another in one lane job, so the lane never waits for
// the UI thread between two of them. A job that waits, such as a listing the user asked
// for, goes in between two files.
template <typename Request, typename Copy>
QList<std::exception_ptr> runSeries(const QList<Request> &requests, TransferControl &control, Copy copy)
{
    QList<std::exception_ptr> outcomes;
    for (const Request &request : requests) {
        if (!outcomes.isEmpty() && MTPOperationLane::shared().hasWaitingJobs())
            break;
        control.setProgress(0, 0);
        control.setFileInSeries(int(outcomes.size()));
        try {
            copy(request, control);
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

// Each operation names its lane work before awaiting it: GCC 12 destroys the captures
// of a lambda written inline in a co_await expression twice.

QCoro::Task<QList<AndroidDevice>> MTPAndroidFileTransferEngine::scanDevices()
{
    auto work = [] {
        const CMTPScanResult result = cmtp_scan_devices();
        throwIfFailed(result);
        QList<AndroidDevice> devices;
        const int count = qBound(0, result.count, 16);
        devices.reserve(count);
        for (int i = 0; i < count; ++i) {
            const CMTPDeviceInfo &info = result.devices[i];
            devices.append(AndroidDevice{
                .id = fieldText(info.id),
                .name = fieldText(info.name),
                .vendorID = info.vendor_id,
                .productID = info.product_id,
                .busNumber = info.bus_location,
                .deviceNumber = info.device_number,
            });
        }
        return devices;
    };
    co_return co_await awaitResult(MTPOperationLane::shared().run(std::move(work)));
}

QCoro::Task<QList<AndroidStorage>> MTPAndroidFileTransferEngine::listStorage(QString deviceID)
{
    auto work = [deviceID] {
        const auto result = std::make_unique<CMTPStorageResult>();
        cmtp_list_storage_into(result.get(), deviceID.toUtf8().constData());
        throwIfFailed(*result);
        QList<AndroidStorage> storages;
        const int count = qBound(0, result->count, 16);
        storages.reserve(count);
        for (int i = 0; i < count; ++i) {
            const CMTPStorageInfo &info = result->storages[i];
            storages.append(AndroidStorage{
                .id = fieldText(info.id),
                .name = fieldText(info.name),
                .capacityBytes = positive(info.capacity_bytes),
                .freeBytes = positive(info.free_bytes),
                .kind = storageKind(info.storage_type),
            });
        }
        return storages;
    };
    co_return co_await awaitResult(MTPOperationLane::shared().run(std::move(work)));
}

// The folders go one after another in one lane job; a job that waits goes in between two.
QCoro::Task<QList<Attempt<DirectoryListing>>> MTPAndroidFileTransferEngine::listFolders(QList<DirectoryRequest> requests,
                                                                                         std::shared_ptr<TransferControl> control)
{
    auto work = [requests, control] {
        QList<Attempt<DirectoryListing>> listings;
        for (const DirectoryRequest &request : requests) {
            if (!listings.isEmpty() && (MTPOperationLane::shared().hasWaitingJobs() || control->isCancelled()))
                break;
            Attempt<DirectoryListing> &listing = listings.emplace_back();
            try {
                listing.value = listOnLane(request);
            } catch (const TransferError &error) {
                listing.error = std::current_exception();
                if (error.kind() == TransferError::Kind::disconnected)
                    break;
            }
        }
        return listings;
    };
    co_return co_await awaitResult(MTPOperationLane::shared().run(std::move(work)));
}

QCoro::Task<QList<std::exception_ptr>> MTPAndroidFileTransferEngine::downloadSeries(QList<DownloadRequest> requests,
                                                                                   std::shared_ptr<TransferControl> control)
{
    auto work = [requests, control] {
        SeriesFolder folder;
        auto copy = [&folder](const DownloadRequest &request, TransferControl &on) { copyFromPhone(request, on, folder); };
        QList<std::exception_ptr> outcomes = runSeries(requests, *control, copy);
        folder.finish(outcomes);
        return outcomes;
    };
    co_return co_await awaitResult(MTPOperationLane::shared().run(std::move(work)));
}

QCoro::Task<QList<std::exception_ptr>> MTPAndroidFileTransferEngine::uploadSeries(QList<UploadRequest> requests,
                                                                                 std::shared_ptr<TransferControl> control)
{
    auto work = [requests, control] { return runSeries(requests, *control, &copyToPhone); };
    co_return co_await awaitResult(MTPOperationLane::shared().run(std::move(work)));
}

QCoro::Task<QString> MTPAndroidFileTransferEngine::createFolder(FolderRequest request)
{
    auto work = [request] {
        const CMTPFolderResult result =
            cmtp_create_folder(request.deviceID.toUtf8().constData(), request.storageID.toUtf8().constData(),
                               optionalText(request.parentID).constData(), request.name.toUtf8().constData());
        throwIfFailed(result, QStringLiteral("Could not create the folder"));
        return fieldText(result.id);
    };
    co_return co_await awaitResult(MTPOperationLane::shared().run(std::move(work)));
}

// The bridge's text is detail: it travels only where the error carries a text. The system's
// own words stand in for a local file problem the bridge did not describe (a folder the
// engine could not open).
TransferError MTPAndroidFileTransferEngine::errorFor(int32_t code, int systemError, const QString &text)
{
    switch (code) {
    case CMTP_RESULT_CANCELLED: return TransferError::cancelled();
    case CMTP_RESULT_DEVICE_GONE: return TransferError::disconnected();
    case CMTP_RESULT_DEVICE_REFUSED: return TransferError::deviceRefused(text);
    case CMTP_RESULT_LOCAL_FILE:
        if (systemError == ENOSPC || systemError == EDQUOT)
            return TransferError::diskFull();
        return TransferError::localFileFailed(text.isEmpty() && systemError != 0 ? QString::fromLocal8Bit(strerror(systemError))
                                                                                : text);
    default: return TransferError::nativeError(text);
    }
}

QString MTPAndroidFileTransferEngine::diagnosticSummary() const
{
    return statusText();
}

bool MTPAndroidFileTransferEngine::waitForIdle(int timeoutMs)
{
    return MTPOperationLane::shared().waitForIdle(timeoutMs);
}

bool MTPAndroidFileTransferEngine::closeDevice(int timeoutMs)
{
    MTPOperationLane::shared().run([] { cmtp_close_device(); });
    return MTPOperationLane::shared().waitForIdle(timeoutMs);
}

void MTPAndroidFileTransferEngine::onDeviceClosing(std::function<void(USBAddress)> handler)
{
    static std::function<void(USBAddress)> closing;
    closing = std::move(handler);
    const cmtp_close_listener tell = [](uint32_t bus, uint8_t device, void *context) {
        (*static_cast<std::function<void(USBAddress)> *>(context))(USBAddress{bus, device});
    };
    cmtp_set_close_listener(closing ? tell : nullptr, &closing);
}

// Deletes go one after another in one lane job, as copies do.
QCoro::Task<QList<std::exception_ptr>> MTPAndroidFileTransferEngine::deleteObjects(QList<ObjectRequest> requests,
                                                                                  std::shared_ptr<TransferControl> control)
{
    auto work = [requests, control] { return runSeries(requests, *control, &deleteOnPhone); };
    co_return co_await awaitResult(MTPOperationLane::shared().run(std::move(work)));
}

QCoro::Task<> MTPAndroidFileTransferEngine::renameObject(RenameRequest request)
{
    auto work = [request] {
        const ListedObject object(request.object);
        throwIfFailed(cmtp_rename_object(object.device.constData(), object.id.constData(), object.name.constData(),
                                         object.size, request.newName.toUtf8().constData()),
                      QStringLiteral("Could not rename the object"));
    };
    co_await awaitResult(MTPOperationLane::shared().run(std::move(work)));
}

QCoro::Task<QByteArray> MTPAndroidFileTransferEngine::thumbnail(ObjectRequest request)
{
    auto work = [request] {
        const ListedObject object(request);
        QByteArray picture;
        throwIfFailed(cmtp_get_thumbnail(object.device.constData(), object.id.constData(), object.name.constData(),
                                         object.size, &appendBytes, &picture),
                      QStringLiteral("Could not read the thumbnail"));
        return picture;
    };
    co_return co_await awaitResult(MTPOperationLane::shared().run(std::move(work)));
}

// One lane job however long the part: the bridge reads at most 4 GiB a call, and libmtp holds
// each read in memory of its own before it is copied, so a long part is read in pieces.
QCoro::Task<QByteArray> MTPAndroidFileTransferEngine::readPart(ObjectRequest request, qint64 offset, qint64 length)
{
    auto work = [request, offset, length] {
        constexpr qint64 piece = 8 * 1024 * 1024;
        const ListedObject object(request);
        QByteArray bytes;
        while (bytes.size() < length) {
            const qsizetype before = bytes.size();
            const auto wanted = uint32_t(qMin(length - before, piece));
            throwIfFailed(cmtp_read_part(object.device.constData(), object.id.constData(), object.name.constData(),
                                         object.size, offset + before, wanted, &appendBytes, &bytes),
                          QStringLiteral("Could not read a part of the file"));
            if (bytes.size() - before < wanted)
                break; // the end of the file
        }
        return bytes;
    };
    co_return co_await awaitResult(MTPOperationLane::shared().run(std::move(work)));
}

QCoro::Task<QList<PhoneEvent>> MTPAndroidFileTransferEngine::phoneEvents(QString deviceID, int waitMs)
{
    auto work = [deviceID, waitMs] {
        QList<PhoneEvent> events;
        throwIfFailed(cmtp_read_events(deviceID.toUtf8().constData(), waitMs, &collectEvent, &anotherJobWaits, &events),
                      QStringLiteral("Could not read the phone's events"));
        return events;
    };
    co_return co_await awaitResult(MTPOperationLane::shared().run(std::move(work)));
}

} // namespace tarvel
