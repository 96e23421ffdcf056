#pragma once

// Tarvel's own database: what it keeps between runs, in one SQLite file,
// $XDG_DATA_HOME/tarvel/tarvel.sqlite (defaultFolder(); tests pass a folder of their own).
// It holds the import record (ImportRecord.h): every file imported or downloaded from a
// phone, so the next import copies only what is new; and the batch journal (BatchJournal.h):
// the batches not yet ended, so a cut one can resume. PRAGMA user_version is the schema
// version:
//   1  the import record (table imported_file)
//   2  the batch journal (tables journal_batch, journal_file)
// Versions only ever grow by appending a migration; a build never writes a database whose
// version is newer than it knows.
//
// Opening never throws, and waits for another Tarvel only up to the busy timeout. Whatever
// goes wrong, importing still works; problem() says what the window tells the user, once:
//   corrupt      the damaged file was set aside beside it as
//                tarvel.sqlite.corrupt-<UTC date-time> (with its -wal and -shm), never
//                deleted, and a fresh one started: earlier imports are not remembered.
//   locked       another Tarvel held a write lock past the timeout: this import cannot be
//                remembered; what was imported before is still known where it could be read.
//   readOnly     the folder or the file cannot be written: earlier imports are still known,
//                new ones cannot be remembered.
//   diskFull     no room to write: as readOnly, and what was recorded before stays.
//   newerSchema  written by a newer Tarvel: read where this build understands it, never
//                written, never downgraded.
//   unavailable  neither opened nor created (e.g. a damaged file that could not be set
//                aside): nothing is known, every file counts as new.
// A write returns the same reasons (locked, readOnly, diskFull; corrupt for damage found
// later, set aside at the next opening) and leaves what was recorded before as it was.
//
// Threads: every call blocks on the disk, so run it off the UI thread. One object belongs to
// one thread at a time: create, use and destroy it on one worker (a SerialWorker runs all its
// jobs on one thread). Two windows or two objects each open their own; WAL lets them read
// while the other writes, and writes wait their turn up to the busy timeout.

#include <QString>

#include <chrono>
#include <functional>
#include <optional>

struct sqlite3;

namespace tarvel {

enum class StoreProblem { none, corrupt, locked, readOnly, diskFull, newerSchema, unavailable };

class TarvelDatabase {
public:
    static constexpr int schemaVersion = 3;
    static constexpr std::chrono::milliseconds defaultBusyTimeout{1000};

    // Opens, or creates, `folder`/tarvel.sqlite and brings its schema up to date. A write lock
    // held by another connection is waited for up to `busyTimeout` on every call.
    explicit TarvelDatabase(QString folder, std::chrono::milliseconds busyTimeout = defaultBusyTimeout);
    ~TarvelDatabase();
    // $XDG_DATA_HOME/tarvel, where the application keeps it.
    static QString defaultFolder();
    TarvelDatabase(const TarvelDatabase &) = delete;
    TarvelDatabase &operator=(const TarvelDatabase &) = delete;

    // What went wrong while opening; none when it opened cleanly. corrupt still leaves a
    // working, empty database.
    StoreProblem problem() const { return m_problem; }
    // Whether the schema this build knows can be read, and written.
    bool canRead() const { return m_readable; }
    bool canWrite() const { return m_writable; }
    QString filePath() const;

    // Runs `body` inside one write transaction and commits it; `body` returns an SQLite result
    // code, and anything but SQLITE_OK/SQLITE_DONE rolls the whole transaction back. Returns
    // why it could not be written, or none.
    StoreProblem write(const std::function<int()> &body);

    // The connection, for the record classes of this folder (and for tests that need to reach
    // SQLite itself). Null when unavailable.
    sqlite3 *handle() const { return m_db; }

    // How an SQLite result code reads for the user; none for success.
    static StoreProblem problemOf(int sqliteResult);

private:
    enum class Mode { readWrite, readOnly, immutable };
    int connect(Mode mode);
    int prepareForWriting();
    int migrate();
    int transaction(const std::function<int()> &body);
    bool setAside();
    void close();

    QString m_folder;
    int m_busyTimeoutMs;
    std::optional<quint64> m_openedInode; // of the file found at opening, to set aside only that one
    sqlite3 *m_db = nullptr;
    StoreProblem m_problem = StoreProblem::none;
    bool m_readable = false;
    bool m_writable = false;
};

} // namespace tarvel
