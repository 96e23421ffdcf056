#include "TarvelCore/LocalFiles.h"

#include "TarvelCore/Sentences.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarvel {

using sentences::Problem;

QCoro::Task<LocalItems> LocalFiles::walk(QList<QUrl> urls)
{
    auto work = [urls] { return walkLocalItems(urls); };
    co_return co_await awaitResult(m_worker.run(std::move(work)));
}

QCoro::Task<QList<Attempt<LocalPlacement>>> LocalFiles::place(QList<FolderPlace> places)
{
    auto work = [places] { return placeFolders(places); };
    co_return co_await awaitResult(m_worker.run(std::move(work)));
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
        return sentences::reason(Problem::nameEmpty);
    if (name.contains(QLatin1Char('/')) || name.contains(QChar(0)))
        return sentences::reason(Problem::nameHasSlash);
    // A UTF-16 unit takes at most three bytes in UTF-8: most names need no conversion.
    if (name.size() > 85 && name.toUtf8().size() > 255)
        return sentences::reason(Problem::nameTooLong);
    return std::nullopt;
}

namespace {

struct Walk {
    LocalItems items;
    QList<QPair<dev_t, ino_t>> inside; // the folders being walked, to stop at a loop
};

void skip(Walk &walk, const QString &name, const QString &why)
{
    walk.items.skipped.append(name + QStringLiteral(": ") + why);
}

void walkItem(Walk &walk, const QString &path, const QString &name, int parent)
{
    struct stat info {};
    if (stat(QFile::encodeName(path).constData(), &info) != 0) {
        const int error = errno;
        skip(walk, name,
             error == ELOOP    ? sentences::reason(Problem::linkLoops)
             : error == ENOENT ? sentences::reason(Problem::gone)
                               : QString::fromLocal8Bit(strerror(error)));
        return;
    }
    if (S_ISREG(info.st_mode)) {
        if (access(QFile::encodeName(path).constData(), R_OK) != 0) {
            skip(walk, name, sentences::reason(Problem::unreadable));
            return;
        }
        walk.items.steps.append(BatchStep{.kind = RemoteEntryKind::file, .name = name, .source = path,
                                          .size = qint64(info.st_size), .parent = parent});
        return;
    }
    if (!S_ISDIR(info.st_mode)) {
        skip(walk, name, sentences::reason(Problem::notFileOrFolder));
        return;
    }
    const QPair<dev_t, ino_t> identity{info.st_dev, info.st_ino};
    if (walk.inside.contains(identity)) {
        skip(walk, name, sentences::reason(Problem::linkLeadsBack));
        return;
    }
    QDir dir(path);
    if (!dir.isReadable()) {
        skip(walk, name, sentences::reason(Problem::folderUnreadable));
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

QStringList presentIn(const QDir &dir)
{
    return dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// The folder `name` inside `into`, made when it is not there yet; a folder already there
// is used as it is, anything else of that name is left alone for a free name.
QString makeLocalFolder(const QString &into, const QString &name)
{
    QDir parent(into);
    QString chosen = name;
    if (QFileInfo(parent.filePath(name)).isDir())
        return parent.filePath(name);
    if (QFileInfo::exists(parent.filePath(name))) {
        const QStringList present = presentIn(parent);
        chosen = freeName(name, QSet<QString>(present.begin(), present.end()));
    }
    if (!parent.mkdir(chosen))
        throw TransferError::nativeError(sentences::reason(Problem::folderNotMade));
    return parent.filePath(chosen);
}

// One job for a whole folder's files, not one each.
LocalPlacement placeLocally(const QString &into, const std::optional<QString> &folderName, const QStringList &fileNames)
{
    LocalPlacement placed{folderName ? makeLocalFolder(into, *folderName) : into, {}};
    const QDir folder(placed.folder);
    const QStringList present = presentIn(folder);
    const QSet<QString> there(present.begin(), present.end());
    QSet<QString> taken = there;
    for (const QString &name : fileNames) {
        std::optional<qint64> before;
        if (there.contains(name)) {
            const QFileInfo info(folder.filePath(name));
            before = info.isFile() ? info.size() : -1;
        }
        placed.taken.append(before);
        const QString chosen = freeName(name, taken);
        taken.insert(chosen);
        placed.names.append(chosen);
    }
    return placed;
}

} // namespace

LocalItems walkLocalItems(const QList<QUrl> &urls)
{
    Walk state;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile()) {
            skip(state, url.toDisplayString(), sentences::reason(Problem::notLocal));
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

QList<Attempt<LocalPlacement>> placeFolders(const QList<FolderPlace> &places)
{
    QHash<int, QString> placedFolders;
    QList<Attempt<LocalPlacement>> results;
    for (const FolderPlace &place : places) {
        Attempt<LocalPlacement> &result = results.emplace_back();
        const std::optional<QString> into =
            place.into ? place.into
                       : (placedFolders.contains(place.parent) ? std::optional(placedFolders.value(place.parent)) : std::nullopt);
        try {
            if (!into || (place.makeInto && !QDir().mkpath(*into)))
                throw TransferError::nativeError(sentences::reason(Problem::folderNotMade));
            result.value = placeLocally(*into, place.name, place.files);
            placedFolders.insert(place.id, result.value.folder);
        } catch (...) {
            result.error = std::current_exception();
        }
    }
    return results;
}

} // namespace tarvel
