#pragma once

// The left pane: where the listing is (the header with its breadcrumb and the pickers),
// the rows with their order, filter, current row and selection, what an empty listing
// says, and what clicks and keys do there. The rows' order and filter, the current row,
// the selection, the folders to go back to and the letters just typed are the only state
// of its own; everything else it reads from the view model. New folder, rename and delete
// are its file actions'.

#include "TarvelApp/DesktopServices.h"
#include "TarvelApp/FileActionsPresenter.h"
#include "TarvelApp/NextTurn.h"
#include "TarvelApp/PreviewPresenter.h"
#include "TarvelApp/RemoteEntryListModel.h"
#include "TarvelApp/SymbolSource.h"
#include "TarvelApp/ThumbnailPresenter.h"
#include "TarvelApp/TransferPresenter.h"
#include "TarvelApp/WindowSettings.h"
#include "TarvelCore/TarvelViewModel.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

namespace tarvel {

class BrowserPresenter : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The window hands the remote browser its presenter.")

    Q_PROPERTY(bool upEnabled READ upEnabled NOTIFY locationChanged)
    Q_PROPERTY(QString currentLocationTitle READ currentLocationTitle NOTIFY locationChanged)
    Q_PROPERTY(QString locationDetailText READ locationDetailText NOTIFY locationChanged)
    Q_PROPERTY(QStringList breadcrumbTrail READ breadcrumbTrail NOTIFY locationChanged)
    Q_PROPERTY(QString linkText READ linkText NOTIFY linkChanged)
    Q_PROPERTY(QString linkHint READ linkHint NOTIFY linkChanged)

    Q_PROPERTY(bool rowActionsEnabled READ rowActionsEnabled NOTIFY browsingChanged)
    Q_PROPERTY(bool browseEnabled READ browseEnabled NOTIFY browsingChanged)
    Q_PROPERTY(bool downloadSelectionEnabled READ downloadSelectionEnabled NOTIFY browsingChanged)
    Q_PROPERTY(bool showsEmptyState READ showsEmptyState NOTIFY browsingChanged)
    Q_PROPERTY(QString emptyStateTitle READ emptyStateTitle NOTIFY browsingChanged)
    Q_PROPERTY(QString emptyStateDescription READ emptyStateDescription NOTIFY browsingChanged)
    Q_PROPERTY(QUrl emptyStateIconSource READ emptyStateIconSource NOTIFY browsingChanged)
    Q_PROPERTY(bool showsDevicePicker READ showsDevicePicker NOTIFY browsingChanged)
    Q_PROPERTY(QStringList deviceChoices READ deviceChoices NOTIFY browsingChanged)
    Q_PROPERTY(int selectedDeviceIndex READ selectedDeviceIndex NOTIFY browsingChanged)
    Q_PROPERTY(bool showsStoragePicker READ showsStoragePicker NOTIFY browsingChanged)
    Q_PROPERTY(QStringList storageChoices READ storageChoices NOTIFY browsingChanged)
    Q_PROPERTY(int selectedStorageIndex READ selectedStorageIndex NOTIFY browsingChanged)
    Q_PROPERTY(bool pickersEnabled READ pickersEnabled NOTIFY browsingChanged)

    Q_PROPERTY(tarvel::RemoteEntryListModel *entries READ entries CONSTANT)
    Q_PROPERTY(tarvel::ThumbnailPresenter *thumbnails READ thumbnails CONSTANT)
    Q_PROPERTY(tarvel::PreviewPresenter *preview READ preview CONSTANT)
    Q_PROPERTY(QString selectionText READ selectionText NOTIFY selectionChanged)
    Q_PROPERTY(int sortIndex READ sortIndex NOTIFY sortChanged)
    Q_PROPERTY(QString sortText READ sortText NOTIFY sortChanged)
    Q_PROPERTY(bool filterOpen READ filterOpen NOTIFY filterChanged)
    Q_PROPERTY(QString filterText READ filterText NOTIFY filterChanged)
    Q_PROPERTY(bool backEnabled READ backEnabled NOTIFY locationChanged)
    Q_PROPERTY(tarvel::FileActionsPresenter *files READ files CONSTANT)

