#pragma once

// What the window keeps between runs, in $XDG_CONFIG_HOME/tarvel/tarvel.conf: the last
// download and upload folders, the import's destination, the window's size, the rows'
// order and the browser's view. A missing, damaged or read-only file costs nothing but
// the defaults; a remembered folder that is gone is forgotten.

#include "TarvelApp/RemoteEntryListModel.h"

#include <QSize>
#include <QString>
#include <QUrl>

#include <optional>

namespace tarvel {

class WindowSettings {
public:
    // In `filePath`: the desktop's place unless a test names another.
    explicit WindowSettings(QString filePath = defaultFilePath());
    static QString defaultFilePath();

    std::optional<QUrl> downloadFolder() const { return folder(downloadKey); }
    void setDownloadFolder(const QUrl &folder) const { setFolder(downloadKey, folder); }
    std::optional<QUrl> uploadFolder() const { return folder(uploadKey); }
    void setUploadFolder(const QUrl &folder) const { setFolder(uploadKey, folder); }
    // Kept also while it is missing: it may be a disk that is not plugged in.
    std::optional<QUrl> importDestination() const { return folder(importKey, false); }
    void setImportDestination(const QUrl &folder) const { setFolder(importKey, folder); }

    std::optional<QSize> windowSize() const;
    void setWindowSize(QSize size) const;

    // The rows' order; absent when none or an unknown one is kept.
    struct Sort {
        RemoteEntryListModel::SortOrder order = RemoteEntryListModel::SortOrder::name;
        bool reversed = false;
    };
    std::optional<Sort> sort() const;
    void setSort(const Sort &sort) const;

    bool showsGrid() const;
    void setShowsGrid(bool grid) const;

private:
    static constexpr const char *downloadKey = "paths/download";
    static constexpr const char *uploadKey = "paths/upload";
    static constexpr const char *importKey = "import/destination";

    std::optional<QUrl> folder(const char *key, bool mustExist = true) const;
    void setFolder(const char *key, const QUrl &folder) const;
    QVariant value(const char *key) const;
    void setValue(const char *key, const QVariant &value) const;

    QString m_filePath; // empty: nothing is kept
};

} // namespace tarvel
