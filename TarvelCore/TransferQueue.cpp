#include "TarvelCore/TransferQueue.h"

#include "TarvelCore/ByteCountFormat.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarvel {

TransferQueue::TransferQueue(TransferDirection direction, QString destinationName)
    : m_direction(direction), m_destinationName(std::move(destinationName))
{
}

int TransferQueue::add(BatchStep step)
{
    if (step.kind == RemoteEntryKind::file) {
        ++m_fileCount;
        m_totalBytes += step.size;
        m_filesIn[step.parent].append(size());
    }
    m_steps.append(std::move(step));
    return size() - 1;
}

void TransferQueue::adopt(const LocalItems &items)
{
    const int offset = size();
    for (BatchStep step : items.steps) {
        if (step.parent >= 0)
            step.parent += offset;
        add(std::move(step));
    }
    for (const QString &skipped : items.skipped) {
        ++m_fileCount;
        ++m_filesFailed;
        m_failures.append(skipped);
    }
}

void TransferQueue::foldersListed()
{
    m_listing = false;
}

void TransferQueue::fail(int index, QString reason)
{
    BatchStep &step = m_steps[index];
    if (step.failed)
        return;
    step.failed = true;
    if (step.kind == RemoteEntryKind::file)
        ++m_filesFailed;
    if (!reason.isEmpty())
        m_failures.append(step.name + QStringLiteral(": ") + reason);
}

void TransferQueue::note(QString problem)
{
    m_failures.append(std::move(problem));
}

void TransferQueue::setTarget(int index, QString target)
{
    m_steps[index].target = std::move(target);
}

std::optional<QString> TransferQueue::destinationOf(int index, const std::optional<QString> &batchDestination) const
{
    const int parent = m_steps.at(index).parent;
    return parent < 0 ? batchDestination : m_steps.at(parent).target;
}

bool TransferQueue::skipsStep(int index) const
{
    for (int at = index; at >= 0; at = m_steps.at(at).parent) {
        if (m_steps.at(at).failed)
            return true;
    }
    return false;
}

QList<int> TransferQueue::filesIn(int folder) const
{
    return m_filesIn.value(folder);
}

void TransferQueue::startFile(int index)
{
    Q_UNUSED(index);
    ++m_fileNumber;
}

void TransferQueue::finishFile(int index)
{
    ++m_filesDone;
    m_bytesDone += m_steps.at(index).size;
}

TransferBatch TransferQueue::batch(qint64 bytesOfFileInFlight) const
{
    return TransferBatch{
        .direction = m_direction,
        .destinationName = m_destinationName,
        .fileCount = m_fileCount,
        .fileNumber = m_fileNumber,
        .completedBytes = m_bytesDone + bytesOfFileInFlight,
        .totalBytes = m_totalBytes,
        .failedCount = m_filesFailed,
        .listingFolders = m_listing,
    };
}

namespace {

QString files(int count)
{
    return count == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(count);
}

} // namespace

QString TransferQueue::sentence() const
{
    const QString verb = m_direction == TransferDirection::download ? QStringLiteral("Downloaded ") : QStringLiteral("Uploaded ");
    if (m_failures.isEmpty()) {
        QString text = verb + files(m_filesDone);
        if (m_bytesDone > 0)
            text += QStringLiteral(" (%1)").arg(formatByteCount(m_bytesDone));
        return text + QStringLiteral(" to ") + m_destinationName + QLatin1Char('.');
    }
    QString text = verb + QStringLiteral("%1 of %2").arg(m_filesDone).arg(files(m_fileCount));
    const int failed = std::max(m_filesFailed, 1);
    text += QStringLiteral("; %1 failed").arg(failed);
    text += m_failures.size() == 1 ? QStringLiteral(": ") : QStringLiteral(", the first: ");
    return text + withoutFullStop(m_failures.first()) + QLatin1Char('.');
}

QString withoutFullStop(QString text)
{
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

QString TransferQueue::cancelledSentence() const
{
    return QStringLiteral("The transfer was cancelled after %1 of %2.").arg(m_filesDone).arg(files(m_fileCount));
}

QString freeName(const QString &name, const QSet<QString> &taken)
{
    if (!taken.contains(name))
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const bool hasSuffix = dot > 0;
    const QString base = hasSuffix ? name.left(dot) : name;
    const QString suffix = hasSuffix ? name.mid(dot) : QString();
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix);
        if (!taken.contains(candidate))
            return candidate;
    }
}

std::optional<QString> unfitForLocalName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("a file on the computer cannot have this name");
    if (name.contains(QLatin1Char('/')) || name.contains(QChar(0)))
        return QStringLiteral("a file on the computer cannot have \"/\" in its name");
    // A UTF-16 unit takes at most three bytes in UTF-8: most names need no conversion.
    if (name.size() > 85 && name.toUtf8().size() > 255)
        return QStringLiteral("the name is too long for a file on the computer");
    return std::nullopt;
}

namespace {

struct Walk {
    LocalItems items;
    QList<QPair<dev_t, ino_t>> inside; // the folders being walked, to stop at a loop
};

void walkItem(Walk &walk, const QString &path, const QString &name, int parent)
{
    struct stat info {};
    if (stat(QFile::encodeName(path).constData(), &info) != 0) {
        const int error = errno;
        walk.items.skipped.append(name + QStringLiteral(": ")
                                  + (error == ELOOP ? QStringLiteral("the link leads to itself")
                                     : error == ENOENT ? QStringLiteral("it is no longer there")
                                                       : QString::fromLocal8Bit(strerror(error))));
        return;
    }
    if (S_ISREG(info.st_mode)) {
        if (access(QFile::encodeName(path).constData(), R_OK) != 0) {
            walk.items.skipped.append(name + QStringLiteral(": it cannot be read"));
            return;
        }
        walk.items.steps.append(BatchStep{.kind = RemoteEntryKind::file, .name = name, .source = path,
                                          .size = qint64(info.st_size), .parent = parent});
        return;
    }
    if (!S_ISDIR(info.st_mode)) {
        walk.items.skipped.append(name + QStringLiteral(": it is not a file or a folder"));
        return;
    }
    const QPair<dev_t, ino_t> identity{info.st_dev, info.st_ino};
    if (walk.inside.contains(identity)) {
        walk.items.skipped.append(name + QStringLiteral(": the link leads back into a folder it is in"));
        return;
    }
    QDir dir(path);
    if (!dir.isReadable()) {
        walk.items.skipped.append(name + QStringLiteral(": the folder cannot be read"));
        return;
    }
    walk.items.steps.append(BatchStep{.kind = RemoteEntryKind::folder, .name = name, .source = path, .parent = parent});
    const int self = int(walk.items.steps.size()) - 1;
    walk.inside.append(identity);
    for (const QString &entry :
         dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        walkItem(walk, dir.filePath(entry), entry, self);
    walk.inside.removeLast();
}

} // namespace

LocalItems walkLocalItems(const QList<QUrl> &urls)
{
    Walk state;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile()) {
            state.items.skipped.append(url.toDisplayString() + QStringLiteral(": it is not a local file"));
            continue;
        }
        const QString path = url.toLocalFile();
        QString name = QFileInfo(path).fileName();
        if (name.isEmpty()) // a path that ends in "/"
            name = QDir(path).dirName();
        walkItem(state, QDir::cleanPath(path), name, -1);
    }
    return state.items;
}

} // namespace tarvel
