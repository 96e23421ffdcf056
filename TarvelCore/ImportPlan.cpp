#include "TarvelCore/ImportPlan.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace tarvel {

namespace {

const QSet<QString> &mediaSuffixes()
{
    static const QSet<QString> suffixes{
        QStringLiteral("jpg"),  QStringLiteral("jpeg"), QStringLiteral("png"),  QStringLiteral("gif"),
        QStringLiteral("webp"), QStringLiteral("heic"), QStringLiteral("heif"), QStringLiteral("avif"),
        QStringLiteral("dng"),  QStringLiteral("raw"),  QStringLiteral("cr2"),  QStringLiteral("nef"),
        QStringLiteral("arw"),  QStringLiteral("bmp"),  QStringLiteral("tif"),  QStringLiteral("tiff"),
        QStringLiteral("mp4"),  QStringLiteral("mov"),  QStringLiteral("3gp"),  QStringLiteral("mkv"),
        QStringLiteral("webm"), QStringLiteral("avi"),  QStringLiteral("m4v"),  QStringLiteral("mts"),
    };
    return suffixes;
}

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
    return dot > 0 && mediaSuffixes().contains(name.mid(dot + 1).toLower());
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
