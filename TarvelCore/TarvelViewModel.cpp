#include "TarvelCore/TarvelViewModel.h"

#include "TarvelCore/Attempt.h"

#include <QFileInfo>
#include <QPointer>

namespace tarvel {

namespace {
const QString connectSentence = QStringLiteral(
    "Connect an Android device with a data-capable USB cable, unlock it, choose USB File transfer, then press Refresh. "
    "If it still does not appear, try another cable or USB port.");
const QString unlockSentence = QStringLiteral("Unlock the phone and allow file transfer access.");
const QString genericSentence = QStringLiteral("The phone could not be accessed. Check the cable and try again.");
const QString disconnectedSentence =
    QStringLiteral("The phone was disconnected. Connect it again, unlock it, then press Refresh.");

// The protocol's own text, in brackets after a sentence of ours; never a bare code.
QString withNativeText(QString sentence, const QString &nativeText)
{
    if (!nativeText.isEmpty())
        sentence += QStringLiteral(" (") + nativeText + QLatin1Char(')');
    return sentence + QLatin1Char('.');
}
} // namespace

TarvelViewModel::TarvelViewModel(std::shared_ptr<AndroidFileTransferEngine> engine, QObject *parent)
    : QObject(parent), m_statusMessage(connectSentence), m_engine(std::move(engine))
{
    m_progressTimer.setInterval(progressIntervalMs);
    connect(&m_progressTimer, &QTimer::timeout, this, &TarvelViewModel::sampleProgress);
}

// Each setter stores first and then notifies, also when the value did not change:
// observers read the new value from inside their handler.
void TarvelViewModel::setState(TarvelConnectionState value) { m_state = value; Q_EMIT stateChanged(); }
void TarvelViewModel::setStatusMessage(QString value) { m_statusMessage = std::move(value); Q_EMIT statusMessageChanged(); }
void TarvelViewModel::setDevices(QList<AndroidDevice> value) { m_devices = std::move(value); Q_EMIT devicesChanged(); }
void TarvelViewModel::setSelectedDevice(std::optional<AndroidDevice> value) { m_selectedDevice = std::move(value); Q_EMIT selectedDeviceChanged(); }
void TarvelViewModel::setStorages(QList<AndroidStorage> value) { m_storages = std::move(value); Q_EMIT storagesChanged(); }
void TarvelViewModel::setSelectedStorage(std::optional<AndroidStorage> value) { m_selectedStorage = std::move(value); Q_EMIT selectedStorageChanged(); }
void TarvelViewModel::setEntries(QList<RemoteEntry> value) { m_entries = std::move(value); Q_EMIT entriesChanged(); }
void TarvelViewModel::setCurrentParentID(std::optional<QString> value) { m_currentParentID = std::move(value); Q_EMIT currentParentIDChanged(); }
void TarvelViewModel::setFolderPath(QList<RemoteEntry> value) { m_folderPath = std::move(value); Q_EMIT folderPathChanged(); }
void TarvelViewModel::setCurrentTransfer(std::optional<TransferJob> value) { m_currentTransfer = std::move(value); Q_EMIT currentTransferChanged(); }
void TarvelViewModel::setCancellingTransfer(bool value) { m_cancellingTransfer = value; Q_EMIT cancellingTransferChanged(); }

void TarvelViewModel::setStatus(TarvelConnectionState state, QString message)
{
    setState(state);
    setStatusMessage(std::move(message));
}

QString TarvelViewModel::message(const TransferError &error)
{
    switch (error.kind()) {
    case TransferError::Kind::noDevice: return connectSentence;
    case TransferError::Kind::deviceUnavailable:
    case TransferError::Kind::permissionDenied: return unlockSentence;
    case TransferError::Kind::unsupportedUSBMode: return QStringLiteral("On your phone, change USB mode to File transfer.");
    case TransferError::Kind::readFailed:
    case TransferError::Kind::writeFailed: return QStringLiteral("The file could not be copied. Check the cable and try again.");
    case TransferError::Kind::cancelled: return QStringLiteral("The transfer was cancelled.");
    case TransferError::Kind::disconnected: return disconnectedSentence;
    case TransferError::Kind::deviceRefused:
        return withNativeText(QStringLiteral("The phone refused the request"), error.nativeMessage());
    case TransferError::Kind::nativeError: break;
    }
    // Only a text with no characters at all counts as empty: blanks are shown as they are.
    return error.nativeMessage().isEmpty() ? genericSentence : error.nativeMessage();
}

QString TarvelViewModel::message(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const TransferError &transferError) {
        return message(transferError);
    } catch (...) {
        return genericSentence;
    }
}

