#include "TarvelApp/ContentView.h"

#include "TarvelApp/ByteCountFormat.h"
#include "TarvelApp/Palette.h"
#include "TarvelCore/DonationSupport.h"

#include <QFileInfo>
#include <QImage>

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
        &TarvelViewModel::currentTransferChanged,
    };
    for (auto signal : changes)
        connect(viewModel, signal, this, &ContentView::presentationChanged);
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
    return m_viewModel->state() == State::transferring;
}

QString ContentView::statusIconName() const
{
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

// Remote browser

bool ContentView::upEnabled() const
{
    return m_viewModel->canNavigateUp() && m_viewModel->state() != State::transferring;
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

bool ContentView::rowActionsEnabled() const
{
    return m_viewModel->state() == State::ready && m_viewModel->selectedDevice() && m_viewModel->selectedStorage();
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

bool ContentView::hasTransfer() const
{
    return m_viewModel->currentTransfer().has_value();
}

TransferSummary ContentView::summary() const
{
    const auto job = m_viewModel->currentTransfer();
    return job ? summarizeTransfer(*job) : TransferSummary{};
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
    QPointer<ContentView> self(this);
    QPointer<TarvelViewModel> viewModel = m_viewModel;
    co_await viewModel->refreshDevices();
    if (!self || !viewModel || !viewModel->selectedDevice())
        co_return;
    co_await viewModel->loadSelectedDeviceStorage();
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

QCoro::Task<> ContentView::uploadFiles(QList<QUrl> urls)
{
    // The batch belongs to the view model, not to this view: from here on only it is used.
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
    if (files.isEmpty())
        co_return;
    for (const QUrl &file : files) {
        if (!viewModel)
            co_return;
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
    if (entry && entry->kind == RemoteEntryKind::folder && rowActionsEnabled())
        m_viewModel->openFolder(*entry);
}

void ContentView::startRowAction(int row)
{
    const auto entry = entryAt(row);
    if (!entry || !rowActionsEnabled())
        return;
    if (entry->kind == RemoteEntryKind::folder)
        m_viewModel->openFolder(*entry);
    else
        chooseDownloadDestination(*entry);
}

void ContentView::startChooseFileToUpload()
{
    if (uploadEnabled())
        chooseFileToUpload();
}

void ContentView::startPasteFromClipboard()
{
    if (uploadEnabled())
        pasteFilesFromFinder();
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

} // namespace tarvel
