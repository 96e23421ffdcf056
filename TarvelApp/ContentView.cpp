#include "TarvelApp/ContentView.h"

#include "TarvelApp/ByteCountFormat.h"
#include "TarvelApp/Palette.h"
#include "TarvelCore/DonationSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QTimer>

#include <algorithm>

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
        connect(viewModel, signal, this, &ContentView::schedulePresentation);
    // One view-model step changes several of them at once (a status is a state and a
    // sentence): the window re-reads its texts once for them all, in the next turn.
    m_presentationTick.setSingleShot(true);
    m_presentationTick.setInterval(0);
    connect(&m_presentationTick, &QTimer::timeout, this, [this] {
        if (m_viewModel)
            Q_EMIT presentationChanged();
    });
    connect(this, &ContentView::presentationChanged, this, &ContentView::transferProgressChanged);
    connect(this, &ContentView::presentationChanged, this, &ContentView::transferFileChanged);
    connect(viewModel, &TarvelViewModel::currentTransferChanged, this, &ContentView::followTransfer);
    connect(viewModel, &TarvelViewModel::currentBatchChanged, this, &ContentView::followBatch);
    m_clock.start();
    connect(viewModel, &TarvelViewModel::entriesChanged, this, [this] {
        if (m_viewModel)
            m_entries.setEntries(m_viewModel->entries());
    });
    m_entries.setEntries(viewModel->entries());
    // A listing always comes with its path, which is set after the entries.
    connect(viewModel, &TarvelViewModel::folderPathChanged, this, &ContentView::placeCurrentRowAfterNavigation);
    m_shownPath = viewModel->folderPath();
    connect(&m_entries, &RemoteEntryListModel::selectionChanged, this, [this] {
        Q_EMIT selectionChanged();
        Q_EMIT presentationChanged();
    });
    // Whatever a transfer did to the phone's free space shows once it has ended. Queued,
    // so the view model finishes announcing the end before it is asked anything else.
    connect(viewModel, &TarvelViewModel::currentTransferChanged, this, [this] {
        const bool running = m_viewModel && m_viewModel->currentTransfer();
        if (m_transferShown && !running) {
            QTimer::singleShot(0, this, [this] {
                if (m_viewModel)
                    m_viewModel->refreshStorageSpace();
            });
        }
        m_transferShown = running;
    });
}

// Going up lands on the folder just left, so the keyboard carries on from there; any
// other listing starts at its first row (the list model's own rule).
void ContentView::placeCurrentRowAfterNavigation()
{
    const QList<RemoteEntry> path = m_viewModel->folderPath();
    if (path.size() < m_shownPath.size() && m_shownPath.mid(0, path.size()) == path)
        m_entries.setCurrentRow(m_entries.rowOf(m_shownPath.at(path.size()).id));
    m_shownPath = path;
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
        return device ? device->name : QStringLiteral("No phone connected");

    QString space = spaceText();
    if (space.isEmpty())
        space = device ? device->name : QStringLiteral("Connected device");

    if (m_viewModel->folderPath().isEmpty())
        return space;
    return breadcrumbText() + QStringLiteral(" - ") + space;
}

QString ContentView::spaceText() const
{
    const auto storage = m_viewModel->selectedStorage();
    if (!storage)
        return {};
    // Some phones report more free space than they hold (QEMU's emulated one does); a number
    // that cannot be true is left out.
    const bool freeIsPossible = storage->freeBytes && (!storage->capacityBytes || *storage->freeBytes <= *storage->capacityBytes);
    if (freeIsPossible && storage->capacityBytes)
        return formatByteCount(*storage->freeBytes) + QStringLiteral(" available of ") + formatByteCount(*storage->capacityBytes);
    if (freeIsPossible)
        return formatByteCount(*storage->freeBytes) + QStringLiteral(" available");
    if (storage->capacityBytes)
        return formatByteCount(*storage->capacityBytes) + QStringLiteral(" capacity");
    return {};
}

QStringList ContentView::breadcrumbTrail() const
{
    const auto storage = m_viewModel->selectedStorage();
    const QList<RemoteEntry> path = m_viewModel->folderPath();
    if (!storage || path.isEmpty())
        return {};
    QStringList trail{storage->name};
    for (qsizetype i = 0; i + 1 < path.size(); ++i)
        trail.append(path.at(i).name);
    return trail;
}

QString ContentView::itemCountText() const
{
    if (!m_viewModel->selectedStorage())
        return {};
    const qsizetype count = m_viewModel->entries().size();
    return count == 1 ? QStringLiteral("1 item") : QLocale(QLocale::English).toString(count) + QStringLiteral(" items");
}

QString ContentView::locationDetailText() const
{
    if (!m_viewModel->selectedStorage())
        return storageSubtitle();
    const QString space = spaceText();
    return space.isEmpty() ? itemCountText() : itemCountText() + QStringLiteral(" · ") + space;
}

