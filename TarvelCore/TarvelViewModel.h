#pragma once

// The state of the window and every user operation. Lives on the UI thread; each
// operation suspends while the engine works and, when it resumes, applies its result
// only if nothing newer has been asked for since: a listing while its generation and the
// selected device's id are unchanged, a transfer while it is the batch the view model
// holds, a search while it is the latest.

#include "TarvelCore/AndroidFileTransferEngine.h"
#include "TarvelCore/Batch.h"
#include "TarvelCore/FileActions.h"
#include "TarvelCore/ImportBatch.h"
#include "TarvelCore/ImportCleanup.h"
#include "TarvelCore/ImportScan.h"
#include "TarvelCore/LocalFiles.h"
#include "TarvelCore/Models.h"
#include "TarvelCore/PhoneDiagnosis.h"
#include "TarvelCore/ThumbnailLoader.h"
#include "TarvelCore/USBPlugEvents.h"

#include <QObject>
#include <QPromise>
#include <QTimer>
#include <QUrl>

#include <exception>
#include <memory>
#include <optional>

namespace tarvel {

class LiveFolder;

// Its transfers are batches (one file is a batch of one), which it hosts one at a time: a
// download or upload asked for while one runs waits in its queue (queuedTransfers).
class TarvelViewModel : public QObject, private BatchHost {
    Q_OBJECT
    Q_PROPERTY(tarvel::TarvelConnectionState state READ state NOTIFY stateChanged)
    Q_PROPERTY(QString statusMessage READ statusMessage NOTIFY statusMessageChanged)
    Q_PROPERTY(QList<tarvel::AndroidDevice> devices READ devices NOTIFY devicesChanged)
    Q_PROPERTY(std::optional<tarvel::AndroidDevice> selectedDevice READ selectedDevice NOTIFY selectedDeviceChanged)
    Q_PROPERTY(QList<tarvel::AndroidStorage> storages READ storages NOTIFY storagesChanged)
    Q_PROPERTY(std::optional<tarvel::AndroidStorage> selectedStorage READ selectedStorage NOTIFY selectedStorageChanged)
    Q_PROPERTY(QList<tarvel::RemoteEntry> entries READ entries NOTIFY entriesChanged)
    Q_PROPERTY(std::optional<QString> currentParentID READ currentParentID NOTIFY currentParentIDChanged)
    Q_PROPERTY(QList<tarvel::RemoteEntry> folderPath READ folderPath NOTIFY folderPathChanged)
    Q_PROPERTY(std::optional<tarvel::TransferJob> currentTransfer READ currentTransfer NOTIFY currentTransferChanged)
    Q_PROPERTY(bool cancellingTransfer READ cancellingTransfer NOTIFY cancellingTransferChanged)
    Q_PROPERTY(std::optional<tarvel::TransferBatch> currentBatch READ currentBatch NOTIFY currentBatchChanged)
    Q_PROPERTY(bool scanning READ scanning NOTIFY scanningChanged)
    Q_PROPERTY(bool statusIsWarning READ statusIsWarning NOTIFY statusIsWarningChanged)
    Q_PROPERTY(bool changingFiles READ changingFiles NOTIFY changingFilesChanged)
    Q_PROPERTY(QString resumeOffer READ resumeOffer NOTIFY resumeOfferChanged)
    Q_PROPERTY(QList<tarvel::QueuedTransfer> queuedTransfers READ queuedTransfers NOTIFY queuedTransfersChanged)
    Q_PROPERTY(std::optional<tarvel::USBLink> selectedDeviceLink READ selectedDeviceLink NOTIFY selectedDeviceLinkChanged)

public:
    explicit TarvelViewModel(std::shared_ptr<AndroidFileTransferEngine> engine, QObject *parent = nullptr);
    // With a diagnosis, a scan that finds nothing and a phone that cannot be opened are
    // explained from what the USB bus shows.
    TarvelViewModel(std::shared_ptr<AndroidFileTransferEngine> engine, std::shared_ptr<PhoneDiagnosis> diagnosis,
                    QObject *parent = nullptr);
    // A transfer still on the lane ends there unseen.
    ~TarvelViewModel() override;

