#pragma once

// The steps of one batch of copies, in the order they run, and its counts. Folders come
// before what they hold: a folder's step creates it (or finds it) at the destination, and
// each file names the folder step it goes into. A batch hands the lane runs of ready files
// as one series; this class only keeps the steps and the score.

#include "TarvelCore/Models.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tarvel {

struct BatchStep {
    RemoteEntryKind kind = RemoteEntryKind::file;
    QString name = {};               // the source's own name
    QString source = {};             // a download's object id, or an upload's local path
    qint64 size = 0;                 // bytes of a file, 0 when not known
    int parent = -1;                 // the folder step it goes into; -1: the batch's destination
    // Where a placed step went: a folder's local path or object id, a file's name in its folder.
    std::optional<QString> target = {};
    bool failed = false;
    std::optional<QDateTime> modifiedAt = {}; // a download's date on the phone, where it said

    friend bool operator==(const BatchStep &, const BatchStep &) = default;
};

// What a walk of local files and folders found.
struct LocalItems {
    QList<BatchStep> steps;
    QStringList skipped; // "name: why", for what cannot be copied at all
};

class TransferQueue {
public:
    TransferQueue(TransferDirection direction, QString destinationName);

    // Appends a step; a file's size counts towards the total. Returns its index.
    int add(BatchStep step);
    void adopt(const LocalItems &items);
    int size() const { return int(m_steps.size()); }
    const BatchStep &at(int index) const { return m_steps.at(index); }

    // Folder steps may still add steps after them until this is called.
    void foldersListed();
    // A step that could not be done: named in the end sentence unless the reason is empty.
    // A folder that fails takes the steps inside it along: each is failed in its turn, and
    // counted, but not named again.
    void fail(int index, QString reason);
    void note(QString problem); // a problem that belongs to no single step
    // A file that is already at the destination: it leaves the batch's counts, and the end
    // sentence says how many were skipped.
    void skip(int index);
    int filesSkipped() const { return m_filesSkipped; }
    void setTarget(int index, QString target);
    // The destination of a step: its parent folder's target, or the batch's own.
    std::optional<QString> destinationOf(int index, const std::optional<QString> &batchDestination) const;
    bool skipsStep(int index) const; // it failed, or a folder it goes into did
    QList<int> filesIn(int folder) const; // the file steps directly in a folder step; -1: the destination
    void started(int files); // the lane went past this many more files, copied or not
    void finishFile(int index);

    // The counts with `filesInFlight` more started and `bytesInFlight` more copied.
    TransferBatch batch(int filesInFlight = 0, qint64 bytesInFlight = 0) const;

    TransferDirection direction() const { return m_direction; }
    const QString &destinationName() const { return m_destinationName; }
    int fileCount() const { return m_fileCount; }
    int filesDone() const { return m_filesDone; }
    int filesFailed() const { return m_filesFailed; }
    qint64 bytesDone() const { return m_bytesDone; }
    // Each "name: why", in the order they happened.
    const QStringList &failures() const { return m_failures; }
    bool hasFailures() const { return !m_failures.isEmpty(); }

private:
    TransferDirection m_direction;
    QString m_destinationName;
    QList<BatchStep> m_steps;
    QHash<int, QList<int>> m_filesIn; // file steps by folder step, so a folder's files need no search
    QStringList m_failures;
    int m_fileCount = 0;
    int m_filesStarted = 0;
    int m_filesDone = 0;
    int m_filesFailed = 0;
    int m_filesSkipped = 0;
    qint64 m_totalBytes = 0;
    qint64 m_bytesDone = 0;
    bool m_listing = true;
};

} // namespace tarvel
