#pragma once

// The state of the window and every user operation. Lives on the UI thread; each
// operation suspends while the engine works and, when it resumes, applies its result
// only if nothing newer has been asked for since (the two generation counters and the
// selected device's id decide).

#include "TarvelCore/AndroidFileTransferEngine.h"
#include "TarvelCore/Models.h"
#include "TarvelCore/SerialWorker.h"
#include "TarvelCore/TransferQueue.h"
#include "TarvelCore/PhoneDiagnosis.h"
#include "TarvelCore/USBPlugEvents.h"

#include <QObject>
#include <QTimer>
#include <QUrl>

#include <exception>
#include <memory>
#include <optional>

namespace tarvel {

class TarvelViewModel : public QObject {
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

public:
    explicit TarvelViewModel(std::shared_ptr<AndroidFileTransferEngine> engine, QObject *parent = nullptr);
    // With a diagnosis, a scan that finds nothing and a phone that cannot be opened are
    // explained from what the USB bus shows.
    TarvelViewModel(std::shared_ptr<AndroidFileTransferEngine> engine, std::shared_ptr<PhoneDiagnosis> diagnosis,
                    QObject *parent = nullptr);

    TarvelConnectionState state() const { return m_state; }
    QString statusMessage() const { return m_statusMessage; }
    QList<AndroidDevice> devices() const { return m_devices; }
    std::optional<AndroidDevice> selectedDevice() const { return m_selectedDevice; }
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
    // The folder shown, or the storage at its root; nothing while no storage is selected.
    std::optional<QString> locationName() const;

    // None of these throws: every failure ends as state and statusMessage.
    QCoro::Task<> refreshDevices();
    QCoro::Task<> loadSelectedDeviceStorage();
    QCoro::Task<> openFolder(RemoteEntry entry);
    QCoro::Task<> navigateUp();
    QCoro::Task<> loadCurrentDirectory();
    // Opens the folder `depth` levels down the shown path at once: 0 is the storage's
    // root. Nothing happens for a depth that is not above the folder shown.
    QCoro::Task<> navigateToDepth(qsizetype depth);
    QCoro::Task<> download(QString remoteFileID, QString remoteName, QUrl to);
    // Reads the selected storage's sizes again (after a transfer changed them), leaving
    // the listing, the state and the status as they are.
    QCoro::Task<> refreshStorageSpace();
    QCoro::Task<> upload(QUrl localURL, std::optional<QString> toRemoteParentID);
    // Copies the entries (files, and folders with everything in them) into the local folder,
    // keeping the folders' structure. Nothing there is ever replaced: a taken name becomes
    // "name (2).ext". Folders are listed first, one listing each, then the files are copied
    // one at a time, each a job of its own on the lane, so a listing asked for meanwhile
    // runs between two files. A file that fails does not stop the others; the batch ends in
    // one sentence that says what was copied where and what failed and why.
    QCoro::Task<> downloadItems(QList<RemoteEntry> items, QUrl toFolder);
    // The same the other way: local files and folders into the phone folder (absent: the
    // storage's root). Folders that are already there are filled, not doubled; a file never
    // takes the name of another object in its folder. What is not a regular file or folder,
    // cannot be read or is gone is skipped and named at the end. The folder shown is listed
    // again once the batch ends.
    QCoro::Task<> uploadItems(QList<QUrl> localItems, std::optional<QString> toRemoteParentID);
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
    // shown stays), and the phone shown pulled out ends its transfer and the browsing.
    void followPlugEvents(USBPlugEvents *events);
    QCoro::Task<> phoneArrived(USBAddress address);
    QCoro::Task<> phoneLeft(USBAddress address);

    // A phone that could not be opened right after it arrived (its access not granted yet,
    // its screen still asking) gets this long before the one more try.
    static constexpr int arrivalRetryDelayMs = 1500;

    // How often a running transfer's byte counts are read into currentTransfer.
    static constexpr int progressIntervalMs = 100;

    // The one sentence the user reads for an error.
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

private:
    using Generation = qint64 TarvelViewModel::*;

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
    void setStatus(TarvelConnectionState state, QString message);
    void setWarning(QString message);

    bool isIdle() const { return !m_currentTransfer && !m_currentBatch; }
    void clearBrowsingState();
    void abandonSelectedDevice();
    bool isCurrent(const QString &deviceID, Generation counter, qint64 generation) const;
    bool isCurrentStorageLoad(const QString &deviceID, qint64 generation) const;
    bool isCurrentTransfer(const QString &deviceID, qint64 generation) const;
    // loadSelectedDeviceStorage, opening the storage with this id when it is listed.
    QCoro::Task<> loadStorage(std::optional<QString> preferredStorageID);
    // Scans and updates the list of phones, keeping the one shown.
    QCoro::Task<> updateDeviceList();
    QCoro::Task<> loadDirectory(QString deviceID, QString storageID, std::optional<QString> parentID,
                                QList<RemoteEntry> folderPath, qint64 generation, bool clearsBrowsingOnFailure);
    // The shared body of openFolder, navigateUp and loadCurrentDirectory.
    QCoro::Task<> listFolder(std::optional<QString> parentID, QList<RemoteEntry> path,
                             std::optional<QString> attemptedLocationName);
    void showBrowsingFailure(const std::exception_ptr &error, std::optional<QString> attemptedLocationName);
    QString currentLocationName() const;
    std::shared_ptr<TransferControl> startTransfer(TransferJob job, QString startText);
    void finishTransfer(const QString &deviceID, qint64 generation, const std::exception_ptr &error, QString doneText);
    void stopTransfer();
    void sampleProgress();
    bool readyForBatch();
    std::shared_ptr<TransferControl> startBatch(std::shared_ptr<TransferQueue> queue, QString startText);
    void startBatchFile(const BatchStep &step, QString destinationName, QString destinationFolderName);
    // A file of a series, and where it goes as the window names it.
    struct SeriesFile {
        int step = 0;
        QString name = {};
        QString folderName = {};
    };
    void startSeries(QList<SeriesFile> files);
    void followSeries(int inFlight, bool shows);
    void endSeries(int ran);
    void finishBatch(const QString &deviceID, qint64 generation, bool cancelled, bool disconnected);
    QString uploadFolderName(const std::optional<QString> &parentID) const;

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

    std::shared_ptr<AndroidFileTransferEngine> m_engine;
    qint64 m_storageLoadGeneration = 0;
    qint64 m_transferGeneration = 0;
    std::shared_ptr<TransferControl> m_transferControl; // of the transfer shown, while it runs
    std::optional<TransferBatch> m_currentBatch;
    std::shared_ptr<TransferQueue> m_queue; // of the batch shown, while it runs
    QList<SeriesFile> m_series;   // the files the lane runs as one series
    int m_seriesShown = -1;       // which of them the window shows; -1: none yet
    qint64 m_seriesBytesBefore = 0; // the bytes of those before it
    QTimer m_progressTimer;
    // Local file work of batches (walking folders, making folders, finding free names):
    // it can block on a slow disk. Last, so it goes first and waits for a job in progress.
    SerialWorker m_localFiles;

    std::shared_ptr<PhoneDiagnosis> m_diagnosis; // may be null
    qint64 m_searchGeneration = 0;               // of findPhones, whose latest run owns the status
    bool m_lastSearchFoundNothing = false;
    // Why the latest search showed no phone; absent when it showed one.
    std::optional<TransferError::Kind> m_lastSearchProblem;
};

} // namespace tarvel
