#pragma once

// The computer's side of batches: what an upload holds, found by walking local files and
// folders, and where a download's files go: folders made, and free names chosen in them.
// Each can block on a slow disk, so LocalFiles runs it on a thread of its own, one job at
// a time, and a UI-thread coroutine awaits it.

#include "TarvelCore/Attempt.h"
#include "TarvelCore/SerialWorker.h"
#include "TarvelCore/TransferQueue.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace tarvel {

// Where the files of one folder of a download go: the folder, and a free name for each.
// For each file, `taken` says what already had its own name there: the size of that file
// (-1 for anything but a file), or nothing when the name was free.
struct LocalPlacement {
    QString folder;
    QStringList names;
    QList<std::optional<qint64>> taken = {};
};

// One folder to place, with the others of its run. A folder inside another of the run
// names that one as its parent and has no `into`: it goes where that one was placed.
struct FolderPlace {
    int id = -1;     // -1: the batch's own folder, used as it is
    int parent = -1;
    std::optional<QString> into = {};
    std::optional<QString> name = {}; // the folder to make; absent: `into` itself
    QStringList files = {};           // the names the phone gives the files that go into it
    bool makeInto = false;            // make `into` and its parents when missing (a remembered destination)
};

class LocalFiles {
public:
    QCoro::Task<LocalItems> walk(QList<QUrl> urls);
    QCoro::Task<QList<Attempt<LocalPlacement>>> place(QList<FolderPlace> places);

private:
    // Last, so it goes first and waits for a job in progress.
    SerialWorker m_worker;
};

// "photo.jpg", or "photo (2).jpg", "photo (3).jpg", ... whichever `taken` does not hold.
// A name without a dot, or that starts with its only dot, gets the number at its end.
QString freeName(const QString &name, const QSet<QString> &taken);

// Why a phone's name cannot name a local file, or nothing when it can.
std::optional<QString> unfitForLocalName(const QString &name);

// Walks the local files and folders to upload, depth first, folders before their contents,
// each folder's entries by name. Follows symbolic links, but never into a folder it is
// already inside. What is not a regular file or folder, cannot be read or is gone is
// skipped with its reason. Blocks.
LocalItems walkLocalItems(const QList<QUrl> &urls);

// Places a run of folders in order: each made unless it is the batch's own (a folder
// already there is used as it is), then a name for each of its files that neither what
// is there nor the others take. A folder whose parent failed fails too. Blocks.
QList<Attempt<LocalPlacement>> placeFolders(const QList<FolderPlace> &places);

} // namespace tarvel
