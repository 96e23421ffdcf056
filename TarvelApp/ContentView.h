#pragma once

// The presenter of the one window. Every text, enabling rule and action of the window
// lives here; the QML files only lay out what these properties say and call the start*
// slots, which start a task and return at once. Derived from the view model on every
// change it announces; the only state it holds is the browsing the window does on its own:
// the rows' order, the current row and the selection (in its list model), and the letters
// just typed to find a name.

#include "TarvelApp/DesktopServices.h"
#include "TarvelApp/RemoteEntryListModel.h"
#include "TarvelApp/SymbolSource.h"
#include "TarvelApp/TransferRate.h"
#include "TarvelApp/TransferSummary.h"
#include "TarvelCore/SerialWorker.h"
#include "TarvelCore/TarvelViewModel.h"

#include <QColor>
#include <QElapsedTimer>
#include <QTimer>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

namespace tarvel {

class ContentView : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application hands the window its ContentView.")

    // Status bar
    Q_PROPERTY(QString statusMessage READ statusMessage NOTIFY presentationChanged)
    Q_PROPERTY(bool showsStatusSpinner READ showsStatusSpinner NOTIFY presentationChanged)
    Q_PROPERTY(QString statusIconName READ statusIconName NOTIFY presentationChanged)
    Q_PROPERTY(QColor statusTint READ statusTint NOTIFY presentationChanged)
    Q_PROPERTY(bool refreshEnabled READ refreshEnabled NOTIFY presentationChanged)
    Q_PROPERTY(QUrl statusIconSource READ statusIconSource NOTIFY presentationChanged)

    // Remote browser
    Q_PROPERTY(bool upEnabled READ upEnabled NOTIFY presentationChanged)
    Q_PROPERTY(QString currentLocationTitle READ currentLocationTitle NOTIFY presentationChanged)
    Q_PROPERTY(QString storageSubtitle READ storageSubtitle NOTIFY presentationChanged)
    Q_PROPERTY(QString breadcrumbText READ breadcrumbText NOTIFY presentationChanged)
    Q_PROPERTY(bool showsEmptyState READ showsEmptyState NOTIFY presentationChanged)
    Q_PROPERTY(QString emptyStateTitle READ emptyStateTitle NOTIFY presentationChanged)
    Q_PROPERTY(QString emptyStateIconName READ emptyStateIconName NOTIFY presentationChanged)
    Q_PROPERTY(QString emptyStateDescription READ emptyStateDescription NOTIFY presentationChanged)
    Q_PROPERTY(QUrl emptyStateIconSource READ emptyStateIconSource NOTIFY presentationChanged)
    Q_PROPERTY(tarvel::RemoteEntryListModel *entries READ entries CONSTANT)
    Q_PROPERTY(bool rowActionsEnabled READ rowActionsEnabled NOTIFY presentationChanged)
    Q_PROPERTY(bool browseEnabled READ browseEnabled NOTIFY presentationChanged)
    Q_PROPERTY(bool showsDevicePicker READ showsDevicePicker NOTIFY presentationChanged)
    Q_PROPERTY(QStringList deviceChoices READ deviceChoices NOTIFY presentationChanged)
    Q_PROPERTY(int selectedDeviceIndex READ selectedDeviceIndex NOTIFY presentationChanged)
    Q_PROPERTY(bool showsStoragePicker READ showsStoragePicker NOTIFY presentationChanged)
    Q_PROPERTY(QStringList storageChoices READ storageChoices NOTIFY presentationChanged)
    Q_PROPERTY(int selectedStorageIndex READ selectedStorageIndex NOTIFY presentationChanged)
    Q_PROPERTY(bool pickersEnabled READ pickersEnabled NOTIFY presentationChanged)
    Q_PROPERTY(QStringList breadcrumbTrail READ breadcrumbTrail NOTIFY presentationChanged)
    Q_PROPERTY(QString itemCountText READ itemCountText NOTIFY presentationChanged)
    Q_PROPERTY(QString locationDetailText READ locationDetailText NOTIFY presentationChanged)
    Q_PROPERTY(int sortIndex READ sortIndex NOTIFY presentationChanged)
    Q_PROPERTY(bool hasSelection READ hasSelection NOTIFY presentationChanged)
    Q_PROPERTY(QString selectionText READ selectionText NOTIFY presentationChanged)
    Q_PROPERTY(bool downloadSelectionEnabled READ downloadSelectionEnabled NOTIFY presentationChanged)
    Q_PROPERTY(QString windowTitle READ windowTitle NOTIFY presentationChanged)