void TarvelViewModel::clearBrowsingState()
{
    setStorages({});
    setSelectedStorage(std::nullopt);
    setEntries({});
    setCurrentParentID(std::nullopt);
    setFolderPath({});
}

// Anything still in flight for the old device then fails its currency test when it ends;
// a transfer is also told to stop, so it does not hold the lane for the new device.
void TarvelViewModel::abandonSelectedDevice()
{
    if (m_transferControl)
        m_transferControl->cancel();
    stopTransfer();
    setCurrentTransfer(std::nullopt);
    ++m_transferGeneration;
    ++m_storageLoadGeneration;
    clearBrowsingState();
}

bool TarvelViewModel::isCurrent(const QString &deviceID, Generation counter, qint64 generation) const
{
    return m_selectedDevice && m_selectedDevice->id == deviceID && this->*counter == generation;
}

bool TarvelViewModel::isCurrentStorageLoad(const QString &deviceID, qint64 generation) const
{
    return isCurrent(deviceID, &TarvelViewModel::m_storageLoadGeneration, generation);
}

bool TarvelViewModel::isCurrentTransfer(const QString &deviceID, qint64 generation) const
{
    return isCurrent(deviceID, &TarvelViewModel::m_transferGeneration, generation);
}

std::optional<QString> TarvelViewModel::locationName() const
{
    if (!m_folderPath.isEmpty())
        return m_folderPath.last().name;
    if (m_selectedStorage)
        return m_selectedStorage->name;
    return std::nullopt;
}

QString TarvelViewModel::currentLocationName() const
{
    return locationName().value_or(QStringLiteral("Android storage"));
}

QCoro::Task<> TarvelViewModel::refreshDevices()
{
    QPointer<TarvelViewModel> self(this);
    const auto engine = m_engine;
    const auto [found, error] = co_await attempt(engine->scanDevices());
    if (!self)
        co_return;

    // The selection when the scan returns, not when it started, is what a new first device is compared with.
    const std::optional<QString> previousID = m_selectedDevice ? std::optional(m_selectedDevice->id) : std::nullopt;
    if (error || found.isEmpty()) {
        setDevices({});
        setSelectedDevice(std::nullopt);
        abandonSelectedDevice();
        if (error)
            setStatus(TarvelConnectionState::deviceUnavailable, message(error));
        else
            setStatus(TarvelConnectionState::noDevice, connectSentence);
        co_return;
    }

    setDevices(found);
    setSelectedDevice(found.first());
    if (previousID != found.first().id)
        abandonSelectedDevice();
    if (isIdle())
        setStatus(TarvelConnectionState::ready, found.first().name + QStringLiteral(" is ready."));
}

