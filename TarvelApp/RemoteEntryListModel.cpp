#include "TarvelApp/RemoteEntryListModel.h"

#include "TarvelApp/ByteCountFormat.h"
#include "TarvelApp/Palette.h"
#include "TarvelApp/SymbolSource.h"

#include <QCollator>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSet>

#include <algorithm>
#include <utility>

namespace tarvel {

void RemoteEntryListModel::setEntries(QList<RemoteEntry> entries)
{
    const int currentBefore = currentRow();
    const bool reset = moveRowsTo(std::move(entries));
    const QString current = m_currentID;
    if (rowOf(m_currentID) < 0)
        m_currentID = m_rows.isEmpty() ? QString() : m_entries.at(m_rows.first()).id;
    if (rowOf(m_anchorID) < 0)
        m_anchorID = m_currentID;
    // Also when the row number stayed: a reset view has forgotten its current row.
    if (reset || currentRow() != currentBefore || m_currentID != current)
        Q_EMIT currentRowChanged();
}

std::optional<RemoteEntry> RemoteEntryListModel::entryAt(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return std::nullopt;
    return m_entries.at(m_rows.at(row));
}

int RemoteEntryListModel::rowOf(const QString &entryID) const
{
    if (entryID.isEmpty())
        return -1;
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_entries.at(m_rows.at(row)).id == entryID)
            return row;
    }
    return -1;
}

void RemoteEntryListModel::setSortOrder(SortOrder order)
{
    if (order == m_sortOrder && !m_reversed)
        return;
    m_sortOrder = order;
    m_reversed = false;
    sortRows();
}

void RemoteEntryListModel::setSortReversed(bool reversed)
{
    if (reversed == m_reversed)
        return;
    m_reversed = reversed;
    sortRows();
}

QString RemoteEntryListModel::sortText() const
{
    switch (m_sortOrder) {
    case SortOrder::name: return m_reversed ? tr("Name, Z to A") : tr("Name, A to Z");
    case SortOrder::date: return m_reversed ? tr("Date, oldest first") : tr("Date, newest first");
    case SortOrder::size: return m_reversed ? tr("Size, smallest first") : tr("Size, largest first");
    case SortOrder::phoneOrder: break;
    }
    return m_reversed ? tr("Phone order, reversed") : tr("Phone order");
}

void RemoteEntryListModel::setFilterText(const QString &text)
{
    if (text == m_filterText)
        return;
    m_filterText = text;
    const int currentBefore = currentRow();
    moveRowsTo(m_entries);
    if (rowOf(m_currentID) < 0) {
        m_currentID = m_rows.isEmpty() ? QString() : m_entries.at(m_rows.first()).id;
        m_anchorID = m_currentID;
    }
    if (currentRow() != currentBefore)
        Q_EMIT currentRowChanged();
}

QList<int> RemoteEntryListModel::orderedRows(const QList<RemoteEntry> &entries) const
{
    QList<int> rows;
    for (int i = 0; i < entries.size(); ++i) {
        if (entries.at(i).name.contains(m_filterText, Qt::CaseInsensitive))
            rows.append(i);
    }
    if (m_sortOrder == SortOrder::phoneOrder) {
        if (m_reversed)
            std::reverse(rows.begin(), rows.end());
        return rows;
    }

    // Names in the user's language's order, with numbers inside them compared as numbers
    // (IMG_9 before IMG_10), which the C locale's collation cannot do.
    const QLocale locale = QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale();
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Newest and largest first unless reversed; what the phone did not say goes last
    // either way, and folders always come first.
    const auto before = [&](int left, int right) {
        const RemoteEntry &a = entries.at(left);
        const RemoteEntry &b = entries.at(right);
        if (a.kind != b.kind)
            return a.kind == RemoteEntryKind::folder;
        if (m_sortOrder == SortOrder::date && a.modifiedAt != b.modifiedAt) {
            if (!a.modifiedAt || !b.modifiedAt)
                return a.modifiedAt.has_value();
            return m_reversed ? *a.modifiedAt < *b.modifiedAt : *b.modifiedAt < *a.modifiedAt;
        }
        if (m_sortOrder == SortOrder::size && a.kind == RemoteEntryKind::file && a.sizeBytes != b.sizeBytes) {
            if (!a.sizeBytes || !b.sizeBytes)
                return a.sizeBytes.has_value();
            return m_reversed ? *a.sizeBytes < *b.sizeBytes : *b.sizeBytes < *a.sizeBytes;
        }
        const int byName = collator.compare(a.name, b.name);
        return m_sortOrder == SortOrder::name && m_reversed ? byName > 0 : byName < 0;
    };
    // Stable: entries that compare equal keep the phone's order.
    std::stable_sort(rows.begin(), rows.end(), before);
    return rows;
}