    // Local actions and the running transfer
    Q_PROPERTY(bool uploadEnabled READ uploadEnabled NOTIFY presentationChanged)
    Q_PROPERTY(QString uploadHelperText READ uploadHelperText NOTIFY presentationChanged)
    Q_PROPERTY(bool hasTransfer READ hasTransfer NOTIFY presentationChanged)
    Q_PROPERTY(QString transferTitle READ transferTitle NOTIFY transferProgressChanged)
    // The transfer pane binds to these copies: a batch's next file changes them without
    // re-evaluating the whole window, and progress alone leaves them be.
    Q_PROPERTY(QString currentTransferTitle READ transferTitle NOTIFY transferFileChanged)
    Q_PROPERTY(QString transferIconName READ transferIconName NOTIFY transferProgressChanged)
    Q_PROPERTY(QString currentTransferIconName READ transferIconName NOTIFY transferFileChanged)
    Q_PROPERTY(QString transferRouteText READ transferRouteText NOTIFY transferProgressChanged)
    Q_PROPERTY(QString currentTransferRouteText READ transferRouteText NOTIFY transferFileChanged)
    // Progress changes many times a second: it has a signal of its own, so a tick
    // re-evaluates only what shows it. Every presentationChanged also raises it.
    Q_PROPERTY(bool transferHasProgress READ transferHasProgress NOTIFY transferProgressChanged)
    Q_PROPERTY(bool showsCurrentFile READ showsCurrentFile NOTIFY transferFileChanged)
    Q_PROPERTY(bool transferBarIndeterminate READ transferBarIndeterminate NOTIFY transferProgressChanged)
    Q_PROPERTY(double transferProgress READ transferProgress NOTIFY transferProgressChanged)
    Q_PROPERTY(QString transferBytesText READ transferBytesText NOTIFY transferProgressChanged)
    Q_PROPERTY(QString transferRateText READ transferRateText NOTIFY transferProgressChanged)
    Q_PROPERTY(QString transferWindowTitle READ transferWindowTitle NOTIFY transferProgressChanged)
    Q_PROPERTY(QString cancelTransferTitle READ cancelTransferTitle NOTIFY presentationChanged)
    Q_PROPERTY(bool cancelTransferEnabled READ cancelTransferEnabled NOTIFY presentationChanged)
    Q_PROPERTY(QString quitQuestionText READ quitQuestionText NOTIFY presentationChanged)
    Q_PROPERTY(bool hasBatch READ hasBatch NOTIFY presentationChanged)
    Q_PROPERTY(QString batchText READ batchText NOTIFY transferProgressChanged)
    Q_PROPERTY(double batchProgress READ batchProgress NOTIFY transferProgressChanged)
    Q_PROPERTY(bool showInFolderVisible READ showInFolderVisible NOTIFY presentationChanged)
    Q_PROPERTY(QUrl transferIconSource READ transferIconSource NOTIFY transferProgressChanged)
    Q_PROPERTY(QUrl currentTransferIconSource READ transferIconSource NOTIFY transferFileChanged)

    // Donation section
    Q_PROPERTY(QString donationAddress READ donationAddress CONSTANT)
    Q_PROPERTY(QUrl donationQRCodeSource READ donationQRCodeSource CONSTANT)

