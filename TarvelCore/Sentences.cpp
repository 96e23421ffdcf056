#include "TarvelCore/Sentences.h"

#include "TarvelCore/ByteCountFormat.h"
#include "TarvelCore/ImportCleanup.h"
#include "TarvelCore/TransferQueue.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

namespace tarvel {

// The context every sentence of the core is translated in.
class Sentences {
    Q_DECLARE_TR_FUNCTIONS(tarvel::Sentences)
};

namespace sentences {

namespace {

QString genericSentence() { return Sentences::tr("The phone could not be accessed. Check the cable and try again."); }

QString permissionSentence()
{
    return Sentences::tr("This account may not use the phone's USB connection. Sign in at the computer itself, or add "
                         "a udev rule for the phone, then plug it in again.");
}

// MTP lets one program talk to a phone at a time: say which one has it and how to let go.
QString holderSentence(const PhoneHolder &holder)
{
    switch (holder.kind) {
    case PhoneHolderKind::filesService: return Sentences::tr("Eject the phone in Files, then press Refresh.");
    case PhoneHolderKind::kdeService:
        // kiod5 and kiod6 are quit by the kquitapp of their own Plasma version.
        return Sentences::tr("KDE's phone service is using the phone. Run \"kquitapp%1 %2\", then press Refresh.")
            .arg(holder.program.right(1), holder.program);
    case PhoneHolderKind::folderMount:
        return Sentences::tr("%1 has the phone mounted as a folder. Unmount it, then press Refresh.").arg(holder.program);
    case PhoneHolderKind::tarvel:
        return Sentences::tr("Another Tarvel window is using the phone. Close it, then press Refresh.");
    case PhoneHolderKind::program:
        return Sentences::tr("%1 is using the phone. Close it, then press Refresh.").arg(holder.program);
    case PhoneHolderKind::unseen: break;
    }
    return Sentences::tr("Another user's program is using the phone. Close it in that user's session, then press Refresh.");
}

// The protocol's own text in brackets after a sentence of ours, then what to do: a code
// alone ("Error 02ff: PTP I/O Error") tells a person nothing.
QString withNativeText(const QString &sentence, const QString &nativeText, const QString &whatToDo)
{
    const QString said = nativeText.isEmpty() ? sentence : Sentences::tr("%1 (%2)").arg(sentence, nativeText);
    return Sentences::tr("%1. %2").arg(said, whatToDo);
}

QString tryAgain() { return Sentences::tr("Check the cable and try again."); }

// libmtp's own error texts ("LIBMTP_Get_Files_And_Folders(): …", "Error 02fe: PTP Data
// Expected") say nothing to a person on their own; the bridge's and ours are sentences.
bool isRawPhoneText(const QString &text)
{
    static const QRegularExpression raw(QStringLiteral("^(\\w+\\(\\):|Error [0-9A-Fa-f]{4}:|PTP )"));
    return raw.match(text).hasMatch();
}

bool downloading(TransferDirection direction) { return direction == TransferDirection::download; }

QString files(int count) { return Sentences::tr("%Ln file(s)", nullptr, count); }
QString itemCount(qsizetype count) { return Sentences::tr("%Ln item(s)", nullptr, int(count)); }

// A few names, and how many more: a sentence that named a thousand would not be read.
QString namesOf(const QList<RemoteEntry> &entries)
{
    constexpr qsizetype named = 3;
    QStringList names;
    for (qsizetype i = 0; i < std::min(entries.size(), named); ++i)
        names.append(entries.at(i).name);
    if (entries.size() > named)
        return Sentences::tr("%1 and %Ln more", nullptr, int(entries.size() - named)).arg(names.join(Sentences::tr(", ")));
    if (names.size() < 2)
        return names.join(QString());
    const QString last = names.takeLast();
    return Sentences::tr("%1 and %2").arg(names.join(Sentences::tr(", ")), last);
}

// A file on the computer that could not take the copy or give it: the same words for one
// file and for a batch's item. Nothing for any other failure.
std::optional<QString> localFileSentence(const TransferError &error, TransferDirection direction,
                                         const QString &localName)
{
    if (error.kind() == TransferError::Kind::diskFull)
        return Sentences::tr("Not enough space on the computer's disk for %1. Make room, then try again.").arg(localName);
    if (error.kind() != TransferError::Kind::localFileFailed)
        return std::nullopt;
    const QString why = withoutFullStop(error.nativeMessage());
    if (downloading(direction)) {
        return why.isEmpty() ? Sentences::tr("Could not write %1 on the computer. Choose another folder, then try again.")
                                   .arg(localName)
                             : Sentences::tr("Could not write %1 on the computer: %2. Choose another folder, then try "
                                             "again.")
                                   .arg(localName, why);
    }
    return why.isEmpty() ? Sentences::tr("Could not read %1. Check that it is still there, then try again.").arg(localName)
                         : Sentences::tr("Could not read %1: %2. Check that it is still there, then try again.")
                               .arg(localName, why);
}

} // namespace

QString connect()
{
    return Sentences::tr("Connect an Android device with a data-capable USB cable, unlock it, choose USB File transfer, "
                         "then press Refresh. If it still does not appear, try another cable or USB port.");
}

QString unlock() { return Sentences::tr("Unlock the phone and allow file transfer access."); }
QString lookingForPhones() { return Sentences::tr("Looking for phones..."); }
QString stillNoPhone() { return Sentences::tr("Still no phone found."); }
QString opening(const QString &phone) { return Sentences::tr("Opening %1...").arg(phone); }
QString ready(const QString &phone) { return Sentences::tr("%1 is ready.").arg(phone); }

QString disconnected(int filesDone, int fileCount)
{
    if (filesDone > 0)
        return Sentences::tr("The phone was disconnected after %1 of %Ln file(s). Connect it again, unlock it, then press "
                             "Refresh.",
                             nullptr, fileCount)
            .arg(QLocale().toString(filesDone));
    return Sentences::tr("The phone was disconnected. Connect it again, unlock it, then press Refresh.");
}

QString disconnectedResumable(int filesDone, int fileCount)
{
    return Sentences::tr("The phone was disconnected after %1 of %Ln file(s). Connect it again and unlock it, then "
                         "choose Resume.",
                         nullptr, fileCount)
        .arg(QLocale().toString(filesDone));
}

QString stoppedAnswering(int filesDone, int fileCount)
{
    return Sentences::tr("The phone stopped answering after %1 of %Ln file(s). Unplug it, plug it in again, then choose "
                         "Resume.",
                         nullptr, fileCount)
        .arg(QLocale().toString(filesDone));
}

QString unplugged(const QString &phone) { return Sentences::tr("%1 was unplugged.").arg(phone); }

QString showing(const QString &location, bool whole)
{
    // The phone still answers, but some objects came without a description: what is
    // shown is not the whole folder, and the user must not take it for one.
    return whole ? Sentences::tr("Showing %1.").arg(location)
                 : Sentences::tr("Showing %1. Some of its items could not be read from the phone.").arg(location);
}

QString couldNotOpen(const QString &attempted, const QString &shown)
{
    return Sentences::tr("Could not open %1. Still showing %2.").arg(attempted, shown);
}

QString folderRemoved(const QString &gone, const QString &shown)
{
    return Sentences::tr("%1 was deleted on the phone. Showing %2.").arg(gone, shown);
}

QString nameProblem(NameProblem problem, const QString &name)
{
    switch (problem) {
    case NameProblem::empty: return Sentences::tr("Type a name.");
    case NameProblem::slash: return Sentences::tr("A name cannot contain \"/\".");
    case NameProblem::nul: return Sentences::tr("A name cannot contain a null character.");
    case NameProblem::dots: return Sentences::tr("\".\" and \"..\" cannot be used as names.");
    case NameProblem::tooLong: return Sentences::tr("The name is too long for the phone.");
    case NameProblem::takenByFolder: return Sentences::tr("There is already a folder named %1 here.").arg(name);
    case NameProblem::takenByFile: return Sentences::tr("There is already a file named %1 here.").arg(name);
    }
    return QString();
}

QString creatingFolder(const QString &name) { return Sentences::tr("Creating the folder %1...").arg(name); }
QString createdFolder(const QString &name) { return Sentences::tr("Created the folder %1.").arg(name); }
QString renaming(const QString &name) { return Sentences::tr("Renaming %1...").arg(name); }
QString renamed(const QString &from, const QString &to) { return Sentences::tr("Renamed %1 to %2.").arg(from, to); }

QString couldNotCreateFolder(const QString &name, const std::exception_ptr &error)
{
    return Sentences::tr("Could not create the folder %1. %2").arg(name, sentences::error(error));
}

QString couldNotRename(const QString &name, const std::exception_ptr &error)
{
    // A phone that answers but will not rename is most often one that cannot: libmtp's own
    // words for that ("could not get property description") tell the user nothing.
    if (kindOf(error) == TransferError::Kind::deviceRefused)
        return Sentences::tr("The phone refused to rename %1: some phones do not let their files be renamed over USB.")
            .arg(name);
    return Sentences::tr("Could not rename %1. %2").arg(name, sentences::error(error));
}

QString couldNotLookThrough(const QList<RemoteEntry> &items, const std::exception_ptr &error)
{
    return Sentences::tr("Nothing was deleted: could not look through %1. %2").arg(namesOf(items), sentences::error(error));
}

QString deleting(const QList<RemoteEntry> &items, int done, int total)
{
    const QString what = items.size() == 1 ? items.first().name : itemCount(items.size());
    if (done > 0)
        return Sentences::tr("Deleting %1: %2 of %3 done...").arg(what, QLocale().toString(done), QLocale().toString(total));
    return Sentences::tr("Deleting %1...").arg(what);
}

QString deleted(const QList<RemoteEntry> &deleted, const QList<RemoteEntry> &remaining, const std::exception_ptr &error)
{
    if (remaining.isEmpty())
        return Sentences::tr("Deleted %1.").arg(deleted.size() == 1 ? deleted.first().name : itemCount(deleted.size()));
    const QString why = error ? QLatin1Char(' ') + sentences::error(error) : QString();
    if (deleted.isEmpty() && remaining.size() == 1)
        return Sentences::tr("Could not delete %1.").arg(remaining.first().name) + why;
    const int all = int(deleted.size() + remaining.size());
    return Sentences::tr("Deleted %1 of %Ln item(s); %2 still on the phone.", nullptr, all)
               .arg(QLocale().toString(deleted.size()),
                    Sentences::tr("%1 is", nullptr, int(remaining.size())).arg(namesOf(remaining)))
        + why;
}

QString copying(TransferDirection direction, const QString &name)
{
    return downloading(direction) ? Sentences::tr("Downloading %1...").arg(name) : Sentences::tr("Uploading %1...").arg(name);
}

QString copied(TransferDirection direction, const QString &name)
{
    return downloading(direction) ? Sentences::tr("Downloaded %1.").arg(name) : Sentences::tr("Uploaded %1.").arg(name);
}

QString copyFailed(const TransferError &error, TransferDirection direction, const QString &name, const QString &localName)
{
    if (const auto local = localFileSentence(error, direction, localName))
        return *local;
    if (error.kind() == TransferError::Kind::deviceRefused)
        return withNativeText(Sentences::tr("The phone stopped the copy of %1").arg(name), error.nativeMessage(),
                              Sentences::tr("Check that the phone has room for it, then try again."));
    return sentences::error(error);
}

QString placeOnComputer(const QString &folder)
{
    const QString home = QDir::homePath();
    const QString path = QDir::cleanPath(folder);
    if (path == home)
        return Sentences::tr("your home folder");
    if (home != QLatin1String("/") && path.startsWith(home + QLatin1Char('/')))
        return path.mid(home.size() + 1);
    return path;
}

QString lookingThrough(TransferDirection direction)
{
    return downloading(direction) ? Sentences::tr("Looking through the folders to download...")
                                  : Sentences::tr("Looking through the files to upload...");
}

// The status line names the batch once, not each file: a window that showed a new
// sentence for each of a thousand small files would spend its time redrawing.
QString batchRunning(const TransferBatch &batch)
{
    const int count = batch.fileCount;
    const QString &to = batch.destinationName;
    if (downloading(batch.direction))
        return to.isEmpty() ? Sentences::tr("Downloading %Ln file(s)...", nullptr, count)
                            : Sentences::tr("Downloading %Ln file(s) to %1...", nullptr, count).arg(to);
    return to.isEmpty() ? Sentences::tr("Uploading %Ln file(s)...", nullptr, count)
                        : Sentences::tr("Uploading %Ln file(s) to %1...", nullptr, count).arg(to);
}

// "; 3 already there were skipped", or nothing.
static QString skipped(const TransferQueue &queue)
{
    if (queue.filesSkipped() == 0)
        return QString();
    return Sentences::tr("; %Ln already there skipped", nullptr, queue.filesSkipped());
}

QString batchDone(const TransferQueue &queue)
{
    const bool down = downloading(queue.direction());
    const QStringList &failures = queue.failures();
    if (failures.isEmpty()) {
        QString what = files(queue.filesDone());
        if (queue.bytesDone() > 0)
            what = Sentences::tr("%1 (%2)").arg(what, formatByteCount(queue.bytesDone()));
        const QString to = queue.destinationName();
        QString text = to.isEmpty() ? (down ? Sentences::tr("Downloaded %1") : Sentences::tr("Uploaded %1")).arg(what)
                                    : (down ? Sentences::tr("Downloaded %1 to %2") : Sentences::tr("Uploaded %1 to %2"))
                                          .arg(what, to);
        return text + skipped(queue) + QLatin1Char('.');
    }
    const QString count = Sentences::tr("%1 of %Ln file(s)", nullptr, queue.fileCount()).arg(QLocale().toString(queue.filesDone()));
    QString text = (down ? Sentences::tr("Downloaded %1") : Sentences::tr("Uploaded %1")).arg(count) + skipped(queue);
    const int failed = std::max(queue.filesFailed(), 1);
    const QString first = withoutFullStop(failures.first());
    text += failures.size() == 1 ? Sentences::tr("; %Ln failed: %1", nullptr, failed).arg(first)
                                 : Sentences::tr("; %Ln failed, the first: %1", nullptr, failed).arg(first);
    return text + QLatin1Char('.');
}

QString batchCancelled(const TransferQueue &queue)
{
    return Sentences::tr("The transfer was cancelled after %1 of %Ln file(s)", nullptr, queue.fileCount())
               .arg(QLocale().toString(queue.filesDone()))
        + skipped(queue) + QLatin1Char('.');
}

// The native text where there is one, else the error's own sentence; a file on the
// computer is named as it is when it is the only file.
QString failureReason(const std::exception_ptr &error, TransferDirection direction, const QString &localName)
{
    try {
        std::rethrow_exception(error);
    } catch (const TransferError &failure) {
        if (const auto local = localFileSentence(failure, direction, localName))
            return *local;
        if (!failure.nativeMessage().isEmpty() && !isRawPhoneText(failure.nativeMessage()))
            return failure.nativeMessage();
        return sentences::error(failure);
    } catch (...) {
        return sentences::error(error);
    }
}

QString queued(int count, bool allFiles, const QString &onlyName, const QString &destination)
{
    const QString what = count == 1 ? onlyName : allFiles ? files(count) : itemCount(count);
    return destination.isEmpty() ? what : Sentences::tr("%1 to %2").arg(what, destination);
}

QString resumeOffer(int filesLeft, int fileCount, qint64 bytesLeft, const QString &destination)
{
    return Sentences::tr("Resume: %1 of %Ln file(s) left (%2) to %3", nullptr, fileCount)
        .arg(QLocale().toString(filesLeft), formatByteCount(bytesLeft), destination);
}

QString reason(Problem problem)
{
    switch (problem) {
    case Problem::linkLoops: return Sentences::tr("the link leads to itself");
    case Problem::gone: return Sentences::tr("it is no longer there");
    case Problem::unreadable: return Sentences::tr("it cannot be read");
    case Problem::notFileOrFolder: return Sentences::tr("it is not a file or a folder");
    case Problem::linkLeadsBack: return Sentences::tr("the link leads back into a folder it is in");
    case Problem::folderUnreadable: return Sentences::tr("the folder cannot be read");
    case Problem::notLocal: return Sentences::tr("it is not a local file");
    case Problem::nameEmpty: return Sentences::tr("a file on the computer cannot have this name");
    case Problem::nameHasSlash: return Sentences::tr("a file on the computer cannot have \"/\" in its name");
    case Problem::nameTooLong: return Sentences::tr("the name is too long for a file on the computer");
    case Problem::folderNotMade: return Sentences::tr("Could not create the folder on the computer");
    case Problem::partlyListed: return Sentences::tr("some of its items could not be read from the phone");
    case Problem::goneFromPhone: return Sentences::tr("it is no longer on the phone");
    case Problem::changedOnPhone: return Sentences::tr("it changed on the phone since the copy began");
    case Problem::folderGoneFromPhone: return Sentences::tr("the folder it was going into is no longer on the phone");
    }
    return QString();
}

QString error(const TransferError &error)
{
    switch (error.kind()) {
    case TransferError::Kind::noDevice: return connect();
    case TransferError::Kind::deviceUnavailable: return unlock();
    case TransferError::Kind::permissionDenied: return permissionSentence();
    case TransferError::Kind::deviceInUse: return holderSentence(error.holder());
    case TransferError::Kind::unsupportedUSBMode: return Sentences::tr("On your phone, change USB mode to File transfer.");
    case TransferError::Kind::readFailed:
    case TransferError::Kind::writeFailed: return Sentences::tr("The file could not be copied. Check the cable and try again.");
    case TransferError::Kind::cancelled: return Sentences::tr("The transfer was cancelled.");
    case TransferError::Kind::disconnected: return disconnected();
    case TransferError::Kind::deviceRefused:
        return withNativeText(Sentences::tr("The phone refused the request"), error.nativeMessage(),
                              Sentences::tr("Unlock the phone and try again."));
    case TransferError::Kind::diskFull:
        return Sentences::tr("Not enough space on the computer's disk. Make room, then try again.");
    case TransferError::Kind::localFileFailed:
        return withNativeText(Sentences::tr("The file could not be copied on the computer"), error.nativeMessage(),
                              Sentences::tr("Choose another folder, then try again."));
    case TransferError::Kind::nativeError: break;
    }
    // Only a text with no characters at all counts as empty: blanks are shown as they are.
    if (error.nativeMessage().isEmpty())
        return genericSentence();
    if (isRawPhoneText(error.nativeMessage()))
        return withNativeText(Sentences::tr("The phone reported an error"), withoutFullStop(error.nativeMessage()),
                              tryAgain());
    return error.nativeMessage();
}

QString error(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const TransferError &transferError) {
        return sentences::error(transferError);
    } catch (...) {
        return genericSentence();
    }
}

QString importNotRemembered(StoreProblem problem)
{
    switch (problem) {
    case StoreProblem::none: break;
    case StoreProblem::corrupt:
        return Sentences::tr("Tarvel's import record was damaged and has been set aside; earlier imports are not "
                             "remembered, so files already copied may count as new.");
    case StoreProblem::locked:
        return Sentences::tr("This import cannot be remembered: another Tarvel is writing the import record.");
    case StoreProblem::readOnly:
        return Sentences::tr("This import cannot be remembered: the import record cannot be written.");
    case StoreProblem::diskFull: return Sentences::tr("This import cannot be remembered: the disk is full.");
    case StoreProblem::newerSchema:
        return Sentences::tr("This import cannot be remembered: the import record was written by a newer Tarvel.");
    case StoreProblem::unavailable:
        return Sentences::tr("This import cannot be remembered: the import record cannot be opened.");
    }
    return QString();
}

QString mayImportTwice()
{
    return Sentences::tr("This phone gives no serial number, so files of another phone of the same model may count "
                         "as already imported, and this one's may be imported twice.");
}

QString cleanupEnded(const CleanupEnd &end)
{
    QString text;
    if (end.phoneGone)
        text = Sentences::tr("The phone was disconnected after deleting %1; the rest stay on the phone.").arg(files(end.deleted));
    else if (end.cancelled)
        text = Sentences::tr("Stopped after deleting %1; the rest stay on the phone.").arg(files(end.deleted));
    else
        text = Sentences::tr("Deleted %1 from the phone (%2).").arg(files(end.deleted), formatByteCount(end.bytes));
    QStringList kept;
    if (end.copyNotSafe > 0)
        kept.append(Sentences::tr("%Ln whose copy on the computer is missing or not whole", nullptr, end.copyNotSafe));
    if (end.refused > 0)
        kept.append(Sentences::tr("%Ln that the phone would not delete or that changed there", nullptr, end.refused));
    if (!kept.isEmpty())
        text += QLatin1Char(' ') + Sentences::tr("Kept on the phone: %1.").arg(kept.join(Sentences::tr(", ")));
    if (end.storeProblem != StoreProblem::none)
        text += QLatin1Char(' ') + importNotRemembered(end.storeProblem);
    return text;
}

QString withoutFullStop(QString text)
{
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

} // namespace sentences
} // namespace tarvel
