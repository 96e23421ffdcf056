#include "TarvelApp/BrowserPresenter.h"

#include "TarvelApp/ByteCountFormat.h"

#include <QLocale>

#include <algorithm>

namespace tarvel {

using State = TarvelConnectionState;

BrowserPresenter::BrowserPresenter(TarvelViewModel *viewModel, DesktopServices *desktop, TransferPresenter *transfers,
                                   QObject *parent)
    : QObject(parent)
    , m_viewModel(viewModel)
    , m_desktop(desktop)
    , m_transfers(transfers)
    , m_thumbnails(viewModel, &m_entries)
    , m_preview(viewModel, &m_entries, &m_thumbnails)
    , m_locationChanges(this, [this] {
        if (m_viewModel)
            Q_EMIT locationChanged();
    })
    , m_browsingChanges(this, [this] {
        if (m_viewModel)
            Q_EMIT browsingChanged();
    })
    , m_files(viewModel, this, this)
{
    const auto locationChanges = {&TarvelViewModel::selectedDeviceChanged, &TarvelViewModel::selectedStorageChanged,
                                  &TarvelViewModel::folderPathChanged, &TarvelViewModel::entriesChanged,
                                  &TarvelViewModel::folderAwaitedChanged};
    for (auto signal : locationChanges)
        connect(viewModel, signal, this, [this] { m_locationChanges.request(); });
    connect(viewModel, &TarvelViewModel::selectedDeviceLinkChanged, this, &BrowserPresenter::linkChanged);
    const auto browsingChanges = {
        &TarvelViewModel::stateChanged, &TarvelViewModel::scanningChanged, &TarvelViewModel::statusMessageChanged,
        &TarvelViewModel::devicesChanged, &TarvelViewModel::storagesChanged, &TarvelViewModel::selectedDeviceChanged,
        &TarvelViewModel::selectedStorageChanged, &TarvelViewModel::entriesChanged,
    };
    for (auto signal : browsingChanges)
        connect(viewModel, signal, this, [this] { m_browsingChanges.request(); });

    // Only the rows are rebuilt just when the listing itself changes, so the list keeps its
    // delegates otherwise.
    connect(viewModel, &TarvelViewModel::entriesChanged, this, [this] {
        if (m_viewModel)
            m_entries.setEntries(m_viewModel->entries());
    });
    restoreSort();
    m_entries.setEntries(viewModel->entries());
    // A listing always comes with its path, which is set after the entries.
    connect(viewModel, &TarvelViewModel::folderPathChanged, this, &BrowserPresenter::placeCurrentRowAfterNavigation);
    m_shownPath = viewModel->folderPath();
    // Back stays within one storage of one phone.
    for (auto signal : {&TarvelViewModel::selectedDeviceChanged, &TarvelViewModel::selectedStorageChanged}) {
        connect(viewModel, signal, this, [this] {
            const auto device = m_viewModel->selectedDevice();
            const auto storage = m_viewModel->selectedStorage();
            const QStringList place{device ? device->id : QString(), storage ? storage->id : QString()};
            if (place == m_backPlace)
                return;
            m_backPlace = place;
            m_backPaths.clear();
            m_goingBackTo.reset();
            m_shownPath.clear();
        });
    }
    connect(&m_entries, &RemoteEntryListModel::selectionChanged, this, [this] {
        Q_EMIT selectionChanged();
        m_browsingChanges.request(); // Download follows the selection
    });
}

// Going up lands on the folder just left, so the keyboard carries on from there; any
// other listing starts at its first row (the list model's own rule). Another folder is
// one more step back, and shows unfiltered.
void BrowserPresenter::placeCurrentRowAfterNavigation()
{
    const QList<RemoteEntry> path = m_viewModel->folderPath();
    if (path.size() < m_shownPath.size() && m_shownPath.mid(0, path.size()) == path)
        m_entries.setCurrentRow(m_entries.rowOf(m_shownPath.at(path.size()).id));
    if (path != m_shownPath) {
        if (m_goingBackTo == path) {
            m_goingBackTo.reset();
        } else {
            constexpr qsizetype remembered = 50;
            m_backPaths.append(m_shownPath);
            if (m_backPaths.size() > remembered)
                m_backPaths.removeFirst();
        }
        closeFilter();
    }
    m_shownPath = path;
}

// The header

QString BrowserPresenter::currentLocationTitle() const
{
    // The header names the device side as a whole until a storage is listed.
    return m_viewModel->locationName().value_or(tr("Android device"));
}

QString BrowserPresenter::breadcrumbText() const
{
    QStringList names;
    for (const RemoteEntry &folder : m_viewModel->folderPath())
        names.append(folder.name);
    return names.join(QStringLiteral(" / "));
}

QString BrowserPresenter::storageSubtitle() const
{
    const auto device = m_viewModel->selectedDevice();
    const auto storage = m_viewModel->selectedStorage();
    if (!storage)
        return device ? device->name : tr("No phone connected");

    QString space = spaceText();
    if (space.isEmpty())
        space = device ? device->name : tr("Connected device");

    if (m_viewModel->folderPath().isEmpty())
        return space;
    return breadcrumbText() + QStringLiteral(" - ") + space;
}

QString BrowserPresenter::spaceText() const
{
    const auto storage = m_viewModel->selectedStorage();
    if (!storage)
        return {};
    // Some phones report more free space than they hold (QEMU's emulated one does); a number
    // that cannot be true is left out.
    const bool freeIsPossible = storage->freeBytes && (!storage->capacityBytes || *storage->freeBytes <= *storage->capacityBytes);
    if (freeIsPossible && storage->capacityBytes)
        return tr("%1 available of %2").arg(formatByteCount(*storage->freeBytes), formatByteCount(*storage->capacityBytes));
    if (freeIsPossible)
        return tr("%1 available").arg(formatByteCount(*storage->freeBytes));
    if (storage->capacityBytes)
        return tr("%1 capacity").arg(formatByteCount(*storage->capacityBytes));
    return {};
}

QStringList BrowserPresenter::breadcrumbTrail() const
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

QString BrowserPresenter::itemCountText() const
{
    if (!m_viewModel->selectedStorage())
        return {};
    const qsizetype count = m_viewModel->entries().size();
    if (!m_entries.filterText().isEmpty())
        return tr("%1 of %Ln item(s)", nullptr, int(count)).arg(QLocale().toString(m_entries.rowCount()));
    return tr("%Ln item(s)", nullptr, int(count));
}

QString BrowserPresenter::locationDetailText() const
{
    if (!m_viewModel->selectedStorage())
        return storageSubtitle();
    if (const QString awaited = m_viewModel->folderAwaited(); !awaited.isEmpty())
        return tr("Opening %1 once the file being copied is done...").arg(awaited);
    const QString space = spaceText();
    return space.isEmpty() ? itemCountText() : itemCountText() + QStringLiteral(" · ") + space;
}

QString BrowserPresenter::selectionText() const
{
    const QList<RemoteEntry> selected = selectedEntries();
    if (selected.isEmpty())
        return {};
    QString text = tr("%Ln item(s) selected", nullptr, int(selected.size()));
    // Folders are counted but not sized: what they hold is not known until they are listed.
    std::optional<qint64> bytes;
    for (const RemoteEntry &entry : selected) {
        if (entry.kind == RemoteEntryKind::file && entry.sizeBytes)
            bytes = bytes.value_or(0) + *entry.sizeBytes;
    }
    if (bytes)
        text += QStringLiteral(" · ") + (*bytes == 0 ? tr("0 bytes") : formatByteCount(*bytes));
    return text;
}

QStringList BrowserPresenter::sortTitles()
{
    return {tr("Name"), tr("Date"), tr("Size"), tr("Phone order")};
}

// What can be done, and the empty state

bool BrowserPresenter::browseEnabled() const
{
    const State state = m_viewModel->state();
    return (state == State::ready || state == State::transferFailed || state == State::transferring)
        && m_viewModel->selectedDevice() && m_viewModel->selectedStorage();
}

bool BrowserPresenter::showsEmptyState() const
{
    return m_viewModel->entries().isEmpty();
}

QString BrowserPresenter::emptyStateTitle() const
{
    // Whatever the last search said, a new one is running: its outcome is not known yet.
    if (m_viewModel->scanning())
        return tr("Looking for phones");
    switch (m_viewModel->state()) {
    case State::noDevice: return tr("No Android device");
    case State::deviceUnavailable:
    case State::transferFailed: return tr("Files unavailable");
    case State::loadingDirectory: return tr("Loading files");
    case State::ready:
    case State::transferring: break;
    }
    return tr("No files");
}

QString BrowserPresenter::emptyStateIconName() const
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

QString BrowserPresenter::emptyStateDescription() const
{
    if (m_viewModel->scanning())
        return tr("Checking what is connected over USB.");
    switch (m_viewModel->state()) {
    case State::noDevice:
        return tr("Use a data-capable USB cable, unlock the device, choose USB File transfer, then press Refresh. "
                  "If it still does not appear, try another cable or USB port.");
    case State::deviceUnavailable:
    case State::transferFailed: return m_viewModel->statusMessage();
    case State::loadingDirectory: return tr("Reading the selected storage.");
    case State::ready:
    case State::transferring: break;
    }
    return tr("This folder is empty.");
}

// The pickers

bool BrowserPresenter::showsDevicePicker() const
{
    return m_viewModel->devices().size() > 1;
}

QStringList BrowserPresenter::deviceChoices() const
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

int BrowserPresenter::selectedDeviceIndex() const
{
    const auto selected = m_viewModel->selectedDevice();
    const QList<AndroidDevice> devices = m_viewModel->devices();
    for (int i = 0; selected && i < devices.size(); ++i) {
        if (devices.at(i).id == selected->id)
            return i;
    }
    return -1;
}

bool BrowserPresenter::showsStoragePicker() const
{
    return m_viewModel->storages().size() > 1;
}

QStringList BrowserPresenter::storageChoices() const
{
    const QList<AndroidStorage> storages = m_viewModel->storages();
    const auto kindName = [](const AndroidStorage &storage) {
        switch (storage.kind) {
        case StorageKind::internal: return tr("Internal storage");
        case StorageKind::removable: return tr("SD card");
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

int BrowserPresenter::selectedStorageIndex() const
{
    const auto selected = m_viewModel->selectedStorage();
    const QList<AndroidStorage> storages = m_viewModel->storages();
    for (int i = 0; selected && i < storages.size(); ++i) {
        if (storages.at(i).id == selected->id)
            return i;
    }
    return -1;
}

bool BrowserPresenter::pickersEnabled() const
{
    return m_viewModel->state() != State::transferring;
}

// Actions

QCoro::Task<> BrowserPresenter::chooseDownloadDestination(RemoteEntry entry)
{
    QPointer<TarvelViewModel> viewModel = m_viewModel;
    const QUrl startIn = WindowSettings().downloadFolder().value_or(m_desktop->downloadsFolder());
    const std::optional<QUrl> destination =
        co_await m_desktop->chooseSaveLocation(proposedFileName(entry.name), tr("Download"), startIn);
    if (!viewModel || !destination || destination->isEmpty())
        co_return;
    WindowSettings().setDownloadFolder(destination->adjusted(QUrl::RemoveFilename | QUrl::StripTrailingSlash));
    // Started, not awaited: the download reports itself through the view model.
    viewModel->download(entry.id, entry.name, *destination);
}

QString BrowserPresenter::proposedFileName(const QString &remoteName)
{
    QString name = remoteName;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    name.replace(QChar(0), QLatin1Char('_'));
    // "." and ".." would move the panel to another folder instead of naming a file.
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        name.fill(QLatin1Char('_'));
    return name;
}

// Slots QML calls. Each checks the rule that enables its control, so a stale click or a
// shortcut fired in the wrong state does nothing.

void BrowserPresenter::startNavigateUp()
{
    if (upEnabled())
        m_viewModel->navigateUp();
}

void BrowserPresenter::startOpenFolder(int row)
{
    const auto entry = entryAt(row);
    if (entry && entry->kind == RemoteEntryKind::folder && browseEnabled())
        m_viewModel->openFolder(*entry);
}

void BrowserPresenter::startRowAction(int row)
{
    const auto entry = entryAt(row);
    if (!entry)
        return;
    if (entry->kind == RemoteEntryKind::folder && browseEnabled())
        m_viewModel->openFolder(*entry);
    else if (entry->kind == RemoteEntryKind::file && rowActionsEnabled())
        chooseDownloadDestination(*entry);
}

void BrowserPresenter::startOpenBreadcrumb(int index)
{
    if (upEnabled() && index >= 0 && index < m_viewModel->folderPath().size())
        m_viewModel->navigateToDepth(index);
}

void BrowserPresenter::clickRow(int row, int modifiers)
{
    const auto entry = entryAt(row);
    if (!entry)
        return;
    if (modifiers & Qt::ControlModifier) {
        m_entries.toggleSelected(row);
    } else if (modifiers & Qt::ShiftModifier) {
        m_entries.selectRangeTo(row);
    } else {
        m_entries.selectOnly(row);
    }
}

void BrowserPresenter::activateRow(int row)
{
    m_entries.selectOnly(row);
    startRowAction(row);
}

void BrowserPresenter::startNavigateBack()
{
    if (!backEnabled() || !browseEnabled())
        return;
    m_goingBackTo = m_backPaths.takeLast();
    m_viewModel->openPath(*m_goingBackTo);
    m_locationChanges.request();
}

void BrowserPresenter::toggleRowSelection(int row)
{
    m_entries.toggleSelected(row);
}

void BrowserPresenter::setSortIndex(int index)
{
    if (index < 0 || index >= sortTitles().size())
        return;
    m_entries.setSortOrder(RemoteEntryListModel::SortOrder(index));
    keepSort();
    Q_EMIT sortChanged();
}

void BrowserPresenter::reverseSort()
{
    m_entries.setSortReversed(!m_entries.sortReversed());
    keepSort();
    Q_EMIT sortChanged();
}

void BrowserPresenter::openFilter()
{
    m_filterOpen = true;
    Q_EMIT filterChanged();
}

void BrowserPresenter::setFilterText(const QString &text)
{
    if (text == m_entries.filterText())
        return;
    m_entries.setFilterText(text);
    Q_EMIT filterChanged();
    m_locationChanges.request();
}

void BrowserPresenter::closeFilter()
{
    const bool wasOpen = std::exchange(m_filterOpen, false);
    if (!m_entries.filterText().isEmpty())
        setFilterText(QString());
    else if (wasOpen)
        Q_EMIT filterChanged();
}

bool BrowserPresenter::pressBrowserKey(int key, int modifiers, const QString &text, int rowsPerPage)
{
    const auto held = Qt::KeyboardModifiers(modifiers) & ~Qt::KeypadModifier;
    const bool shift = held == Qt::ShiftModifier;
    const bool control = held == Qt::ControlModifier;
    const int current = m_entries.currentRow();
    // Plain keys select the row they move to, as in a file manager; with Ctrl they move
    // without selecting, with Shift they select from the anchor to it.
    const auto moveTo = [&](int row) {
        if (held != Qt::NoModifier && !shift && !control)
            return false;
        row = std::clamp(row, 0, std::max(0, m_entries.rowCount() - 1));
        if (shift)
            m_entries.selectRangeTo(row);
        else if (control)
            m_entries.setCurrentRow(row);
        else
            m_entries.selectOnly(row);
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
        if (held != Qt::NoModifier && !control)
            return false;
        // A picture opens in the preview, as in a file manager; other rows toggle.
        if (!m_preview.openAt(current))
            m_entries.toggleSelected(current);
        return true;
    case Qt::Key_F2:
        m_files.askRename();
        return true;
    case Qt::Key_Delete:
        m_files.askDelete();
        return true;
    case Qt::Key_Menu:
        m_files.askMenu(current);
        return true;
    case Qt::Key_F10:
        if (!shift)
            return false;
        m_files.askMenu(current);
        return true;
    case Qt::Key_Escape:
        // Only while the filter narrows the rows; else Escape is the window's.
        if (m_entries.filterText().isEmpty() && !m_filterOpen)
            return false;
        closeFilter();
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
void BrowserPresenter::jumpToTypedName(const QString &typed)
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

void BrowserPresenter::startDownloadSelection()
{
    if (downloadSelectionEnabled())
        m_transfers->downloadEntries(selectedEntries());
}

void BrowserPresenter::startSelectDevice(int index)
{
    const QList<AndroidDevice> devices = m_viewModel->devices();
    if (pickersEnabled() && index >= 0 && index < devices.size())
        m_viewModel->selectDevice(devices.at(index).id);
}

void BrowserPresenter::startSelectStorage(int index)
{
    const QList<AndroidStorage> storages = m_viewModel->storages();
    if (pickersEnabled() && index >= 0 && index < storages.size())
        m_viewModel->selectStorage(storages.at(index).id);
}

} // namespace tarvel
