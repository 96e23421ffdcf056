#pragma once

// Copies from the phone: every folder's contents are listed first, the folders known so
// far in one run, then each folder is made on the computer and its files' names chosen
// just before its turn, and its ready files go to the lane as one series. A listing the
// user asks for meanwhile runs between two files. A file that fails does not stop the
// others.

#include "TarvelCore/Batch.h"
#include "TarvelCore/LocalFiles.h"

#include <QSet>

namespace tarvel {

class DownloadBatch : public Batch {
public:
    // The entries, folders with everything in them, into the local folder `folder`, keeping
    // the folders' structure. When names are taken there the host is asked once whether to
    // skip what is already there, keep both ("name (2).ext") or replace.
    DownloadBatch(BatchHost &host, QString deviceID, QString storageID, QList<RemoteEntry> items, QString folder);
    // The one file `remoteFileID` into `localFolder` under `localName`, replacing what is
    // there once the copy is complete; it shows `job`.
    DownloadBatch(BatchHost &host, QString deviceID, QString remoteFileID, TransferJob job, QString localFolder,
                  QString localName);

    // Where the entries sit on the phone, from the storage's root ("DCIM/Camera"; empty: the
    // root), so the journal can find each file again by its path.
    void fromPhoneFolder(QString path) { m_phoneFolder = std::move(path); }

protected:
    QCoro::Task<> steps() override;
    std::optional<JournalFile> journalFile(int step) const override;

private:
    QCoro::Task<> listFolders();
    // Each returns the last step it dealt with, or nothing when the batch stops there.
    QCoro::Task<std::optional<int>> placeFrom(int step);
    QCoro::Task<std::optional<int>> copyFrom(int step);
    FolderPlace placeOf(int step) const;
    bool readyToPlace(int step) const;
    bool readyToDownload(int step) const;
    struct TakenName {
        int step = 0;
        qint64 sizeThere = -1; // -1: not a file
        QString folder = {};
    };
    QCoro::Task<bool> settleTaken(QList<TakenName> taken);

    QString pathIn(int step) const; // from the batch's own folder, '/' between folders

    const QString m_folder;
    QString m_phoneFolder;
    std::optional<TakenNames> m_takenNames; // the answer, once asked
    QSet<int> m_replacing;                  // files whose copy replaces what is there
};

} // namespace tarvel
