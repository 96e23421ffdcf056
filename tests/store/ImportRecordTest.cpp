#include "TarvelStore/ImportRecord.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

using namespace tarvel;
using namespace std::chrono_literals;

namespace {
const PhoneKey pixel = PhoneKey::of("PX7-0042", "Pixel 7", "65537", "Internal shared storage");
const QDateTime taken = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);

ImportedFile photo(const QString &path, qint64 size = 2'000'000)
{
    return {path, size, taken, "/home/me/Pictures/" + path};
}

StoreProblem record(const QString &folder, const QList<ImportedFile> &files)
{
    TarvelDatabase database(folder);
    return ImportRecord(database).recordImported(pixel, files);
}

bool overwrite(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.write(bytes) == bytes.size();
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Another program on the same file, as another Tarvel window would be.
struct OtherConnection {
    sqlite3 *db = nullptr;
    explicit OtherConnection(const QString &path) { sqlite3_open(path.toUtf8().constData(), &db); }
    ~OtherConnection() { sqlite3_close(db); }
    int exec(const char *sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
};
} // namespace

// Reconnecting finds files by path, size and date (ids never enter); a changed size or date,
// or the same file under another path or storage, is new. A delete keeps its entry.
TEST(ImportRecord, RemembersFilesAcrossReopening)
{
    QTemporaryDir dir;
    ASSERT_EQ(record(dir.path(), {photo("DCIM/Camera/a.jpg"), photo("DCIM/b.jpg")}), StoreProblem::none);
    TarvelDatabase database(dir.path());
    ImportRecord record(database);
    EXPECT_EQ(record.recordDeleted(pixel, {"DCIM/b.jpg", "never/recorded.jpg"}), StoreProblem::none);
    const ImportedFiles files = record.importedFiles(pixel);
    EXPECT_EQ(files.byPath.size(), 2);
    EXPECT_FALSE(files.isNew("DCIM/Camera/a.jpg", 2'000'000, taken.addMSecs(999))); // whole seconds
    EXPECT_FALSE(files.isNew("DCIM/b.jpg", 2'000'000, taken));
    EXPECT_TRUE(files.isNew("DCIM/Camera/a.jpg", 2'000'001, taken));
    EXPECT_TRUE(files.isNew("DCIM/Camera/a.jpg", 2'000'000, taken.addSecs(1)));
    EXPECT_TRUE(files.isNew("Download/a.jpg", 2'000'000, taken)); // copied there by hand
    EXPECT_TRUE(record.importedFiles(PhoneKey::of("PX7-0042", "Pixel 7", "131073", "SD card")).byPath.isEmpty());

    EXPECT_EQ(record.recordImported(pixel, {photo("DCIM/Camera/a.jpg", 5)}), StoreProblem::none);
    EXPECT_FALSE(record.importedFiles(pixel).isNew("DCIM/Camera/a.jpg", 5, taken));
    EXPECT_TRUE(PhoneKey::of("0123456789ABCDEF", "Moto", "65537", "Internal").guessed);
}

// Two windows writing one file at a time, at the same moment, lose no entry.
TEST(TarvelDatabase, TwoWindowsLoseNoEntry)
{
    QTemporaryDir dir;
    auto window = [&](QString folder) {
        TarvelDatabase database(dir.path());
        for (int i = 0; i < 100; ++i)
            EXPECT_EQ(ImportRecord(database).recordImported(pixel, {photo(folder + QString::number(i))}),
                      StoreProblem::none);
    };
    std::thread first(window, "first/"), second(window, "second/");
    first.join();
    second.join();
    TarvelDatabase database(dir.path());
    EXPECT_EQ(ImportRecord(database).importedFiles(pixel).byPath.size(), 200);
}

// A damaged file is set aside under a dated name, with its WAL, byte for byte, and a fresh
// one takes its place.
TEST(TarvelDatabase, CorruptFileIsSetAsideUntouched)
{
    QTemporaryDir dir;
    const QString path = TarvelDatabase(dir.path()).filePath();
    ASSERT_TRUE(overwrite(path, QByteArray(100, 'Z')) && overwrite(path + "-wal", "frames"));
    const QByteArray damaged = contents(path);

    TarvelDatabase database(dir.path());
    EXPECT_EQ(database.problem(), StoreProblem::corrupt);
    const QStringList aside = QDir(dir.path()).entryList({"tarvel.sqlite.corrupt-*"});
    ASSERT_GE(aside.size(), 2) << "the file and its WAL, and the WAL's index if SQLite made one";
    EXPECT_TRUE(QRegularExpression(R"(^tarvel\.sqlite\.corrupt-\d{8}T\d{6}Z$)").match(aside[0]).hasMatch());
    EXPECT_EQ(contents(dir.filePath(aside[0])), damaged);
    EXPECT_EQ(contents(dir.filePath(aside[0] + "-wal")), "frames");
    EXPECT_EQ(ImportRecord(database).recordImported(pixel, {photo("a.jpg")}), StoreProblem::none);
    EXPECT_EQ(ImportRecord(database).importedFiles(pixel).byPath.size(), 1);
}

// A write lock held by another program: reading goes on, writing and opening a file that
// still needs its schema give up soon after the timeout.
TEST(TarvelDatabase, LockedDatabaseFailsSoft)
{
    QTemporaryDir dir, fresh;
    ASSERT_EQ(record(dir.path(), {photo("a.jpg")}), StoreProblem::none);
    OtherConnection other(dir.filePath("tarvel.sqlite"));
    ASSERT_EQ(other.exec("BEGIN EXCLUSIVE"), SQLITE_OK);
    QElapsedTimer clock;
    clock.start();
    TarvelDatabase database(dir.path(), 200ms);
    EXPECT_EQ(database.problem(), StoreProblem::none);
    EXPECT_EQ(ImportRecord(database).importedFiles(pixel).byPath.size(), 1);
    EXPECT_EQ(ImportRecord(database).recordImported(pixel, {photo("b.jpg")}), StoreProblem::locked);

    OtherConnection creating(fresh.filePath("tarvel.sqlite"));
    ASSERT_EQ(creating.exec("CREATE TABLE t (x); BEGIN EXCLUSIVE"), SQLITE_OK);
    TarvelDatabase locked(fresh.path(), 200ms);
    EXPECT_EQ(locked.problem(), StoreProblem::locked);
    EXPECT_EQ(ImportRecord(locked).importedFiles(pixel).problem, StoreProblem::locked);
    EXPECT_LT(clock.elapsed(), 2000);
}

// A folder or file that cannot be written still says what was imported, and refuses the rest.
// chmod does not stop root, so as root the check runs as nobody.
TEST(TarvelDatabase, ReadOnlyReadsButDoesNotWrite)
{
    QTemporaryDir dir;
    ASSERT_EQ(record(dir.path(), {photo("a.jpg")}), StoreProblem::none);
    const QByteArray path = QFile::encodeName(dir.filePath("tarvel.sqlite"));
    ::chmod(path.constData(), 0444);
    const bool root = geteuid() == 0;
    for (mode_t folder : {0555, 0777}) { // without the WAL's companions first, then with them
        ::chmod(QFile::encodeName(dir.path()).constData(), folder);
        if (root && seteuid(65534) != 0)
            GTEST_SKIP() << "running as root, which chmod does not stop, and cannot become nobody";
        if (access(path.constData(), R_OK) != 0) {
            (void)!seteuid(0);
            GTEST_SKIP() << "nobody cannot reach the temporary folder " << dir.path().toStdString();
        }
        {
            TarvelDatabase database(dir.path());
            EXPECT_EQ(database.problem(), StoreProblem::readOnly) << folder;
            EXPECT_FALSE(ImportRecord(database).importedFiles(pixel).isNew("a.jpg", 2'000'000, taken)) << folder;
            EXPECT_EQ(ImportRecord(database).recordImported(pixel, {photo("b.jpg")}), StoreProblem::readOnly);
        }
        ASSERT_TRUE(!root || seteuid(0) == 0);
    }
}

// A full disk keeps every file recorded before it and says so for the one that did not fit.
TEST(TarvelDatabase, FullDiskKeepsWhatFit)
{
    QTemporaryDir dir;
    QSet<QString> recorded;
    {
        TarvelDatabase database(dir.path());
        ASSERT_EQ(sqlite3_exec(database.handle(), "PRAGMA max_page_count = 8", nullptr, nullptr, nullptr), SQLITE_OK);
        StoreProblem problem = StoreProblem::none;
        for (int i = 0; i < 1000 && problem == StoreProblem::none; ++i) {
            const QString path = QString(200, 'x') + QString::number(i);
            if ((problem = ImportRecord(database).recordImported(pixel, {photo(path)})) == StoreProblem::none)
                recorded.insert(path);
        }
        EXPECT_EQ(problem, StoreProblem::diskFull);
    }
    TarvelDatabase database(dir.path());
    const QList<QString> found = ImportRecord(database).importedFiles(pixel).byPath.keys();
    EXPECT_EQ(QSet<QString>(found.begin(), found.end()), recorded);
    EXPECT_GT(recorded.size(), 10);
}

// A database from a newer Tarvel is read but never written, not even its version.
TEST(TarvelDatabase, NewerSchemaIsLeftUntouched)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tarvel.sqlite");
    ASSERT_EQ(record(dir.path(), {photo("a.jpg")}), StoreProblem::none);
    const QByteArray newer = "PRAGMA user_version = " + QByteArray::number(TarvelDatabase::schemaVersion + 1);
    OtherConnection(path).exec(newer.constData());
    const QByteArray before = contents(path);

    TarvelDatabase database(dir.path());
    EXPECT_EQ(database.problem(), StoreProblem::newerSchema);
    EXPECT_EQ(ImportRecord(database).importedFiles(pixel).byPath.size(), 1);
    EXPECT_EQ(ImportRecord(database).recordImported(pixel, {photo("b.jpg")}), StoreProblem::newerSchema);
    EXPECT_EQ(contents(path), before);
}
