#include "TarvelCore/ImportPlan.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <iterator>

namespace tarvel {

namespace {

// Compared in place: a camera folder holds thousands of names, and none needs a copy.
constexpr QLatin1StringView mediaSuffixes[] = {
    QLatin1StringView("jpg"),  QLatin1StringView("jpeg"), QLatin1StringView("png"),  QLatin1StringView("gif"),
    QLatin1StringView("webp"), QLatin1StringView("heic"), QLatin1StringView("heif"), QLatin1StringView("avif"),
    QLatin1StringView("dng"),  QLatin1StringView("raw"),  QLatin1StringView("cr2"),  QLatin1StringView("nef"),
    QLatin1StringView("arw"),  QLatin1StringView("bmp"),  QLatin1StringView("tif"),  QLatin1StringView("tiff"),
    QLatin1StringView("mp4"),  QLatin1StringView("mov"),  QLatin1StringView("3gp"),  QLatin1StringView("mkv"),
    QLatin1StringView("webm"), QLatin1StringView("avi"),  QLatin1StringView("m4v"),  QLatin1StringView("mts"),
};

// What one destination folder holds: name and size of each file, read once for all the
// files that go there.
using FolderSizes = QHash<QString, qint64>;

FolderSizes sizesIn(const QString &folder)
{
    FolderSizes sizes;
    const QFileInfoList present = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &info : present)
        sizes.insert(info.fileName(), info.size());
    return sizes;
}

} // namespace

bool isPhotoOrVideo(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return false;
    const QStringView suffix = QStringView(name).mid(dot + 1);
    return std::any_of(std::begin(mediaSuffixes), std::end(mediaSuffixes), [suffix](QLatin1StringView known) {
        return suffix.size() == known.size() && suffix.compare(known, Qt::CaseInsensitive) == 0;
    });
}

bool isHiddenName(const QString &name)
{
    return name.startsWith(QLatin1Char('.'));
}

QString filingFolder(const std::optional<QDateTime> &modifiedAt, ImportFiling filing)
{
    if (filing == ImportFiling::oneFolder || !modifiedAt || !modifiedAt->isValid())
        return QString();
    // The month the photo was taken where the user is, as their photo tools show it.
    const QDate date = modifiedAt->toLocalTime().date();
    return QStringLiteral("%1/%1-%2").arg(date.year(), 4, 10, QLatin1Char('0')).arg(date.month(), 2, 10, QLatin1Char('0'));
}

ImportPlan decideImport(const QList<ImportCandidate> &found, const QStringList &storageIDs,
                        const QList<ImportedFiles> &recorded, const QString &destination, ImportFiling filing)
{
    QHash<QString, const ImportedFiles *> byStorage;
    for (qsizetype i = 0; i < storageIDs.size() && i < recorded.size(); ++i)
        byStorage.insert(storageIDs.at(i), &recorded.at(i));
    QHash<QString, FolderSizes> folders;
    ImportPlan plan{.destination = destination};
    for (const ImportCandidate &file : found) {
        const RemoteEntry &entry = file.entry;
        const ImportedFiles *known = byStorage.value(file.storageID);
        if (known && !known->isNew(file.path, entry.sizeBytes, entry.modifiedAt)) {
            ++plan.alreadyImported;
            continue;
        }
        const QString subfolder = filingFolder(entry.modifiedAt, filing);
        // A file the record knows changed on the phone since: new, whatever is there.
        if (known && known->byPath.contains(file.path)) {
            plan.items.append(ImportItem{file, subfolder});
            plan.bytes += entry.sizeBytes.value_or(0);
            continue;
        }
        auto there = folders.find(subfolder);
        if (there == folders.end())
            there = folders.insert(subfolder, sizesIn(subfolder.isEmpty() ? destination : destination + QLatin1Char('/') + subfolder));
        const auto present = there->constFind(entry.name);
        if (present != there->cend() && entry.sizeBytes == *present) {
            ++plan.alreadyImported;
            continue;
        }
        plan.items.append(ImportItem{file, subfolder});
        plan.bytes += entry.sizeBytes.value_or(0);
    }
    return plan;
}

} // namespace tarvel
