#include "TarvelStore/BatchJournal.h"

#include "TarvelStore/SqlStatement.h"

#include <sqlite3.h>

#include <algorithm>

namespace tarvel {

namespace {

int writeFiles(sqlite3 *db, const QString &batchID, const QList<JournalFile> &files)
{
    SqlStatement insert(db, "INSERT OR REPLACE INTO journal_file (batch, seq, phone_path, local_path, size, modified, state,"
                            " part_bytes, part_path) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    insert.bind(1, batchID);
    int result = insert.prepareResult();
    for (int i = 0; i < files.size() && result == SQLITE_OK; ++i) {
        const JournalFile &file = files.at(i);
        insert.bind(2, file.seq);
        insert.bind(3, file.phonePath);
        insert.bind(4, file.localPath);
        insert.bind(5, file.sizeBytes);
        insert.bind(6, seconds(file.modifiedAt));
        insert.bind(7, qint64(file.state));
        insert.bind(8, file.partBytes);
        insert.bind(9, file.partPath);
        if ((result = insert.step()) == SQLITE_DONE)
            result = SQLITE_OK;
        insert.reset();
    }
    return result;
}

} // namespace

int JournalBatch::filesLeft() const
{
    int left = 0;
    for (const JournalFile &file : files)
        left += file.state == JournalFileState::waiting ? 1 : 0;
    return left;
}

qint64 JournalBatch::bytesLeft() const
{
    qint64 left = 0;
    for (const JournalFile &file : files) {
        if (file.state == JournalFileState::waiting)
            left += std::max<qint64>(0, file.sizeBytes.value_or(0) - file.partBytes);
    }
    return left;
}

StoreProblem BatchJournal::begin(const JournalBatch &batch)
{
    return m_database.write([&] {
        SqlStatement insert(m_database.handle(),
                            "INSERT INTO journal_batch (id, phone, storage, guessed, kind, destination,"
                            " destination_name, started_at) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
        insert.bind(1, batch.id);
        insert.bind(2, batch.key.phone);
        insert.bind(3, batch.key.storage);
        insert.bind(4, qint64(batch.key.guessed));
        insert.bind(5, qint64(batch.kind));
        insert.bind(6, batch.destination);
        insert.bind(7, batch.destinationName);
        insert.bind(8, seconds(batch.startedAt).value_or(QDateTime::currentSecsSinceEpoch()));
        const int result = insert.step();
        if (result != SQLITE_DONE)
            return result;
        return writeFiles(m_database.handle(), batch.id, batch.files);
    });
}

StoreProblem BatchJournal::putFiles(const QString &batchID, const QList<JournalFile> &files)
{
    return m_database.write([&] { return writeFiles(m_database.handle(), batchID, files); });
}

StoreProblem BatchJournal::setState(const QString &batchID, const QList<int> &files, JournalFileState state)
{
    return m_database.write([&] {
        // A file that ended has no part in flight any more.
        SqlStatement update(m_database.handle(), "UPDATE journal_file SET state = ?3, part_bytes = 0, part_path = ''"
                                                 " WHERE batch = ?1 AND seq = ?2");
        update.bind(1, batchID);
        update.bind(3, qint64(state));
        int result = update.prepareResult();
        for (const int file : files) {
            update.bind(2, file);
            if ((result = update.step()) != SQLITE_DONE)
                break;
            update.reset();
        }
        return result;
    });
}

StoreProblem BatchJournal::setPart(const QString &batchID, int file, qint64 bytes, const QString &partPath)
{
    return m_database.write([&] {
        SqlStatement update(m_database.handle(),
                            "UPDATE journal_file SET part_bytes = ?3, part_path = ?4 WHERE batch = ?1 AND seq = ?2");
        update.bind(1, batchID);
        update.bind(2, file);
        update.bind(3, bytes);
        update.bind(4, partPath);
        return update.step();
    });
}

StoreProblem BatchJournal::forget(const QString &batchID)
{
    return m_database.write([&] {
        SqlStatement remove(m_database.handle(), "DELETE FROM journal_batch WHERE id = ?1");
        remove.bind(1, batchID);
        return remove.step();
    });
}

QList<JournalBatch> BatchJournal::unfinished(const std::optional<PhoneKey> &key) const
{
    if (!m_database.canRead())
        return {};
    SqlStatement batches(m_database.handle(),
                         "SELECT id, phone, storage, guessed, kind, destination, destination_name, started_at"
                         " FROM journal_batch WHERE ?1 IS NULL OR (phone = ?1 AND storage = ?2)"
                         " ORDER BY started_at, rowid");
    batches.bind(1, key ? key->phone : QString());
    if (!key)
        batches.bind(1, std::optional<qint64>());
    batches.bind(2, key ? key->storage : QString());
    SqlStatement files(m_database.handle(),
                       "SELECT seq, phone_path, local_path, size, modified, state, part_bytes, part_path"
                       " FROM journal_file WHERE batch = ?1 ORDER BY seq");
    QList<JournalBatch> found;
    while (batches.step() == SQLITE_ROW) {
        JournalBatch batch{.id = batches.text(0),
                           .key = {batches.text(1), batches.text(2), batches.number(3).value_or(0) != 0},
                           .kind = JournalKind(batches.number(4).value_or(0)),
                           .destination = batches.text(5),
                           .destinationName = batches.text(6),
                           .startedAt = fromSeconds(batches.number(7)).value_or(QDateTime())};
        files.bind(1, batch.id);
        while (files.step() == SQLITE_ROW) {
            batch.files.append({.seq = int(files.number(0).value_or(0)),
                                .phonePath = files.text(1),
                                .localPath = files.text(2),
                                .sizeBytes = files.number(3),
                                .modifiedAt = fromSeconds(files.number(4)),
                                .state = JournalFileState(files.number(5).value_or(0)),
                                .partBytes = files.number(6).value_or(0),
                                .partPath = files.text(7)});
        }
        files.reset();
        found.append(batch);
    }
    return found;
}

} // namespace tarvel