    TarvelConnectionState state() const { return m_state; }
    QString statusMessage() const { return m_statusMessage; }
    QList<AndroidDevice> devices() const { return m_devices; }
    std::optional<AndroidDevice> selectedDevice() const { return m_selectedDevice; }
    // How fast the selected phone's USB link runs, read from the bus once the phone is
    // shown; absent until then, without a diagnosis, or where the bus does not tell.
    std::optional<USBLink> selectedDeviceLink() const { return m_selectedDeviceLink; }
    QList<AndroidStorage> storages() const { return m_storages; }
    std::optional<AndroidStorage> selectedStorage() const { return m_selectedStorage; }
    QList<RemoteEntry> entries() const { return m_entries; }
    std::optional<QString> currentParentID() const { return m_currentParentID; }
    QList<RemoteEntry> folderPath() const { return m_folderPath; }
    std::optional<TransferJob> currentTransfer() const { return m_currentTransfer; }
    bool canNavigateUp() const { return !m_folderPath.isEmpty(); }
    // From cancelTransfer() until the cancelled transfer has left the lane.
    bool cancellingTransfer() const { return m_cancellingTransfer; }
    // The batch in flight; its current file is currentTransfer.
    std::optional<TransferBatch> currentBatch() const { return m_currentBatch; }
    // While findPhones() looks for phones.
    bool scanning() const { return m_scanning; }
    // The status reports something that went wrong although the state stays ready (a folder
    // that would not open, a listing that is not whole): never to be shown as a success.
    bool statusIsWarning() const { return m_statusIsWarning; }
    // While a new folder, a rename or a delete asked for here runs.
    bool changingFiles() const { return m_changingFiles; }
    // What a cut batch of the storage shown has left, while it can resume: "Resume: 124 of
    // 312 files left (820 MB) to Pictures/Phone". Empty otherwise.
    QString resumeOffer() const { return m_resumeOffer; }
    // The folder asked for while a copy holds the phone: its listing waits for the file in
    // flight. Empty when none waits.
    QString folderAwaited() const { return m_folderAwaited; }
    // The batch running is in the journal: cut now, it is offered to resume.
    bool batchIsWrittenDown() const { return m_batch && !m_batchJournalID.isEmpty(); }
    // The batches asked for while one runs, in the order they will run.
    QList<QueuedTransfer> queuedTransfers() const;
    // A queued batch that has not started is taken out: it never runs, and the journal
    // forgets it. Nothing happens for one that started or is not known.
    void removeQueued(QUuid id);
    // The database: the import record that imports and downloads write to, and the journal
    // where batches are written down as they go. None (in tests that need none): neither.
    void setStore(std::shared_ptr<ImportStore> store) { m_store = std::move(store); }
    std::shared_ptr<ImportStore> store() const { return m_store; }
    // The folder shown, or the storage at its root; nothing while no storage is selected.
    std::optional<QString> locationName() const;
    // The pictures of the folder's images, fetched only while the phone has nothing the
    // user asked for to do: every engine call goes through a WatchedEngine that counts them.
    ThumbnailLoader *thumbnails() { return &m_thumbnails; }

