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
#include "TarvelApp/TransferSummary.h"
#include "TarvelCore/SerialWorker.h"
#include "TarvelCore/TarvelViewModel.h"

#include <QColor>
#include <QElapsedTimer>
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
    Q_PROPERTY(QString transferTitle READ transferTitle NOTIFY presentationChanged)
    Q_PROPERTY(QString transferIconName READ transferIconName NOTIFY presentationChanged)
    Q_PROPERTY(QString transferRouteText READ transferRouteText NOTIFY presentationChanged)
    Q_PROPERTY(bool transferHasProgress READ transferHasProgress NOTIFY presentationChanged)
    Q_PROPERTY(double transferProgress READ transferProgress NOTIFY presentationChanged)
    Q_PROPERTY(QString transferBytesText READ transferBytesText NOTIFY presentationChanged)
    Q_PROPERTY(QUrl transferIconSource READ transferIconSource NOTIFY presentationChanged)

    // Donation section
    Q_PROPERTY(QString donationAddress READ donationAddress CONSTANT)
    Q_PROPERTY(QUrl donationQRCodeSource READ donationQRCodeSource CONSTANT)

    // Fixed labels
    Q_PROPERTY(QString refreshTitle READ refreshTitle CONSTANT)
    Q_PROPERTY(QString upTitle READ upTitle CONSTANT)
    Q_PROPERTY(QString transfersTitle READ transfersTitle CONSTANT)
    Q_PROPERTY(QString chooseFileTitle READ chooseFileTitle CONSTANT)
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
    Q_PROPERTY(QStringList sortTitles READ sortTitles CONSTANT)
    Q_PROPERTY(QString sortLabel READ sortLabel CONSTANT)
    Q_PROPERTY(QString downloadSelectionTitle READ downloadSelectionTitle CONSTANT)

    // Fixed icons
    Q_PROPERTY(QUrl refreshIconSource READ refreshIconSource CONSTANT)
    Q_PROPERTY(QUrl upIconSource READ upIconSource CONSTANT)
    Q_PROPERTY(QUrl chooseFileIconSource READ chooseFileIconSource CONSTANT)
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
    double transferProgress() const { return summary().progress; }
    QString transferBytesText() const { return summary().bytesText; }
    QUrl transferIconSource() const { return symbolSource(transferIconName()); }

    QString donationAddress() const;
    // Empty when the image is missing from the resources or cannot be decoded. The
    // resources are fixed for the life of the process, so the image is decoded once.
    QUrl donationQRCodeSource() const;

    static QString refreshTitle() { return QStringLiteral("Refresh"); }
    static QString upTitle() { return QStringLiteral("Up"); }
    static QString transfersTitle() { return QStringLiteral("Transfers"); }
    static QString chooseFileTitle() { return QStringLiteral("Choose File to Upload"); }
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
    // In the order of RemoteEntryListModel::SortOrder.
    static QStringList sortTitles();
    static QString sortLabel() { return QStringLiteral("Sort by"); }
    static QString downloadSelectionTitle() { return QStringLiteral("Download"); }

    static QUrl refreshIconSource() { return symbolSource(QStringLiteral("arrow.clockwise")); }
    static QUrl upIconSource() { return symbolSource(QStringLiteral("chevron.up")); }
    static QUrl chooseFileIconSource() { return symbolSource(QStringLiteral("square.and.arrow.up")); }
    static QUrl pasteIconSource() { return symbolSource(QStringLiteral("clipboard")); }
    static QUrl noTransferIconSource() { return symbolSource(QStringLiteral("checkmark.circle")); }
    static QUrl copyAddressIconSource() { return symbolSource(QStringLiteral("doc.on.doc")); }
    static QUrl koFiIconSource() { return symbolSource(QStringLiteral("heart.fill")); }
    static QUrl walletIconSource() { return symbolSource(QStringLiteral("qrcode")); }
    static QUrl downloadSelectionIconSource() { return symbolSource(QStringLiteral("square.and.arrow.down")); }
    static QUrl disclosureClosedIconSource() { return symbolSource(QStringLiteral("chevron.right")); }
    static QUrl disclosureOpenIconSource() { return symbolSource(QStringLiteral("chevron.down")); }

    // Scan, then open the first device's storage if one was found. Ends early when
    // this view goes away.
    QCoro::Task<> refreshSequence();
    // The refresh sequence, after which the window goes back down the folders it showed,
    // as far as they still exist, when the same phone and storage are listed again.
    QCoro::Task<> refreshKeepingPlace();
    // Asks where to save the file and starts its download; a cancelled panel does nothing.
    QCoro::Task<> chooseDownloadDestination(RemoteEntry entry);
    QCoro::Task<> chooseFileToUpload();
    QCoro::Task<> pasteFilesFromFinder();
    // Uploads the regular local files among the URLs one after another into the folder
    // shown when each starts, then lists that folder again once. Anything else is
    // dropped silently; with nothing left, nothing happens. Which URLs are regular
    // files is asked of the file system off the UI thread.
    QCoro::Task<> uploadFiles(QList<QUrl> urls);

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
    void startPasteFromClipboard();
    void copyDonationAddress();
    void openKoFi();
    void openBitcoinWallet();

Q_SIGNALS:
    // Any view-model change: every derived property may have a new value.
    void presentationChanged();
    // The selected rows changed (presentationChanged follows).
    void selectionChanged();

private:
    std::optional<RemoteEntry> entryAt(int row) const;
    TransferSummary summary() const;
    QString spaceText() const; // empty when the storage gives no sizes
    void jumpToTypedName(const QString &typed);
    void placeCurrentRowAfterNavigation();

    QPointer<TarvelViewModel> m_viewModel;
    DesktopServices *m_desktop;
    RemoteEntryListModel m_entries;
    QList<RemoteEntry> m_shownPath; // the path the rows were last placed for
    bool m_transferShown = false;
    QString m_typedName;
    QElapsedTimer m_typedNameClock;
    // Local file checks: a stat can block for long on a network mount or a disk that
    // spins up. Last, so it is destroyed first and waits for a check in progress.
    SerialWorker m_fileChecks;
};

} // namespace tarvel