QString ContentView::selectionText() const
{
    const QList<RemoteEntry> selected = selectedEntries();
    if (selected.isEmpty())
        return {};
    QString text = selected.size() == 1
        ? QStringLiteral("1 item selected")
        : QLocale(QLocale::English).toString(selected.size()) + QStringLiteral(" items selected");
    // Folders are counted but not sized: what they hold is not known until they are listed.
    std::optional<qint64> bytes;
    for (const RemoteEntry &entry : selected) {
        if (entry.kind == RemoteEntryKind::file && entry.sizeBytes)
            bytes = bytes.value_or(0) + *entry.sizeBytes;
    }
    if (bytes)
        text += QStringLiteral(" · ") + (*bytes == 0 ? QStringLiteral("0 bytes") : formatByteCount(*bytes));
    return text;
}

QString ContentView::windowTitle() const
{
    QStringList parts;
    if (const auto device = m_viewModel->selectedDevice()) {
        if (const auto location = m_viewModel->locationName())
            parts.append(*location);
        parts.append(device->name);
    }
    parts.append(QStringLiteral("Tarvel"));
    return parts.join(QStringLiteral(" – "));
}

QStringList ContentView::sortTitles()
{
    return {QStringLiteral("Phone order"), QStringLiteral("Name"), QStringLiteral("Date"), QStringLiteral("Size")};
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
    return QStringLiteral("This folder is empty.");
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
// its progress. The view model samples the lane ten times a second, which is all the
// throttling progress needs: each change is passed on at once.
void ContentView::followTransfer()
{
    const auto job = m_viewModel->currentTransfer();
    const QUuid id = job ? job->id : QUuid();
    const bool sameJob = job && id == m_shownTransfer;
    if (!sameJob) {
        m_shownTransfer = id;
        m_rate.reset();
    }
    if (job)
        m_rate.add(m_clock.elapsed(), job->completedBytes);
    // The next file of a batch is progress too: the pane stays, only its lines change.
    if (sameJob || (job && m_batchShown)) {
        announceProgress();
        return;
    }
    schedulePresentation();
    quitWhenDone();
}

void ContentView::schedulePresentation()
{
    if (!m_presentationTick.isActive())
        m_presentationTick.start();
}

void ContentView::quitWhenDone()
{
    if (m_quitting && !hasTransfer()) {
        m_quitting = false;
        Q_EMIT quitRequested();
    }
}

void ContentView::announceProgress()
{
    const auto job = m_viewModel->currentTransfer();
    const QUuid shown = job ? job->id : QUuid();
    if (shown != m_announcedTransfer) {
        m_announcedTransfer = shown;
        Q_EMIT transferFileChanged();
    }
    Q_EMIT transferProgressChanged();
}

// A batch's start and end change the pane; its progress only the batch's own lines.
void ContentView::followBatch()
{
    const auto batch = m_viewModel->currentBatch();
    if (batch && m_batchShown) {
        m_batchRate.add(m_clock.elapsed(), batch->completedBytes);
        announceProgress();
        return;
    }
    m_batchShown = batch.has_value();
    m_batchRate.reset();
    schedulePresentation();
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
    return m_entries.entryAt(row);
}

QCoro::Task<> ContentView::refreshSequence()
{
    return m_viewModel->findPhones();
}

namespace {

// The folder of a path in a fresh listing: the same object if the phone kept its id,
// else one of the same name (a new session numbers objects anew).
std::optional<RemoteEntry> findFolder(const QList<RemoteEntry> &entries, const RemoteEntry &wanted)
{
    std::optional<RemoteEntry> sameName;
    for (const RemoteEntry &entry : entries) {
        if (entry.kind != RemoteEntryKind::folder || entry.name != wanted.name)
            continue;
        if (entry.id == wanted.id)
            return entry;
        if (!sameName)
            sameName = entry;
    }
    return sameName;
}

} // namespace

QCoro::Task<> ContentView::refreshKeepingPlace()
{
    QPointer<ContentView> self(this);
    QPointer<TarvelViewModel> viewModel = m_viewModel;
    const auto device = viewModel->selectedDevice();
    const auto storage = viewModel->selectedStorage();
    const QList<RemoteEntry> path = viewModel->folderPath();
    co_await refreshSequence();
    if (!self || !viewModel || path.isEmpty() || !device || !storage || !viewModel->selectedDevice()
        || viewModel->selectedDevice()->id != device->id || !viewModel->selectedStorage()
        || viewModel->selectedStorage()->id != storage->id)
        co_return;
    QList<RemoteEntry> reached;
    for (const RemoteEntry &folder : path) {
        // A failed listing, or the user opening something else meanwhile, ends the way down.
        if (viewModel->folderPath() != reached)
            co_return;
        const auto next = findFolder(viewModel->entries(), folder);
        if (!next)
            co_return;
        co_await viewModel->openFolder(*next);
        if (!self || !viewModel)
            co_return;
        reached.append(*next);
    }
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
    QPointer<ContentView> self(this);
    QPointer<TarvelViewModel> viewModel = m_viewModel;
    auto keepRegularFiles = [urls] {
        QList<QUrl> files;
        for (const QUrl &url : urls) {
            if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
                files.append(url);
        }
        return files;
    };
    const QList<QUrl> files = co_await awaitResult(m_fileChecks.run(std::move(keepRegularFiles)));
    if (files.isEmpty() || !viewModel)
        co_return;
    // The batch belongs to the view model: it starts even when this view went meanwhile.
    if (self)
        self->m_showsDownloadedFolder = false;
    co_await viewModel->uploadItems(files, viewModel->currentParentID());
}

// Slots QML calls. Each checks the rule that enables its control, so a stale click or a
// shortcut fired in the wrong state does nothing.

void ContentView::startRefresh()
{
    if (refreshEnabled())
        refreshKeepingPlace();
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

void ContentView::startOpenBreadcrumb(int index)
{
    if (upEnabled() && index >= 0 && index < m_viewModel->folderPath().size())
        m_viewModel->navigateToDepth(index);
}

void ContentView::clickRow(int row, int modifiers)
{
    const auto entry = entryAt(row);
    if (!entry)
        return;
    if (modifiers & Qt::ControlModifier) {
        m_entries.toggleSelected(row);
    } else if (modifiers & Qt::ShiftModifier) {
        m_entries.selectRangeTo(row);
    } else if (entry->kind == RemoteEntryKind::folder) {
        m_entries.setCurrentRow(row);
        startOpenFolder(row);
    } else {
        m_entries.selectOnly(row);
    }
}

void ContentView::toggleRowSelection(int row)
{
    m_entries.toggleSelected(row);
}

void ContentView::setSortIndex(int index)
{
    if (index < 0 || index >= sortTitles().size())
        return;
    m_entries.setSortOrder(RemoteEntryListModel::SortOrder(index));
    Q_EMIT presentationChanged();
}

bool ContentView::pressBrowserKey(int key, int modifiers, const QString &text, int rowsPerPage)
{
    const auto held = Qt::KeyboardModifiers(modifiers) & ~Qt::KeypadModifier;
    const bool shift = held == Qt::ShiftModifier;
    const int current = m_entries.currentRow();
    // Plain keys move the current row; with Shift they select from the anchor to it.
    const auto moveTo = [&](int row) {
        if (held != Qt::NoModifier && !shift)
            return false;
        if (shift)
            m_entries.selectRangeTo(row);
        else
            m_entries.setCurrentRow(row);
        return true;
    };
    const int page = std::max(1, rowsPerPage);
    switch (key) {
    case Qt::Key_Up: return moveTo(current - 1);
    case Qt::Key_Down: return moveTo(current + 1);
    case Qt::Key_PageUp: return moveTo(current - page);
    case Qt::Key_PageDown: return moveTo(current + page);
    case Qt::Key_Home: return moveTo(0);
    case Qt::Key_End: return moveTo(m_entries.rowCount() - 1);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (held != Qt::NoModifier)
            return false;
        startRowAction(current);
        return true;
    case Qt::Key_Space:
        if (held != Qt::NoModifier)
            return false;
        m_entries.toggleSelected(current);
        return true;
    case Qt::Key_A:
        if (held == Qt::ControlModifier) {
            m_entries.selectAll();
            return true;
        }
        break;
    default: break;
    }
    if ((held & ~Qt::ShiftModifier) != Qt::NoModifier || text.isEmpty() || !text.at(0).isPrint())
        return false;
    jumpToTypedName(text);
    return true;
}

// Typing the first letters of a name moves to the next row that starts with them; a
// pause starts a new name, and the same letter again moves on to its next match.
void ContentView::jumpToTypedName(const QString &typed)
{
    constexpr qint64 pauseMs = 1000;
    const bool continuing = m_typedNameClock.isValid() && m_typedNameClock.elapsed() < pauseMs;
    m_typedName = continuing ? m_typedName + typed : typed;
    m_typedNameClock.start();
    const bool sameLetter = m_typedName.count(m_typedName.at(0)) == m_typedName.size();
    const QString prefix = sameLetter ? m_typedName.left(1) : m_typedName;
    const int count = m_entries.rowCount();
    const int current = m_entries.currentRow();
    // A longer prefix may still fit the current row; a new letter looks past it.
    const int start = current < 0 ? 0 : current + (continuing && !sameLetter ? 0 : 1);
    for (int i = 0; i < count; ++i) {
        const int row = (start + i) % count;
        if (m_entries.entryAt(row)->name.startsWith(prefix, Qt::CaseInsensitive)) {
            m_entries.setCurrentRow(row);
            return;
        }
    }
}

// Downloading a selection into a folder belongs to the transfer queue, which takes the
// selection from selectedEntries(); the window only offers the action.
void ContentView::startDownloadSelection()
{
    if (downloadSelectionEnabled())
        downloadEntries(selectedEntries());
}

void ContentView::startChooseFileToUpload()
{
    if (uploadEnabled())
        chooseFileToUpload();
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
    if (cancelTransferEnabled())
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
