#pragma once

// Every sentence the user reads from the core, and the reasons that end up inside them.
// One event has one wording wherever it is learnt: a phone that went away reads the same
// whether the bus or the lane noticed first, and a full disk the same for one file or a
// batch. The engines hand over kinds and the system's own text, never sentences.

#include "TarvelCore/Models.h"
#include "TarvelStore/TarvelDatabase.h"

#include <QList>
#include <QString>

#include <exception>

namespace tarvel {

class TransferQueue;
struct CleanupEnd;

namespace sentences {

// Finding and opening a phone.
QString connect();
QString unlock();
QString lookingForPhones();
QString stillNoPhone();
QString opening(const QString &phone);
QString ready(const QString &phone);

// A phone that went away. Anything it cut short (a listing, a copy, a batch) reads as the
// disconnection, with what the batch copied before it when that was anything, and what to
// do; a phone pulled out while nothing ran only changes what is attached, like "<phone> is
// ready." when it came, so it is named and nothing needs doing.
QString disconnected(int filesDone = 0, int fileCount = 0);
// A batch written down: the window offers Resume as soon as the phone is back.
QString disconnectedResumable(int filesDone, int fileCount);
QString unplugged(const QString &phone);
// A batch stopped because the phone failed two files in a row, the lane having reopened it
// between them; what is left waits for Resume.
QString stoppedAnswering(int filesDone, int fileCount);

// Browsing.
QString showing(const QString &location, bool whole);
QString couldNotOpen(const QString &attempted, const QString &shown);
// The phone removed the folder shown, or one above it; the window went up past it.
QString folderRemoved(const QString &gone, const QString &shown);

// Changing the phone's files: a new folder, a rename, a delete.
enum class NameProblem { empty, slash, nul, dots, tooLong, takenByFolder, takenByFile };
QString nameProblem(NameProblem problem, const QString &name);
QString creatingFolder(const QString &name);
QString createdFolder(const QString &name);
QString renaming(const QString &name);
QString renamed(const QString &from, const QString &to);
// A change the phone did not make: what was asked for, then why.
QString couldNotCreateFolder(const QString &name, const std::exception_ptr &error);
QString couldNotRename(const QString &name, const std::exception_ptr &error);
QString couldNotLookThrough(const QList<RemoteEntry> &items, const std::exception_ptr &error);
// `done` of `total` objects (files and folders, with what the folders hold) have ended.
QString deleting(const QList<RemoteEntry> &items, int done, int total);
// What a deletion left on the phone and why; all of it gone when `remaining` is empty.
QString deleted(const QList<RemoteEntry> &deleted, const QList<RemoteEntry> &remaining,
                const std::exception_ptr &error);

// One transfer. "..." is three full stops, as the first window had it, in every sentence.
QString copying(TransferDirection direction, const QString &name);
QString copied(TransferDirection direction, const QString &name);
// `name` as the user chose it; `localName` is the file on the computer, which a full disk
// or a file that could not be read or written names.
QString copyFailed(const TransferError &error, TransferDirection direction, const QString &name,
                   const QString &localName);

// A folder on the computer as the user finds it in their file manager: from their home
// folder ("Pictures/Phone"), else its whole path.
QString placeOnComputer(const QString &folder);

// Batches. An empty destination (a phone folder the window never showed) is left unsaid.
QString lookingThrough(TransferDirection direction);
QString batchRunning(const TransferBatch &batch);
QString batchDone(const TransferQueue &queue);
QString batchCancelled(const TransferQueue &queue);
// A batch waiting its turn: "3 files to Pictures", "DCIM to Downloads". `onlyName` names a
// batch of one item; `allFiles` says its items are files, not folders or not yet known.
QString queued(int count, bool allFiles, const QString &onlyName, const QString &destination);
// What a cut batch that can resume has left: "Resume: 124 of 312 files left (820 MB) to
// Pictures/Phone".
QString resumeOffer(int filesLeft, int fileCount, qint64 bytesLeft, const QString &destination);
// Why one item of a batch failed, as it reads after the item's name.
QString failureReason(const std::exception_ptr &error, TransferDirection direction, const QString &localName);

// What kept an item of a batch from being copied (whole), as it reads after its name.
enum class Problem {
    linkLoops,        // a symbolic link that leads to itself
    gone,             // removed since it was chosen
    unreadable,       // a file this account may not read
    notFileOrFolder,  // a pipe, a socket, a device
    linkLeadsBack,    // a link into a folder the walk is inside
    folderUnreadable,
    notLocal,         // a URL that is no file on this computer
    nameEmpty,        // a phone's name no file on the computer can have
    nameHasSlash,
    nameTooLong,
    folderNotMade,    // the folder could not be made on the computer
    partlyListed,     // the phone could not describe some of a folder's items
    goneFromPhone,    // a file a cut batch left is no longer where it was on the phone
    changedOnPhone,   // ... or has another size or date now
    folderGoneFromPhone, // the phone folder a cut upload was going into is no longer there
};
QString reason(Problem problem);

// The one translation of an error into what the user reads.
QString error(const TransferError &error);
QString error(const std::exception_ptr &error);

// Importing. The record's problem is said once for an import: what it keeps from being
// remembered, or that earlier imports are not known.
QString importNotRemembered(StoreProblem problem);
QString mayImportTwice();
// How freeing the phone ended: what was deleted, and what stayed and why.
QString cleanupEnded(const CleanupEnd &end);

// Reasons end sentences of their own; inside ours they lose their full stop.
QString withoutFullStop(QString text);

} // namespace sentences
} // namespace tarvel
