#pragma once

// The steps of one batch of copies, in the order they run, and its counts. Folders come
// before what they hold: a folder's step creates it (or finds it) at the destination, and
// each file names the folder step it goes into. The view model runs the steps one at a
// time on the lane; this class only decides what is next and keeps the score.

#include "TarvelCore/Models.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace tarvel {

struct BatchStep {
    RemoteEntryKind kind = RemoteEntryKind::file;
    QString name = {};               // the source's own name
    QString source = {};             // a download's object id, or an upload's local path
    qint64 size = 0;                 // bytes of a file, 0 when not known
    int parent = -1;                 // the folder step it goes into; -1: the batch's destination
    std::optional<QString> target = {}; // where a done folder step put it: local path or object id
    bool failed = false;

    friend bool operator==(const BatchStep &, const BatchStep &) = default;
};

// What a walk of local files and folders found, off the UI thread.
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
    // A step that could not be done: named in the end sentence. A folder that fails takes
    // the steps inside it along, which are not counted again.
    void fail(int index, QString reason);
    void note(QString problem); // a problem that belongs to no single step
    void setTarget(int index, QString target);
    // The destination of a step: its parent folder's target, or the batch's own.
    std::optional<QString> destinationOf(int index, const std::optional<QString> &batchDestination) const;
    bool skipsStep(int index) const; // it failed, or a folder it goes into did
    QList<int> filesIn(int folder) const; // the file steps directly in a folder step; -1: the destination
    void startFile(int index);
    void finishFile(int index);

    TransferBatch batch(qint64 bytesOfFileInFlight = 0) const;
    int filesDone() const { return m_filesDone; }
    bool hasFailures() const { return !m_failures.isEmpty(); }

    // The one sentence at the end: what was copied where, and what failed and why.
    QString sentence() const;
    // The same, for a batch the user cancelled part-way.
    QString cancelledSentence() const;

private:
    TransferDirection m_direction;
    QString m_destinationName;
    QList<BatchStep> m_steps;
    QHash<int, QList<int>> m_filesIn; // file steps by folder step, so a folder's files need no search
    QStringList m_failures;
    int m_fileCount = 0;
    int m_fileNumber = 0;
    int m_filesDone = 0;
    int m_filesFailed = 0;
    qint64 m_totalBytes = 0;
    qint64 m_bytesDone = 0;
    bool m_listing = true;
};

// "photo.jpg", or "photo (2).jpg", "photo (3).jpg", ... whichever `taken` does not hold.
// A name without a dot, or that starts with its only dot, gets the number at its end.
QString freeName(const QString &name, const QSet<QString> &taken);

// Reasons end sentences of their own; inside ours they lose their full stop.
QString withoutFullStop(QString text);

// Why a phone's name cannot name a local file, or nothing when it can.
std::optional<QString> unfitForLocalName(const QString &name);

// Walks the local files and folders to upload, depth first, folders before their contents,
// each folder's entries by name. Follows symbolic links, but never into a folder it is
// already inside. What is not a regular file or folder, cannot be read or is gone is
// skipped with its reason. Blocks: run it off the UI thread.
LocalItems walkLocalItems(const QList<QUrl> &urls);

} // namespace tarvel
