#include "TarvelStore/BatchJournal.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

using namespace tarvel;

namespace {
const PhoneKey pixel = PhoneKey::of("PX7-0042", "Pixel 7", "65537", "Internal shared storage");

JournalFile file(int n)
{
    return {.seq = n, .phonePath = QString("DCIM/Camera/%1.jpg").arg(n), .localPath = QString("/home/me/Pictures/%1.jpg").arg(n),
            .sizeBytes = 1000, .modifiedAt = QDateTime::fromSecsSinceEpoch(1700000000 + n, Qt::UTC)};
}
} // namespace

// A batch cut after any step (the database closed as a quit or a crash leaves it) is found
// again for its phone only, with exactly the files not yet done and the bytes its part holds
// on the disk; dismissing it removes that part.
TEST(BatchJournal, BatchCutAtEachStepResumesToTheSameEnd)
{
    constexpr int files = 5;
    for (int cut = 0; cut <= files; ++cut) {
        SCOPED_TRACE(cut);
        QTemporaryDir dir;
        {
            TarvelDatabase database(dir.path());
            BatchJournal journal(database);
            // The first three are known at the start, two more once a folder is listed, and one
            // takes another name once it is placed.
            ASSERT_EQ(journal.begin({.id = "b1", .key = pixel, .destination = "/home/me/Pictures",
                                     .destinationName = "Pictures", .files = {file(0), file(1), file(2)}}),
                      StoreProblem::none);
            ASSERT_EQ(journal.putFiles("b1", {file(3), file(4)}), StoreProblem::none);
            JournalFile renamed = file(1);
            renamed.localPath = "/home/me/Pictures/1 (2).jpg";
            ASSERT_EQ(journal.putFiles("b1", {renamed}), StoreProblem::none);
            for (int k = 0; k < cut; ++k)
                ASSERT_EQ(journal.setState("b1", {k}, JournalFileState::done), StoreProblem::none);
            if (cut < files) {
                JournalFile inFlight = cut == 1 ? renamed : file(cut);
                inFlight.partPath = dir.filePath(".part");
                ASSERT_EQ(journal.putFiles("b1", {inFlight}), StoreProblem::none);
                QFile part(inFlight.partPath);
                ASSERT_TRUE(part.open(QIODevice::WriteOnly) && part.write(QByteArray(600, 'x')) == 600);
            }
        }
        TarvelDatabase database(dir.path());
        BatchJournal journal(database);
        EXPECT_TRUE(journal.unfinished(PhoneKey::of("OTHER", "Pixel 7", "65537", "x")).isEmpty());
        const QList<JournalBatch> found = journal.unfinished(pixel);
        ASSERT_EQ(found.size(), 1);
        const JournalBatch &batch = found.first();
        EXPECT_EQ(batch.destinationName, "Pictures");
        ASSERT_EQ(batch.files.size(), files);
        EXPECT_EQ(batch.filesLeft(), files - cut);
        EXPECT_EQ(batch.bytesLeft(), (files - cut) * 1000 - (cut < files ? 600 : 0));
        EXPECT_EQ(batch.files.at(1).localPath, "/home/me/Pictures/1 (2).jpg");
        for (int k = 0; k < files; ++k) {
            EXPECT_EQ(batch.files.at(k).seq, k);
            EXPECT_EQ(batch.files.at(k).phonePath, file(k).phonePath);
            EXPECT_EQ(batch.files.at(k).modifiedAt, file(k).modifiedAt);
            EXPECT_EQ(batch.files.at(k).state, k < cut ? JournalFileState::done : JournalFileState::waiting);
            EXPECT_EQ(batch.files.at(k).partBytes, k == cut ? 600 : 0);
        }
        EXPECT_EQ(journal.unfinished().size(), 1);

        // Dismissed: the part in flight goes with it.
        ASSERT_EQ(journal.forget("b1"), StoreProblem::none);
        EXPECT_TRUE(journal.unfinished().isEmpty());
        EXPECT_FALSE(QFile::exists(dir.filePath(".part")));
    }
}

// A database the build before wrote (the import record only) gains the journal and keeps
// every file it recorded.
TEST(BatchJournal, OlderDatabaseGainsTheJournal)
{
    QTemporaryDir dir;
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(dir.filePath("tarvel.sqlite").toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE imported_file (phone TEXT NOT NULL, storage TEXT NOT NULL, path TEXT NOT NULL,"
                           " size INTEGER, modified INTEGER, local_path TEXT NOT NULL, imported_at INTEGER NOT NULL,"
                           " deleted_at INTEGER, PRIMARY KEY (phone, storage, path)) WITHOUT ROWID;"
                           " INSERT INTO imported_file VALUES ('serial:PX7-0042', '65537', 'a.jpg', 5, NULL, '/a', 1, NULL);"
                           " PRAGMA user_version = 1;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    TarvelDatabase database(dir.path());
    EXPECT_EQ(database.problem(), StoreProblem::none);
    EXPECT_TRUE(database.canWrite());
    EXPECT_EQ(ImportRecord(database).importedFiles(pixel).byPath.size(), 1);
    EXPECT_EQ(BatchJournal(database).begin({.id = "b", .key = pixel, .files = {file(0)}}), StoreProblem::none);
    EXPECT_EQ(BatchJournal(database).unfinished(pixel).size(), 1);
}
