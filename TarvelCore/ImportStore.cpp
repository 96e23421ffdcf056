#include "TarvelCore/ImportStore.h"

namespace tarvel {

struct ImportStore::Open {
    explicit Open(const QString &folder) : database(folder), record(database), journal(database) {}
    TarvelDatabase database;
    ImportRecord record;
    BatchJournal journal;
};

ImportStore::ImportStore(QString folder) : m_folder(std::move(folder)) {}

// The database is closed on the thread that opened it.
ImportStore::~ImportStore()
{
    auto close = [this] { m_open.reset(); };
    m_worker.run(std::move(close));
    m_worker.waitForIdle(-1);
}

ImportStore::Open &ImportStore::open()
{
    if (!m_open)
        m_open = std::make_unique<Open>(m_folder);
    return *m_open;
}

QCoro::Task<QList<ImportedFiles>> ImportStore::importedFiles(QList<PhoneKey> keys)
{
    auto work = [this, keys] {
        Open &store = open();
        QList<ImportedFiles> answers;
        for (const PhoneKey &key : keys) {
            ImportedFiles files = store.record.importedFiles(key);
            // Read, but what is imported now cannot be remembered: the window says so too.
            if (files.problem == StoreProblem::none && !store.database.canWrite())
                files.problem = store.database.problem() == StoreProblem::none ? StoreProblem::readOnly
                                                                               : store.database.problem();
            if (files.problem == StoreProblem::none && store.database.problem() == StoreProblem::corrupt)
                files.problem = StoreProblem::corrupt;
            answers.append(files);
        }
        return answers;
    };
    co_return co_await awaitResult(m_worker.run(std::move(work)));
}

QCoro::Task<StoreProblem> ImportStore::recordImported(PhoneKey key, QList<ImportedFile> files)
{
    auto work = [this, key, files] { return open().record.recordImported(key, files); };
    co_return co_await awaitResult(m_worker.run(std::move(work)));
}

QCoro::Task<StoreProblem> ImportStore::recordDeleted(PhoneKey key, QStringList paths)
{
    auto work = [this, key, paths] { return open().record.recordDeleted(key, paths); };
    co_return co_await awaitResult(m_worker.run(std::move(work)));
}

void ImportStore::journal(std::function<StoreProblem(BatchJournal &)> write)
{
    auto work = [this, write = std::move(write)] {
        const StoreProblem problem = write(open().journal);
        StoreProblem none = StoreProblem::none;
        m_journalProblem.compare_exchange_strong(none, problem);
    };
    m_worker.run(std::move(work));
}

QCoro::Task<QList<JournalBatch>> ImportStore::unfinishedBatches(std::optional<PhoneKey> key)
{
    auto work = [this, key] { return open().journal.unfinished(key); };
    co_return co_await awaitResult(m_worker.run(std::move(work)));
}

} // namespace tarvel