void RemoteEntryListModel::sortRows()
{
    beginResetModel();
    m_rows = orderedRows(m_entries);
    endResetModel();
    Q_EMIT currentRowChanged();
}

bool RemoteEntryListModel::moveRowsTo(QList<RemoteEntry> entries)
{
    const QList<int> newRows = orderedRows(entries);
    QStringList oldIDs;
    for (const int index : std::as_const(m_rows))
        oldIDs.append(m_entries.at(index).id);
    QStringList newIDs;
    for (const int index : newRows)
        newIDs.append(entries.at(index).id);
    const QSet<QString> oldSet(oldIDs.cbegin(), oldIDs.cend());
    const QSet<QString> newSet(newIDs.cbegin(), newIDs.cend());

    // What is not shown any more leaves the selection before its row goes.
    QSet<QString> selected = m_selected;
    selected.intersect(newSet);
    const bool selectionChanges = selected != m_selected;
    m_selected = selected;

    QStringList kept = oldIDs;
    kept.removeIf([&](const QString &id) { return !newSet.contains(id); });
    QStringList keptInNew = newIDs;
    keptInNew.removeIf([&](const QString &id) { return !oldSet.contains(id); });
    // Rows that keep their order move in place; anything else (another folder, a phone
    // that lists an id twice) is a new list.
    const bool reset = kept.isEmpty() || kept != keptInNew || oldSet.size() != oldIDs.size()
        || newSet.size() != newIDs.size();
    if (reset) {
        beginResetModel();
        m_entries = std::move(entries);
        m_rows = newRows;
        endResetModel();
    } else {
        // From the bottom, so the rows above keep their numbers.
        for (int row = int(m_rows.size()) - 1; row >= 0; --row) {
            if (newSet.contains(oldIDs.at(row)))
                continue;
            int first = row;
            while (first > 0 && !newSet.contains(oldIDs.at(first - 1)))
                --first;
            beginRemoveRows({}, first, row);
            m_rows.remove(first, row - first + 1);
            endRemoveRows();
            row = first;
        }
        QHash<QString, int> newIndex;
        for (int i = 0; i < entries.size(); ++i)
            newIndex.insert(entries.at(i).id, i);
        const QList<RemoteEntry> old = std::exchange(m_entries, std::move(entries));
        for (int row = 0; row < m_rows.size(); ++row) {
            const RemoteEntry &was = old.at(m_rows.at(row));
            m_rows[row] = newIndex.value(was.id);
            if (m_entries.at(m_rows.at(row)) != was)
                Q_EMIT dataChanged(index(row), index(row));
        }
        for (int row = 0; row < newRows.size();) {
            if (row < m_rows.size() && m_rows.at(row) == newRows.at(row)) {
                ++row;
                continue;
            }
            int end = row;
            while (end < newRows.size() && !oldSet.contains(newIDs.at(end)))
                ++end;
            beginInsertRows({}, row, end - 1);
            for (int k = row; k < end; ++k)
                m_rows.insert(k, newRows.at(k));
            endInsertRows();
            row = end;
        }
    }
    if (selectionChanges)
        Q_EMIT selectionChanged();
    return reset;
}

int RemoteEntryListModel::currentRow() const
{
    return rowOf(m_currentID);
}

