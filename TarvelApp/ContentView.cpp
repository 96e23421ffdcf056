#include "TarvelApp/ContentView.h"

#include "TarvelApp/ByteCountFormat.h"
#include "TarvelApp/Palette.h"
#include "TarvelCore/DonationSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTimer>

namespace tarvel {

using State = TarvelConnectionState;

namespace {

const QString donationQRCodeResource = QStringLiteral(":/tarvel/orvath-btc-wallet-qr.png");

} // namespace

ContentView::ContentView(TarvelViewModel *viewModel, DesktopServices *desktop, QObject *parent)
    : QObject(parent), m_viewModel(viewModel), m_desktop(desktop)
{
    // Whatever changed, every derived text may change with it; only the rows are rebuilt
    // just when the listing itself changes, so the list keeps its delegates otherwise.
    const auto changes = {
        &TarvelViewModel::stateChanged, &TarvelViewModel::statusMessageChanged, &TarvelViewModel::devicesChanged,
        &TarvelViewModel::selectedDeviceChanged, &TarvelViewModel::storagesChanged,
        &TarvelViewModel::selectedStorageChanged, &TarvelViewModel::entriesChanged,
        &TarvelViewModel::currentParentIDChanged, &TarvelViewModel::folderPathChanged,
        &TarvelViewModel::cancellingTransferChanged, &TarvelViewModel::scanningChanged,
        &TarvelViewModel::statusIsWarningChanged,
    };
    for (auto signal : changes)
        connect(viewModel, signal, this, &ContentView::presentationChanged);
    connect(this, &ContentView::presentationChanged, this, &ContentView::transferProgressChanged);
    connect(viewModel, &TarvelViewModel::currentTransferChanged, this, &ContentView::followTransfer);
    connect(viewModel, &TarvelViewModel::currentBatchChanged, this, &ContentView::followBatch);
    m_clock.start();
    connect(viewModel, &TarvelViewModel::entriesChanged, this, [this] {
        if (m_viewModel)
            m_entries.setEntries(m_viewModel->entries());
    });
    m_entries.setEntries(viewModel->entries());
}

// Status bar

QString ContentView::statusMessage() const
{
    return m_viewModel->statusMessage();
}

bool ContentView::showsStatusSpinner() const
{
    return m_viewModel->state() == State::transferring || m_viewModel->scanning();
}

QString ContentView::statusIconName() const
{
    if (showsStatusSpinner())
        return {};
    // A failure never wears the green check, also when what is shown can still be used.
    if (m_viewModel->statusIsWarning())
        return QStringLiteral("exclamationmark.triangle.fill");
    switch (m_viewModel->state()) {
    case State::noDevice: return QStringLiteral("cable.connector");
    case State::deviceUnavailable:
    case State::transferFailed: return QStringLiteral("exclamationmark.triangle.fill");
    case State::ready: return QStringLiteral("checkmark.circle.fill");
    case State::loadingDirectory: return QStringLiteral("folder.badge.gearshape");
    case State::transferring: break;
    }
    return {};
}

QColor ContentView::statusTint() const
{
    if (m_viewModel->statusIsWarning())
        return tint::orange;
    switch (m_viewModel->state()) {
    case State::deviceUnavailable:
    case State::transferFailed: return tint::orange;
    case State::ready: return tint::green;
    case State::noDevice:
    case State::loadingDirectory:
    case State::transferring: break;
    }
    return tint::secondary;
}

bool ContentView::refreshEnabled() const
{
    return m_viewModel->state() != State::transferring;
}

bool ContentView::browseEnabled() const
{
    const State state = m_viewModel->state();
    return (state == State::ready || state == State::transferFailed || state == State::transferring)
        && m_viewModel->selectedDevice() && m_viewModel->selectedStorage();
}

// Remote browser

// Going up is browsing: also while a folder loads or a transfer runs.
bool ContentView::upEnabled() const
{
    return m_viewModel->canNavigateUp();
}

QString ContentView::currentLocationTitle() const
{
    // The header names the device side as a whole until a storage is listed.
    return m_viewModel->locationName().value_or(QStringLiteral("Android device"));
}

QString ContentView::breadcrumbText() const
{
    QStringList names;
    for (const RemoteEntry &folder : m_viewModel->folderPath())
        names.append(folder.name);
    return names.join(QStringLiteral(" / "));
}

QString ContentView::storageSubtitle() const
{
    const auto device = m_viewModel->selectedDevice();
    const auto storage = m_viewModel->selectedStorage();
    if (!storage)
        return device ? device->name : QStringLiteral("No device selected");

    QString space;
    if (storage->freeBytes && storage->capacityBytes)
        space = formatByteCount(*storage->freeBytes) + QStringLiteral(" available of ") + formatByteCount(*storage->capacityBytes);
    else if (storage->freeBytes)
        space = formatByteCount(*storage->freeBytes) + QStringLiteral(" available");
    else if (storage->capacityBytes)
        space = formatByteCount(*storage->capacityBytes) + QStringLiteral(" capacity");
    else
        space = device ? device->name : QStringLiteral("Connected device");

    if (m_viewModel->folderPath().isEmpty())
        return space;
    return breadcrumbText() + QStringLiteral(" - ") + space;
}

bool ContentView::showsEmptyState() const
{
    return m_viewModel->entries().isEmpty();
}

QString ContentView::emptyStateTitle() const
{
    // Whatever the last search said, a new one is running: its outcome is not known yet.
    if (m_viewModel->scanning())
        return QStringLiteral("Looking for phones");
    switch (m_viewModel->state()) {
    case State::noDevice: return QStringLiteral("No Android device");
    case State::deviceUnavailable:
    case State::transferFailed: return QStringLiteral("Files unavailable");
    case State::loadingDirectory: return QStringLiteral("Loading files");
    case State::ready:
    case State::transferring: break;
    }
    return QStringLiteral("No files");
}

QString ContentView::emptyStateIconName() const
{
    if (m_viewModel->scanning())
        return QStringLiteral("cable.connector");
    switch (m_viewModel->state()) {
    case State::noDevice: return QStringLiteral("cable.connector");
    case State::deviceUnavailable:
    case State::transferFailed: return QStringLiteral("exclamationmark.triangle");
    case State::ready:
    case State::loadingDirectory:
    case State::transferring: break;
    }
    return QStringLiteral("folder");
}

QString ContentView::emptyStateDescription() const
{
    if (m_viewModel->scanning())
        return QStringLiteral("Checking what is connected over USB.");
    switch (m_viewModel->state()) {
    case State::noDevice:
        return QStringLiteral("Use a data-capable USB cable, unlock the device, choose USB File transfer, then press Refresh. "
                              "If it still does not appear, try another cable or USB port.");
    case State::deviceUnavailable:
    case State::transferFailed: return m_viewModel->statusMessage();
    case State::loadingDirectory: return QStringLiteral("Reading the selected storage.");
    case State::ready:
    case State::transferring: break;
    }
    return QStringLiteral("This storage location is empty.");
}

// A failure leaves the window usable at once: its sentence stays in the status line.
bool ContentView::rowActionsEnabled() const
{
    const State state = m_viewModel->state();
    return (state == State::ready || state == State::transferFailed) && m_viewModel->selectedDevice()
        && m_viewModel->selectedStorage();
}

bool ContentView::showsDevicePicker() const
{
    return m_viewModel->devices().size() > 1;
}

QStringList ContentView::deviceChoices() const
{
    const QList<AndroidDevice> devices = m_viewModel->devices();
    QStringList names;
    for (const AndroidDevice &device : devices)
        names.append(device.name);
    QStringList choices;
    for (const AndroidDevice &device : devices) {
        QString choice = device.name;
        if (names.count(device.name) > 1) {
            if (device.serialNumber)
                choice += QStringLiteral(" (") + *device.serialNumber + QLatin1Char(')');
            else if (device.busNumber && device.deviceNumber)
                choice += QStringLiteral(" (USB %1-%2)").arg(*device.busNumber).arg(*device.deviceNumber);
        }
        choices.append(choice);
    }
    return choices;
}

int ContentView::selectedDeviceIndex() const
{
    const auto selected = m_viewModel->selectedDevice();
    const QList<AndroidDevice> devices = m_viewModel->devices();
    for (int i = 0; selected && i < devices.size(); ++i) {
        if (devices.at(i).id == selected->id)
            return i;
    }
    return -1;
}

bool ContentView::showsStoragePicker() const
{
    return m_viewModel->storages().size() > 1;
}

QStringList ContentView::storageChoices() const
{
    const QList<AndroidStorage> storages = m_viewModel->storages();
    const auto kindName = [](const AndroidStorage &storage) {
        switch (storage.kind) {
        case StorageKind::internal: return QStringLiteral("Internal storage");
        case StorageKind::removable: return QStringLiteral("SD card");
        case StorageKind::unknown: break;
        }
        return storage.name;
    };
    QStringList kinds;
    for (const AndroidStorage &storage : storages)
        kinds.append(kindName(storage));
    QStringList choices;
    for (const AndroidStorage &storage : storages) {
        QString choice = kindName(storage);
        if (storage.kind != StorageKind::unknown && kinds.count(choice) > 1)
            choice += QStringLiteral(" (") + storage.name + QLatin1Char(')');
        if (storage.capacityBytes)
            choice += QStringLiteral(", ") + formatByteCount(*storage.capacityBytes);
        choices.append(choice);
    }
    return choices;
}

int ContentView::selectedStorageIndex() const
{
    const auto selected = m_viewModel->selectedStorage();
    const QList<AndroidStorage> storages = m_viewModel->storages();
    for (int i = 0; selected && i < storages.size(); ++i) {
        if (storages.at(i).id == selected->id)
            return i;
    }
    return -1;
}

bool ContentView::pickersEnabled() const
{
    return m_viewModel->state() != State::transferring;
}

// Local actions

bool ContentView::uploadEnabled() const
{
    // The same rule as the rows: one transfer at a time, and only into a listed storage.
    return rowActionsEnabled();
}

QString ContentView::uploadHelperText() const
{
    if (!m_viewModel->selectedDevice())
        return QStringLiteral("Connect an Android device before uploading files.");
    if (m_viewModel->state() == State::transferring)
        return QStringLiteral("Wait for the current transfer to finish.");
    const QList<RemoteEntry> path = m_viewModel->folderPath();
    if (!path.isEmpty())
        return QStringLiteral("Uploads and pasted files go to ") + path.last().name + QStringLiteral(".");
    return QStringLiteral("Uploads and pasted files go to the Android storage root shown on the left.");
}

// A single copy or a batch, also while a batch still lists its folders.
bool ContentView::hasTransfer() const
{
    return m_viewModel->currentTransfer().has_value() || m_viewModel->currentBatch().has_value();
}

// A new job, or none, changes the whole pane; the same job with more bytes changes only
// its progress.
void ContentView::followTransfer()
{
    const auto job = m_viewModel->currentTransfer();
    const QUuid id = job ? job->id : QUuid();
    if (job && id == m_shownTransfer) {
        m_rate.add(m_clock.elapsed(), job->completedBytes);
        Q_EMIT transferProgressChanged();
        return;
    }
    m_shownTransfer = id;
    m_rate.reset();
    if (job)
        m_rate.add(m_clock.elapsed(), job->completedBytes);
    Q_EMIT presentationChanged();
    quitWhenDone();
}

void ContentView::quitWhenDone()
{
    if (m_quitting && !hasTransfer()) {
        m_quitting = false;
        Q_EMIT quitRequested();
    }
}

// A batch's start and end change the pane; its progress only the batch's own lines.
void ContentView::followBatch()
{
    const auto batch = m_viewModel->currentBatch();
    if (batch && m_batchShown) {
        m_batchRate.add(m_clock.elapsed(), batch->completedBytes);
        Q_EMIT transferProgressChanged();
        return;
    }
    m_batchShown = batch.has_value();
    m_batchRate.reset();
    Q_EMIT presentationChanged();
    quitWhenDone();
}

QString ContentView::batchText() const
{
    const auto batch = m_viewModel->currentBatch();
    if (!batch)
        return {};
    if (batch->listingFolders)
        return QStringLiteral("Looking through folders: %1 so far").arg(batch->fileCount == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(batch->fileCount));
    QString text = QStringLiteral("File %1 of %2").arg(std::max(batch->fileNumber, 1)).arg(batch->fileCount);
    if (batch->totalBytes > 0)
        text += QStringLiteral(" · ") + formatByteCount(batch->completedBytes) + QStringLiteral(" of ") + formatByteCount(batch->totalBytes);
    const QString rate = m_batchRate.text(batch->totalBytes > 0 ? std::optional(batch->totalBytes) : std::nullopt);
    const qsizetype timeLeft = rate.indexOf(QStringLiteral(" · "));
    if (timeLeft >= 0)
        text += rate.mid(timeLeft);
    return text;
}

double ContentView::batchProgress() const
{
    const auto batch = m_viewModel->currentBatch();
    return batch && batch->totalBytes > 0 ? double(batch->completedBytes) / double(batch->totalBytes) : 0.0;
}

bool ContentView::showInFolderVisible() const
{
    return m_showsDownloadedFolder && m_lastDownloadFolder && !hasTransfer() && !hasBatch();
}

QString ContentView::transferRateText() const
{
    const auto job = m_viewModel->currentTransfer();
    return job ? m_rate.text(job->totalBytes) : QString();
}

QString ContentView::transferWindowTitle() const
{
    if (!hasTransfer())
        return {};
    const TransferSummary shown = summary();
    QString title = QStringLiteral("Tarvel – ") + shown.title;
    // A batch's own share of its bytes, or the single file's.
    if (hasBatch() && batchProgress() > 0)
        title += QStringLiteral(" %1%").arg(int(batchProgress() * 100));
    else if (!hasBatch() && shown.hasProgress)
        title += QStringLiteral(" %1%").arg(int(shown.progress * 100));
    return title;
}

QString ContentView::cancelTransferTitle() const
{
    return m_viewModel->cancellingTransfer() ? QStringLiteral("Cancelling…") : QStringLiteral("Cancel");
}

bool ContentView::cancelTransferEnabled() const
{
    return hasTransfer() && !m_viewModel->cancellingTransfer();
}

QString ContentView::quitQuestionText() const
{
    const auto job = m_viewModel->currentTransfer();
    if (!job)
        return {};
    return QStringLiteral("Tarvel is still copying ") + job->sourceName
        + QStringLiteral(". Quitting stops the copy; nothing half-copied is kept.");
}

TransferSummary ContentView::summary() const
{
    if (const auto job = m_viewModel->currentTransfer())
        return summarizeTransfer(*job);
    // A batch between files, or still listing its folders: its direction, no file yet.
    if (const auto batch = m_viewModel->currentBatch()) {
        TransferSummary shown = summarizeTransfer(TransferJob{.direction = batch->direction});
        shown.routeText.clear();
        return shown;
    }
    return TransferSummary{};
}

// Donation section

QString ContentView::donationAddress() const
{
    return DonationSupport::btcSegWitAddress();
}

QUrl ContentView::donationQRCodeSource() const
{
    static const QUrl source =
        QImage(donationQRCodeResource).isNull() ? QUrl() : QUrl(QStringLiteral("qrc") + donationQRCodeResource);
    return source;
}

QString ContentView::proposedFileName(const QString &remoteName)
{
    QString name = remoteName;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    name.replace(QChar(0), QLatin1Char('_'));
    // "." and ".." would move the panel to another folder instead of naming a file.
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        name.fill(QLatin1Char('_'));
    return name;
}

// Actions

std::optional<RemoteEntry> ContentView::entryAt(int row) const
{
    const QList<RemoteEntry> &shown = m_entries.entries();
    if (row < 0 || row >= shown.size())
        return std::nullopt;
    return shown.at(row);
}

QCoro::Task<> ContentView::refreshSequence()
{
    return m_viewModel->findPhones();
}

QCoro::Task<> ContentView::chooseDownloadDestination(RemoteEntry entry)
{
    QPointer<TarvelViewModel> viewModel = m_viewModel;
    const std::optional<QUrl> destination =
        co_await m_desktop->chooseSaveLocation(proposedFileName(entry.name), QStringLiteral("Download"));
    if (!viewModel || !destination || destination->isEmpty())
        co_return;
    // Started, not awaited: the download reports itself through the view model.
    viewModel->download(entry.id, entry.name, *destination);
}

QCoro::Task<> ContentView::chooseFileToUpload()
{
    QPointer<ContentView> self(this);
    const QList<QUrl> chosen = co_await m_desktop->chooseFilesToOpen(QStringLiteral("Upload"));
    if (!self || chosen.isEmpty())
        co_return;
    co_await uploadFiles(chosen);
}

QCoro::Task<> ContentView::pasteFilesFromFinder()
{
    return uploadFiles(m_desktop->fileURLsOnClipboard());
}

QCoro::Task<> ContentView::uploadItems(QList<QUrl> urls)
{
    if (urls.isEmpty())
        co_return;
    m_showsDownloadedFolder = false;
    // Into the folder shown now: the user may browse elsewhere while the batch runs.
    co_await m_viewModel->uploadItems(urls, m_viewModel->currentParentID());
}

// Like chooseFileToUpload, as a batch: a failed file is named at the end instead of
// ending the rest.
QCoro::Task<> ContentView::chooseFilesForBatch()
{
    QPointer<ContentView> self(this);
    const QList<QUrl> chosen = co_await m_desktop->chooseFilesToOpen(QStringLiteral("Upload"));
    if (self)
        co_await uploadItems(chosen);
}

QCoro::Task<> ContentView::chooseFolderToUpload()
{
    QPointer<ContentView> self(this);
    const QUrl home = QUrl::fromLocalFile(QDir::homePath());
    const std::optional<QUrl> chosen = co_await m_desktop->chooseFolder(QStringLiteral("Upload"), home);
    if (!self || !chosen || chosen->isEmpty())
        co_return;
    QList<QUrl> items{*chosen}; // named: GCC 12 mishandles a braced list inside co_await
    co_await uploadItems(std::move(items));
}

QCoro::Task<> ContentView::downloadEntries(QList<RemoteEntry> entries)
{
    if (entries.isEmpty())
        co_return;
    QPointer<ContentView> self(this);
    const QUrl startIn = m_lastDownloadFolder.value_or(m_desktop->downloadsFolder());
    const std::optional<QUrl> chosen = co_await m_desktop->chooseFolder(downloadSelectionPrompt(), startIn);
    if (!self || !chosen || chosen->isEmpty())
        co_return;
    m_lastDownloadFolder = *chosen;
    QPointer<TarvelViewModel> viewModel = m_viewModel;
    co_await viewModel->downloadItems(entries, *chosen);
    if (!self)
        co_return;
    m_showsDownloadedFolder = true;
    Q_EMIT presentationChanged();
}

QCoro::Task<> ContentView::uploadFiles(QList<QUrl> urls)
{
    // The batch belongs to the view model, not to this view: from here on only it is used,
    // with the flag Cancel raises.
    QPointer<TarvelViewModel> viewModel = m_viewModel;
    const auto stopped = m_uploadBatchStopped = std::make_shared<bool>(false);
    auto keepRegularFiles = [urls] {
        QList<QUrl> files;
        for (const QUrl &url : urls) {
            if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
                files.append(url);
        }
        return files;
    };
    const QList<QUrl> files = co_await awaitResult(m_fileChecks.run(std::move(keepRegularFiles)));
    if (files.isEmpty())
        co_return;
    for (const QUrl &file : files) {
        if (!viewModel || *stopped)
            break;
        // Read at each start: the user may open another folder while the batch runs.
        co_await viewModel->upload(file, viewModel->currentParentID());
    }
    if (viewModel)
        co_await viewModel->loadCurrentDirectory();
}

// Slots QML calls. Each checks the rule that enables its control, so a stale click or a
// shortcut fired in the wrong state does nothing.

void ContentView::startRefresh()
{
    if (refreshEnabled())
        refreshSequence();
}

void ContentView::startNavigateUp()
{
    if (upEnabled())
        m_viewModel->navigateUp();
}

void ContentView::startOpenFolder(int row)
{
    const auto entry = entryAt(row);
    if (entry && entry->kind == RemoteEntryKind::folder && browseEnabled())
        m_viewModel->openFolder(*entry);
}

void ContentView::startRowAction(int row)
{
    const auto entry = entryAt(row);
    if (!entry)
        return;
    if (entry->kind == RemoteEntryKind::folder && browseEnabled())
        m_viewModel->openFolder(*entry);
    else if (entry->kind == RemoteEntryKind::file && rowActionsEnabled())
        chooseDownloadDestination(*entry);
}

void ContentView::startChooseFileToUpload()
{
    if (!uploadEnabled())
        return;
    chooseFilesForBatch();
}

void ContentView::startSelectDevice(int index)
{
    const QList<AndroidDevice> devices = m_viewModel->devices();
    if (pickersEnabled() && index >= 0 && index < devices.size())
        m_viewModel->selectDevice(devices.at(index).id);
}

void ContentView::startSelectStorage(int index)
{
    const QList<AndroidStorage> storages = m_viewModel->storages();
    if (pickersEnabled() && index >= 0 && index < storages.size())
        m_viewModel->selectStorage(storages.at(index).id);
}

void ContentView::startPasteFromClipboard()
{
    if (uploadEnabled())
        uploadItems(m_desktop->fileURLsOnClipboard());
}

void ContentView::copyDonationAddress()
{
    m_desktop->copyTextToClipboard(DonationSupport::btcSegWitAddress());
}

void ContentView::openKoFi()
{
    m_desktop->openURL(DonationSupport::koFiURL());
}

void ContentView::openBitcoinWallet()
{
    m_desktop->openURL(DonationSupport::bitcoinURL());
}

void ContentView::startCancelTransfer()
{
    if (!cancelTransferEnabled())
        return;
    *m_uploadBatchStopped = true;
    m_viewModel->cancelTransfer();
}

void ContentView::startChooseFolderToUpload()
{
    if (uploadEnabled())
        chooseFolderToUpload();
}

void ContentView::startUploadDropped(QList<QUrl> urls)
{
    if (uploadEnabled())
        uploadItems(urls);
}

void ContentView::showDownloadedFolder()
{
    if (m_lastDownloadFolder)
        m_desktop->openURL(*m_lastDownloadFolder);
}

void ContentView::stopTransferAndQuit()
{
    if (!hasTransfer()) {
        Q_EMIT quitRequested();
        return;
    }
    m_quitting = true;
    startCancelTransfer();
    // A phone that stopped answering can hold the lane for a minute: quit anyway, and let
    // the application's own bounded wait for the lane do the rest.
    QTimer::singleShot(quitWaitMs, this, [this] {
        if (!m_quitting)
            return;
        m_quitting = false;
        Q_EMIT quitRequested();
    });
}

} // namespace tarvel
