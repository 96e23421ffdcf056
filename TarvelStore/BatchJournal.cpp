#include "TarvelStore/BatchJournal.h"

#include "TarvelStore/SqlStatement.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>

namespace tarvel {

namespace {

int writeFiles(sqlite3 *db, const QString &batchID, const QList<JournalFile> &files)
{
    SqlStatement insert(db, "INSERT OR REPLACE INTO journal_file (batch, seq, phone_path, local_path, size, modified, state,"
                            " part_bytes, part_path, storage) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
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
        insert.bind(10, file.storage);
        if ((result = insert.step()) == SQLITE_DONE)
            result = SQLITE_OK;
        insert.reset();
    }
    return result;
}

// The parts the batch's files gather their bytes in, of these files or of all.
QStringList partsOf(sqlite3 *db, const QString &batchID, const QList<int> &files = {})
{
    // An upload's part is on the phone: it is removed there, after a check, not from here.
    SqlStatement select(db, "SELECT f.seq, f.part_path FROM journal_file f JOIN journal_batch b ON b.id = f.batch"
                            " WHERE f.batch = ?1 AND f.part_path <> '' AND b.kind <> ?2");
    select.bind(1, batchID);
    select.bind(2, qint64(JournalKind::upload));
    QStringList parts;
    while (select.step() == SQLITE_ROW) {
        if (files.isEmpty() || files.contains(int(select.number(0).value_or(-1))))
            parts.append(select.text(1));
    }
    return parts;
}

// A part is the journal's: it goes when its file ends or its batch is forgotten, so a cut
// copy never holds disk space nobody can resume.
void removeParts(const QStringList &parts)
{
    for (const QString &part : parts)
        QFile::remove(part);
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
    // A file done took its part's place: only one that failed may have left a part.
    const QStringList parts = state != JournalFileState::done && m_database.canRead()
        ? partsOf(m_database.handle(), batchID, files)
        : QStringList();
    const StoreProblem problem = m_database.write([&] {
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
    if (problem == StoreProblem::none)
        removeParts(parts);
    return problem;
}

StoreProblem BatchJournal::forget(const QString &batchID)
{
    const QStringList parts = m_database.canRead() ? partsOf(m_database.handle(), batchID) : QStringList();
    const StoreProblem problem = m_database.write([&] {
        SqlStatement remove(m_database.handle(), "DELETE FROM journal_batch WHERE id = ?1");
        remove.bind(1, batchID);
        return remove.step();
    });
    if (problem == StoreProblem::none)
        removeParts(parts);
    return problem;
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
                       "SELECT seq, phone_path, local_path, size, modified, state, part_bytes, part_path, storage"
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
                                .partPath = files.text(7),
                                .storage = files.text(8)});
            // The part on the disk knows its bytes better than a number written before a crash.
            JournalFile &file = batch.files.last();
            if (batch.kind != JournalKind::upload && file.state == JournalFileState::waiting && !file.partPath.isEmpty())
                file.partBytes = std::min(QFileInfo(file.partPath).size(), file.sizeBytes.value_or(0));
        }
        files.reset();
        found.append(batch);
    }
    return found;
}

} // namespace tarvel