    Q_PROPERTY(QString upTitle READ upTitle CONSTANT)
    Q_PROPERTY(QUrl upIconSource READ upIconSource CONSTANT)
    Q_PROPERTY(QUrl breadcrumbSeparatorIconSource READ breadcrumbSeparatorIconSource CONSTANT)
    Q_PROPERTY(QString devicePickerTitle READ devicePickerTitle CONSTANT)
    Q_PROPERTY(QString storagePickerTitle READ storagePickerTitle CONSTANT)
    Q_PROPERTY(QStringList sortTitles READ sortTitles CONSTANT)
    Q_PROPERTY(QString sortLabel READ sortLabel CONSTANT)
    Q_PROPERTY(QString reverseSortTitle READ reverseSortTitle CONSTANT)
    Q_PROPERTY(QUrl reverseSortIconSource READ reverseSortIconSource CONSTANT)
    Q_PROPERTY(QString filterPlaceholder READ filterPlaceholder CONSTANT)
    Q_PROPERTY(QString filterTitle READ filterTitle CONSTANT)
    Q_PROPERTY(QUrl filterIconSource READ filterIconSource CONSTANT)
    Q_PROPERTY(QString downloadSelectionTitle READ downloadSelectionTitle CONSTANT)
    Q_PROPERTY(QUrl downloadSelectionIconSource READ downloadSelectionIconSource CONSTANT)

public:
    // Downloads of a selection go to the transfers pane, which shows their folder after.
    BrowserPresenter(TarvelViewModel *viewModel, DesktopServices *desktop, TransferPresenter *transfers,
                     QObject *parent = nullptr);

    // Going up is browsing: also while a folder loads or a transfer runs.
    bool upEnabled() const { return m_viewModel->canNavigateUp(); }
    QString currentLocationTitle() const;
    QString breadcrumbText() const;
    QString storageSubtitle() const;
    // What the header says under the path: the item count and the free space.
    QString locationDetailText() const;
    // "3,000 items", or "12 of 3,000 items" through the filter; empty until a storage is listed.
    QString itemCountText() const;
    // The folders above the one shown, each a button: the storage first, then the path;
    // nothing at the storage's root.
    QStringList breadcrumbTrail() const;
    // The phone's USB link ("USB 2.0, 480 Mbit/s"), and the hint when another port or
    // cable would copy faster; empty while the bus has not told.
    QString linkText() const
    {
        const auto link = m_viewModel->selectedDeviceLink();
        return link ? link->text : QString();
    }
    QString linkHint() const
    {
        const auto link = m_viewModel->selectedDeviceLink();
        return link && link->couldBeFaster ? USBLink::fasterHint() : QString();
    }

    // Gates the button of every row and the click on a folder row.
    bool rowActionsEnabled() const { return m_transfers->canStartTransfer(); }
    // Opening folders and going up: also while a transfer runs, whose files then let the
    // listing through between two of them.
    bool browseEnabled() const;
    bool downloadSelectionEnabled() const { return hasSelection() && rowActionsEnabled(); }
    bool showsEmptyState() const;
    QString emptyStateTitle() const;
    QString emptyStateIconName() const;
    QUrl emptyStateIconSource() const { return symbolSource(emptyStateIconName()); }
    QString emptyStateDescription() const;
    // Shown only when there is a choice: more than one phone, more than one storage.
    bool showsDevicePicker() const;
    // Each phone by its model; two of one model with their serials.
    QStringList deviceChoices() const;
    int selectedDeviceIndex() const; // -1 with none selected
    bool showsStoragePicker() const;
    // Each storage by its kind and capacity: the description is the phone's, often in
    // its own language, and only tells two of a kind apart.
    QStringList storageChoices() const;
    int selectedStorageIndex() const;
    // Not while a transfer runs: its destination would change under it.
    bool pickersEnabled() const;

    RemoteEntryListModel *entries() { return &m_entries; }
    ThumbnailPresenter *thumbnails() { return &m_thumbnails; }
    PreviewPresenter *preview() { return &m_preview; }
    bool hasSelection() const { return m_entries.hasSelection(); }
    // The selected entries in the listing's engine order.
    QList<RemoteEntry> selectedEntries() const { return m_entries.selectedEntries(); }
    QString selectionText() const; // "12 items selected · 48.3 MB"; empty without a selection
    int sortIndex() const { return int(m_entries.sortOrder()); }
    QString sortText() const { return m_entries.sortText(); } // "Date, newest first"
    bool filterOpen() const { return m_filterOpen; }
    QString filterText() const { return m_entries.filterText(); }
    bool backEnabled() const { return !m_backPaths.isEmpty() && m_viewModel->selectedStorage(); }
    FileActionsPresenter *files() { return &m_files; }