QCoro::Task<> TarvelViewModel::loadSelectedDeviceStorage()
{
    if (!m_selectedDevice) {
        ++m_storageLoadGeneration;
        clearBrowsingState();
        setStatus(TarvelConnectionState::noDevice, connectSentence);
        co_return;
    }
    QPointer<TarvelViewModel> self(this);
    const auto engine = m_engine;
    const QString deviceID = m_selectedDevice->id;
    const qint64 generation = ++m_storageLoadGeneration;
    if (isIdle())
        setState(TarvelConnectionState::loadingDirectory);

    auto [found, error] = co_await attempt(engine->listStorage(deviceID));
    if (!self || !isCurrentStorageLoad(deviceID, generation))
        co_return;
    if (!error) {
        setStorages(found);
        setSelectedStorage(found.isEmpty() ? std::nullopt : std::optional(found.first()));
        if (!m_selectedStorage) {
            clearBrowsingState();
            if (isIdle())
                setStatus(TarvelConnectionState::deviceUnavailable, unlockSentence);
            co_return;
        }
        error = (co_await attempt(loadDirectory(deviceID, m_selectedStorage->id, std::nullopt, {}, generation, true))).error;
        if (!self || !error || !isCurrentStorageLoad(deviceID, generation))
            co_return;
    }
    // Emptying the listing first means the failure always reads as the error's own sentence.
    clearBrowsingState();
    if (isIdle())
        showBrowsingFailure(error, std::nullopt);
}

QCoro::Task<> TarvelViewModel::loadDirectory(QString deviceID, QString storageID, std::optional<QString> parentID,
                                             QList<RemoteEntry> folderPath, qint64 generation, bool clearsBrowsingOnFailure)
{
    QPointer<TarvelViewModel> self(this);
    const auto engine = m_engine;
    // Requests are named before the co_await: GCC 12 destroys a temporary with a destructor
    // that is written inside a co_await expression twice.
    DirectoryRequest request{deviceID, storageID, parentID};
    const auto [listing, error] = co_await attempt(engine->listFolder(std::move(request)));
    if (!self)
        co_return;
    if (error) {
        // Only a listing that is still current may wipe what is shown: a late failure
        // must not erase a newer storage's listing.
        if (clearsBrowsingOnFailure && isCurrentStorageLoad(deviceID, generation))
            clearBrowsingState();
        std::rethrow_exception(error);
    }
    if (!isCurrentStorageLoad(deviceID, generation))
        co_return;
    setEntries(listing.entries);
    setCurrentParentID(parentID);
    setFolderPath(folderPath);
    if (!isIdle())
        co_return;
    QString shown = QStringLiteral("Showing ") + currentLocationName() + QStringLiteral(".");
    // The phone still answers, but some objects came without a description: what is
    // shown is not the whole folder, and the user must not take it for one.
    if (!listing.complete)
        shown += QStringLiteral(" Some of its items could not be read from the phone.");
    setStatus(TarvelConnectionState::ready, shown);
}

namespace {
bool isDisconnection(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const TransferError &failure) {
        return failure.kind() == TransferError::Kind::disconnected;
    } catch (...) {
        return false;
    }
}
} // namespace

void TarvelViewModel::showBrowsingFailure(const std::exception_ptr &error, std::optional<QString> attemptedLocationName)
{
    // A phone that went away is not a folder that could not be opened.
    if (isDisconnection(error)) {
        setStatus(TarvelConnectionState::deviceUnavailable, disconnectedSentence);
        return;
    }
    if (!m_entries.isEmpty()) {
        setStatus(TarvelConnectionState::ready,
                  QStringLiteral("Could not open ") + attemptedLocationName.value_or(currentLocationName())
                      + QStringLiteral(". Still showing ") + currentLocationName() + QStringLiteral("."));
    } else {
        setStatus(TarvelConnectionState::transferFailed, message(error));
    }
}

QCoro::Task<> TarvelViewModel::openFolder(RemoteEntry entry)
{
    if (entry.kind != RemoteEntryKind::folder || !m_selectedDevice || !m_selectedStorage)
        co_return;
    QList<RemoteEntry> path = m_folderPath;
    path.append(entry);
    co_await listFolder(entry.id, path, entry.name);
}

QCoro::Task<> TarvelViewModel::navigateUp()
{
    if (m_folderPath.isEmpty() || !m_selectedDevice || !m_selectedStorage)
        co_return;
    QList<RemoteEntry> path = m_folderPath;
    path.removeLast();
    const std::optional<QString> parentID = path.isEmpty() ? std::nullopt : std::optional(path.last().id);
    const QString name = path.isEmpty() ? m_selectedStorage->name : path.last().name;
    co_await listFolder(parentID, path, name);
}

