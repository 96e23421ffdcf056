#pragma once

// A cut batch taken up again from the journal; the files done before are never copied again.
// A download's or import's file not yet copied is found again on the phone by its path (the
// phone numbers its objects anew on every connection), checked to have the size and date it
// had, and copied where the batch meant it to go, never over a file already there. An
// upload's goes into its phone folder, found by its path; an object the cut may have left
// there half-sent (its name and size) is removed first, and a name taken since gives way to
// a free one. A file that changed or went away meanwhile fails with its reason.

#include "TarvelCore/Batch.h"
#include "TarvelCore/ImportBatch.h"
#include "TarvelCore/ImportStore.h"
#include "TarvelCore/LocalFiles.h"

#include <QHash>

#include <map>

namespace tarvel {

// A cut batch's phone folders, found again by their paths from the storage's root ("" is the
// root; the phone numbers its objects anew on every connection), each listed once.
class PhoneFolders {
public:
    PhoneFolders(std::shared_ptr<AndroidFileTransferEngine> engine, QString deviceID, QString storageID);

    // The entries of the folder at `path`, listing the folders on the way once; nothing when
    // it is not there, or the phone is gone.
    QCoro::Task<std::optional<QList<RemoteEntry>>> entriesAt(QString path);
    // The id of a folder found ("" for the root).
    QString idOf(const QString &path) const { return m_ids.value(path); }
    bool found(const QString &path) const { return m_ids.contains(path); }
    bool phoneGone() const { return m_phoneGone; }
    // Removes what cut uploads may have left half-sent: at each file's chosen name (its
    // `partPath`), an object of its size, checked again by the engine before it goes. One
    // outcome for each file, in order: null when nothing of it is left there.
    QCoro::Task<QList<std::exception_ptr>> removeHalfSent(QList<JournalFile> files, std::shared_ptr<TransferControl> control);

private:
    const std::shared_ptr<AndroidFileTransferEngine> m_engine;
    const QString m_deviceID;
    const QString m_storageID;
    bool m_phoneGone = false;
    QHash<QString, std::optional<QList<RemoteEntry>>> m_listed; // by folder path
    QHash<QString, QString> m_ids;                              // by folder path, of those found
};

class ResumeBatch : public Batch {
public:
    // `batch` as the journal holds it, on the storage `storageID` of the phone `deviceID`; an
    // import's files on other storages are found by `storageIDs`, each storage the phone has
    // now as the batch's key names it. An import's copies are written to the import record
    // in `record` as they land.
    ResumeBatch(BatchHost &host, QString deviceID, QString storageID, JournalBatch batch,
                std::shared_ptr<ImportStore> record, QHash<QString, QString> storageIDs = {});

    // An import's files this resume copied, as the phone numbers them on this connection:
    // what freeing the phone may delete.
    const QList<ImportedCopy> &copies() const { return m_copies; }

protected:
    QCoro::Task<> steps() override;
    int journalNumber(int step) const override { return m_files.at(step).seq; }
    void copied(const SeriesFile &file) override;

private:
    PhoneFolders &foldersOn(const QString &storageID);
    QCoro::Task<std::optional<QList<RemoteEntry>>> entriesAt(QString storageID, QString path);
    QCoro::Task<> findAgain();
    QCoro::Task<> checkComputer();
    QCoro::Task<> findFolders();
    QCoro::Task<std::optional<int>> copyFrom(int step);
    QCoro::Task<std::optional<int>> sendFrom(int step);

    QList<JournalFile> m_files; // each step's file
    QStringList m_ids;          // each step's object id once found again; an upload's folder's ("": the root)
    const bool m_upload;
    const QString m_destination;
    const PhoneKey m_key;
    const std::shared_ptr<ImportStore> m_record; // null: not an import
    const QHash<QString, QString> m_storageIDs;
    QHash<QString, QList<ImportedFile>> m_landed; // by storage as keys name it; not yet written to the record
    QList<ImportedCopy> m_copies;
    QStringList m_storageOf; // each step's storage id once found again
    std::map<QString, PhoneFolders> m_folders;    // by storage id
};

} // namespace tarvel