void RemoteEntryListModel::moveCurrent(int row)
{
    if (m_rows.isEmpty())
        return;
    const QString id = m_entries.at(m_rows.at(std::clamp(row, 0, int(m_rows.size()) - 1))).id;
    if (id == m_currentID)
        return;
    m_currentID = id;
    Q_EMIT currentRowChanged();
}

void RemoteEntryListModel::setCurrentRow(int row)
{
    moveCurrent(row);
    m_anchorID = m_currentID;
}

bool RemoteEntryListModel::isSelected(int row) const
{
    const auto entry = entryAt(row);
    return entry && m_selected.contains(entry->id);
}

void RemoteEntryListModel::setSelection(QSet<QString> ids)
{
    if (ids == m_selected)
        return;
    m_selected = std::move(ids);
    if (!m_rows.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_rows.size()) - 1), {selectedRole});
    Q_EMIT selectionChanged();
}

void RemoteEntryListModel::selectOnly(int row)
{
    if (const auto entry = entryAt(row)) {
        setSelection({entry->id});
        setCurrentRow(row);
    }
}

void RemoteEntryListModel::toggleSelected(int row)
{
    const auto entry = entryAt(row);
    if (!entry)
        return;
    QSet<QString> ids = m_selected;
    if (!ids.remove(entry->id))
        ids.insert(entry->id);
    setSelection(std::move(ids));
    setCurrentRow(row);
}

void RemoteEntryListModel::selectRangeTo(int row)
{
    if (m_rows.isEmpty())
        return;
    row = std::clamp(row, 0, int(m_rows.size()) - 1);
    int anchor = rowOf(m_anchorID);
    if (anchor < 0)
        anchor = currentRow() < 0 ? row : currentRow();
    QSet<QString> ids;
    for (int r = std::min(anchor, row); r <= std::max(anchor, row); ++r)
        ids.insert(m_entries.at(m_rows.at(r)).id);
    const QString anchorID = m_entries.at(m_rows.at(anchor)).id;
    setSelection(std::move(ids));
    moveCurrent(row);
    m_anchorID = anchorID;
}

void RemoteEntryListModel::selectAll()
{
    QSet<QString> ids;
    for (const int index : std::as_const(m_rows))
        ids.insert(m_entries.at(index).id);
    setSelection(std::move(ids));
}

void RemoteEntryListModel::clearSelection()
{
    setSelection({});
}

QList<RemoteEntry> RemoteEntryListModel::selectedEntries() const
{
    QList<RemoteEntry> selected;
    for (const RemoteEntry &entry : m_entries) {
        if (m_selected.contains(entry.id))
            selected.append(entry);
    }
    return selected;
}

int RemoteEntryListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QString RemoteEntryListModel::fileSymbol(const QString &name)
{
    static const QHash<QString, QString> symbols = [] {
        QHash<QString, QString> bySuffix;
        const auto add = [&](const QString &symbol, std::initializer_list<const char *> suffixes) {
            for (const char *suffix : suffixes)
                bySuffix.insert(QString::fromLatin1(suffix), symbol);
        };
        add(QStringLiteral("photo"), {"jpg", "jpeg", "png", "gif", "webp", "heic", "heif", "avif", "bmp", "tif", "tiff",
                                      "dng", "raw", "cr2", "nef", "arw", "svg"});
        add(QStringLiteral("film"), {"mp4", "m4v", "mov", "mkv", "webm", "3gp", "3g2", "avi", "wmv", "mpg", "mpeg", "ts"});
        add(QStringLiteral("music.note"), {"mp3", "m4a", "aac", "flac", "ogg", "oga", "opus", "wav", "amr", "mid", "midi",
                                           "wma"});
        add(QStringLiteral("doc.text"), {"pdf", "txt", "md", "rtf", "doc", "docx", "odt", "xls", "xlsx", "ods", "csv",
                                         "ppt", "pptx", "odp", "epub", "html", "htm", "json", "xml", "vcf"});
        add(QStringLiteral("archivebox"), {"zip", "rar", "7z", "tar", "gz", "tgz", "bz2", "xz", "zst", "apk"});
        return bySuffix;
    }();
    return symbols.value(QFileInfo(name).suffix().toLower(), QStringLiteral("doc"));
}

