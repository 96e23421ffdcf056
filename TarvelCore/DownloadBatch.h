#pragma once

// Copies from the phone: every folder's contents are listed first, the folders known so
// far in one run, then each folder is made on the computer and its files' names chosen
// just before its turn, and its ready files go to the lane as one series. A listing the
// user asks for meanwhile runs between two files. A file that fails does not stop the
// others.

#include "TarvelCore/Batch.h"
#include "TarvelCore/ImportStore.h"
#include "TarvelCore/LocalFiles.h"

#include <QSet>

namespace tarvel {

// Where a batch remembers the files it copied, so a later import does not copy them again:
// the import record and the phone's key there. Each file goes by its path on the phone
// (fromPhoneFolder).
struct DownloadRecord {
    std::shared_ptr<ImportStore> store;
    PhoneKey key;
};

class DownloadBatch : public Batch {
public:
    // The entries, folders with everything in them, into the local folder `folder`, keeping
    // the folders' structure. When names are taken there the host is asked once whether to
    // skip what is already there, keep both ("name (2).ext") or replace.
    // With a record, each series' copies are written to it as the series ends.
    DownloadBatch(BatchHost &host, QString deviceID, QString storageID, QList<RemoteEntry> items, QString folder,
                  std::optional<DownloadRecord> record = std::nullopt);
    // The one file into `localFolder` under `localName`, replacing what is there once the
    // copy is complete; it shows `job`. The file's size and date, where the listing gave
    // them, go with it.
    DownloadBatch(BatchHost &host, QString deviceID, RemoteEntry file, TransferJob job, QString localFolder,
                  QString localName, std::optional<DownloadRecord> record = std::nullopt);

    // Where the entries sit on the phone, from the storage's root ("DCIM/Camera"; empty: the
    // root), so the record and the journal know each file by its path.
    void fromPhoneFolder(QString path) { m_phoneFolder = std::move(path); }

protected:
    QCoro::Task<> steps() override;
    QCoro::Task<> findFiles() override; // lists the folders
    void copied(const SeriesFile &file) override;
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
    QCoro::Task<> remember();

    QString pathIn(int step) const; // from the batch's own folder, '/' between folders
    QString phonePath(int step) const; // from the storage's root

    const QString m_folder;
    QString m_phoneFolder;
    std::optional<TakenNames> m_takenNames; // the answer, once asked
    QSet<int> m_replacing;                  // files whose copy replaces what is there
    const std::optional<DownloadRecord> m_record;
    QList<ImportedFile> m_landed;           // copied and not yet written to the record
};

} // namespace tarvel