    // Fixed labels
    Q_PROPERTY(QString refreshTitle READ refreshTitle CONSTANT)
    Q_PROPERTY(QString upTitle READ upTitle CONSTANT)
    Q_PROPERTY(QString transfersTitle READ transfersTitle CONSTANT)
    Q_PROPERTY(QString chooseFileTitle READ chooseFileTitle CONSTANT)
    Q_PROPERTY(QString chooseFolderTitle READ chooseFolderTitle CONSTANT)
    Q_PROPERTY(QString showInFolderTitle READ showInFolderTitle CONSTANT)
    Q_PROPERTY(QString pasteTitle READ pasteTitle CONSTANT)
    Q_PROPERTY(QString noTransferTitle READ noTransferTitle CONSTANT)
    Q_PROPERTY(QString noTransferDescription READ noTransferDescription CONSTANT)
    Q_PROPERTY(QString supportTitle READ supportTitle CONSTANT)
    Q_PROPERTY(QString supportStatement READ supportStatement CONSTANT)
    Q_PROPERTY(QString donationAddressCaption READ donationAddressCaption CONSTANT)
    Q_PROPERTY(QString donationQRCodeName READ donationQRCodeName CONSTANT)
    Q_PROPERTY(QString copyAddressTitle READ copyAddressTitle CONSTANT)
    Q_PROPERTY(QString koFiTitle READ koFiTitle CONSTANT)
    Q_PROPERTY(QString walletTitle READ walletTitle CONSTANT)
    Q_PROPERTY(QString devicePickerTitle READ devicePickerTitle CONSTANT)
    Q_PROPERTY(QString storagePickerTitle READ storagePickerTitle CONSTANT)
    Q_PROPERTY(QString quitQuestionTitle READ quitQuestionTitle CONSTANT)
    Q_PROPERTY(QString stopAndQuitTitle READ stopAndQuitTitle CONSTANT)
    Q_PROPERTY(QString keepCopyingTitle READ keepCopyingTitle CONSTANT)
    Q_PROPERTY(QStringList sortTitles READ sortTitles CONSTANT)
    Q_PROPERTY(QString sortLabel READ sortLabel CONSTANT)
    Q_PROPERTY(QString downloadSelectionTitle READ downloadSelectionTitle CONSTANT)

    // Fixed icons
    Q_PROPERTY(QUrl refreshIconSource READ refreshIconSource CONSTANT)
    Q_PROPERTY(QUrl upIconSource READ upIconSource CONSTANT)
    Q_PROPERTY(QUrl chooseFileIconSource READ chooseFileIconSource CONSTANT)
    Q_PROPERTY(QUrl chooseFolderIconSource READ chooseFolderIconSource CONSTANT)
    Q_PROPERTY(QUrl pasteIconSource READ pasteIconSource CONSTANT)
    Q_PROPERTY(QUrl noTransferIconSource READ noTransferIconSource CONSTANT)
    Q_PROPERTY(QUrl copyAddressIconSource READ copyAddressIconSource CONSTANT)
    Q_PROPERTY(QUrl koFiIconSource READ koFiIconSource CONSTANT)
    Q_PROPERTY(QUrl walletIconSource READ walletIconSource CONSTANT)
    Q_PROPERTY(QUrl downloadSelectionIconSource READ downloadSelectionIconSource CONSTANT)
    Q_PROPERTY(QUrl disclosureClosedIconSource READ disclosureClosedIconSource CONSTANT)
    Q_PROPERTY(QUrl disclosureOpenIconSource READ disclosureOpenIconSource CONSTANT)

public:
    ContentView(TarvelViewModel *viewModel, DesktopServices *desktop, QObject *parent = nullptr);

    QString statusMessage() const;
    bool showsStatusSpinner() const;
    QString statusIconName() const; // empty while the spinner shows
    QColor statusTint() const;
    bool refreshEnabled() const;
    QUrl statusIconSource() const { return symbolSource(statusIconName()); }