    static QString upTitle() { return tr("Up"); }
    static QUrl upIconSource() { return symbolSource(QStringLiteral("chevron.up")); }
    static QUrl breadcrumbSeparatorIconSource() { return symbolSource(QStringLiteral("chevron.right")); }
    static QString devicePickerTitle() { return tr("Phone"); }
    static QString storagePickerTitle() { return tr("Storage"); }
    // In the order of RemoteEntryListModel::SortOrder.
    static QStringList sortTitles();
    static QString sortLabel() { return tr("Sort by"); }
    QString reverseSortTitle() const { return tr("Reverse the order"); }
    static QUrl reverseSortIconSource() { return symbolSource(QStringLiteral("arrow.up.arrow.down")); }
    QString filterPlaceholder() const { return tr("Filter by name"); }
    QString filterTitle() const { return tr("Filter"); }
    static QUrl filterIconSource() { return symbolSource(QStringLiteral("magnifyingglass")); }
    static QString downloadSelectionTitle() { return tr("Download"); }
    static QUrl downloadSelectionIconSource() { return symbolSource(QStringLiteral("square.and.arrow.down")); }

    // Asks where to save the file and starts its download; a cancelled panel does nothing.
    QCoro::Task<> chooseDownloadDestination(RemoteEntry entry);
    // A phone's file name made safe to propose in the save panel: it must stay a name
    // in the folder the user picks, never a path.
    static QString proposedFileName(const QString &remoteName);

public Q_SLOTS:
    void startNavigateUp();
    // Opens the row's folder; does nothing for files.
    void startOpenFolder(int row);
    // The row's button: opens a folder or downloads a file.
    void startRowAction(int row);
    // A breadcrumb button: 0 is the storage's root, n the n-th folder of the path.
    void startOpenBreadcrumb(int index);
    // A click on a row, with the keyboard modifiers held: Ctrl toggles the row, Shift
    // selects up to it, and a plain click selects it alone.
    void clickRow(int row, int modifiers);
    // A double click: opens a folder, downloads a file.
    void activateRow(int row);
    // The folder shown before this one (Alt+Left).
    void startNavigateBack();
    // The row's check mark.
    void toggleRowSelection(int row);
    void setSortIndex(int index);
    void reverseSort();
    // Ctrl+F: the window shows the filter field and gives it the keyboard.
    void openFilter();
    void setFilterText(const QString &text);
    // Escape: every row shows again.
    void closeFilter();
    // A key pressed in the listing. False for a key the listing does not use, which then
    // goes on to the window. rowsPerPage is how far Page Up and Page Down move.
    bool pressBrowserKey(int key, int modifiers, const QString &text, int rowsPerPage);
    // Copies the selection into a folder the transfers pane asks for.
    void startDownloadSelection();
    void startSelectDevice(int index);
    void startSelectStorage(int index);

Q_SIGNALS:
    // The folder shown, its path, its item count or the storage's space changed.
    void locationChanged();
    // What can be done here (the rows' actions, the pickers, Download) or what an empty
    // listing says may have changed.
    void browsingChanged();
    // The selected rows changed.
    void selectionChanged();
    void sortChanged();
    void filterChanged();
    void linkChanged();

private:
    std::optional<RemoteEntry> entryAt(int row) const { return m_entries.entryAt(row); }
    QString spaceText() const; // empty when the storage gives no sizes
    void jumpToTypedName(const QString &typed);
    void placeCurrentRowAfterNavigation();
    // The order the last run left, and the one the next run opens with.
    void restoreSort()
    {
        if (const auto kept = WindowSettings().sort()) {
            m_entries.setSortOrder(kept->order);
            m_entries.setSortReversed(kept->reversed);
        }
    }
    void keepSort() const { WindowSettings().setSort({m_entries.sortOrder(), m_entries.sortReversed()}); }

    QPointer<TarvelViewModel> m_viewModel;
    DesktopServices *m_desktop;
    TransferPresenter *m_transfers;
    RemoteEntryListModel m_entries;
    ThumbnailPresenter m_thumbnails;
    PreviewPresenter m_preview;
    QList<RemoteEntry> m_shownPath; // the path the rows were last placed for
    QStringList m_backPlace;               // the phone and storage the paths are in
    QList<QList<RemoteEntry>> m_backPaths; // latest last
    std::optional<QList<RemoteEntry>> m_goingBackTo;
    bool m_filterOpen = false;
    QString m_typedName;
    QElapsedTimer m_typedNameClock;
    // Both raised once for all the view model's changes of one turn, in the next turn.
    NextTurn m_locationChanges;
    NextTurn m_browsingChanges;
    FileActionsPresenter m_files;
};

} // namespace tarvel
