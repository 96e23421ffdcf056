#pragma once

// Copies to the phone: local files and folders, walked off the UI thread, into a phone
// folder. Folders that are already there are filled, not doubled; a file never takes the
// name of another object in its folder. Each phone folder is listed once, when first
// needed, and files whose folders are known go to the lane as one series. What is not a
// regular file or folder, cannot be read or is gone is skipped and named at the end.

#include "TarvelCore/Batch.h"

#include <QHash>
#include <QUrl>

namespace tarvel {

class UploadBatch : public Batch {
public:
    // `items` into the phone folder `parentID` (absent: the storage's root), which the
    // window calls `destinationName`. The folder shown is listed again at the end.
    UploadBatch(BatchHost &host, QString deviceID, QString storageID, QList<QUrl> items,
                std::optional<QString> parentID, QString destinationName);
    // The one local file `file`, read by the engine as it is; it shows `job`. `entries`,
    // when the folder is the one shown, is what it holds: the upload then needs no listing.
    UploadBatch(BatchHost &host, QString deviceID, QString storageID, QUrl file, std::optional<QString> parentID,
                TransferJob job, std::optional<QList<RemoteEntry>> entries);

    // The destination's path on the phone, from the storage's root ("" for the root): a
    // batch written down in the journal names each file by where it goes.
    void toPhoneFolder(QString path) { m_phoneFolder = std::move(path); }

protected:
    QCoro::Task<> steps() override;
    QCoro::Task<> findFiles() override; // walks the local items
    void copied(const SeriesFile &file) override;
    std::optional<JournalFile> journalFile(int step) const override;

private:
    QCoro::Task<> learn(int step, QString folder);
    QCoro::Task<> makeFolder(int step, QString into);
    // Returns the last step of the series, or nothing when the batch stops there.
    QCoro::Task<std::optional<int>> copyFrom(int step);
    QString folderOf(int step) const;
    QString phonePath(int step) const;

    QList<QUrl> m_items;
    const QString m_root; // the phone folder's id; "" is the storage's root
    // What each phone folder holds, by name, once listed.
    QHash<QString, QHash<QString, RemoteEntry>> m_known;
    QString m_phoneFolder;
    QHash<int, QString> m_names; // the name each step took on the phone, once chosen
};

} // namespace tarvel
