#pragma once

// The state of the window and every user operation. Lives on the UI thread; each
// operation suspends while the engine works and, when it resumes, applies its result
// only if nothing newer has been asked for since (the two generation counters and the
// selected device's id decide).

#include "TarvelCore/AndroidFileTransferEngine.h"
#include "TarvelCore/Models.h"

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

public:
    explicit TarvelViewModel(std::shared_ptr<AndroidFileTransferEngine> engine, QObject *parent = nullptr);

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
    // Asks the running transfer to stop. It ends soon, with state ready, the cancelled
    // sentence and nothing left behind; with no transfer running nothing happens.
    void cancelTransfer();

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
    void setStatus(TarvelConnectionState state, QString message);

    bool isIdle() const { return !m_currentTransfer; }
    void clearBrowsingState();
    void abandonSelectedDevice();
    bool isCurrent(const QString &deviceID, Generation counter, qint64 generation) const;
    bool isCurrentStorageLoad(const QString &deviceID, qint64 generation) const;
    bool isCurrentTransfer(const QString &deviceID, qint64 generation) const;
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

    std::shared_ptr<AndroidFileTransferEngine> m_engine;
    qint64 m_storageLoadGeneration = 0;
    qint64 m_transferGeneration = 0;
    std::shared_ptr<TransferControl> m_transferControl; // of the transfer shown, while it runs
    QTimer m_progressTimer;
};

} // namespace tarvel