    // None of these throws: every failure ends as state and statusMessage.
    // The first window's search, through findPhones' body: the first phone is selected and
    // said ready while nothing runs; the bus is not asked and the storage not opened.
    QCoro::Task<> refreshDevices();
    QCoro::Task<> loadSelectedDeviceStorage();
    QCoro::Task<> openFolder(RemoteEntry entry);
    QCoro::Task<> navigateUp();
    QCoro::Task<> loadCurrentDirectory();
    // Opens the folder `depth` levels down the shown path at once: 0 is the storage's
    // root. Nothing happens for a depth that is not above the folder shown.
    QCoro::Task<> navigateToDepth(qsizetype depth);
    // One file to exactly `to`, replacing what is there once the copy is complete; needs no
    // storage and shows no batch line. A DownloadBatch of one file.
    QCoro::Task<> download(QString remoteFileID, QString remoteName, QUrl to);
    // Reads the selected storage's sizes again (after a transfer changed them), leaving
    // the listing, the state and the status as they are.
    QCoro::Task<> refreshStorageSpace();
    // One local file into the phone folder (absent: the storage's root), under its own name
    // unless the folder holds that name already; shows no batch line and leaves listing the
    // folder again to the caller. An UploadBatch of one file.
    QCoro::Task<> upload(QUrl localURL, std::optional<QString> toRemoteParentID);
    // Copies the entries (files, and folders with everything in them) into the local folder,
    // keeping the folders' structure. Where names are taken the window is asked once
    // (namesTaken): skip what is already there, keep both ("name (2).ext") or replace; without
    // a window both are kept. Folders are listed first, then runs of files go to the lane as one job
    // each, so a listing asked for meanwhile runs between two files. A file that fails does
    // not stop the others; the batch ends in one sentence that says what was copied where
    // and what failed and why. Files of the folder shown are written to the import record
    // as they land, when there is one, so a later import does not copy them again.
    // (DownloadBatch)
    QCoro::Task<> downloadItems(QList<RemoteEntry> items, QUrl toFolder);
    // The same the other way: local files and folders into the phone folder (absent: the
    // storage's root). Folders that are already there are filled, not doubled; a file never
    // takes the name of another object in its folder. What is not a regular file or folder,
    // cannot be read or is gone is skipped and named at the end. The folder shown is listed
    // again just before the batch's last sentence. (UploadBatch)
    QCoro::Task<> uploadItems(QList<QUrl> localItems, std::optional<QString> toRemoteParentID);
    // An import: the plan's files as one batch (ImportBatch) that writes each file to the
    // record as it lands; returns what it copied. Needs the phone shown and a storage.
    QCoro::Task<QList<ImportedCopy>> importFiles(ImportPlan plan, QHash<QString, PhoneKey> keys,
                                                 std::shared_ptr<ImportStore> store);
    // A look through the phone shown for photos and videos, over every storage it lists; null
    // without a phone. Then, after an import, the delete of its files from that phone.
    std::shared_ptr<ImportScan> importScan() const;
    std::shared_ptr<ImportCleanup> importCleanup(QList<ImportedCopy> copies, QHash<QString, PhoneKey> keys,
                                                 std::shared_ptr<ImportStore> store) const;
    // Takes up the batch resumeOffer names: the files left are found again on the phone by
    // their paths and copied where they were meant to go. (ResumeBatch)
    QCoro::Task<> resumeBatch();
    // The cut batch is forgotten: nothing more is copied of it.
    void dismissResume();
    // The USB serial of the phone shown, from the bus when the search did not read it; empty
    // when the phone has none or the bus cannot be read.
    QCoro::Task<QString> shownPhoneSerial();
    // A sentence of work the view model does not run itself (freeing the phone after an import).
    void announce(TarvelConnectionState state, QString sentence, bool warning = false);
    // The window's answer to namesTaken(); the batch that asked goes on with it.
    void answerNamesTaken(TakenNames answer);
    // Asks the running transfer to stop. It ends soon, with state ready, the cancelled
    // sentence and nothing left behind; with no transfer running nothing happens.
    void cancelTransfer();

    // What the window's start, its Refresh and a phone plugged in run: says it is looking,
    // scans, explains an empty bus, then opens the phone and storage the user chose while
    // they are still there, else the first ones.
    QCoro::Task<> findPhones();
    // The user's choice of phone or storage; each lists the root of what it chose. Nothing
    // happens during a transfer, or for an id that is not listed.
    QCoro::Task<> selectDevice(QString deviceID);
    QCoro::Task<> selectStorage(QString storageID);
    // Acts on the events from now on: a phone plugged in is found and shown (the phone
    // shown stays), and the phone shown pulled out ends the browsing and stops its transfer,
    // which ends in the sentence of a phone that went away, counting what it copied.
    void followPlugEvents(USBPlugEvents *events);
    QCoro::Task<> phoneArrived(USBAddress address);
    QCoro::Task<> phoneLeft(USBAddress address);

    // Changes to the folder shown, each checked and then sent while nothing else runs for
    // the user (not during a transfer, nor during another change); the folder is read
    // again after each, and the status says how it went.
    QCoro::Task<> createFolder(QString name);
    QCoro::Task<> renameEntry(RemoteEntry entry, QString newName);
    // Lists everything the entries hold, so the window can ask with the count and the
    // size; nothing when they could not be listed (the status says why) or stopPlanning()
    // stopped it. Changes nothing.
    QCoro::Task<std::optional<DeletionPlan>> planDeletion(QList<RemoteEntry> items);
    void stopPlanning();
    // Deletes what the plan listed, what folders hold first; what could not be deleted is
    // named. Only while the plan's storage is shown.
    QCoro::Task<> deletePlanned(DeletionPlan plan);
    // Both at once.
    QCoro::Task<> deleteEntries(QList<RemoteEntry> items);
    // Opens the last folder of the path (empty: the storage's root), as Back does.
    QCoro::Task<> openPath(QList<RemoteEntry> path);

