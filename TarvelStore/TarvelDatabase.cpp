#include "TarvelStore/TarvelDatabase.h"

#include "TarvelStore/SqlStatement.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QUrl>

#include <sqlite3.h>
#include <sys/stat.h>

#include <iterator>
#include <optional>

namespace tarvel {

namespace {

const auto fileName = QStringLiteral("tarvel.sqlite");
// Besides the file itself, what SQLite keeps beside it in WAL mode.
const char *const companions[] = {"-wal", "-shm"};

// Entry i takes the schema from version i to version i + 1. Only ever append: a database
// written by any earlier build must migrate step by step.
const char *const migrations[] = {
    // 1: the import record. Object ids are no key: the phone renumbers them on every
    // connection, so a file is known by where it sits and how big and how old it is.
    R"(CREATE TABLE imported_file (
        phone TEXT NOT NULL,      -- 'serial:' + the USB serial, or 'model:' + the model without one
        storage TEXT NOT NULL,
        path TEXT NOT NULL,       -- from the storage's root, '/' between folders
        size INTEGER,             -- bytes; NULL when the phone did not say
        modified INTEGER,         -- the phone's date, Unix seconds; NULL when it did not say
        local_path TEXT NOT NULL, -- where the copy went
        imported_at INTEGER NOT NULL,
        deleted_at INTEGER,       -- when Tarvel deleted it from the phone after importing it
        PRIMARY KEY (phone, storage, path)
    ) WITHOUT ROWID;)",
    // 2: the batch journal. A file is numbered by its place in its batch; its row goes with
    // the batch's.
    R"(CREATE TABLE journal_batch (
        id TEXT PRIMARY KEY,
        phone TEXT NOT NULL,
        storage TEXT NOT NULL,
        guessed INTEGER NOT NULL,
        kind INTEGER NOT NULL,         -- 0 download, 1 upload, 2 import
        destination TEXT NOT NULL,
        destination_name TEXT NOT NULL,
        started_at INTEGER NOT NULL
    );
    CREATE TABLE journal_file (
        batch TEXT NOT NULL REFERENCES journal_batch (id) ON DELETE CASCADE,
        seq INTEGER NOT NULL,
        phone_path TEXT NOT NULL,
        local_path TEXT NOT NULL,
        size INTEGER,
        modified INTEGER,
        state INTEGER NOT NULL,        -- 0 waiting, 1 done, 2 failed
        part_bytes INTEGER NOT NULL,
        part_path TEXT NOT NULL,
        PRIMARY KEY (batch, seq)
    ) WITHOUT ROWID;)",
    // 3: an import looks through every storage of the phone: a file on another storage than
    // its batch's names that storage as the batch's key does.
    "ALTER TABLE journal_file ADD COLUMN storage TEXT NOT NULL DEFAULT '';",
};
static_assert(std::size(migrations) == TarvelDatabase::schemaVersion);

int exec(sqlite3 *db, const char *sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

bool failed(int result)
{
    return result != SQLITE_OK && result != SQLITE_DONE && result != SQLITE_ROW;
}

bool isCorrupt(int result)
{
    return TarvelDatabase::problemOf(result) == StoreProblem::corrupt;
}

// Failures a read-only connection may get past: the file, or the folder for the WAL's
// companions, cannot be written.
bool isUnwritable(int result)
{
    return TarvelDatabase::problemOf(result) == StoreProblem::readOnly;
}

// The whole file is read, so damage anywhere is found now, while it can still be set aside
// before anything is written into it.
int checkIntegrity(sqlite3 *db)
{
    SqlStatement check(db, "PRAGMA quick_check(1)");
    const int result = check.step();
    if (result != SQLITE_ROW)
        return result;
    return check.text(0) == QLatin1String("ok") ? SQLITE_OK : SQLITE_CORRUPT;
}

int userVersion(sqlite3 *db, int *version)
{
    SqlStatement read(db, "PRAGMA user_version");
    const int result = read.step();
    if (result == SQLITE_ROW)
        *version = int(read.number(0).value_or(0));
    return result;
}

std::optional<quint64> inodeOf(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return quint64(info.st_ino);
}

} // namespace

TarvelDatabase::TarvelDatabase(QString folder, std::chrono::milliseconds busyTimeout)
    : m_folder(std::move(folder)), m_busyTimeoutMs(int(busyTimeout.count()))
{
    QDir().mkpath(m_folder); // when it cannot be made, opening says why
    m_openedInode = inodeOf(filePath());
    int result = connect(Mode::readWrite);
    if (isCorrupt(result)) {
        if (!setAside()) {
            m_problem = StoreProblem::unavailable;
            return;
        }
        m_problem = StoreProblem::corrupt;
        result = connect(Mode::readWrite);
    }
    Mode mode = Mode::readWrite;
    for (Mode fallback : {Mode::readOnly, Mode::immutable}) {
        if (!isUnwritable(result))
            break;
        mode = fallback;
        result = connect(mode);
    }
    if (failed(result)) {
        if (m_problem == StoreProblem::none)
            m_problem = isCorrupt(result) ? StoreProblem::unavailable : problemOf(result);
        return;
    }

    int version = 0;
    result = userVersion(m_db, &version);
    if (!failed(result) && version > schemaVersion) {
        // Never written, so the newer build finds its data as it left it.
        exec(m_db, "PRAGMA query_only = ON");
        m_readable = true;
        m_problem = StoreProblem::newerSchema;
        return;
    }
    if (!failed(result))
        result = mode == Mode::readWrite && !sqlite3_db_readonly(m_db, "main") ? prepareForWriting() : SQLITE_READONLY;
    if (!failed(userVersion(m_db, &version)))
        m_readable = version == schemaVersion;
    m_writable = m_readable && !failed(result);
    if (failed(result) && m_problem == StoreProblem::none)
        m_problem = problemOf(result);
}

