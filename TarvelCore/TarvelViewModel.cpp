#include "TarvelCore/TarvelViewModel.h"

#include "TarvelCore/Attempt.h"
#include "TarvelCore/DownloadBatch.h"
#include "TarvelCore/LiveFolder.h"
#include "TarvelCore/Sentences.h"
#include "TarvelCore/UploadBatch.h"

#include <QCoro/QCoroTimer>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>

namespace tarvel {

namespace {

// What the bus shows; nothing when it could not be read, so a diagnosis only ever adds to
// what the engine said.
QCoro::Task<std::optional<QList<USBPhoneReport>>> inspect(std::shared_ptr<PhoneDiagnosis> diagnosis)
{
    auto [reports, error] = co_await attempt(diagnosis->inspectBus());
    if (error)
        co_return std::nullopt;
    co_return std::optional(reports);
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
    : QObject(parent)
    , m_statusMessage(sentences::connect())
    , m_engine(std::make_shared<WatchedEngine>(std::move(engine)))
    , m_diagnosis(std::move(diagnosis))
    , m_thumbnails(m_engine, [this] { return !isIdle(); }, ThumbnailLoader::defaultCacheRoot())
{
    m_engine->setOnSettled([loader = QPointer<ThumbnailLoader>(&m_thumbnails)] {
        if (loader)
            loader->laneMayBeFree();
    });
    connect(this, &TarvelViewModel::currentBatchChanged, &m_thumbnails, &ThumbnailLoader::laneMayBeFree);
    connect(this, &TarvelViewModel::currentTransferChanged, &m_thumbnails, &ThumbnailLoader::laneMayBeFree);
    m_progressTimer.setInterval(progressIntervalMs);
    connect(&m_progressTimer, &QTimer::timeout, this, &TarvelViewModel::sampleProgress);
    // A phone connected again, or at start: its cut batches are offered to resume.
    connect(this, &TarvelViewModel::selectedStorageChanged, this, [this] { lookForResumable(true); });
    if (m_diagnosis)
        connect(this, &TarvelViewModel::selectedDeviceChanged, this, &TarvelViewModel::readSelectedDeviceLink);
}

TarvelViewModel::~TarvelViewModel()
{
    if (m_batch)
        m_batch->letGo();
    answerNamesTaken(TakenNames::keepBoth);
}

// Each setter stores first and then notifies, also when the value did not change:
// observers read the new value from inside their handler.
void TarvelViewModel::setState(TarvelConnectionState value) { m_state = value; Q_EMIT stateChanged(); }
void TarvelViewModel::setStatusMessage(QString value) { m_statusSaysPhoneGone = false; m_statusMessage = std::move(value); Q_EMIT statusMessageChanged(); }
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

void TarvelViewModel::sayPhoneGone(TarvelConnectionState state, QString message)
{
    setStatus(state, std::move(message));
    m_statusSaysPhoneGone = true;
}

QString TarvelViewModel::message(const TransferError &error)
{
    return sentences::error(error);
}

QString TarvelViewModel::message(const std::exception_ptr &error)
{
    return sentences::error(error);
}

void TarvelViewModel::clearBrowsingState()
{
    setStorages({});
    setSelectedStorage(std::nullopt);
    setEntries({});
    setCurrentParentID(std::nullopt);
    setFolderPath({});
}

// A listing still in flight for the device then fails its currency test when it ends.
void TarvelViewModel::forgetBrowsing()
{
    ++m_storageLoadGeneration;
    clearBrowsingState();
}

// A transfer is also told to stop, so it does not hold the lane for the new device.
void TarvelViewModel::abandonSelectedDevice()
{
    dropTransfer();
    forgetBrowsing();
}

bool TarvelViewModel::isCurrentStorageLoad(const QString &deviceID, qint64 generation) const
{
    return m_selectedDevice && m_selectedDevice->id == deviceID && m_storageLoadGeneration == generation;
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
    return locationName().value_or(tr("Android storage"));
}

QCoro::Task<> TarvelViewModel::refreshDevices()
{
    co_await search(Search::firstPhone);
}

QCoro::Task<> TarvelViewModel::findPhones()
{
    co_await search(Search::chosenPhone);
}

QCoro::Task<> TarvelViewModel::search(Search way)
{
    QPointer<TarvelViewModel> self(this);
    const auto engine = m_engine;
    // The first design's refresh knew nothing of the bus.
    const auto diagnosis = way == Search::firstPhone ? nullptr : m_diagnosis;
    // A look at the list does not take the status from a search that runs.
    const qint64 generation = way == Search::listOnly ? m_searchGeneration : ++m_searchGeneration;
    if (way == Search::chosenPhone) {
        setScanning(true);
        if (isIdle())
            setStatusMessage(sentences::lookingForPhones());
    }
    auto [found, error] = co_await attempt(engine->scanDevices());
    if (!self || generation != m_searchGeneration || (way == Search::listOnly && error))
        co_return;
    if (diagnosis && namesRepeat(found)) {
        const auto reports = co_await inspect(diagnosis);
        if (!self || generation != m_searchGeneration)
            co_return;
        if (reports)
            found = withSerials(found, *reports);
    }
    if (way == Search::listOnly) {
        const bool keepsShown = m_selectedDevice && std::any_of(found.cbegin(), found.cend(), [this](const AndroidDevice &d) {
            return d.id == m_selectedDevice->id;
        });
        if (keepsShown)
            setDevices(found);
        else
            co_await search(Search::chosenPhone); // the phone shown is gone as well: look again from the start
        co_return;
    }

    if (error || found.isEmpty()) {
        setDevices({});
        setSelectedDevice(std::nullopt);
        abandonSelectedDevice();
        std::optional<TransferError> reason;
        if (diagnosis) {
            const auto reports = co_await inspect(diagnosis);
            if (!self || generation != m_searchGeneration)
                co_return;
            if (reports)
                reason = explainMissingPhone(*reports);
        }
        if (m_scanning)
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
            const bool again = way == Search::chosenPhone && m_lastSearchFoundNothing;
            m_lastSearchFoundNothing = true;
            m_lastSearchProblem = TransferError::Kind::noDevice;
            setStatus(TarvelConnectionState::noDevice, again ? sentences::stillNoPhone() : sentences::connect());
        }
        co_return;
    }

    m_lastSearchFoundNothing = false;
    // The selection when the scan returns, not when it started, is what is compared with.
    // The phone the user chose stays while it is attached; the first design took the first.
    const std::optional<QString> previousID = m_selectedDevice ? std::optional(m_selectedDevice->id) : std::nullopt;
    AndroidDevice chosen = found.first();
    for (const AndroidDevice &device : found) {
        if (device.id == previousID && way == Search::chosenPhone)
            chosen = device;
    }
    std::optional<QString> storageID = m_selectedStorage ? std::optional(m_selectedStorage->id) : std::nullopt;
    setDevices(found);
    setSelectedDevice(chosen);
    if (previousID != chosen.id) {
        abandonSelectedDevice();
        storageID.reset();
    }
    if (m_scanning)
        setScanning(false);
    if (way == Search::firstPhone) {
        if (isIdle())
            setStatus(TarvelConnectionState::ready, sentences::ready(chosen.name));
        co_return;
    }
    if (isIdle())
        setStatus(TarvelConnectionState::loadingDirectory, sentences::opening(chosen.name));
    co_await loadStorage(storageID);
}

QCoro::Task<> TarvelViewModel::loadSelectedDeviceStorage()
{
    co_await loadStorage(std::nullopt);
}

QCoro::Task<> TarvelViewModel::loadStorage(std::optional<QString> preferredStorageID)
{
    if (!m_selectedDevice) {
        forgetBrowsing();
        setStatus(TarvelConnectionState::noDevice, sentences::connect());
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
                setStatus(TarvelConnectionState::deviceUnavailable, sentences::unlock());
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
    if (reason && reason->kind() == TransferError::Kind::disconnected)
        sayPhoneGone(TarvelConnectionState::deviceUnavailable, message(*reason));
    else if (reason)
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
    const auto [listing, error] = co_await attempt(listOneFolder(engine, std::move(request)));
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
    if (!listing.complete)
        setWarning(sentences::showing(currentLocationName(), false));
    else
        setStatus(TarvelConnectionState::ready, sentences::showing(currentLocationName(), true));
}

void TarvelViewModel::showBrowsingFailure(const std::exception_ptr &error, std::optional<QString> attemptedLocationName)
{
    // A phone that went away is not a folder that could not be opened.
    if (kindOf(error) == TransferError::Kind::disconnected) {
        sayPhoneGone(TarvelConnectionState::deviceUnavailable, sentences::disconnected());
        return;
    }
    if (!m_entries.isEmpty())
        setWarning(sentences::couldNotOpen(attemptedLocationName.value_or(currentLocationName()), currentLocationName()));
    else
        setStatus(TarvelConnectionState::transferFailed, message(error));
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
    // Behind a copy the listing waits for the file in flight, which may take minutes: the
    // window says which folder is coming.
    const bool behindCopy = m_batch && attemptedLocationName;
    if (behindCopy) {
        m_folderAwaited = *attemptedLocationName;
        Q_EMIT folderAwaitedChanged();
    }
    const auto [error] = co_await attempt(loadDirectory(deviceID, storageID, parentID, path, generation, false));
    if (self && behindCopy && generation == m_storageLoadGeneration) {
        m_folderAwaited.clear();
        Q_EMIT folderAwaitedChanged();
    }
    if (!self || !error || !isCurrentStorageLoad(deviceID, generation) || !isIdle())
        co_return;
    // Without a fixed name (a reload) the failure names whatever is shown at this moment.
    showBrowsingFailure(error, attemptedLocationName);
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
    setStatus(TarvelConnectionState::loadingDirectory, sentences::opening(chosen.name));
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
        co_await search(Search::listOnly);
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
    const qint64 generation = m_searchGeneration;
    co_await QCoro::sleepFor(std::chrono::milliseconds(arrivalRetryDelayMs));
    if (!self || generation != m_searchGeneration || m_selectedStorage)
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
        ++m_searchGeneration; // a search still running saw the bus before this
        setScanning(false);
        setDevices(rest);
        setSelectedDevice(std::nullopt);
        forgetBrowsing();
        m_lastSearchFoundNothing = false;
        // A transfer learns it too, and its end says it once, with what it copied. When the
        // lane learnt it first, the status already says so and stays as it is.
        if (m_batch)
            m_batch->unplugged();
        else if (m_statusSaysPhoneGone)
            setState(TarvelConnectionState::noDevice);
        else
            setStatus(TarvelConnectionState::noDevice, sentences::unplugged(name));
        // Another phone still there is opened, unless the cut transfer's sentence is still to
        // come: that stays, and the other phone waits in the list.
        if (!rest.isEmpty() && !m_batch)
            co_await findPhones();
        co_return;
    }
    if (rest.size() != m_devices.size()) {
        setDevices(rest);
        co_return;
    }
    // An engine that gives no bus address: only a scan can say whether the phone shown went.
    if (m_selectedDevice && !m_selectedDevice->busNumber)
        co_await search(Search::listOnly);
}

} // namespace tarvel
