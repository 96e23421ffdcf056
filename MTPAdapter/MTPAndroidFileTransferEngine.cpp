#include "MTPAdapter/MTPAndroidFileTransferEngine.h"

#include "CMTPBridge/CMTPBridge.h"
#include "MTPAdapter/MTPOperationLane.h"

#include <QByteArray>

#include <cstring>
#include <memory>

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

[[noreturn]] void fail(const QString &error, const QString &fallback)
{
    throw TransferError::nativeError(error.isEmpty() ? fallback : error);
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

RemoteEntry mapEntry(const CMTPDirectoryEntry &entry)
{
    const QString name = fieldText(entry.name);
    const QString parent = fieldText(entry.parent_id);
    return RemoteEntry{
        .id = fieldText(entry.id),
        .name = name.isEmpty() ? QStringLiteral("Untitled") : name,
        // 0 is the parent of everything in the storage root.
        .parentID = parent.isEmpty() || parent == QLatin1String("0") ? std::nullopt : std::optional(parent),
        .kind = entry.is_folder == 1 ? RemoteEntryKind::folder : RemoteEntryKind::file,
        .sizeBytes = positive(entry.size_bytes),
        .modifiedAt = std::nullopt,
    };
}

void collectEntry(const CMTPDirectoryEntry *entry, void *context)
{
    static_cast<QList<RemoteEntry> *>(context)->append(mapEntry(*entry));
}

QByteArray optionalText(const std::optional<QString> &text)
{
    return text ? text->toUtf8() : QByteArray(""); // the bridge reads an empty parent as the storage root
}

} // namespace

// Each operation names its lane work before awaiting it: GCC 12 destroys the captures
// of a lambda written inline in a co_await expression twice.

QCoro::Task<QList<AndroidDevice>> MTPAndroidFileTransferEngine::scanDevices()
{
    auto work = [] {
        const CMTPScanResult result = cmtp_scan_devices();
        if (result.ok != 1)
            fail(fieldText(result.error), statusText());
        QList<AndroidDevice> devices;
        const int count = qBound(0, result.count, 16);
        devices.reserve(count);
        for (int i = 0; i < count; ++i) {
            const CMTPDeviceInfo &info = result.devices[i];
            const QString name = fieldText(info.name);
            devices.append(AndroidDevice{
                .id = fieldText(info.id),
                .name = name.isEmpty() ? QStringLiteral("Android phone") : name,
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
        const QByteArray device = deviceID.toUtf8();
        const auto result = std::make_unique<CMTPStorageDetailsResult>();
        cmtp_list_storage_details_into(result.get(), device.constData());
        if (result->ok != 1)
            fail(fieldText(result->error), statusText());
        QList<AndroidStorage> storages;
        const int count = qBound(0, result->count, 16);
        storages.reserve(count);
        for (int i = 0; i < count; ++i) {
            const CMTPStorageInfo &info = result->storages[i].info;
            const QString name = fieldText(info.name);
            storages.append(AndroidStorage{
                .id = fieldText(info.id),
                .name = name.isEmpty() ? QStringLiteral("Android storage") : name,
                .capacityBytes = positive(info.capacity_bytes),
                .freeBytes = positive(info.free_bytes),
                .kind = storageKind(result->storages[i].storage_type),
            });
        }
        return storages;
    };
    co_return co_await awaitResult(MTPOperationLane::shared().run(std::move(work)));
}

QCoro::Task<QList<RemoteEntry>> MTPAndroidFileTransferEngine::listDirectory(QString deviceID, QString storageID,
                                                                            std::optional<QString> parentID)
{
    auto work = [deviceID, storageID, parentID] {
        const QByteArray device = deviceID.toUtf8();
        const QByteArray storage = storageID.toUtf8();
        const QByteArray parent = optionalText(parentID);
        const auto result = std::make_unique<CMTPDirectoryResult>();
        // Entries arrive through the callback, all of them and in the device's order,
        // from the bridge's one listing of the folder.
        QList<RemoteEntry> entries;
        entries.reserve(512);
        cmtp_list_directory_each(result.get(), device.constData(), storage.constData(), parent.constData(),
                                 &collectEntry, &entries);
        if (cmtp_directory_result_ok(result.get()) != 1)
            fail(QString::fromUtf8(cmtp_directory_result_error(result.get())), statusText());
        return entries;
    };
    co_return co_await awaitResult(MTPOperationLane::shared().run(std::move(work)));
}

QCoro::Task<> MTPAndroidFileTransferEngine::downloadFile(QString deviceID, QString remoteFileID, QUrl localURL)
{
    auto work = [deviceID, remoteFileID, path = localURL.toLocalFile()] {
        const CMTPTransferResult result =
            cmtp_download_file(deviceID.toUtf8().constData(), remoteFileID.toUtf8().constData(), path.toUtf8().constData());
        if (result.ok != 1)
            fail(fieldText(result.error), QStringLiteral("MTP download failed"));
    };
    co_await awaitResult(MTPOperationLane::shared().run(std::move(work)));
}

QCoro::Task<> MTPAndroidFileTransferEngine::uploadFile(QString deviceID, QString storageID, QUrl localURL,
                                                       std::optional<QString> remoteParentID)
{
    auto work = [deviceID, storageID, path = localURL.toLocalFile(), remoteParentID] {
        const CMTPTransferResult result =
            cmtp_upload_file(deviceID.toUtf8().constData(), storageID.toUtf8().constData(), path.toUtf8().constData(),
                             optionalText(remoteParentID).constData());
        if (result.ok != 1)
            fail(fieldText(result.error), QStringLiteral("MTP upload failed"));
    };
    co_await awaitResult(MTPOperationLane::shared().run(std::move(work)));
}

QString MTPAndroidFileTransferEngine::diagnosticSummary() const
{
    return statusText();
}

bool MTPAndroidFileTransferEngine::waitForIdle(int timeoutMs)
{
    return MTPOperationLane::shared().waitForIdle(timeoutMs);
}

} // namespace tarvel
