#pragma once

// The right pane: the upload buttons with the sentence under them, and the running
// transfer (a single copy, or a batch with its current file), Cancel and Show in Folder.
// Progress reaches it as the view model samples the lane, ten times a second: a tick
// raises progressChanged alone, a batch's next file fileChanged, a transfer's start and
// end transferChanged.

#include "TarvelApp/DesktopServices.h"
#include "TarvelApp/NextTurn.h"
#include "TarvelApp/SymbolSource.h"
#include "TarvelApp/TransferRate.h"
#include "TarvelApp/TransferSummary.h"
#include "TarvelCore/SerialWorker.h"
#include "TarvelCore/TarvelViewModel.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

namespace tarvel {

class TransferPresenter : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The window hands the transfers pane its presenter.")

    Q_PROPERTY(bool uploadEnabled READ uploadEnabled NOTIFY uploadChanged)
    Q_PROPERTY(QString uploadHelperText READ uploadHelperText NOTIFY uploadChanged)

    Q_PROPERTY(bool hasTransfer READ hasTransfer NOTIFY transferChanged)
    Q_PROPERTY(bool hasBatch READ hasBatch NOTIFY transferChanged)
    Q_PROPERTY(bool showsBatchProgress READ showsBatchProgress NOTIFY transferChanged)
    Q_PROPERTY(QString cancelTransferTitle READ cancelTransferTitle NOTIFY transferChanged)
    Q_PROPERTY(bool cancelTransferEnabled READ cancelTransferEnabled NOTIFY transferChanged)
    Q_PROPERTY(bool showInFolderVisible READ showInFolderVisible NOTIFY transferChanged)

    Q_PROPERTY(QString transferTitle READ transferTitle NOTIFY fileChanged)
    Q_PROPERTY(QUrl transferIconSource READ transferIconSource NOTIFY fileChanged)
    Q_PROPERTY(QString transferRouteText READ transferRouteText NOTIFY fileChanged)
    Q_PROPERTY(bool showsCurrentFile READ showsCurrentFile NOTIFY fileChanged)

    Q_PROPERTY(bool transferHasProgress READ transferHasProgress NOTIFY progressChanged)
    Q_PROPERTY(bool transferBarIndeterminate READ transferBarIndeterminate NOTIFY progressChanged)
    Q_PROPERTY(double transferProgress READ transferProgress NOTIFY progressChanged)
    Q_PROPERTY(QString transferBytesText READ transferBytesText NOTIFY progressChanged)
    Q_PROPERTY(QString transferRateText READ transferRateText NOTIFY progressChanged)
    Q_PROPERTY(QString batchText READ batchText NOTIFY progressChanged)
    Q_PROPERTY(double batchProgress READ batchProgress NOTIFY progressChanged)

    Q_PROPERTY(QString transfersTitle READ transfersTitle CONSTANT)
    Q_PROPERTY(QString chooseFileTitle READ chooseFileTitle CONSTANT)
    Q_PROPERTY(QUrl chooseFileIconSource READ chooseFileIconSource CONSTANT)
    Q_PROPERTY(QString chooseFolderTitle READ chooseFolderTitle CONSTANT)
    Q_PROPERTY(QUrl chooseFolderIconSource READ chooseFolderIconSource CONSTANT)
    Q_PROPERTY(QString pasteTitle READ pasteTitle CONSTANT)
    Q_PROPERTY(QUrl pasteIconSource READ pasteIconSource CONSTANT)
    Q_PROPERTY(QString noTransferTitle READ noTransferTitle CONSTANT)
    Q_PROPERTY(QString noTransferDescription READ noTransferDescription CONSTANT)
    Q_PROPERTY(QUrl noTransferIconSource READ noTransferIconSource CONSTANT)
    Q_PROPERTY(QString showInFolderTitle READ showInFolderTitle CONSTANT)
    // A cut batch of the phone shown that can resume: its sentence, Resume and Dismiss.
    Q_PROPERTY(QString resumeText READ resumeText NOTIFY resumeChanged)
    Q_PROPERTY(bool resumeVisible READ resumeVisible NOTIFY resumeChanged)
    Q_PROPERTY(QString resumeTitle READ resumeTitle CONSTANT)
    // The batches waiting under the running one: "3 files to Pictures · 12 MB", each with
    // a button that takes it out.
    Q_PROPERTY(QStringList queueLines READ queueLines NOTIFY queueChanged)
    // Each line's button as a screen reader names it: "Remove 3 files to Pictures from the queue".
    Q_PROPERTY(QStringList queueRemoveNames READ queueRemoveNames NOTIFY queueChanged)
    Q_PROPERTY(QString queueTitle READ queueTitle CONSTANT)
    Q_PROPERTY(QString removeFromQueueTitle READ removeFromQueueTitle CONSTANT)
    Q_PROPERTY(QUrl removeFromQueueIconSource READ removeFromQueueIconSource CONSTANT)
    Q_PROPERTY(QString dismissResumeTitle READ dismissResumeTitle CONSTANT)

public:
    TransferPresenter(TarvelViewModel *viewModel, DesktopServices *desktop, QObject *parent = nullptr);

    // Only to or from a listed storage; one asked for while another runs waits in the queue.
    // A failure leaves it possible at once: its sentence stays in the status line. The rows'
    // actions follow it too.
    bool canStartTransfer() const;
    bool uploadEnabled() const { return canStartTransfer(); }
    QString uploadHelperText() const;