TarvelDatabase::~TarvelDatabase()
{
    close();
}

QString TarvelDatabase::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/tarvel");
}

QString TarvelDatabase::filePath() const
{
    return m_folder + QLatin1Char('/') + fileName;
}

StoreProblem TarvelDatabase::write(const std::function<int()> &body)
{
    if (!m_writable)
        return m_problem == StoreProblem::none ? StoreProblem::unavailable : m_problem;
    return problemOf(transaction(body));
}

StoreProblem TarvelDatabase::problemOf(int sqliteResult)
{
    switch (sqliteResult & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return StoreProblem::none;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return StoreProblem::locked;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
        return StoreProblem::readOnly;
    case SQLITE_FULL:
        return StoreProblem::diskFull;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return StoreProblem::corrupt;
    default:
        return StoreProblem::unavailable;
    }
}

int TarvelDatabase::connect(Mode mode)
{
    close();
    QByteArray uri = QUrl::fromLocalFile(filePath()).toEncoded();
    int flags = SQLITE_OPEN_URI | SQLITE_OPEN_READONLY;
    if (mode == Mode::readWrite)
        flags = SQLITE_OPEN_URI | SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    else if (mode == Mode::readOnly)
        uri += "?mode=ro";
    else
        // With neither the WAL's companions nor a way to make them, SQLite reads only a file
        // it may take as unchanging. Nothing else can write it either: the folder is closed.
        uri += "?immutable=1";
    int result = sqlite3_open_v2(uri.constData(), &m_db, flags, nullptr);
    if (result == SQLITE_OK) {
        sqlite3_busy_timeout(m_db, m_busyTimeoutMs);
        result = checkIntegrity(m_db);
    }
    if (isCorrupt(result)) {
        // Closing would copy the WAL into the damaged file; it is set aside as it is.
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    }
    if (result != SQLITE_OK)
        close();
    return result;
}

int TarvelDatabase::prepareForWriting()
{
    // WAL: a second window reads while this one writes, and a crash of Tarvel loses no
    // committed entry. NORMAL rather than FULL: the file stays whole through a power cut too,
    // and what a cut may take back is the last few entries, whose copies sat in the same page
    // cache; forgetting them copies them again, the safe way round. FULL costs an fsync per
    // entry: 1 to 5 ms against 0.05 to 0.4 ms on the disk this was measured on.
    for (const char *pragma : {"PRAGMA journal_mode = WAL", "PRAGMA synchronous = NORMAL", "PRAGMA foreign_keys = ON"}) {
        if (const int result = exec(m_db, pragma); failed(result))
            return result;
    }
    return migrate();
}

int TarvelDatabase::migrate()
{
    int version = 0;
    if (const int result = userVersion(m_db, &version); failed(result) || version >= schemaVersion)
        return result;
    return transaction([this] {
        // Read again under the write lock: another window may have migrated meanwhile.
        int current = 0;
        if (const int result = userVersion(m_db, &current); failed(result))
            return result;
        for (int step = current; step < schemaVersion; ++step) {
            if (const int result = exec(m_db, migrations[step]); failed(result))
                return result;
        }
        const QByteArray setVersion = "PRAGMA user_version = " + QByteArray::number(schemaVersion);
        return exec(m_db, setVersion.constData());
    });
}

int TarvelDatabase::transaction(const std::function<int()> &body)
{
    // IMMEDIATE takes the write lock first and waits for it there: a deferred transaction
    // that reads first fails at once, without waiting, when another window wrote meanwhile.
    int result = exec(m_db, "BEGIN IMMEDIATE");
    if (failed(result))
        return result;
    result = body();
    if (!failed(result))
        result = exec(m_db, "COMMIT");
    if (failed(result) && !sqlite3_get_autocommit(m_db))
        exec(m_db, "ROLLBACK");
    return result;
}

bool TarvelDatabase::setAside()
{
    // Another window that found the same damage may have set it aside and started afresh
    // already: that fresh file is not this damage.
    if (inodeOf(filePath()) != m_openedInode)
        return true;
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString aside = filePath() + QStringLiteral(".corrupt-") + stamp;
    for (int n = 2; QFile::exists(aside) || QFile::exists(aside + QLatin1String(companions[0])); ++n)
        aside = filePath() + QStringLiteral(".corrupt-") + stamp + QLatin1Char('-') + QString::number(n);
    // QFile::rename never replaces an existing file.
    if (!QFile::rename(filePath(), aside))
        return false;
    // A WAL left beside a fresh file would be read into it: start afresh only once both are gone.
    bool all = true;
    for (const char *companion : companions) {
        const QString from = filePath() + QLatin1String(companion);
        if (QFile::exists(from))
            all = QFile::rename(from, aside + QLatin1String(companion)) && all;
    }
    return all;
}

void TarvelDatabase::close()
{
    sqlite3_close(m_db); // harmless on null; every statement is finalized by then
    m_db = nullptr;
}

} // namespace tarvel
