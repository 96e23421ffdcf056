#pragma once

// The import record and the batch journal as the UI thread reaches them: the database lives
// on a thread of its own (every call blocks on the disk, and the database belongs to the
// thread that opened it), opened there on first use, and each call comes back as a task. The same thread checks
// what the destination folder already holds, so deciding never stats a file on the UI thread.

#include "TarvelCore/SerialWorker.h"
#include "TarvelStore/BatchJournal.h"
#include "TarvelStore/ImportRecord.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

namespace tarvel {

class ImportStore {
public:
    // `folder` holds tarvel.sqlite: TarvelDatabase::defaultFolder() for the application,
    // a folder of their own for tests.
    explicit ImportStore(QString folder);
    ~ImportStore();
    ImportStore(const ImportStore &) = delete;
    ImportStore &operator=(const ImportStore &) = delete;

    // Opens the database on first use. One answer per key, in order; a problem that keeps this
    // import from being remembered (or earlier ones from being known) comes with each.
    QCoro::Task<QList<ImportedFiles>> importedFiles(QList<PhoneKey> keys);
    QCoro::Task<StoreProblem> recordImported(PhoneKey key, QList<ImportedFile> files);
    QCoro::Task<StoreProblem> recordDeleted(PhoneKey key, QStringList paths);

    // A write to the batch journal, queued behind everything before it and not awaited: a
    // batch never waits for the disk, and its writes land in the order it made them.
    void journal(std::function<StoreProblem(BatchJournal &)> write);
    // The first problem a journal write met since the store was made; none while all landed.
    StoreProblem journalProblem() const { return m_journalProblem.load(); }
    QCoro::Task<QList<JournalBatch>> unfinishedBatches(std::optional<PhoneKey> key);

    // Blocking work that belongs beside the record (a look at the destination), in order
    // with the record's own calls.
    template <typename Work>
    auto run(Work work)
    {
        return m_worker.run(std::move(work));
    }

private:
    struct Open;
    Open &open(); // on the worker only

    const QString m_folder;
    std::unique_ptr<Open> m_open; // made, used and destroyed on the worker
    std::atomic<StoreProblem> m_journalProblem{StoreProblem::none};
    // Last, so it goes first and waits for a job in progress.
    SerialWorker m_worker;
};

} // namespace tarvel