QString RemoteEntryListModel::fileKindText(const QString &name)
{
    const QString symbol = fileSymbol(name);
    return symbol == QLatin1String("photo")        ? tr("Image")
           : symbol == QLatin1String("film")       ? tr("Video")
           : symbol == QLatin1String("music.note") ? tr("Audio")
           : symbol == QLatin1String("doc.text")   ? tr("Document")
           : symbol == QLatin1String("archivebox") ? tr("Archive")
                                                   : tr("File");
}

QString RemoteEntryListModel::dateText(const QDateTime &when)
{
    // The order of day, month and year is the language's, the month's name the locale's.
    //: Date and time of a file; Qt's date format letters (d day, MMM month's short name, yyyy year, HH:mm time).
    return QLocale().toString(when.toLocalTime(), tr("d MMM yyyy, HH:mm"));
}

QVariant RemoteEntryListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const RemoteEntry &entry = m_entries.at(m_rows.at(index.row()));
    const bool folder = entry.kind == RemoteEntryKind::folder;
    switch (role) {
    case entryIDRole: return entry.id;
    case nameRole: return entry.name;
    case isFolderRole: return folder;
    case detailTextRole:
        if (folder)
            return tr("Folder");
        if (!entry.sizeBytes)
            return tr("File");
        // The byte count's "Zero KB" would read as a size rounded away.
        return *entry.sizeBytes == 0 ? tr("0 bytes") : formatByteCount(*entry.sizeBytes);
    case iconNameRole: return folder ? QStringLiteral("folder") : fileSymbol(entry.name);
    case iconTintRole: return folder ? tint::blue : tint::secondary;
    case actionIconNameRole: return folder ? QStringLiteral("chevron.right") : QStringLiteral("square.and.arrow.down");
    case actionTitleRole: return folder ? tr("Open %1").arg(entry.name) : tr("Download");
    case iconSourceRole: return symbolSource(data(index, iconNameRole).toString());
    case actionIconSourceRole: return symbolSource(data(index, actionIconNameRole).toString());
    case modifiedTextRole: return entry.modifiedAt ? dateText(*entry.modifiedAt) : QString();
    case infoTextRole: {
        const QString detail = data(index, detailTextRole).toString();
        return entry.modifiedAt ? detail + QStringLiteral(" · ") + dateText(*entry.modifiedAt) : detail;
    }
    case actionAccessibleNameRole: return (folder ? tr("Open %1") : tr("Download %1")).arg(entry.name);
    case selectTitleRole: return tr("Select %1").arg(entry.name);
    case selectedRole: return m_selected.contains(entry.id);
    case thumbnailSourceRole: return m_thumbnailSource ? m_thumbnailSource(entry) : QUrl();
    case accessibleNameRole:
        // The row's second line shows the kind as an icon, which a screen reader cannot.
        if (folder || !entry.sizeBytes)
            return entry.name + QStringLiteral(", ") + (folder ? tr("Folder") : fileKindText(entry.name));
        return entry.name + QStringLiteral(", ") + fileKindText(entry.name) + QStringLiteral(", ")
            + data(index, detailTextRole).toString();
    default: return {};
    }
}

QHash<int, QByteArray> RemoteEntryListModel::roleNames() const
{
    return {
        {entryIDRole, "entryID"},
        {nameRole, "name"},
        {isFolderRole, "isFolder"},
        {detailTextRole, "detailText"},
        {iconNameRole, "iconName"},
        {iconTintRole, "iconTint"},
        {actionIconNameRole, "actionIconName"},
        {actionTitleRole, "actionTitle"},
        {iconSourceRole, "iconSource"},
        {actionIconSourceRole, "actionIconSource"},
        {modifiedTextRole, "modifiedText"},
        {infoTextRole, "infoText"},
        {actionAccessibleNameRole, "actionAccessibleName"},
        {selectTitleRole, "selectTitle"},
        {selectedRole, "selected"},
        {thumbnailSourceRole, "thumbnailSource"},
        {accessibleNameRole, "accessibleName"},
    };
}

} // namespace tarvel
