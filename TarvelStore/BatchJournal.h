#pragma once

// The batch journal: every batch of copies (import, download, upload) written down as it
// goes, so an unplug, a cancel, a quit or a crash leaves what is needed to finish it: its
// files, where each goes, which are done, and the bytes of the one in flight. A batch stays
// until it ends whole or the user dismisses it.
//
// Files are known by their path on the phone, never by object ids: the phone numbers its
// objects anew on every connection. Like the import record it reads and writes through a
// TarvelDatabase and shares its thread: every call blocks, so run it off the UI thread.

#include "TarvelStore/ImportRecord.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace tarvel {

enum class JournalKind { download, upload, import };
enum class JournalFileState { waiting, done, failed };

struct JournalFile {
    int seq = 0; // its place in the batch: files are resumed in this order
    // Where it is on the phone, from the storage's root with '/' between folders: a
    // download's source, an upload's destination.
    QString phonePath = {};
    // Where it is on the computer: a download's destination (its final name), an upload's source.
    QString localPath = {};
    std::optional<qint64> sizeBytes = {};
    std::optional<QDateTime> modifiedAt = {}; // the phone's date, to see whether it changed meanwhile
    JournalFileState state = JournalFileState::waiting;
    // The copy in flight: where a download gathers its bytes on the computer until it is
    // whole, and how many it holds, as read from the disk; the part goes when the file ends
    // or its batch is forgotten. An upload's is its path on the phone once its name was
    // chosen: what a cut may have left there half-sent.
    qint64 partBytes = 0;
    QString partPath = {};
    // An import's file on another storage of the phone than its batch's: that storage, as
    // the batch's key names one. Empty: the batch's own.
    QString storage = {};

    friend bool operator==(const JournalFile &, const JournalFile &) = default;
};

struct JournalBatch {
    QString id = {}; // made by the caller, so a write never waits for another's answer
    PhoneKey key = {};
    JournalKind kind = JournalKind::download;
    QString destination = {};     // the local folder, or the phone folder's path
    QString destinationName = {}; // as the window names it ("Pictures/Phone")
    QDateTime startedAt = {};
    QList<JournalFile> files = {};

    int filesLeft() const;
    qint64 bytesLeft() const; // counting the bytes a cut download already kept as copied

    friend bool operator==(const JournalBatch &, const JournalBatch &) = default;
};

class BatchJournal {
public:
    // The database must outlive the journal.
    explicit BatchJournal(TarvelDatabase &database) : m_database(database) {}

    // The batch and the files it knows so far.
    StoreProblem begin(const JournalBatch &batch);
    // Files found or placed later (a folder's contents, a name chosen just before its turn):
    // each replaces what was written under its number.
    StoreProblem putFiles(const QString &batchID, const QList<JournalFile> &files);
    StoreProblem setState(const QString &batchID, const QList<int> &files, JournalFileState state);
    // Ended whole, or dismissed: it is forgotten, with the parts of its files.
    StoreProblem forget(const QString &batchID);

    // The batches not yet ended for this phone and storage, oldest first, with their files;
    // with no key, every phone's.
    QList<JournalBatch> unfinished(const std::optional<PhoneKey> &key = std::nullopt) const;

private:
    TarvelDatabase &m_database;
};

} // namespace tarvel
