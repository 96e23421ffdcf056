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

// Names and parents arrive from the bridge as the window shows them: fallback names
// filled in, and no parent text for the storage root.
RemoteEntry mapEntry(const CMTPDirectoryEntry &entry)
{
    const QString parent = fieldText(entry.parent_id);
    return RemoteEntry{
        .id = fieldText(entry.id),
        .name = fieldText(entry.name),
        .parentID = parent.isEmpty() ? std::nullopt : std::optional(parent),
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
            devices.append(AndroidDevice{
                .id = fieldText(info.id),
                .name = fieldText(info.name),
                .vendorID = info.vendor_id,
                .productID = info.product_id,
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
        const auto result = std::make_unique<CMTPStorageResult>();
        cmtp_list_storage_into(result.get(), device.constData());
        if (cmtp_storage_result_ok(result.get()) != 1)
            fail(QString::fromUtf8(cmtp_storage_result_error(result.get())), statusText());
        QList<AndroidStorage> storages;
        const int count = qBound(0, cmtp_storage_result_count(result.get()), 16);
        storages.reserve(count);
        for (int i = 0; i < count; ++i) {
            const CMTPStorageInfo info = cmtp_storage_at(result.get(), i);
            storages.append(AndroidStorage{
                .id = fieldText(info.id),
                .name = fieldText(info.name),
                .capacityBytes = positive(info.capacity_bytes),
                .freeBytes = positive(info.free_bytes),
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