    bool upEnabled() const;
    QString currentLocationTitle() const;
    QString storageSubtitle() const;
    QString breadcrumbText() const;
    bool showsEmptyState() const;
    QString emptyStateTitle() const;
    QString emptyStateIconName() const;
    QString emptyStateDescription() const;
    QUrl emptyStateIconSource() const { return symbolSource(emptyStateIconName()); }
    RemoteEntryListModel *entries() { return &m_entries; }
    // Gates the button of every row and the click on a folder row.
    bool rowActionsEnabled() const;
    // Opening folders and going up: also while a transfer runs, whose files then let the
    // listing through between two of them.
    bool browseEnabled() const;
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
    // The folders above the one shown, each a button: the storage first, then the path;
    // nothing at the storage's root.
    QStringList breadcrumbTrail() const;
    QString itemCountText() const; // "3,000 items"; empty until a storage is listed
    // What the header says under the path: the item count and the free space.
    QString locationDetailText() const;
    int sortIndex() const { return int(m_entries.sortOrder()); }
    bool hasSelection() const { return m_entries.hasSelection(); }
    QString selectionText() const; // "12 items selected · 48.3 MB"; empty without a selection
    bool downloadSelectionEnabled() const { return hasSelection() && rowActionsEnabled(); }
    // The selected entries in the listing's engine order.
    QList<RemoteEntry> selectedEntries() const { return m_entries.selectedEntries(); }
    // "Camera – Pixel 8 – Tarvel"; "Tarvel" with no phone.
    QString windowTitle() const;

    bool uploadEnabled() const;
    QString uploadHelperText() const;
    bool hasTransfer() const;
    QString transferTitle() const { return summary().title; }
    QString transferIconName() const { return summary().iconName; }
    QString transferRouteText() const { return summary().routeText; }
    bool transferHasProgress() const { return summary().hasProgress; }
    // A batch has no file of its own while its folders are listed.
    bool showsCurrentFile() const { return m_viewModel->currentTransfer().has_value(); }
    // Only a lone copy animates its bar until the first bytes: restarted for each of a
    // thousand small files, the animation would keep the window drawing all along.
    bool transferBarIndeterminate() const { return !transferHasProgress() && !hasBatch(); }
    double transferProgress() const { return summary().progress; }
    QString transferBytesText() const { return summary().bytesText; }
    // "12.3 MB/s · 2 min left" once a second of bytes has moved; empty before.
    QString transferRateText() const;
    // "Tarvel – Downloading 45%" while a transfer runs, else empty.
    QString transferWindowTitle() const;
    // "Cancel", then "Cancelling…" until the cancelled transfer has left the lane.
    QString cancelTransferTitle() const;
    bool cancelTransferEnabled() const;
    QString quitQuestionText() const;
    bool hasBatch() const { return m_viewModel->currentBatch().has_value(); }
    // "File 3 of 212 · 45 MB of 1.2 GB · 2 min left"; "Looking through folders: 212 files so
    // far" while they are listed.
    QString batchText() const;
    double batchProgress() const;
    // After a batch download, until the next transfer: the folder it went to can be opened.
    bool showInFolderVisible() const;
    QUrl transferIconSource() const { return symbolSource(transferIconName()); }

    QString donationAddress() const;
    // Empty when the image is missing from the resources or cannot be decoded. The
    // resources are fixed for the life of the process, so the image is decoded once.
    QUrl donationQRCodeSource() const;