    // A single copy or a batch, also while a batch still lists its folders.
    bool hasTransfer() const;
    bool hasBatch() const { return m_viewModel->currentBatch().has_value(); }
    bool showsBatchProgress() const;
    // "Cancel", then "Cancelling..." until the cancelled transfer has left the lane.
    QString cancelTransferTitle() const;
    bool cancelTransferEnabled() const;
    // After a batch download, until the next transfer: the folder it went to can be opened.
    bool showInFolderVisible() const;

    QString transferTitle() const { return summary().title; }
    QString transferIconName() const { return summary().iconName; }
    QUrl transferIconSource() const { return symbolSource(transferIconName()); }
    QString transferRouteText() const { return summary().routeText; }
    // A batch has no file of its own while its folders are listed.
    bool showsCurrentFile() const { return m_viewModel->currentTransfer().has_value(); }

    bool transferHasProgress() const { return summary().hasProgress; }
    // Only a lone copy animates its bar until the first bytes: restarted for each of a
    // thousand small files, the animation would keep the window drawing all along.
    bool transferBarIndeterminate() const { return !transferHasProgress() && !hasBatch(); }
    double transferProgress() const { return summary().progress; }
    QString transferBytesText() const { return summary().bytesText; }
    // "12.3 MB/s · 2 min left" once a second of bytes has moved; empty before.
    QString transferRateText() const;
    // "File 3 of 212 · 45 MB of 1.2 GB · 2 min left"; "Looking through folders: 212 files so
    // far" while they are listed.
    QString batchText() const;
    double batchProgress() const;
    // "Tarvel – Downloading 45%" while a transfer runs, else empty.
    QString transferWindowTitle() const;

    static QString transfersTitle() { return tr("Transfers"); }
    static QString chooseFileTitle() { return tr("Choose File to Upload"); }
    static QUrl chooseFileIconSource() { return symbolSource(QStringLiteral("square.and.arrow.up")); }
    static QString chooseFolderTitle() { return tr("Choose Folder to Upload"); }
    static QUrl chooseFolderIconSource() { return symbolSource(QStringLiteral("folder")); }
    static QString pasteTitle() { return tr("Paste Files"); }
    static QUrl pasteIconSource() { return symbolSource(QStringLiteral("clipboard")); }
    static QString noTransferTitle() { return tr("No active transfer"); }
    static QString noTransferDescription() { return tr("Downloads and uploads will appear here while they are running."); }
    static QUrl noTransferIconSource() { return symbolSource(QStringLiteral("checkmark.circle")); }
    static QString showInFolderTitle() { return tr("Show in Folder"); }
    QString resumeText() const { return m_viewModel ? m_viewModel->resumeOffer() : QString(); }
    // Not while a transfer runs: one batch at a time.
    bool resumeVisible() const { return !resumeText().isEmpty() && !hasTransfer(); }
    static QString resumeTitle() { return tr("Resume"); }
    static QString dismissResumeTitle() { return tr("Dismiss"); }
    QStringList queueLines() const;
    QStringList queueRemoveNames() const;
    static QString queueTitle() { return tr("Waiting"); }
    static QString removeFromQueueTitle() { return tr("Remove from queue"); }
    static QUrl removeFromQueueIconSource() { return symbolSource(QStringLiteral("xmark")); }

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

public Q_SLOTS:
    void startChooseFileToUpload();
    void startChooseFolderToUpload();
    void startPasteFromClipboard();
    // Files and folders dropped on the window: uploaded into the folder shown.
    void startUploadDropped(QList<QUrl> urls);
    // Cancel and Escape: stops the running transfer, a batch with all its files.
    void startCancelTransfer();
    void startResume();
    void dismissResume();
    void showDownloadedFolder();
    // Takes the queue's line at `index` out; it has not started.
    void removeQueued(int index);

Q_SIGNALS:
    // Uploading became possible or not, or its destination changed; raised once for all
    // the view model's changes of one turn of the event loop, in the next turn.
    void uploadChanged();
    // A transfer started or ended, Cancel was pressed, or Show in Folder came or went.
    void transferChanged();
    void resumeChanged();
    void queueChanged();
    // A batch went on to its next file, or the pane's file changed with a start or an end.
    void fileChanged();
    // The running transfer's bytes moved on.
    void progressChanged();

private:
    TransferSummary summary() const;
    void followTransfer();
    void followBatch();
    void followPane();
    void setShowsDownloadedFolder(bool shows);

    QPointer<TarvelViewModel> m_viewModel;
    DesktopServices *m_desktop;
    QElapsedTimer m_clock;
    QUuid m_shownTransfer; // the job the rate and the lines belong to
    TransferRate m_rate;
    bool m_batchShown = false;
    TransferRate m_batchRate;
    bool m_paneShowsTransfer = false;
    std::optional<QUrl> m_lastDownloadFolder; // chosen while the app runs
    bool m_showsDownloadedFolder = false;
    NextTurn m_uploadChanges;
    // Local file checks: a stat can block for long on a network mount or a disk that
    // spins up. Last, so it is destroyed first and waits for a check in progress.
    SerialWorker m_fileChecks;
};

} // namespace tarvel
