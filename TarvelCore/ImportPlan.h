#pragma once

// Deciding what an import copies: the photos and videos found on the phone that neither the
// import record knows (same path, size and date) nor the destination already holds (same
// name and size where the file would go: copied by hand before), and where each one goes.

#include "TarvelCore/Models.h"
#include "TarvelStore/ImportRecord.h"

#include <QList>
#include <QString>

#include <optional>

namespace tarvel {

// How imported files are filed in the destination.
enum class ImportFiling {
    byMonth,   // "2024/2024-06/", from the file's date on the phone
    oneFolder, // all in the destination itself
};

// A photo or video found on the phone.
struct ImportCandidate {
    QString storageID = {};
    QString path = {}; // from the storage's root, "DCIM/Camera/IMG_0001.jpg", the record's key
    RemoteEntry entry = {};

    friend bool operator==(const ImportCandidate &, const ImportCandidate &) = default;
};

// One file the import copies, and the folder inside the destination it goes to ("" for the
// destination itself).
struct ImportItem {
    ImportCandidate file = {};
    QString subfolder = {};

    friend bool operator==(const ImportItem &, const ImportItem &) = default;
};

struct ImportPlan {
    QString destination = {};
    QList<ImportItem> items = {};
    qint64 bytes = 0;
    int alreadyImported = 0; // known to the record, or already in the destination
};

// Whether a file's name says it is a photo or a video.
bool isPhotoOrVideo(const QString &name);
// Hidden folders hold a phone's thumbnails and its bin (".thumbnails", ".trashed-…").
bool isHiddenName(const QString &name);
// Where a file dated `modifiedAt` goes inside the destination; an undated file goes to the
// destination itself.
QString filingFolder(const std::optional<QDateTime> &modifiedAt, ImportFiling filing);

// The record's answer for each storage, in `storageIDs` order. Blocks: it looks at the
// destination's folders, once each.
ImportPlan decideImport(const QList<ImportCandidate> &found, const QStringList &storageIDs,
                        const QList<ImportedFiles> &recorded, const QString &destination, ImportFiling filing);

} // namespace tarvel