    static QString refreshTitle() { return QStringLiteral("Refresh"); }
    static QString upTitle() { return QStringLiteral("Up"); }
    static QString transfersTitle() { return QStringLiteral("Transfers"); }
    static QString chooseFileTitle() { return QStringLiteral("Choose File to Upload"); }
    static QString chooseFolderTitle() { return QStringLiteral("Choose Folder to Upload"); }
    static QString showInFolderTitle() { return QStringLiteral("Show in Folder"); }
    static QString downloadSelectionPrompt() { return QStringLiteral("Download Here"); }
    static QString pasteTitle() { return QStringLiteral("Paste Files"); }
    static QString noTransferTitle() { return QStringLiteral("No active transfer"); }
    static QString noTransferDescription() { return QStringLiteral("Downloads and uploads will appear here while they are running."); }
    static QString supportTitle() { return QStringLiteral("Support development"); }
    static QString supportStatement() { return QStringLiteral("Tarvel 2 is maintained independently by Orvath."); }
    static QString donationAddressCaption() { return QStringLiteral("BTC SegWit"); }
    static QString donationQRCodeName() { return QStringLiteral("BTC donation QR code"); }
    static QString copyAddressTitle() { return QStringLiteral("Copy BTC Address"); }
    static QString koFiTitle() { return QStringLiteral("Open Ko-fi"); }
    static QString walletTitle() { return QStringLiteral("Open Bitcoin Wallet"); }
    static QString devicePickerTitle() { return QStringLiteral("Phone"); }
    static QString storagePickerTitle() { return QStringLiteral("Storage"); }
    static QString quitQuestionTitle() { return QStringLiteral("Stop the transfer and quit?"); }
    static QString stopAndQuitTitle() { return QStringLiteral("Stop and Quit"); }
    static QString keepCopyingTitle() { return QStringLiteral("Keep Copying"); }
    // In the order of RemoteEntryListModel::SortOrder.
    static QStringList sortTitles();
    static QString sortLabel() { return QStringLiteral("Sort by"); }
    static QString downloadSelectionTitle() { return QStringLiteral("Download"); }

    static QUrl refreshIconSource() { return symbolSource(QStringLiteral("arrow.clockwise")); }
    static QUrl upIconSource() { return symbolSource(QStringLiteral("chevron.up")); }
    static QUrl chooseFileIconSource() { return symbolSource(QStringLiteral("square.and.arrow.up")); }
    static QUrl chooseFolderIconSource() { return symbolSource(QStringLiteral("folder")); }
    static QUrl pasteIconSource() { return symbolSource(QStringLiteral("clipboard")); }
    static QUrl noTransferIconSource() { return symbolSource(QStringLiteral("checkmark.circle")); }
    static QUrl copyAddressIconSource() { return symbolSource(QStringLiteral("doc.on.doc")); }
    static QUrl koFiIconSource() { return symbolSource(QStringLiteral("heart.fill")); }
    static QUrl walletIconSource() { return symbolSource(QStringLiteral("qrcode")); }
    static QUrl downloadSelectionIconSource() { return symbolSource(QStringLiteral("square.and.arrow.down")); }
    static QUrl disclosureClosedIconSource() { return symbolSource(QStringLiteral("chevron.right")); }
    static QUrl disclosureOpenIconSource() { return symbolSource(QStringLiteral("chevron.down")); }

    // Look for phones and open the one chosen, or the first (the view model's findPhones).
    QCoro::Task<> refreshSequence();
    // The refresh sequence, after which the window goes back down the folders it showed,
    // as far as they still exist, when the same phone and storage are listed again.
    QCoro::Task<> refreshKeepingPlace();
    // Asks where to save the file and starts its download; a cancelled panel does nothing.
    QCoro::Task<> chooseDownloadDestination(RemoteEntry entry);
    // Asks for files and uploads them as uploadFiles does; a cancelled panel does nothing.
    QCoro::Task<> chooseFileToUpload();
    // The files on the clipboard, as uploadFiles takes them.
    QCoro::Task<> pasteFilesFromFinder();
    // Uploads the regular local files among the URLs into the folder shown, as one batch
    // that lists that folder again once at its end. Anything else is dropped silently;
    // with nothing left, nothing happens. Which URLs are regular files is asked of the
    // file system off the UI thread.
    QCoro::Task<> uploadFiles(QList<QUrl> urls);
    // Files and folders, pasted or dropped, as one batch into the folder shown; what the
    // batch cannot take it names at its end.
    QCoro::Task<> uploadItems(QList<QUrl> urls);
    QCoro::Task<> chooseFolderToUpload();
    // Asks once for a folder (first in Downloads, then wherever the user last chose) and
    // copies the entries there, folders with everything in them.
    QCoro::Task<> downloadEntries(QList<RemoteEntry> entries);