QCoro::Task<> TarvelViewModel::loadCurrentDirectory()
{
    if (!m_selectedDevice || !m_selectedStorage)
        co_return;
    co_await listFolder(m_currentParentID, m_folderPath, std::nullopt);
}

QCoro::Task<> TarvelViewModel::navigateToDepth(qsizetype depth)
{
    if (depth < 0 || depth >= m_folderPath.size() || !m_selectedDevice || !m_selectedStorage)
        co_return;
    const QList<RemoteEntry> path = m_folderPath.first(depth);
    const std::optional<QString> parentID = path.isEmpty() ? std::nullopt : std::optional(path.last().id);
    const QString name = path.isEmpty() ? m_selectedStorage->name : path.last().name;
    co_await listFolder(parentID, path, name);
}

QCoro::Task<> TarvelViewModel::refreshStorageSpace()
{
    if (!m_selectedDevice || !m_selectedStorage)
        co_return;
    QPointer<TarvelViewModel> self(this);
    const auto engine = m_engine;
    const QString deviceID = m_selectedDevice->id;
    const QString storageID = m_selectedStorage->id;
    const auto [found, error] = co_await attempt(engine->listStorage(deviceID));
    // Only fresher numbers are news. A failure keeps the ones shown: the phone's state is
    // reported by whatever the user does next, not by this quiet re-read.
    if (!self || error || !m_selectedDevice || m_selectedDevice->id != deviceID || !m_selectedStorage
        || m_selectedStorage->id != storageID)
        co_return;
    for (const AndroidStorage &storage : found) {
        if (storage.id == storageID) {
            setStorages(found);
            setSelectedStorage(storage);
            co_return;
        }
    }
}

QCoro::Task<> TarvelViewModel::listFolder(std::optional<QString> parentID, QList<RemoteEntry> path,
                                          std::optional<QString> attemptedLocationName)
{
    QPointer<TarvelViewModel> self(this);
    const QString deviceID = m_selectedDevice->id;
    const QString storageID = m_selectedStorage->id;
    const qint64 generation = ++m_storageLoadGeneration;
    if (isIdle())
        setState(TarvelConnectionState::loadingDirectory);
    const auto [error] = co_await attempt(loadDirectory(deviceID, storageID, parentID, path, generation, false));
    if (!self || !error || !isCurrentStorageLoad(deviceID, generation) || !isIdle())
        co_return;
    // Without a fixed name (a reload) the failure names whatever is shown at this moment.
    showBrowsingFailure(error, attemptedLocationName);
}

QCoro::Task<> TarvelViewModel::download(QString remoteFileID, QString remoteName, QUrl to)
{
    if (!m_selectedDevice) {
        setCurrentTransfer(std::nullopt);
        setStatus(TarvelConnectionState::noDevice, connectSentence);
        co_return;
    }
    QPointer<TarvelViewModel> self(this);
    const auto engine = m_engine;
    const QString deviceID = m_selectedDevice->id;
    const qint64 generation = ++m_transferGeneration;
    const QString folderName = QFileInfo(QFileInfo(to.toLocalFile()).absolutePath()).fileName();
    const auto control = startTransfer(
        TransferJob{.id = QUuid::createUuid(), .direction = TransferDirection::download, .sourceName = remoteName,
                    .destinationName = to.fileName(), .destinationFolderName = folderName},
        QStringLiteral("Downloading ") + remoteName + QStringLiteral("..."));
    DownloadRequest request{deviceID, remoteFileID, to};
    const auto [error] = co_await attempt(engine->download(std::move(request), control));
    if (self)
        finishTransfer(deviceID, generation, error, QStringLiteral("Downloaded ") + remoteName + QStringLiteral("."));
}

