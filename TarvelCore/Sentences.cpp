#include "TarvelCore/Sentences.h"

#include "TarvelCore/ByteCountFormat.h"
#include "TarvelCore/ImportCleanup.h"
#include "TarvelCore/TransferQueue.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

namespace tarvel::sentences {

namespace {

const QString genericSentence = QStringLiteral("The phone could not be accessed. Check the cable and try again.");

const QString permissionSentence = QStringLiteral(
    "This account may not use the phone's USB connection. Sign in at the computer itself, or add a udev rule "
    "for the phone, then plug it in again.");

// MTP lets one program talk to a phone at a time: say which one has it and how to let go.
QString holderSentence(const PhoneHolder &holder)
{
    switch (holder.kind) {
    case PhoneHolderKind::filesService: return QStringLiteral("Eject the phone in Files, then press Refresh.");
    case PhoneHolderKind::kdeService:
        // kiod5 and kiod6 are quit by the kquitapp of their own Plasma version.
        return QStringLiteral("KDE's phone service is using the phone. Run \"kquitapp%1 %2\", then press Refresh.")
            .arg(holder.program.right(1), holder.program);
    case PhoneHolderKind::folderMount:
        return holder.program + QStringLiteral(" has the phone mounted as a folder. Unmount it, then press Refresh.");
    case PhoneHolderKind::tarvel:
        return QStringLiteral("Another Tarvel window is using the phone. Close it, then press Refresh.");
    case PhoneHolderKind::program:
        return holder.program + QStringLiteral(" is using the phone. Close it, then press Refresh.");
    case PhoneHolderKind::unseen: break;
    }
    return QStringLiteral("Another user's program is using the phone. Close it in that user's session, then press Refresh.");
}

// The protocol's own text, in brackets after a sentence of ours; never a bare code.
QString withNativeText(QString sentence, const QString &nativeText)
{
    if (!nativeText.isEmpty())
        sentence += QStringLiteral(" (") + nativeText + QLatin1Char(')');
    return sentence + QLatin1Char('.');
}

// libmtp's own error texts ("LIBMTP_Get_Files_And_Folders(): …", "Error 02fe: PTP Data
// Expected") say nothing to a person on their own; the bridge's and ours are sentences.
bool isRawPhoneText(const QString &text)
{
    static const QRegularExpression raw(QStringLiteral("^(\\w+\\(\\):|Error [0-9A-Fa-f]{4}:|PTP )"));
    return raw.match(text).hasMatch();
}

QString files(int count)
{
    return count == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(count);
}

QString itemCount(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 item") : QLocale(QLocale::English).toString(count) + QStringLiteral(" items");
}

// A few names, and how many more: a sentence that named a thousand would not be read.
QString namesOf(const QList<RemoteEntry> &entries)
{
    constexpr qsizetype named = 3;
    QStringList names;
    for (qsizetype i = 0; i < std::min(entries.size(), named); ++i)
        names.append(entries.at(i).name);
    if (entries.size() > named)
        return names.join(QStringLiteral(", ")) + QStringLiteral(" and %1 more").arg(entries.size() - named);
    if (names.size() < 2)
        return names.join(QString());
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

QString toDestination(const QString &name)
{
    return name.isEmpty() ? QString() : QStringLiteral(" to ") + name;
}

// A file on the computer that could not take the copy or give it: the same words for one
// file and for a batch's item. Nothing for any other failure.
std::optional<QString> localFileSentence(const TransferError &error, TransferDirection direction,
                                         const QString &localName)
{
    if (error.kind() == TransferError::Kind::diskFull)
        return QStringLiteral("Not enough space on the computer's disk for ") + localName + QLatin1Char('.');
    if (error.kind() != TransferError::Kind::localFileFailed)
        return std::nullopt;
    const QString why = withoutFullStop(error.nativeMessage());
    const QString because = why.isEmpty() ? QString() : QStringLiteral(": ") + why;
    if (direction == TransferDirection::download)
        return QStringLiteral("Could not write ") + localName + QStringLiteral(" on the computer") + because + QLatin1Char('.');
    return QStringLiteral("Could not read ") + localName + because + QLatin1Char('.');
}

} // namespace

QString connect()
{
    return QStringLiteral(
        "Connect an Android device with a data-capable USB cable, unlock it, choose USB File transfer, then press "
        "Refresh. If it still does not appear, try another cable or USB port.");
}

QString unlock() { return QStringLiteral("Unlock the phone and allow file transfer access."); }
QString lookingForPhones() { return QStringLiteral("Looking for phones\u2026"); }
QString stillNoPhone() { return QStringLiteral("Still no phone found."); }
QString opening(const QString &phone) { return QStringLiteral("Opening ") + phone + QStringLiteral("\u2026"); }
QString ready(const QString &phone) { return phone + QStringLiteral(" is ready."); }

QString disconnected(int filesDone, int fileCount)
{
    const QString what = filesDone > 0 ? QStringLiteral(" after %1 of %2").arg(filesDone).arg(files(fileCount)) : QString();
    return QStringLiteral("The phone was disconnected") + what
        + QStringLiteral(". Connect it again, unlock it, then press Refresh.");
}

QString stoppedAnswering(int filesDone, int fileCount)
{
    return QStringLiteral("The phone stopped answering after %1 of %2. Unplug it, plug it in again, then choose Resume.")
        .arg(filesDone)
        .arg(files(fileCount));
}

QString unplugged(const QString &phone) { return phone + QStringLiteral(" was unplugged."); }

QString showing(const QString &location, bool whole)
{
    const QString shown = QStringLiteral("Showing ") + location + QLatin1Char('.');
    // The phone still answers, but some objects came without a description: what is
    // shown is not the whole folder, and the user must not take it for one.
    return whole ? shown : shown + QStringLiteral(" Some of its items could not be read from the phone.");
}

QString couldNotOpen(const QString &attempted, const QString &shown)
{
    return QStringLiteral("Could not open ") + attempted + QStringLiteral(". Still showing ") + shown + QLatin1Char('.');
}

QString folderRemoved(const QString &gone, const QString &shown)
{
    return gone + QStringLiteral(" was deleted on the phone. Showing ") + shown + QLatin1Char('.');
}

QString nameProblem(NameProblem problem, const QString &name)
{
    switch (problem) {
    case NameProblem::empty: return QStringLiteral("Type a name.");
    case NameProblem::slash: return QStringLiteral("A name cannot contain \"/\".");
    case NameProblem::nul: return QStringLiteral("A name cannot contain a null character.");
    case NameProblem::dots: return QStringLiteral("\".\" and \"..\" cannot be used as names.");
    case NameProblem::tooLong: return QStringLiteral("The name is too long for the phone.");
    case NameProblem::takenByFolder: return QStringLiteral("There is already a folder named ") + name + QStringLiteral(" here.");
    case NameProblem::takenByFile: return QStringLiteral("There is already a file named ") + name + QStringLiteral(" here.");
    }
    return QString();
}

QString creatingFolder(const QString &name) { return QStringLiteral("Creating the folder ") + name + QStringLiteral("\u2026"); }
QString createdFolder(const QString &name) { return QStringLiteral("Created the folder ") + name + QLatin1Char('.'); }
QString renaming(const QString &name) { return QStringLiteral("Renaming ") + name + QStringLiteral("\u2026"); }

QString renamed(const QString &from, const QString &to)
{
    return QStringLiteral("Renamed ") + from + QStringLiteral(" to ") + to + QLatin1Char('.');
}

QString couldNotCreateFolder(const QString &name, const std::exception_ptr &error)
{
    return QStringLiteral("Could not create the folder ") + name + QStringLiteral(". ") + sentences::error(error);
}

QString couldNotRename(const QString &name, const std::exception_ptr &error)
{
    return QStringLiteral("Could not rename ") + name + QStringLiteral(". ") + sentences::error(error);
}

QString couldNotLookThrough(const QList<RemoteEntry> &items, const std::exception_ptr &error)
{
    return QStringLiteral("Nothing was deleted: could not look through ") + namesOf(items) + QStringLiteral(". ")
        + sentences::error(error);
}

QString deleting(const QList<RemoteEntry> &items, int done, int total)
{
    QString text = QStringLiteral("Deleting ") + (items.size() == 1 ? items.first().name : itemCount(items.size()));
    if (done > 0)
        text += QStringLiteral(": %1 of %2 done").arg(QLocale(QLocale::English).toString(done),
                                                          QLocale(QLocale::English).toString(total));
    return text + QStringLiteral("\u2026");
}

QString deleted(const QList<RemoteEntry> &deleted, const QList<RemoteEntry> &remaining, const std::exception_ptr &error)
{
    if (remaining.isEmpty())
        return QStringLiteral("Deleted ") + (deleted.size() == 1 ? deleted.first().name : itemCount(deleted.size()))
            + QLatin1Char('.');
    const QString why = error ? QLatin1Char(' ') + sentences::error(error) : QString();
    if (deleted.isEmpty() && remaining.size() == 1)
        return QStringLiteral("Could not delete ") + remaining.first().name + QLatin1Char('.') + why;
    const qsizetype all = deleted.size() + remaining.size();
    const QString verb = remaining.size() == 1 ? QStringLiteral(" is") : QStringLiteral(" are");
    return QStringLiteral("Deleted %1 of %2").arg(deleted.size()).arg(itemCount(all)) + QStringLiteral("; ")
        + namesOf(remaining) + verb + QStringLiteral(" still on the phone.") + why;
}

QString copying(TransferDirection direction, const QString &name)
{
    return (direction == TransferDirection::download ? QStringLiteral("Downloading ") : QStringLiteral("Uploading "))
        + name + QStringLiteral("...");
}

QString copied(TransferDirection direction, const QString &name)
{
    return (direction == TransferDirection::download ? QStringLiteral("Downloaded ") : QStringLiteral("Uploaded ")) + name
        + QLatin1Char('.');
}

QString copyFailed(const TransferError &error, TransferDirection direction, const QString &name, const QString &localName)
{
    if (const auto local = localFileSentence(error, direction, localName))
        return *local;
    if (error.kind() == TransferError::Kind::deviceRefused)
        return withNativeText(QStringLiteral("The phone stopped the copy of ") + name, error.nativeMessage());
    return sentences::error(error);
}

QString lookingThrough(TransferDirection direction)
{
    return direction == TransferDirection::download ? QStringLiteral("Looking through the folders to download...")
                                                    : QStringLiteral("Looking through the files to upload...");
}

// The status line names the batch once, not each file: a window that showed a new
// sentence for each of a thousand small files would spend its time redrawing.
QString batchRunning(const TransferBatch &batch)
{
    return copying(batch.direction, files(batch.fileCount) + toDestination(batch.destinationName));
}

// "; 3 already there were skipped", or nothing.
static QString skipped(const TransferQueue &queue)
{
    if (queue.filesSkipped() == 0)
        return QString();
    return QStringLiteral("; %1 already there %2 skipped")
        .arg(queue.filesSkipped())
        .arg(queue.filesSkipped() == 1 ? QStringLiteral("was") : QStringLiteral("were"));
}

QString batchDone(const TransferQueue &queue)
{
    const QString verb =
        queue.direction() == TransferDirection::download ? QStringLiteral("Downloaded ") : QStringLiteral("Uploaded ");
    const QStringList &failures = queue.failures();
    if (failures.isEmpty()) {
        QString text = verb + files(queue.filesDone());
        if (queue.bytesDone() > 0)
            text += QStringLiteral(" (%1)").arg(formatByteCount(queue.bytesDone()));
        return text + toDestination(queue.destinationName()) + skipped(queue) + QLatin1Char('.');
    }
    QString text = verb + QStringLiteral("%1 of %2").arg(queue.filesDone()).arg(files(queue.fileCount()));
    text += skipped(queue);
    text += QStringLiteral("; %1 failed").arg(std::max(queue.filesFailed(), 1));
    text += failures.size() == 1 ? QStringLiteral(": ") : QStringLiteral(", the first: ");
    return text + withoutFullStop(failures.first()) + QLatin1Char('.');
}

QString batchCancelled(const TransferQueue &queue)
{
    return QStringLiteral("The transfer was cancelled after %1 of %2").arg(queue.filesDone()).arg(files(queue.fileCount()))
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

QString resumeOffer(int filesLeft, int fileCount, qint64 bytesLeft, const QString &destination)
{
    return QStringLiteral("Resume: %1 of %2 left (%3) to %4")
        .arg(QString::number(filesLeft), files(fileCount), formatByteCount(bytesLeft), destination);
}

QString reason(Problem problem)
{
    switch (problem) {
    case Problem::linkLoops: return QStringLiteral("the link leads to itself");
    case Problem::gone: return QStringLiteral("it is no longer there");
    case Problem::unreadable: return QStringLiteral("it cannot be read");
    case Problem::notFileOrFolder: return QStringLiteral("it is not a file or a folder");
    case Problem::linkLeadsBack: return QStringLiteral("the link leads back into a folder it is in");
    case Problem::folderUnreadable: return QStringLiteral("the folder cannot be read");
    case Problem::notLocal: return QStringLiteral("it is not a local file");
    case Problem::nameEmpty: return QStringLiteral("a file on the computer cannot have this name");
    case Problem::nameHasSlash: return QStringLiteral("a file on the computer cannot have \"/\" in its name");
    case Problem::nameTooLong: return QStringLiteral("the name is too long for a file on the computer");
    case Problem::folderNotMade: return QStringLiteral("Could not create the folder on the computer");
    case Problem::partlyListed: return QStringLiteral("some of its items could not be read from the phone");
    case Problem::goneFromPhone: return QStringLiteral("it is no longer on the phone");
    case Problem::changedOnPhone: return QStringLiteral("it changed on the phone since the copy began");
    }
    return QString();
}

QString error(const TransferError &error)
{
    switch (error.kind()) {
    case TransferError::Kind::noDevice: return connect();
    case TransferError::Kind::deviceUnavailable: return unlock();
    case TransferError::Kind::permissionDenied: return permissionSentence;
    case TransferError::Kind::deviceInUse: return holderSentence(error.holder());
    case TransferError::Kind::unsupportedUSBMode: return QStringLiteral("On your phone, change USB mode to File transfer.");
    case TransferError::Kind::readFailed:
    case TransferError::Kind::writeFailed: return QStringLiteral("The file could not be copied. Check the cable and try again.");
    case TransferError::Kind::cancelled: return QStringLiteral("The transfer was cancelled.");
    case TransferError::Kind::disconnected: return disconnected();
    case TransferError::Kind::deviceRefused:
        return withNativeText(QStringLiteral("The phone refused the request"), error.nativeMessage());
    case TransferError::Kind::diskFull: return QStringLiteral("Not enough space on the computer's disk.");
    case TransferError::Kind::localFileFailed:
        return withNativeText(QStringLiteral("The file could not be copied on the computer"), error.nativeMessage());
    case TransferError::Kind::nativeError: break;
    }
    // Only a text with no characters at all counts as empty: blanks are shown as they are.
    if (error.nativeMessage().isEmpty())
        return genericSentence;
    if (isRawPhoneText(error.nativeMessage()))
        return withNativeText(QStringLiteral("The phone reported an error"), withoutFullStop(error.nativeMessage()));
    return error.nativeMessage();
}

QString error(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const TransferError &transferError) {
        return sentences::error(transferError);
    } catch (...) {
        return genericSentence;
    }
}

QString importNotRemembered(StoreProblem problem)
{
    switch (problem) {
    case StoreProblem::none: break;
    case StoreProblem::corrupt:
        return QStringLiteral("Tarvel's import record was damaged and has been set aside; earlier imports are not "
                              "remembered, so files already copied may count as new.");
    case StoreProblem::locked:
        return QStringLiteral("This import cannot be remembered: another Tarvel is writing the import record.");
    case StoreProblem::readOnly:
        return QStringLiteral("This import cannot be remembered: the import record cannot be written.");
    case StoreProblem::diskFull:
        return QStringLiteral("This import cannot be remembered: the disk is full.");
    case StoreProblem::newerSchema:
        return QStringLiteral("This import cannot be remembered: the import record was written by a newer Tarvel.");
    case StoreProblem::unavailable:
        return QStringLiteral("This import cannot be remembered: the import record cannot be opened.");
    }
    return QString();
}

QString mayImportTwice()
{
    return QStringLiteral("This phone gives no serial number, so files of another phone of the same model may count "
                          "as already imported, and this one's may be imported twice.");
}

QString cleanupEnded(const CleanupEnd &end)
{
    QString text;
    if (end.phoneGone)
        text = QStringLiteral("The phone was disconnected after deleting %1; the rest stay on the phone.").arg(files(end.deleted));
    else if (end.cancelled)
        text = QStringLiteral("Stopped after deleting %1; the rest stay on the phone.").arg(files(end.deleted));
    else
        text = QStringLiteral("Deleted %1 from the phone (%2).").arg(files(end.deleted), formatByteCount(end.bytes));
    QStringList kept;
    if (end.copyNotSafe > 0)
        kept.append(QStringLiteral("%1 whose copy on the computer is missing or not whole").arg(end.copyNotSafe));
    if (end.refused > 0)
        kept.append(QStringLiteral("%1 that the phone would not delete or that changed there").arg(end.refused));
    if (!kept.isEmpty())
        text += QStringLiteral(" Kept on the phone: ") + kept.join(QStringLiteral(", ")) + QLatin1Char('.');
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

} // namespace tarvel::sentences