    // A phone's file name made safe to propose in the save panel: it must stay a name
    // in the folder the user picks, never a path.
    static QString proposedFileName(const QString &remoteName);

public Q_SLOTS:
    void startRefresh();
    void startNavigateUp();
    // A click anywhere on a row: opens folders, does nothing for files.
    void startOpenFolder(int row);
    // The row's button: opens a folder or downloads a file.
    void startRowAction(int row);
    // A breadcrumb button: 0 is the storage's root, n the n-th folder of the path.
    void startOpenBreadcrumb(int index);
    // A click on a row, with the keyboard modifiers held: Ctrl toggles the row, Shift
    // selects up to it, and a plain click opens a folder or selects a file alone.
    void clickRow(int row, int modifiers);
    // The row's check mark.
    void toggleRowSelection(int row);
    void setSortIndex(int index);
    // A key pressed in the listing. False for a key the listing does not use, which then
    // goes on to the window. rowsPerPage is how far Page Up and Page Down move.
    bool pressBrowserKey(int key, int modifiers, const QString &text, int rowsPerPage);
    // Enabled with a selection; what it does belongs to the transfer queue.
    void startDownloadSelection();
    void startChooseFileToUpload();
    void startSelectDevice(int index);
    void startSelectStorage(int index);
    void startPasteFromClipboard();
    void copyDonationAddress();
    void openKoFi();
    void openBitcoinWallet();
    // Cancel and Escape: stops the running transfer, a batch with all its files.
    void startCancelTransfer();
    // The answer to the question asked when the window closes during a transfer: stops it
    // and asks to quit once it has left the lane, or after a few seconds at most.
    void stopTransferAndQuit();
    void startChooseFolderToUpload();
    // Files and folders dropped on the window: uploaded into the folder shown.
    void startUploadDropped(QList<QUrl> urls);
    void showDownloadedFolder();

Q_SIGNALS:
    // Any view-model change: every derived property may have a new value.
    // The view model's changes of one turn of the event loop raise it once, in the next turn.
    void presentationChanged();
    // The running transfer's bytes moved on; nothing else changed.
    void transferProgressChanged();
    // A batch went on to its next file (raised with transferProgressChanged).
    void transferFileChanged();
    // Nothing runs that must not be cut: the application may end now.
    void quitRequested();
    // The selected rows changed (presentationChanged follows).
    void selectionChanged();

private:
    std::optional<RemoteEntry> entryAt(int row) const;
    TransferSummary summary() const;
    void followTransfer();
    void followBatch();
    void announceProgress();
    void schedulePresentation();
    void quitWhenDone();

    static constexpr int quitWaitMs = 5000;
    QString spaceText() const; // empty when the storage gives no sizes
    void jumpToTypedName(const QString &typed);
    void placeCurrentRowAfterNavigation();

    QPointer<TarvelViewModel> m_viewModel;
    DesktopServices *m_desktop;
    RemoteEntryListModel m_entries;
    QUuid m_shownTransfer; // the job the rate belongs to
    QUuid m_announcedTransfer; // the job transferFileChanged last told of
    TransferRate m_rate;
    QElapsedTimer m_clock;
    bool m_quitting = false;
    bool m_batchShown = false;
    TransferRate m_batchRate;
    QTimer m_presentationTick;
    std::optional<QUrl> m_lastDownloadFolder; // chosen while the app runs
    bool m_showsDownloadedFolder = false;
    QList<RemoteEntry> m_shownPath; // the path the rows were last placed for
    bool m_transferShown = false;
    QString m_typedName;
    QElapsedTimer m_typedNameClock;
    // Local file checks: a stat can block for long on a network mount or a disk that
    // spins up. Last, so it is destroyed first and waits for a check in progress.
    SerialWorker m_fileChecks;
};

} // namespace tarvel