    // Keeps the folder shown up to date with what the phone says changed on it (LiveFolder).
    void followPhoneEvents();
    // Reads the folder shown again after the phone said it changed, leaving the state and
    // the status as they are. Only while nothing runs; a failure changes nothing.
    QCoro::Task<> refreshShownFolder();
    // The phone removed the folder `depth` levels down the path shown (the folder shown or
    // one above it): the folder above it is shown instead, and the status says why.
    QCoro::Task<> leaveRemovedFolder(qsizetype depth);

    // A phone that could not be opened right after it arrived (its access not granted yet,
    // its screen still asking) gets this long before the one more try.
    static constexpr int arrivalRetryDelayMs = 1500;

    // How often a running transfer's byte counts are read into currentTransfer.
    static constexpr int progressIntervalMs = 100;

    // The one sentence the user reads for an error, as Sentences words it.
    static QString message(const std::exception_ptr &error);
    static QString message(const TransferError &error);

Q_SIGNALS:
    void stateChanged();
    void statusMessageChanged();
    void devicesChanged();
    void selectedDeviceChanged();
    void storagesChanged();
    void selectedStorageChanged();
    void entriesChanged();
    void currentParentIDChanged();
    void folderPathChanged();
    void currentTransferChanged();
    void cancellingTransferChanged();
    void currentBatchChanged();
    void scanningChanged();
    void statusIsWarningChanged();
    void changingFilesChanged();
    void resumeOfferChanged();
    // A resumed import ended: what it copied, and the keys of its storages (by storage id),
    // so the window can offer to free the phone of them as after any import.
    void importResumed(QList<ImportedCopy> copies, QHash<QString, PhoneKey> keys);
    void folderAwaitedChanged();
    void queuedTransfersChanged();
    void selectedDeviceLinkChanged();
    // A batch download finds `count` names taken in `folderName` and waits for
    // answerNamesTaken(). Without a receiver nothing is asked, and both are kept.
    void namesTaken(int count, QString folderName);

private:
    void setState(TarvelConnectionState value);
    void setStatusMessage(QString value);
    void setDevices(QList<AndroidDevice> value);
    void setSelectedDevice(std::optional<AndroidDevice> value);
    void setStorages(QList<AndroidStorage> value);
    void setSelectedStorage(std::optional<AndroidStorage> value);
    void setEntries(QList<RemoteEntry> value);
    void setCurrentParentID(std::optional<QString> value);
    void setFolderPath(QList<RemoteEntry> value);
    void setCurrentTransfer(std::optional<TransferJob> value);
    void setCancellingTransfer(bool value);
    void setCurrentBatch(std::optional<TransferBatch> value);
    void setScanning(bool value);
    void setStatusIsWarning(bool value);
    void setChangingFiles(bool value);
    void setResumable(std::optional<JournalBatch> batch);
    void setStatus(TarvelConnectionState state, QString message);
    void setWarning(QString message);
    // A status that tells of the phone going away, which the bus's later word of it keeps.
    void sayPhoneGone(TarvelConnectionState state, QString message);

    // Nothing runs that owns the status line: no transfer, no change.
    bool isIdle() const { return !m_currentTransfer && !m_currentBatch && !m_changingFiles; }
    void clearBrowsingState();
    void forgetBrowsing();
    void abandonSelectedDevice();
    bool isCurrentStorageLoad(const QString &deviceID, qint64 generation) const;

    // The one search: refreshDevices, findPhones, and a look at the list when a phone comes
    // or goes while another is shown.
    enum class Search {
        firstPhone, // refreshDevices: the first phone, said ready; the bus is not asked
        chosenPhone, // findPhones: the phone chosen while it is there, opened; the bus explains
        listOnly,   // the list, while the phone shown is in it; else as chosenPhone
    };
    QCoro::Task<> search(Search way);
    // loadSelectedDeviceStorage, opening the storage with this id when it is listed.
    QCoro::Task<> loadStorage(std::optional<QString> preferredStorageID);
    QCoro::Task<> loadDirectory(QString deviceID, QString storageID, std::optional<QString> parentID,
                                QList<RemoteEntry> folderPath, qint64 generation, bool clearsBrowsingOnFailure);
    // The shared body of openFolder, navigateUp and loadCurrentDirectory.
    QCoro::Task<> listFolder(std::optional<QString> parentID, QList<RemoteEntry> path,
                             std::optional<QString> attemptedLocationName);
    void showBrowsingFailure(const std::exception_ptr &error, std::optional<QString> attemptedLocationName);
    QString currentLocationName() const;

