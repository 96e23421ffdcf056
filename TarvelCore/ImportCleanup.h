#pragma once

// Freeing the phone after an import: deletes from the phone exactly the files this import
// copied whose copy on the computer is still there, whole (the phone's size) and flushed to
// the disk; anything else stays. Each object is checked to be the one listed (name and size)
// before the phone deletes it, and what was deleted is marked in the import record as it
// goes, so a pulled plug keeps the record of every delete before it.

#include "TarvelCore/AndroidFileTransferEngine.h"
#include "TarvelCore/ImportBatch.h"
#include "TarvelCore/ImportStore.h"

#include <QCoro/QCoroTask>
#include <QHash>

#include <memory>

namespace tarvel {

struct CleanupEnd {
    int deleted = 0;
    qint64 bytes = 0;       // of the files deleted
    int copyNotSafe = 0;    // kept: the copy on the computer is gone, changed or could not be flushed
    int refused = 0;        // kept: the phone would not delete it, or it changed there
    int notReached = 0;     // kept: the phone went away or the user stopped first
    bool phoneGone = false;
    bool cancelled = false;
    StoreProblem storeProblem = StoreProblem::none;

    friend bool operator==(const CleanupEnd &, const CleanupEnd &) = default;
};

class ImportCleanup {
public:
    ImportCleanup(std::shared_ptr<AndroidFileTransferEngine> engine, QString deviceID, QList<ImportedCopy> copies,
                  QHash<QString, PhoneKey> keys, std::shared_ptr<ImportStore> store);

    // Never throws: every outcome is counted in the end.
    QCoro::Task<CleanupEnd> run();
    void cancel() { m_control->cancel(); }
    int deletedSoFar() const { return m_end.deleted; }
    int fileCount() const { return int(m_copies.size()); }

private:
    QCoro::Task<> remember(QList<ImportCandidate> deleted);

    const std::shared_ptr<AndroidFileTransferEngine> m_engine;
    const QString m_deviceID;
    const QList<ImportedCopy> m_copies;
    const QHash<QString, PhoneKey> m_keys;
    const std::shared_ptr<ImportStore> m_store;
    const std::shared_ptr<TransferControl> m_control = std::make_shared<TransferControl>();
    CleanupEnd m_end;
};

// Whether the copy at `localPath` has `size` bytes, after flushing it and its folder to the
// disk, so that deleting the phone's file can lose nothing. Blocks.
bool copyIsSafe(const QString &localPath, std::optional<qint64> size);

} // namespace tarvel