QCoro::Task<> TarvelViewModel::upload(QUrl localURL, std::optional<QString> toRemoteParentID)
{
    if (!m_selectedDevice) {
        setCurrentTransfer(std::nullopt);
        setStatus(TarvelConnectionState::noDevice, connectSentence);
        co_return;
    }
    if (!m_selectedStorage) {
        setCurrentTransfer(std::nullopt);
        setStatus(TarvelConnectionState::deviceUnavailable, unlockSentence);
        co_return;
    }
    QPointer<TarvelViewModel> self(this);
    const auto engine = m_engine;
    const QString deviceID = m_selectedDevice->id;
    const AndroidStorage storage = *m_selectedStorage;
    const QString name = localURL.fileName();
    const qint64 generation = ++m_transferGeneration;
    // The folder the copy lands in: the one shown, when that is where it goes.
    QString folderName = storage.name;
    if (toRemoteParentID)
        folderName = toRemoteParentID == m_currentParentID ? currentLocationName() : QString();
    const auto control = startTransfer(
        TransferJob{.id = QUuid::createUuid(), .direction = TransferDirection::upload, .sourceName = name,
                    .destinationName = storage.name, .destinationFolderName = folderName},
        QStringLiteral("Uploading ") + name + QStringLiteral("..."));
    UploadRequest request{deviceID, storage.id, localURL, toRemoteParentID};
    const auto [error] = co_await attempt(engine->upload(std::move(request), control));
    if (self)
        finishTransfer(deviceID, generation, error, QStringLiteral("Uploaded ") + name + QStringLiteral("."));
}

void TarvelViewModel::cancelTransfer()
{
    if (!m_transferControl || m_transferControl->isCancelled())
        return;
    m_transferControl->cancel();
    setCancellingTransfer(true);
}

std::shared_ptr<TransferControl> TarvelViewModel::startTransfer(TransferJob job, QString startText)
{
    // A transfer started over a running one (the window never does) takes its place on screen;
    // the other still runs to its end.
    stopTransfer();
    m_transferControl = std::make_shared<TransferControl>();
    m_progressTimer.start();
    setCurrentTransfer(std::move(job));
    setStatus(TarvelConnectionState::transferring, std::move(startText));
    return m_transferControl;
}

void TarvelViewModel::stopTransfer()
{
    m_progressTimer.stop();
    m_transferControl.reset();
    if (m_cancellingTransfer)
        setCancellingTransfer(false);
}

// Runs on the timer, so the window hears of progress at most ten times a second however
// often the lane stores it.
void TarvelViewModel::sampleProgress()
{
    if (!m_transferControl || !m_currentTransfer)
        return;
    const qint64 completed = m_transferControl->completedBytes();
    const std::optional<qint64> total = m_transferControl->totalBytes();
    if (completed == m_currentTransfer->completedBytes && total == m_currentTransfer->totalBytes)
        return;
    TransferJob job = *m_currentTransfer;
    job.completedBytes = completed;
    job.totalBytes = total;
    setCurrentTransfer(std::move(job));
}

void TarvelViewModel::finishTransfer(const QString &deviceID, qint64 generation, const std::exception_ptr &error,
                                     QString doneText)
{
    if (!isCurrentTransfer(deviceID, generation))
        return;
    const QString sourceName = m_currentTransfer ? m_currentTransfer->sourceName : QString();
    stopTransfer();
    setCurrentTransfer(std::nullopt);
    if (!error) {
        setStatus(TarvelConnectionState::ready, std::move(doneText));
        return;
    }
    try {
        std::rethrow_exception(error);
    } catch (const TransferError &failure) {
        switch (failure.kind()) {
        case TransferError::Kind::cancelled:
            setStatus(TarvelConnectionState::ready, message(failure));
            return;
        case TransferError::Kind::disconnected:
            setStatus(TarvelConnectionState::deviceUnavailable, message(failure));
            return;
        case TransferError::Kind::deviceRefused:
            setStatus(TarvelConnectionState::transferFailed,
                      withNativeText(QStringLiteral("The phone stopped the copy of ") + sourceName, failure.nativeMessage()));
            return;
        default:
            break;
        }
    } catch (...) {
    }
    setStatus(TarvelConnectionState::transferFailed, message(error));
}

} // namespace tarvel
