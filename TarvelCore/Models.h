#pragma once

// The plain values every layer exchanges. Lists of them keep the engine's order:
// nothing here defines an ordering, and nothing sorts them.

#include <QDateTime>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QUuid>

#include <exception>
#include <optional>

namespace tarvel {
Q_NAMESPACE

struct AndroidDevice {
    QString id = {};
    QString name = {};
    std::optional<quint16> vendorID = {};
    std::optional<quint16> productID = {};
    // Where it sits on the USB bus, so what the bus shows about it can be found.
    std::optional<quint32> busNumber = {};
    std::optional<quint32> deviceNumber = {};
    std::optional<QString> serialNumber = {}; // the USB serial, read only where it tells two phones apart

    friend bool operator==(const AndroidDevice &, const AndroidDevice &) = default;
};

// What a storage is, as the phone reports it: its own memory or a card that can be taken out.
enum class StorageKind { unknown, internal, removable };

struct AndroidStorage {
    QString id = {};
    QString name = {}; // the phone's description, often in the phone's language
    std::optional<qint64> capacityBytes = {};
    std::optional<qint64> freeBytes = {};
    StorageKind kind = StorageKind::unknown;

    friend bool operator==(const AndroidStorage &, const AndroidStorage &) = default;
};

enum class RemoteEntryKind { folder, file };

struct RemoteEntry {
    QString id = {};
    QString name = {};
    std::optional<QString> parentID = {}; // absent at the storage root
    RemoteEntryKind kind = RemoteEntryKind::file;
    std::optional<qint64> sizeBytes = {};
    std::optional<QDateTime> modifiedAt = {};

    friend bool operator==(const RemoteEntry &, const RemoteEntry &) = default;
};

enum class TransferDirection { download, upload };

struct TransferJob {
    QUuid id = {};
    TransferDirection direction = TransferDirection::download;
    QString sourceName = {};
    QString destinationName = {};
    qint64 completedBytes = 0;
    std::optional<qint64> totalBytes = {};
    // Where the copy lands: the local folder of a download, the phone folder of an upload.
    QString destinationFolderName = {};

    friend bool operator==(const TransferJob &, const TransferJob &) = default;
};

// A copy of many files at once: where it goes, how far it is, and what failed so far.
struct TransferBatch {
    TransferDirection direction = TransferDirection::download;
    QString destinationName = {}; // the folder the batch copies into
    int fileCount = 0;            // files found so far; final once the folders are listed
    int fileNumber = 0;           // the file in flight, from 1; 0 before the first starts
    qint64 completedBytes = 0;    // of the files done and the one in flight
    qint64 totalBytes = 0;        // of the files found; a file whose size is unknown adds 0
    int failedCount = 0;
    bool listingFolders = true;   // folders are still being listed, so the counts still grow

    friend bool operator==(const TransferBatch &, const TransferBatch &) = default;
};

// A batch asked for while another runs, as the transfer pane lists it until its turn.
struct QueuedTransfer {
    QUuid id = {};
    QString name = {};                    // "3 files to Pictures", "DCIM to Downloads"
    std::optional<qint64> sizeBytes = {}; // absent while it holds folders or local files not yet looked at

    friend bool operator==(const QueuedTransfer &, const QueuedTransfer &) = default;
};

enum class TarvelConnectionState { noDevice, deviceUnavailable, ready, loadingDirectory, transferring, transferFailed };
Q_ENUM_NS(TarvelConnectionState)

enum class PhoneHolderKind {
    unseen,       // a process this account cannot look into, usually another user's
    filesService, // GNOME Files' phone service
    kdeService,   // KDE's phone service
    folderMount,  // a program that mounts the phone as a folder
    tarvel,       // another Tarvel
    program,      // any other program
};

// Who holds a phone's USB connection open, as far as this account can see.
struct PhoneHolder {
    PhoneHolderKind kind = PhoneHolderKind::unseen;
    QString program = {}; // its process name; empty when unseen

    friend bool operator==(const PhoneHolder &, const PhoneHolder &) = default;
};

// The one error engines throw. Only nativeError, deviceRefused and localFileFailed carry a
// payload: the native layer's or the system's own text.
class TransferError : public std::exception {
public:
    enum class Kind {
        nativeError,
        noDevice,
        deviceUnavailable,
        unsupportedUSBMode,
        permissionDenied,
        readFailed,
        writeFailed,
        cancelled,
        disconnected,  // the phone went away or stopped answering in the middle of an operation
        deviceRefused, // the phone answered with an error; the text is the protocol's own
        deviceInUse,   // another program holds the phone; holder() says which
        diskFull,      // the computer's disk (or the user's quota) has no room for the file
        localFileFailed, // a file on the computer could not be read, written or saved; the text is the system's
    };

    static TransferError nativeError(QString message) { return TransferError(Kind::nativeError, std::move(message)); }
    static TransferError noDevice() { return TransferError(Kind::noDevice); }
    static TransferError deviceUnavailable() { return TransferError(Kind::deviceUnavailable); }
    static TransferError unsupportedUSBMode() { return TransferError(Kind::unsupportedUSBMode); }
    static TransferError permissionDenied() { return TransferError(Kind::permissionDenied); }
    static TransferError readFailed() { return TransferError(Kind::readFailed); }
    static TransferError writeFailed() { return TransferError(Kind::writeFailed); }
    static TransferError cancelled() { return TransferError(Kind::cancelled); }
    static TransferError disconnected() { return TransferError(Kind::disconnected); }
    static TransferError deviceRefused(QString message) { return TransferError(Kind::deviceRefused, std::move(message)); }
    static TransferError deviceInUse(PhoneHolder holder);
    static TransferError diskFull() { return TransferError(Kind::diskFull); }
    static TransferError localFileFailed(QString systemText) { return TransferError(Kind::localFileFailed, std::move(systemText)); }

    Kind kind() const { return m_kind; }
    // Empty for every kind but nativeError, deviceRefused and localFileFailed.
    const QString &nativeMessage() const { return m_nativeMessage; }
    // Who holds the phone, for deviceInUse; unseen for every other kind.
    const PhoneHolder &holder() const { return m_holder; }
    const char *what() const noexcept override;

    friend bool operator==(const TransferError &a, const TransferError &b)
    {
        return a.m_kind == b.m_kind && a.m_nativeMessage == b.m_nativeMessage && a.m_holder == b.m_holder;
    }

private:
    explicit TransferError(Kind kind, QString nativeMessage = {});

    Kind m_kind;
    QString m_nativeMessage;
    PhoneHolder m_holder;
    QByteArray m_what;
};

// The kind of a TransferError; nothing for no error or any other exception.
std::optional<TransferError::Kind> kindOf(const std::exception_ptr &error);

} // namespace tarvel

Q_DECLARE_METATYPE(tarvel::AndroidDevice)
Q_DECLARE_METATYPE(tarvel::AndroidStorage)
Q_DECLARE_METATYPE(tarvel::RemoteEntry)
Q_DECLARE_METATYPE(tarvel::TransferJob)
Q_DECLARE_METATYPE(tarvel::TransferBatch)
Q_DECLARE_METATYPE(tarvel::QueuedTransfer)
