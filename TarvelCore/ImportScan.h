#pragma once

// Looking through a phone for photos and videos: first its camera folders on every storage
// (each folder in DCIM and Pictures, and Movies), then the chosen ones, folder by folder
// with everything inside them but hidden folders (thumbnails, the bin). The phone lists one
// folder in one call, so the counts move per folder; the window reads them on its timer.

#include "TarvelCore/AndroidFileTransferEngine.h"
#include "TarvelCore/ImportPlan.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QString>

#include <memory>

namespace tarvel {

struct CameraFolder {
    QString storageID = {};
    QString storageName = {};
    QString path = {}; // "DCIM/Camera"
    QString id = {};

    friend bool operator==(const CameraFolder &, const CameraFolder &) = default;
};

class ImportScan {
public:
    ImportScan(std::shared_ptr<AndroidFileTransferEngine> engine, QString deviceID, QList<AndroidStorage> storages);

    // Throws what the phone threw, and cancelled once cancel() was called.
    QCoro::Task<QList<CameraFolder>> findCameraFolders();
    QCoro::Task<QList<ImportCandidate>> look(QList<CameraFolder> chosen);

    struct Progress {
        QString folder = {}; // being listed, "DCIM/Camera"
        int foldersDone = 0;
        int folderCount = 0; // grows as folders inside are found
        int itemsFound = 0;  // photos and videos so far
    };
    Progress progress() const { return m_progress; }
    void cancel() { m_control->cancel(); }

private:
    // One folder's entries, or what listing it threw.
    QCoro::Task<QList<RemoteEntry>> list(QString storageID, std::optional<QString> folderID);

    const std::shared_ptr<AndroidFileTransferEngine> m_engine;
    const QString m_deviceID;
    const QList<AndroidStorage> m_storages;
    const std::shared_ptr<TransferControl> m_control = std::make_shared<TransferControl>();
    Progress m_progress;
};

} // namespace tarvel
