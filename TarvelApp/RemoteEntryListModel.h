#pragma once

// The rows of the remote browser, one per entry the filter lets through. The engine's
// order is kept as it came; the rows show it, or a sorted order, and carry the window's
// own browsing state: which row is current (where the keyboard is) and which rows are
// selected. Rows are named by their entry's id, so a sort or a new listing of the same
// folder keeps both the current row and the selection, and a new listing that shares
// entries with the old one moves only the rows that came or went.

#include "TarvelCore/Models.h"

#include <QAbstractListModel>
#include <QList>
#include <QSet>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <optional>

namespace tarvel {

class RemoteEntryListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Rows come from the browser's presenter.")
    Q_PROPERTY(int currentRow READ currentRow NOTIFY currentRowChanged)

public:
    enum Role {
        entryIDRole = Qt::UserRole + 1,
        nameRole,
        isFolderRole,
        detailTextRole,    // "Folder", the file's size, or "File"
        iconNameRole,      // symbol name
        iconTintRole,
        actionIconNameRole,
        actionTitleRole,   // tooltip of the row's button
        iconSourceRole,    // the icon file of iconName
        actionIconSourceRole,
        modifiedTextRole,  // the modification date, or empty when the phone gave none
        infoTextRole,      // the detail and the date, as the row's second line shows them
        actionAccessibleNameRole, // the button named after its row: "Download IMG_1.jpg", "Open DCIM"
        selectTitleRole,   // the row's check mark: "Select IMG_1.jpg"
        selectedRole,
        thumbnailSourceRole, // the row's small picture; empty while there is none
        accessibleNameRole, // what a screen reader names the row: "IMG_1.jpg, Image, 2 MB", "DCIM, Folder"
    };

    // Name, date and size put folders first, as file managers do, in either direction;
    // phone order is the order the engine listed (a phone's own looks random).
    enum class SortOrder { name, date, size, phoneOrder };
    Q_ENUM(SortOrder)

    using QAbstractListModel::QAbstractListModel;

    // A new listing: the selection keeps the entries still listed, the current row stays
    // on its entry when that is still listed and is the first row otherwise.
    void setEntries(QList<RemoteEntry> entries);
    // In the engine's order, whatever the rows show.
    const QList<RemoteEntry> &entries() const { return m_entries; }
    // The entry a row shows; nothing for a row that does not exist.
    std::optional<RemoteEntry> entryAt(int row) const;
    int rowOf(const QString &entryID) const; // -1 when not listed

    SortOrder sortOrder() const { return m_sortOrder; }
    // A new order starts in its own direction: A to Z, newest first, largest first.
    void setSortOrder(SortOrder order);
    bool sortReversed() const { return m_reversed; }
    void setSortReversed(bool reversed);
    // "Name, A to Z", "Date, newest first", ...
    QString sortText() const;

    // Only entries whose name holds the text, whatever the case; empty lets all through.
    // Rows it hides leave the selection: what is not shown is never acted on.
    void setFilterText(const QString &text);
    QString filterText() const { return m_filterText; }
    int entryCount() const { return int(m_entries.size()); }

    int currentRow() const; // -1 with no rows
    // Moves the current row (clamped to the rows) and makes it the anchor of a range.
    void setCurrentRow(int row);

    bool isSelected(int row) const;
    bool hasSelection() const { return !m_selected.isEmpty(); }
    void selectOnly(int row);
    void toggleSelected(int row);
    // Selects the rows from the anchor to `row`, and only those; `row` becomes current
    // while the anchor stays, so the range can grow or shrink from where it began.
    void selectRangeTo(int row);
    void selectAll(); // the rows shown
    void clearSelection();
    // The selected entries in the engine's order.
    QList<RemoteEntry> selectedEntries() const;

    // Where the rows' thumbnails come from, and a row whose thumbnail has just come.
    void setThumbnailSource(std::function<QUrl(const RemoteEntry &)> source) { m_thumbnailSource = std::move(source); }
    void thumbnailChanged(int row) { Q_EMIT dataChanged(index(row), index(row), {thumbnailSourceRole}); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The symbol of a file's kind, from its name: image, video, audio, document,
    // archive, or a plain document for anything else.
    static QString fileSymbol(const QString &name);
    // That kind in a word: "Image", "Video", "Audio", "Document", "Archive", "File".
    static QString fileKindText(const QString &name);
    // A modification time as rows show it, in local time: "11 Jun 2024, 18:15".
    static QString dateText(const QDateTime &when);

Q_SIGNALS:
    void currentRowChanged();
    void selectionChanged();

private:
    QList<int> orderedRows(const QList<RemoteEntry> &entries) const;
    void sortRows();
    // Moves the rows to the new listing's, through the filter and the order: removed and
    // inserted where they share entries and keep their order, else reset (then true).
    bool moveRowsTo(QList<RemoteEntry> entries);
    void setSelection(QSet<QString> ids);
    void moveCurrent(int row);

    QList<RemoteEntry> m_entries; // the engine's order
    QList<int> m_rows;            // row -> index into m_entries
    SortOrder m_sortOrder = SortOrder::name;
    bool m_reversed = false;
    QString m_filterText;
    QSet<QString> m_selected;     // entry ids
    QString m_currentID;
    QString m_anchorID;
    std::function<QUrl(const RemoteEntry &)> m_thumbnailSource;
};

} // namespace tarvel