    bool readyForBatch();
    bool readyForChange();
    bool showsDevice(const QString &deviceID) const;
    // Reads the folder shown again after a change and says how the change went, unless
    // something newer was asked for meanwhile.
    QCoro::Task<> finishChange(QString deviceID, QString sentence, std::exception_ptr error);
    QString uploadFolderName(const std::optional<QString> &parentID) const;
    std::optional<QString> phonePathOf(const std::optional<QString> &folderID) const;
    QCoro::Task<std::optional<std::optional<PhoneKey>>> keyForBatch();
    // Shows the batch and runs it, or, while another runs, queues it under `line`; it then
    // starts when those before it have ended. `journalID`: where the journal holds it, if it does.
    QCoro::Task<> runBatch(std::shared_ptr<Batch> batch, QueuedTransfer line, QString journalID = {});
    void startNextQueued();
    // The phone the queue's batches belong to went away: they cannot run on its new ids.
    void dropQueue();
    // Stops the transfer shown and forgets it: its end is never shown.
    void dropTransfer();
    void stopTransfer();
    void sampleProgress();
    // The storage shown and the phone it is on, as the journal and the import record know them.
    QCoro::Task<std::optional<PhoneKey>> phoneKey();
    // Offers the oldest cut batch of the storage shown, if any. `connected`: the phone has just
    // been shown, so what cut uploads left half-sent on it can go now.
    QCoro::Task<> lookForResumable(bool connected = false);
    // The batch as it is once what its cut left half-sent on the phone shown is gone.
    QCoro::Task<JournalBatch> removeHalfSent(JournalBatch batch);

    BatchHost &asHost() { return *this; } // the base is private: batches are made here
    std::shared_ptr<AndroidFileTransferEngine> engine() const override { return m_engine; }
    LocalFiles &localFiles() override { return m_localFiles; }
    void show(const BatchView &view) override;
    void say(QString sentence) override;
    QCoro::Task<> landedIn(QString storageID, std::optional<QString> parentID) override;
    void end(BatchEnd end) override;
    QCoro::Task<TakenNames> whenNamesTaken(int count, QString folderName) override;

    TarvelConnectionState m_state = TarvelConnectionState::noDevice;
    QString m_statusMessage;
    QList<AndroidDevice> m_devices;
    std::optional<AndroidDevice> m_selectedDevice;
    QList<AndroidStorage> m_storages;
    std::optional<AndroidStorage> m_selectedStorage;
    QList<RemoteEntry> m_entries;
    std::optional<QString> m_currentParentID;
    QList<RemoteEntry> m_folderPath;
    std::optional<TransferJob> m_currentTransfer;
    bool m_cancellingTransfer = false;
    bool m_scanning = false;
    bool m_statusIsWarning = false;
    bool m_statusSaysPhoneGone = false;
    bool m_changingFiles = false;
    std::shared_ptr<TransferControl> m_planning; // the deletion being planned
    std::unique_ptr<LiveFolder> m_liveFolder;

    std::shared_ptr<WatchedEngine> m_engine;
    qint64 m_storageLoadGeneration = 0;
    std::optional<TransferBatch> m_currentBatch;
    std::shared_ptr<Batch> m_batch; // the transfer shown, while it runs
    QString m_batchJournalID;       // where the journal holds it, if it does
    QString m_folderAwaited;
    struct Waiting {
        QueuedTransfer line;
        std::shared_ptr<Batch> batch;
        QString deviceID;
        QString journalID;
        bool ready; // looked through; a batch written down is before it waits
    };
    QList<Waiting> m_queue;
    QTimer m_progressTimer;
    std::shared_ptr<QPromise<TakenNames>> m_namesQuestion; // while the window is asked

    std::shared_ptr<ImportStore> m_store; // may be null
    std::optional<JournalBatch> m_resumable;
    QString m_resumeOffer;

    std::shared_ptr<PhoneDiagnosis> m_diagnosis; // may be null
    QCoro::Task<> readSelectedDeviceLink();
    std::optional<USBLink> m_selectedDeviceLink;
    std::optional<AndroidDevice> m_selectedDeviceLinkFor; // the phone it was read for
    qint64 m_searchGeneration = 0;               // of the latest search, which owns the status
    bool m_lastSearchFoundNothing = false;
    // Why the latest search showed no phone; absent when it showed one.
    std::optional<TransferError::Kind> m_lastSearchProblem;

    ThumbnailLoader m_thumbnails;

    // Local file work of batches: it can block on a slow disk. Last, so it goes first and
    // waits for a job in progress.
    LocalFiles m_localFiles;
};

} // namespace tarvel
