#include "TarvelCore/TarvelViewModel.h"

#include "TarvelCore/Attempt.h"

#include <QDir>
#include <QCoro/QCoroTimer>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QPointer>
#include <QRegularExpression>

#include <algorithm>

namespace tarvel {

namespace {
const QString connectSentence = QStringLiteral(
    "Connect an Android device with a data-capable USB cable, unlock it, choose USB File transfer, then press Refresh. "
    "If it still does not appear, try another cable or USB port.");
const QString unlockSentence = QStringLiteral("Unlock the phone and allow file transfer access.");
const QString genericSentence = QStringLiteral("The phone could not be accessed. Check the cable and try again.");
const QString disconnectedSentence =
    QStringLiteral("The phone was disconnected. Connect it again, unlock it, then press Refresh.");

const QString lookingSentence = QStringLiteral("Looking for phones\u2026");
const QString stillNoPhoneSentence = QStringLiteral("Still no phone found.");

QString openingSentence(const QString &phoneName)
{
    return QStringLiteral("Opening ") + phoneName + QStringLiteral("\u2026");
}

const QString permissionSentence = QStringLiteral(
    "This account may not use the phone's USB connection. Sign in at the computer itself, or add a udev rule "
    "for the phone, then plug it in again.");

// MTP lets one program talk to a phone at a time: say which one has it and how to let go.
QString holderSentence(const PhoneHolder &holder)
{
    switch (holder.kind) {
    case PhoneHolderKind::filesService: return QStringLiteral("Eject the phone in Files, then press Refresh.");
    case PhoneHolderKind::kdeService:
        // kiod5 and kiod6 are quit by the kquitapp of their own Plasma version.
        return QStringLiteral("KDE's phone service is using the phone. Run \"kquitapp%1 %2\", then press Refresh.")
            .arg(holder.program.right(1), holder.program);
    case PhoneHolderKind::folderMount:
        return holder.program + QStringLiteral(" has the phone mounted as a folder. Unmount it, then press Refresh.");
    case PhoneHolderKind::tarvel:
        return QStringLiteral("Another Tarvel window is using the phone. Close it, then press Refresh.");
    case PhoneHolderKind::program:
        return holder.program + QStringLiteral(" is using the phone. Close it, then press Refresh.");
    case PhoneHolderKind::unseen: break;
    }
    return QStringLiteral("Another user's program is using the phone. Close it in that user's session, then press Refresh.");
}

// The protocol's own text, in brackets after a sentence of ours; never a bare code.
QString withNativeText(QString sentence, const QString &nativeText)
{
    if (!nativeText.isEmpty())
        sentence += QStringLiteral(" (") + nativeText + QLatin1Char(')');
    return sentence + QLatin1Char('.');
}

// libmtp's own error texts ("LIBMTP_Get_Files_And_Folders(): …", "Error 02fe: PTP Data
// Expected") say nothing to a person on their own; the bridge's and ours are sentences.
bool isRawPhoneText(const QString &text)
{
    static const QRegularExpression raw(QStringLiteral("^(\\w+\\(\\):|Error [0-9A-Fa-f]{4}:|PTP )"));
    return raw.match(text).hasMatch();
}

// What the bus shows; nothing when it could not be read, so a diagnosis only ever adds to
// what the engine said.
QCoro::Task<std::optional<QList<USBPhoneReport>>> inspect(std::shared_ptr<PhoneDiagnosis> diagnosis)
{
    auto [reports, error] = co_await attempt(diagnosis->inspectBus());
    if (error)
        co_return std::nullopt;
    co_return std::optional(reports);
}

std::exception_ptr noResult()
{
    return std::make_exception_ptr(TransferError::nativeError(QStringLiteral("The operation ended without a result")));
}

// One folder's listing through the engine's run of listings.
QCoro::Task<DirectoryListing> listOne(std::shared_ptr<AndroidFileTransferEngine> engine, DirectoryRequest request)
{
    QList<DirectoryRequest> requests{std::move(request)};
    auto control = std::make_shared<TransferControl>();
    const QList<Attempt<DirectoryListing>> listings = co_await engine->listFolders(std::move(requests), std::move(control));
    if (listings.isEmpty() || listings.first().error)
        std::rethrow_exception(listings.isEmpty() ? noResult() : listings.first().error);
    co_return listings.first().value;
}

bool isAt(const AndroidDevice &device, USBAddress address)
{
    return device.busNumber == address.busNumber && device.deviceNumber == address.deviceNumber;
}

bool namesRepeat(const QList<AndroidDevice> &devices)
{
    QStringList names;
    for (const AndroidDevice &device : devices)
        names.append(device.name);
    return names.removeDuplicates() > 0;
}

// Two phones of one model look alike in a list; their USB serials tell them apart.
QList<AndroidDevice> withSerials(QList<AndroidDevice> devices, const QList<USBPhoneReport> &reports)
{
    for (AndroidDevice &device : devices) {
        for (const USBPhoneReport &report : reports) {
            if (isAt(device, report.address) && !report.serial.isEmpty())
                device.serialNumber = report.serial;
        }
    }
    return devices;
}
} // namespace

TarvelViewModel::TarvelViewModel(std::shared_ptr<AndroidFileTransferEngine> engine, QObject *parent)
    : TarvelViewModel(std::move(engine), nullptr, parent)
{
}

TarvelViewModel::TarvelViewModel(std::shared_ptr<AndroidFileTransferEngine> engine,
                                 std::shared_ptr<PhoneDiagnosis> diagnosis, QObject *parent)
    : QObject(parent), m_statusMessage(connectSentence), m_engine(std::move(engine)), m_diagnosis(std::move(diagnosis))
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
void TarvelViewModel::setCurrentBatch(std::optional<TransferBatch> value) { m_currentBatch = std::move(value); Q_EMIT currentBatchChanged(); }
void TarvelViewModel::setScanning(bool value) { m_scanning = value; Q_EMIT scanningChanged(); }
void TarvelViewModel::setStatusIsWarning(bool value) { m_statusIsWarning = value; Q_EMIT statusIsWarningChanged(); }

void TarvelViewModel::setStatus(TarvelConnectionState state, QString message)
{
    if (m_statusIsWarning)
        setStatusIsWarning(false);
    setState(state);
    setStatusMessage(std::move(message));
}

// Still ready, since what is shown can be used, but the sentence is about a failure.
void TarvelViewModel::setWarning(QString message)
{
    setStatusIsWarning(true);
    setState(TarvelConnectionState::ready);
    setStatusMessage(std::move(message));
}

QString TarvelViewModel::message(const TransferError &error)
{
    switch (error.kind()) {
    case TransferError::Kind::noDevice: return connectSentence;
    case TransferError::Kind::deviceUnavailable: return unlockSentence;
    case TransferError::Kind::permissionDenied: return permissionSentence;
    case TransferError::Kind::deviceInUse: return holderSentence(error.holder());
    case TransferError::Kind::unsupportedUSBMode: return QStringLiteral("On your phone, change USB mode to File transfer.");
    case TransferError::Kind::readFailed:
    case TransferError::Kind::writeFailed: return QStringLiteral("The file could not be copied. Check the cable and try again.");
    case TransferError::Kind::cancelled: return QStringLiteral("The transfer was cancelled.");
    case TransferError::Kind::disconnected: return disconnectedSentence;
    case TransferError::Kind::deviceRefused:
        return withNativeText(QStringLiteral("The phone refused the request"), error.nativeMessage());
    case TransferError::Kind::diskFull: return QStringLiteral("Not enough space on the computer's disk.");
    case TransferError::Kind::localFileFailed:
        return withNativeText(QStringLiteral("The file could not be copied on the computer"), error.nativeMessage());
    case TransferError::Kind::nativeError: break;
    }
    // Only a text with no characters at all counts as empty: blanks are shown as they are.
    if (error.nativeMessage().isEmpty())
        return genericSentence;
    if (isRawPhoneText(error.nativeMessage()))
        return withNativeText(QStringLiteral("The phone reported an error"), withoutFullStop(error.nativeMessage()));
    return error.nativeMessage();
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
    if (m_currentBatch)
        setCurrentBatch(std::nullopt);
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
    co_await loadStorage(std::nullopt);
}

QCoro::Task<> TarvelViewModel::loadStorage(std::optional<QString> preferredStorageID)
{
    if (!m_selectedDevice) {
        ++m_storageLoadGeneration;
        clearBrowsingState();
        setStatus(TarvelConnectionState::noDevice, connectSentence);
        co_return;
    }
    QPointer<TarvelViewModel> self(this);
    const auto engine = m_engine;
    const auto diagnosis = m_diagnosis;
    const AndroidDevice device = *m_selectedDevice;
    const QString deviceID = device.id;
    const qint64 generation = ++m_storageLoadGeneration;
    if (isIdle())
        setState(TarvelConnectionState::loadingDirectory);

    auto [found, error] = co_await attempt(engine->listStorage(deviceID));
    if (!self || !isCurrentStorageLoad(deviceID, generation))
        co_return;
    if (!error) {
        setStorages(found);
        std::optional<AndroidStorage> chosen = found.isEmpty() ? std::nullopt : std::optional(found.first());
        for (const AndroidStorage &storage : found) {
            if (storage.id == preferredStorageID)
                chosen = storage;
        }
        setSelectedStorage(chosen);
        if (!m_selectedStorage) {
            clearBrowsingState();
            m_lastSearchProblem = TransferError::Kind::deviceUnavailable;
            if (isIdle())
                setStatus(TarvelConnectionState::deviceUnavailable, unlockSentence);
            co_return;
        }
        error = (co_await attempt(loadDirectory(deviceID, m_selectedStorage->id, std::nullopt, {}, generation, true))).error;
        if (!self || !isCurrentStorageLoad(deviceID, generation))
            co_return;
        if (!error) {
            m_lastSearchProblem.reset();
            co_return;
        }
    }
    // Emptying the listing first means the failure always reads as the error's own sentence.
    clearBrowsingState();
    // libmtp fails the same way for a phone held by another program, in the wrong mode or
    // closed to this account; the bus tells them apart.
    std::optional<TransferError> reason;
    if (diagnosis && device.busNumber && device.deviceNumber) {
        const auto reports = co_await inspect(diagnosis);
        if (!self || !isCurrentStorageLoad(deviceID, generation))
            co_return;
        if (reports)
            reason = explainOpenFailure(*reports, {*device.busNumber, *device.deviceNumber});
    }
    m_lastSearchProblem = reason ? reason->kind() : TransferError::Kind::nativeError;
    if (!isIdle())
        co_return;
    if (reason)
        setStatus(TarvelConnectionState::deviceUnavailable, message(*reason));
    else
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
    const auto [listing, error] = co_await attempt(listOne(engine, std::move(request)));
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
        setWarning(shown + QStringLiteral(" Some of its items could not be read from the phone."));
    else
        setStatus(TarvelConnectionState::ready, shown);
}

namespace {

std::optional<TransferError::Kind> kindOf(const std::exception_ptr &error)
{
    if (!error)
        return std::nullopt;
    try {
        std::rethrow_exception(error);
    } catch (const TransferError &failure) {
        return failure.kind();
    } catch (...) {
        return std::nullopt;
    }
}

bool isDisconnection(const std::exception_ptr &error)
{
    return kindOf(error) == TransferError::Kind::disconnected;
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
        setWarning(QStringLiteral("Could not open ") + attemptedLocationName.value_or(currentLocationName())
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
    co_await navigateToDepth(m_folderPath.size() - 1);
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
    const QString path = to.toLocalFile();
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash > 0 ? path.left(slash) : (slash == 0 ? QStringLiteral("/") : QStringLiteral("."));
    QList<DownloadRequest> requests{DownloadRequest{deviceID, remoteFileID, folder, path.mid(slash + 1)}};
    const auto [outcomes, failure] = co_await attempt(engine->downloadSeries(std::move(requests), control));
    const std::exception_ptr error = failure ? failure : outcomes.value(0, noResult());
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
    const QString folderName = uploadFolderName(toRemoteParentID);
    const auto control = startTransfer(
        TransferJob{.id = QUuid::createUuid(), .direction = TransferDirection::upload, .sourceName = name,
                    .destinationName = storage.name, .destinationFolderName = folderName},
        QStringLiteral("Uploading ") + name + QStringLiteral("..."));
    QList<UploadRequest> requests{UploadRequest{deviceID, storage.id, localURL, toRemoteParentID}};
    const auto [outcomes, failure] = co_await attempt(engine->uploadSeries(std::move(requests), control));
    const std::exception_ptr error = failure ? failure : outcomes.value(0, noResult());
    if (self)
        finishTransfer(deviceID, generation, error, QStringLiteral("Uploaded ") + name + QStringLiteral("."));
}

// The phone folder an upload lands in, when the window knows its name: the root, or the folder shown.
QString TarvelViewModel::uploadFolderName(const std::optional<QString> &parentID) const
{
    if (!parentID)
        return m_selectedStorage ? m_selectedStorage->name : QString();
    return parentID == m_currentParentID ? currentLocationName() : QString();
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
    if (m_currentBatch)
        setCurrentBatch(std::nullopt);
    setCurrentTransfer(std::move(job));
    setStatus(TarvelConnectionState::transferring, std::move(startText));
    return m_transferControl;
}

void TarvelViewModel::stopTransfer()
{
    m_progressTimer.stop();
    m_transferControl.reset();
    m_queue.reset();
    m_series.clear();
    m_seriesBytesBefore = 0;
    if (m_cancellingTransfer)
        setCancellingTransfer(false);
}

// Runs on the timer, so the window hears of progress at most ten times a second however
// often the lane stores it.
void TarvelViewModel::sampleProgress()
{
    // While a batch lists its folders, its counts grow here rather than once per folder.
    if (m_queue && !m_currentTransfer && m_queue->batch() != m_currentBatch)
        setCurrentBatch(m_queue->batch());
    if (!m_transferControl || !m_currentTransfer)
        return;
    if (!m_series.isEmpty())
        followSeries(m_transferControl->fileInSeries(), true);
    const qint64 completed = m_transferControl->completedBytes();
    const std::optional<qint64> total = m_transferControl->totalBytes();
    if (completed == m_currentTransfer->completedBytes && total == m_currentTransfer->totalBytes)
        return;
    TransferJob job = *m_currentTransfer;
    job.completedBytes = completed;
    job.totalBytes = total;
    setCurrentTransfer(std::move(job));
    if (m_queue)
        setCurrentBatch(m_queue->batch(m_seriesBytesBefore + completed));
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

// ---- Batches ----

namespace {

// Why one item of a batch failed, as it reads inside the batch's end sentence: the
// native text where there is one, else the error's own sentence.
QString failureReason(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const TransferError &failure) {
        if (!failure.nativeMessage().isEmpty() && !isRawPhoneText(failure.nativeMessage()))
            return failure.nativeMessage();
        return TarvelViewModel::message(failure);
    } catch (...) {
        return TarvelViewModel::message(error);
    }
}

// The folder `name` inside `into`, made when it is not there yet; a folder already there
// is used as it is. Runs off the UI thread.
QString makeLocalFolder(const QString &into, const QString &name)
{
    QDir parent(into);
    QString chosen = name;
    if (QFileInfo(parent.filePath(name)).isDir())
        return parent.filePath(name);
    if (QFileInfo::exists(parent.filePath(name))) {
        const QStringList present = parent.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        chosen = freeName(name, QSet<QString>(present.begin(), present.end()));
    }
    if (!parent.mkdir(chosen))
        throw TransferError::nativeError(QStringLiteral("Could not create the folder on the computer"));
    return parent.filePath(chosen);
}

// Where the files of one folder go: the folder, made unless it is the batch's own, then a
// free path for each file in it, taken neither by what is there nor by one another. One
// job for a whole folder's files, not one each. Runs off the UI thread.
struct LocalPlacement {
    QString folder;
    QStringList files;
};

LocalPlacement placeLocally(const QString &into, const std::optional<QString> &folderName, const QStringList &fileNames)
{
    LocalPlacement placed{folderName ? makeLocalFolder(into, *folderName) : into, {}};
    const QDir dir(placed.folder);
    const QStringList present = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QSet<QString> taken(present.begin(), present.end());
    for (const QString &name : fileNames) {
        const QString chosen = freeName(name, taken);
        taken.insert(chosen);
        placed.files.append(dir.filePath(chosen));
    }
    return placed;
}

// One folder of a download batch as its placement needs it, with the others of its run.
struct FolderPlace {
    int step = -1; // -1: the batch's own folder, used as it is
    int parent = -1;
    std::optional<QString> into = {}; // absent: inside a folder placed earlier in the same run
    std::optional<QString> name = {}; // the folder to make
    QStringList files = {};
    QList<int> fileSteps = {};
};

FolderPlace placeOf(const TransferQueue &queue, int step, const QString &batchFolder)
{
    FolderPlace place{.step = step, .into = batchFolder};
    if (step >= 0) {
        place.parent = queue.at(step).parent;
        place.into = queue.destinationOf(step, batchFolder);
        place.name = queue.at(step).name;
    }
    place.fileSteps = queue.filesIn(step);
    for (const int file : place.fileSteps)
        place.files.append(queue.at(file).name);
    return place;
}

// Places a run of folders in order. A folder inside another of the run goes where that one
// was placed, and fails when that one did. Runs off the UI thread.
QList<Attempt<LocalPlacement>> placeFolders(const QList<FolderPlace> &places)
{
    QHash<int, QString> placedFolders;
    QList<Attempt<LocalPlacement>> results;
    for (const FolderPlace &place : places) {
        Attempt<LocalPlacement> &result = results.emplace_back();
        const std::optional<QString> into =
            place.into ? place.into
                       : (placedFolders.contains(place.parent) ? std::optional(placedFolders.value(place.parent)) : std::nullopt);
        try {
            if (!into)
                throw TransferError::nativeError(QStringLiteral("Could not create the folder on the computer"));
            result.value = placeLocally(*into, place.name, place.files);
            placedFolders.insert(place.step, result.value.folder);
        } catch (...) {
            result.error = std::current_exception();
        }
    }
    return results;
}

bool readyToPlace(const TransferQueue &queue, int index)
{
    const BatchStep &step = queue.at(index);
    return step.kind == RemoteEntryKind::folder && !queue.skipsStep(index) && !unfitForLocalName(step.name);
}

QSet<QString> namesOf(const QHash<QString, RemoteEntry> &entries)
{
    const QList<QString> keys = entries.keys();
    return QSet<QString>(keys.begin(), keys.end());
}

// A file step whose download can join a series: nothing about it fails before it runs.
bool readyToDownload(const TransferQueue &queue, int index)
{
    const BatchStep &step = queue.at(index);
    return step.kind == RemoteEntryKind::file && step.target && !queue.skipsStep(index) && !unfitForLocalName(step.name);
}

std::optional<QString> folderID(const QString &key)
{
    return key.isEmpty() ? std::nullopt : std::optional(key); // "" is the storage's root
}

} // namespace

// A batch needs a phone and a listed storage; without them the status says what to do.
bool TarvelViewModel::readyForBatch()
{
    if (m_selectedDevice && m_selectedStorage)
        return true;
    setStatus(m_selectedDevice ? TarvelConnectionState::deviceUnavailable : TarvelConnectionState::noDevice,
              m_selectedDevice ? unlockSentence : connectSentence);
    return false;
}

std::shared_ptr<TransferControl> TarvelViewModel::startBatch(std::shared_ptr<TransferQueue> queue, QString startText)
{
    stopTransfer();
    m_transferControl = std::make_shared<TransferControl>();
    m_queue = std::move(queue);
    m_progressTimer.start();
    setCurrentTransfer(std::nullopt);
    setCurrentBatch(m_queue->batch());
    setStatus(TarvelConnectionState::transferring, std::move(startText));
    return m_transferControl;
}

// Each file of a batch is the transfer shown, with its own bar; the control is the batch's.
void TarvelViewModel::startBatchFile(const BatchStep &step, QString destinationName, QString destinationFolderName)
{
    const TransferBatch batch = m_queue->batch(m_seriesBytesBefore);
    const bool download = batch.direction == TransferDirection::download;
    setCurrentTransfer(TransferJob{.id = QUuid::createUuid(),
                                   .direction = batch.direction,
                                   .sourceName = step.name,
                                   .destinationName = std::move(destinationName),
                                   .destinationFolderName = std::move(destinationFolderName)});
    setCurrentBatch(batch);
    // The status line names the batch once, not each file: a window that showed a new
    // sentence for each of a thousand small files would spend its time redrawing.
    if (batch.fileNumber == 1)
        setStatus(TarvelConnectionState::transferring,
                  QStringLiteral("%1 %2 to %3...")
                      .arg(download ? QStringLiteral("Downloading") : QStringLiteral("Uploading"),
                           batch.fileCount == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(batch.fileCount),
                           batch.destinationName));
}

// The files of a series run in one lane job; the window follows the one in flight on the
// progress timer. Only a batch's first file shows at once: showing each series as it starts
// would redraw the window for every folder of a tree.
void TarvelViewModel::startSeries(QList<SeriesFile> files)
{
    m_series = std::move(files);
    m_seriesShown = -1;
    m_transferControl->setProgress(0, 0);
    m_transferControl->setFileInSeries(0);
    if (!m_currentTransfer)
        followSeries(0, true);
}

// Files the lane went past count as started, and their bytes as done until the series'
// outcomes say which were copied.
void TarvelViewModel::followSeries(int inFlight, bool shows)
{
    inFlight = qMin(inFlight, int(m_series.size()) - 1);
    if (inFlight <= m_seriesShown)
        return;
    for (; m_seriesShown < inFlight; ++m_seriesShown) {
        if (m_seriesShown >= 0)
            m_seriesBytesBefore += m_queue->at(m_series.at(m_seriesShown).step).size;
        m_queue->startFile(m_series.at(m_seriesShown + 1).step);
    }
    if (!shows)
        return;
    const SeriesFile &file = m_series.at(m_seriesShown);
    startBatchFile(m_queue->at(file.step), file.name, file.folderName);
}

void TarvelViewModel::endSeries(int ran)
{
    followSeries(ran - 1, false);
    m_series.clear();
    m_seriesBytesBefore = 0;
}

void TarvelViewModel::finishBatch(const QString &deviceID, qint64 generation, bool cancelled, bool disconnected)
{
    if (!isCurrentTransfer(deviceID, generation) || !m_queue)
        return;
    const std::shared_ptr<TransferQueue> queue = m_queue;
    stopTransfer();
    setCurrentTransfer(std::nullopt);
    setCurrentBatch(std::nullopt);
    if (disconnected)
        setStatus(TarvelConnectionState::deviceUnavailable,
                  queue->filesDone() == 0 ? disconnectedSentence
                                          : QStringLiteral("The phone was disconnected after %1 of %2 files. "
                                                           "Connect it again, unlock it, then press Refresh.")
                                                .arg(queue->filesDone())
                                                .arg(queue->batch().fileCount));
    else if (cancelled)
        setStatus(TarvelConnectionState::ready, queue->cancelledSentence());
    else
        setStatus(queue->hasFailures() ? TarvelConnectionState::transferFailed : TarvelConnectionState::ready,
                  queue->sentence());
}

QCoro::Task<> TarvelViewModel::downloadItems(QList<RemoteEntry> items, QUrl toFolder)
{
    if (!readyForBatch())
        co_return;
    if (items.isEmpty())
        co_return;
    QPointer<TarvelViewModel> self(this);
    const auto engine = m_engine;
    const QString deviceID = m_selectedDevice->id;
    const QString storageID = m_selectedStorage->id;
    const qint64 generation = ++m_transferGeneration;
    const QString folder = toFolder.toLocalFile();
    auto queue = std::make_shared<TransferQueue>(TransferDirection::download, QFileInfo(folder).fileName());
    for (const RemoteEntry &item : items)
        queue->add(BatchStep{.kind = item.kind, .name = item.name, .source = item.id, .size = item.sizeBytes.value_or(0)});
    const auto control = startBatch(queue, QStringLiteral("Looking through the folders to download..."));
    const auto current = [&] { return self && isCurrentTransfer(deviceID, generation); };

    // Every folder's contents first, one listing each: the folders known so far in one go,
    // then those they held.
    for (int i = 0; i < queue->size() && !control->isCancelled();) {
        QList<int> folders;
        QList<DirectoryRequest> requests;
        for (int j = i; j < queue->size(); ++j) {
            if (queue->at(j).kind == RemoteEntryKind::folder) {
                folders.append(j);
                requests.append(DirectoryRequest{deviceID, storageID, queue->at(j).source});
            }
        }
        if (folders.isEmpty())
            break;
        auto [listings, error] = co_await attempt(engine->listFolders(std::move(requests), control));
        if (!current())
            co_return;
        if (error || listings.isEmpty())
            listings = {Attempt<DirectoryListing>{.error = error ? error : noResult()}};
        for (qsizetype k = 0; k < listings.size(); ++k) {
            const int folderStep = folders.at(k);
            const auto &[listing, failure] = listings.at(k);
            if (isDisconnection(failure)) {
                finishBatch(deviceID, generation, false, true);
                co_return;
            }
            if (failure) {
                queue->fail(folderStep, failureReason(failure));
                continue;
            }
            if (!listing.complete)
                queue->note(queue->at(folderStep).name + QStringLiteral(": some of its items could not be read from the phone"));
            for (const RemoteEntry &entry : listing.entries)
                queue->add(BatchStep{.kind = entry.kind, .name = entry.name, .source = entry.id,
                                     .size = entry.sizeBytes.value_or(0), .parent = folderStep});
        }
        i = folders.at(listings.size() - 1) + 1;
    }
    queue->foldersListed();

    // Each folder is made, and its files' names chosen, just before its turn; the batch's
    // own folder first.
    for (int i = -1; i < queue->size() && !control->isCancelled(); ++i) {
        const bool isFolder = i < 0 || queue->at(i).kind == RemoteEntryKind::folder;
        if (i >= 0 && queue->skipsStep(i)) {
            queue->fail(i, {});
            continue;
        }
        const BatchStep step = i < 0 ? BatchStep{} : queue->at(i);
        if (i >= 0) {
            if (const auto unfit = unfitForLocalName(step.name)) {
                queue->fail(i, *unfit);
                continue;
            }
        }
        if (isFolder) {
            // This folder and the ready folders right after it are placed in one job.
            QList<FolderPlace> places;
            for (int j = i; j < queue->size() && (j == i || readyToPlace(*queue, j)); ++j)
                places.append(placeOf(*queue, j, folder));
            auto place = [places] { return placeFolders(places); };
            auto [placed, error] = co_await attempt(awaitResult(m_localFiles.run(std::move(place))));
            if (!current())
                co_return;
            if (error || placed.isEmpty())
                placed = {Attempt<LocalPlacement>{.error = error ? error : noResult()}};
            bool stops = false;
            for (qsizetype k = 0; k < placed.size() && !stops; ++k) {
                const FolderPlace &at = places.at(k);
                const auto &[where, failure] = placed.at(k);
                stops = failure && at.step < 0;
                if (stops)
                    queue->note(failureReason(failure));
                else if (at.step >= 0 && queue->skipsStep(at.step))
                    queue->fail(at.step, {});
                else if (failure)
                    queue->fail(at.step, failureReason(failure));
                else {
                    if (at.step >= 0)
                        queue->setTarget(at.step, where.folder);
                    for (qsizetype n = 0; n < at.fileSteps.size(); ++n)
                        queue->setTarget(at.fileSteps.at(n), where.files.at(n));
                }
            }
            if (stops)
                break;
            i = places.at(placed.size() - 1).step;
            continue;
        }
        // This file and the ready files right after it go to the lane as one series.
        // The names the window shows come from the path by plain string work: for a thousand
        // small files, QFileInfo cost more than the rest of the batch's start.
        QList<SeriesFile> series;
        QList<DownloadRequest> requests;
        for (int j = i; j < queue->size() && (j == i || readyToDownload(*queue, j)); ++j) {
            const QString target = queue->at(j).target.value_or(QString());
            const qsizetype slash = target.lastIndexOf(QLatin1Char('/'));
            const qsizetype folderSlash = slash > 0 ? target.lastIndexOf(QLatin1Char('/'), slash - 1) : -1;
            series.append(SeriesFile{j, target.mid(slash + 1),
                                     slash > 0 ? target.mid(folderSlash + 1, slash - folderSlash - 1) : QString()});
            requests.append(DownloadRequest{deviceID, queue->at(j).source, target.left(slash), target.mid(slash + 1), false});
        }
        startSeries(series);
        auto [outcomes, error] = co_await attempt(engine->downloadSeries(std::move(requests), control));
        if (!current())
            co_return;
        if (error || outcomes.isEmpty())
            outcomes = {error ? error : noResult()};
        endSeries(int(outcomes.size()));
        bool cancelled = false;
        for (qsizetype k = 0; k < outcomes.size(); ++k) {
            const auto kind = kindOf(outcomes.at(k));
            if (!outcomes.at(k))
                queue->finishFile(series.at(k).step);
            else if (kind == TransferError::Kind::cancelled)
                cancelled = true;
            else if (kind == TransferError::Kind::disconnected) {
                finishBatch(deviceID, generation, false, true);
                co_return;
            } else
                queue->fail(series.at(k).step, failureReason(outcomes.at(k)));
        }
        if (cancelled)
            break;
        i = series.at(outcomes.size() - 1).step;
    }
    finishBatch(deviceID, generation, control->isCancelled(), false);
}

QCoro::Task<> TarvelViewModel::uploadItems(QList<QUrl> localItems, std::optional<QString> toRemoteParentID)
{
    if (!readyForBatch())
        co_return;
    if (localItems.isEmpty())
        co_return;
    QPointer<TarvelViewModel> self(this);
    const auto engine = m_engine;
    const QString deviceID = m_selectedDevice->id;
    const QString storageID = m_selectedStorage->id;
    const qint64 generation = ++m_transferGeneration;
    const QString root = toRemoteParentID.value_or(QString());
    const QString destinationName = uploadFolderName(toRemoteParentID);
    auto queue = std::make_shared<TransferQueue>(TransferDirection::upload, destinationName);
    const auto control = startBatch(queue, QStringLiteral("Looking through the files to upload..."));
    const auto current = [&] { return self && isCurrentTransfer(deviceID, generation); };

    auto walk = [localItems] { return walkLocalItems(localItems); };
    const auto [found, walkError] = co_await attempt(awaitResult(m_localFiles.run(std::move(walk))));
    if (!current())
        co_return;
    queue->adopt(found);
    queue->foldersListed();
    setCurrentBatch(queue->batch());

    // What each phone folder holds, by name: listed once when first needed.
    QHash<QString, QHash<QString, RemoteEntry>> known;
    bool disconnected = false;
    for (int i = 0; i < queue->size() && !control->isCancelled() && !disconnected; ++i) {
        const BatchStep step = queue->at(i);
        if (queue->skipsStep(i)) {
            queue->fail(i, {});
            continue;
        }
        const QString into = queue->destinationOf(i, root).value_or(root);
        if (!known.contains(into)) {
            DirectoryRequest request{deviceID, storageID, folderID(into)};
            const auto [listing, error] = co_await attempt(listOne(engine, std::move(request)));
            if (!current())
                co_return;
            disconnected = isDisconnection(error);
            if (error) {
                queue->fail(i, failureReason(error));
                continue;
            }
            QHash<QString, RemoteEntry> byName;
            for (const RemoteEntry &entry : listing.entries)
                byName.insert(entry.name, entry);
            known.insert(into, byName);
        }
        if (step.kind == RemoteEntryKind::folder) {
            // A folder of that name is filled, not doubled.
            const auto there = known.value(into).constFind(step.name);
            if (there != known.value(into).constEnd() && there->kind == RemoteEntryKind::folder) {
                queue->setTarget(i, there->id);
                continue;
            }
            const std::optional<QString> parent = folderID(into);
            const QString name = freeName(step.name, namesOf(known.value(into)));
            FolderRequest request{deviceID, storageID, parent, name};
            const auto [made, error] = co_await attempt(engine->createFolder(std::move(request)));
            if (!current())
                co_return;
            disconnected = isDisconnection(error);
            if (error) {
                queue->fail(i, failureReason(error));
                continue;
            }
            // Not marked as known and empty: the first step into it lists it, which some
            // phones need before they take files into a folder made in this session.
            queue->setTarget(i, made);
            known[into].insert(name, RemoteEntry{.id = made, .name = name, .kind = RemoteEntryKind::folder});
            continue;
        }
        // This file and the files right after it whose phone folders are known go to the lane
        // as one series, each under a name that neither the folder nor the series holds.
        QList<SeriesFile> series;
        QList<UploadRequest> requests;
        QHash<QString, QSet<QString>> taken;
        for (int j = i; j < queue->size(); ++j) {
            const BatchStep &file = queue->at(j);
            const QString to = queue->destinationOf(j, root).value_or(root);
            if (j > i && (file.kind != RemoteEntryKind::file || queue->skipsStep(j) || !known.contains(to)))
                break;
            if (!taken.contains(to))
                taken.insert(to, namesOf(known.value(to)));
            const QString chosen = freeName(file.name, taken.value(to));
            taken[to].insert(chosen);
            series.append(SeriesFile{j, chosen, file.parent < 0 ? destinationName : queue->at(file.parent).name});
            requests.append(UploadRequest{deviceID, storageID, QUrl::fromLocalFile(file.source), folderID(to),
                                          chosen == file.name ? std::nullopt : std::optional(chosen)});
        }
        startSeries(series);
        auto [outcomes, error] = co_await attempt(engine->uploadSeries(std::move(requests), control));
        if (!current())
            co_return;
        if (error || outcomes.isEmpty())
            outcomes = {error ? error : noResult()};
        endSeries(int(outcomes.size()));
        bool cancelled = false;
        for (qsizetype k = 0; k < outcomes.size(); ++k) {
            const SeriesFile &file = series.at(k);
            const auto kind = kindOf(outcomes.at(k));
            if (!outcomes.at(k)) {
                queue->finishFile(file.step);
                known[queue->destinationOf(file.step, root).value_or(root)].insert(file.name, RemoteEntry{.name = file.name});
            } else if (kind == TransferError::Kind::cancelled) {
                cancelled = true;
            } else {
                disconnected = disconnected || kind == TransferError::Kind::disconnected;
                queue->fail(file.step, failureReason(outcomes.at(k)));
            }
        }
        if (cancelled)
            break;
        i = series.at(outcomes.size() - 1).step;
    }
    // The folder shown is read again while the batch still owns the status line, so the
    // listing does not replace the batch's last sentence.
    if (!disconnected && m_currentParentID == toRemoteParentID && m_selectedStorage && m_selectedStorage->id == storageID) {
        co_await loadCurrentDirectory();
        if (!current())
            co_return;
    }
    finishBatch(deviceID, generation, control->isCancelled(), disconnected);
}

QCoro::Task<> TarvelViewModel::findPhones()
{
    QPointer<TarvelViewModel> self(this);
    const auto engine = m_engine;
    const auto diagnosis = m_diagnosis;
    const qint64 search = ++m_searchGeneration;
    setScanning(true);
    if (isIdle())
        setStatusMessage(lookingSentence);
    auto [found, error] = co_await attempt(engine->scanDevices());
    if (!self || search != m_searchGeneration)
        co_return;

    if (error || found.isEmpty()) {
        setDevices({});
        setSelectedDevice(std::nullopt);
        abandonSelectedDevice();
        std::optional<TransferError> reason;
        if (diagnosis) {
            const auto reports = co_await inspect(diagnosis);
            if (!self || search != m_searchGeneration)
                co_return;
            if (reports)
                reason = explainMissingPhone(*reports);
        }
        setScanning(false);
        // What the bus shows says more than a failed scan, unless it shows nothing at all.
        if (reason && reason->kind() != TransferError::Kind::noDevice) {
            m_lastSearchFoundNothing = false;
            m_lastSearchProblem = reason->kind();
            setStatus(TarvelConnectionState::deviceUnavailable, message(*reason));
        } else if (error) {
            m_lastSearchFoundNothing = false;
            m_lastSearchProblem = TransferError::Kind::nativeError;
            setStatus(TarvelConnectionState::deviceUnavailable, message(error));
        } else {
            // Said differently the second time, so a Refresh that finds nothing visibly did something.
            const bool again = m_lastSearchFoundNothing;
            m_lastSearchFoundNothing = true;
            m_lastSearchProblem = TransferError::Kind::noDevice;
            setStatus(TarvelConnectionState::noDevice, again ? stillNoPhoneSentence : connectSentence);
        }
        co_return;
    }

    if (diagnosis && namesRepeat(found)) {
        const auto reports = co_await inspect(diagnosis);
        if (!self || search != m_searchGeneration)
            co_return;
        if (reports)
            found = withSerials(found, *reports);
    }
    m_lastSearchFoundNothing = false;
    // The phone the user chose stays while it is attached; otherwise the first, as always.
    const std::optional<QString> previousID = m_selectedDevice ? std::optional(m_selectedDevice->id) : std::nullopt;
    AndroidDevice chosen = found.first();
    for (const AndroidDevice &device : found) {
        if (device.id == previousID)
            chosen = device;
    }
    std::optional<QString> storageID = m_selectedStorage ? std::optional(m_selectedStorage->id) : std::nullopt;
    setDevices(found);
    setSelectedDevice(chosen);
    if (previousID != chosen.id) {
        abandonSelectedDevice();
        storageID.reset();
    }
    setScanning(false);
    if (isIdle())
        setStatus(TarvelConnectionState::loadingDirectory, openingSentence(chosen.name));
    co_await loadStorage(storageID);
}

QCoro::Task<> TarvelViewModel::selectDevice(QString deviceID)
{
    if (!isIdle() || (m_selectedDevice && m_selectedDevice->id == deviceID))
        co_return;
    const auto device = std::find_if(m_devices.cbegin(), m_devices.cend(),
                                     [&deviceID](const AndroidDevice &d) { return d.id == deviceID; });
    if (device == m_devices.cend())
        co_return;
    const AndroidDevice chosen = *device;
    setSelectedDevice(chosen);
    abandonSelectedDevice();
    setStatus(TarvelConnectionState::loadingDirectory, openingSentence(chosen.name));
    co_await loadStorage(std::nullopt);
}

QCoro::Task<> TarvelViewModel::selectStorage(QString storageID)
{
    if (!isIdle() || !m_selectedDevice || (m_selectedStorage && m_selectedStorage->id == storageID))
        co_return;
    const auto storage = std::find_if(m_storages.cbegin(), m_storages.cend(),
                                      [&storageID](const AndroidStorage &s) { return s.id == storageID; });
    if (storage == m_storages.cend())
        co_return;
    QPointer<TarvelViewModel> self(this);
    const AndroidStorage chosen = *storage;
    const QString deviceID = m_selectedDevice->id;
    const qint64 generation = ++m_storageLoadGeneration;
    // The folders shown belong to the other storage: nothing may be uploaded into them now.
    setSelectedStorage(chosen);
    setEntries({});
    setCurrentParentID(std::nullopt);
    setFolderPath({});
    setState(TarvelConnectionState::loadingDirectory);
    const auto [error] = co_await attempt(loadDirectory(deviceID, chosen.id, std::nullopt, {}, generation, false));
    if (!self || !error || !isCurrentStorageLoad(deviceID, generation) || !isIdle())
        co_return;
    showBrowsingFailure(error, chosen.name);
}

QCoro::Task<> TarvelViewModel::updateDeviceList()
{
    QPointer<TarvelViewModel> self(this);
    const auto engine = m_engine;
    const auto diagnosis = m_diagnosis;
    auto [found, error] = co_await attempt(engine->scanDevices());
    if (!self || error)
        co_return;
    if (diagnosis && namesRepeat(found)) {
        const auto reports = co_await inspect(diagnosis);
        if (!self)
            co_return;
        if (reports)
            found = withSerials(found, *reports);
    }
    const bool keepsShown = m_selectedDevice
        && std::any_of(found.cbegin(), found.cend(), [this](const AndroidDevice &d) { return d.id == m_selectedDevice->id; });
    if (keepsShown)
        setDevices(found);
    else
        co_await findPhones(); // the phone shown is gone as well: look again from the start
}

void TarvelViewModel::followPlugEvents(USBPlugEvents *events)
{
    connect(events, &USBPlugEvents::deviceArrived, this, [this](USBAddress address) { phoneArrived(address); });
    connect(events, &USBPlugEvents::deviceLeft, this, [this](USBAddress address) { phoneLeft(address); });
}

QCoro::Task<> TarvelViewModel::phoneArrived(USBAddress address)
{
    QPointer<TarvelViewModel> self(this);
    if (const auto diagnosis = m_diagnosis) {
        // A keyboard or a stick is nothing to react to.
        const auto reports = co_await inspect(diagnosis);
        if (!self)
            co_return;
        if (reports && std::none_of(reports->cbegin(), reports->cend(),
                                    [address](const USBPhoneReport &report) { return report.address == address; }))
            co_return;
    }
    // What is shown, and any transfer, stays; the new phone joins the list to choose from.
    if (m_selectedDevice && m_selectedStorage) {
        co_await updateDeviceList();
        co_return;
    }
    co_await findPhones();
    if (!self)
        co_return;
    // Access is often granted a moment after the phone appears, and a phone re-appears as
    // its owner allows access on its screen: one more try, then it is up to Refresh.
    const auto problem = m_lastSearchProblem;
    if (problem != TransferError::Kind::permissionDenied && problem != TransferError::Kind::deviceUnavailable
        && problem != TransferError::Kind::nativeError)
        co_return;
    const qint64 search = m_searchGeneration;
    co_await QCoro::sleepFor(std::chrono::milliseconds(arrivalRetryDelayMs));
    if (!self || search != m_searchGeneration || m_selectedStorage)
        co_return;
    co_await findPhones();
}

QCoro::Task<> TarvelViewModel::phoneLeft(USBAddress address)
{
    const auto here = [address](const AndroidDevice &device) { return isAt(device, address); };
    QList<AndroidDevice> rest = m_devices;
    rest.removeIf(here);
    if (m_selectedDevice && here(*m_selectedDevice)) {
        const QString name = m_selectedDevice->name;
        const std::optional<TransferJob> transfer = m_currentTransfer;
        ++m_searchGeneration; // a search still running saw the bus before this
        setScanning(false);
        setDevices(rest);
        setSelectedDevice(std::nullopt);
        abandonSelectedDevice();
        m_lastSearchFoundNothing = false;
        if (transfer)
            setStatus(TarvelConnectionState::noDevice,
                      name + QStringLiteral(" was unplugged before ") + transfer->sourceName + QStringLiteral(" was copied."));
        else
            setStatus(TarvelConnectionState::noDevice, name + QStringLiteral(" was unplugged."));
        if (!rest.isEmpty())
            co_await findPhones(); // another phone is still there
        co_return;
    }
    if (rest.size() != m_devices.size()) {
        setDevices(rest);
        co_return;
    }
    // An engine that gives no bus address: only a scan can say whether the phone shown went.
    if (m_selectedDevice && !m_selectedDevice->busNumber)
        co_await updateDeviceList();
}

} // namespace tarvel
