#include "TarvelApp/RemoteEntryListModel.h"

#include "TarvelApp/ByteCountFormat.h"
#include "TarvelApp/Palette.h"
#include "TarvelApp/SymbolSource.h"

namespace tarvel {

void RemoteEntryListModel::setEntries(QList<RemoteEntry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

int RemoteEntryListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant RemoteEntryListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const RemoteEntry &entry = m_entries.at(index.row());
    const bool folder = entry.kind == RemoteEntryKind::folder;
    switch (role) {
    case entryIDRole: return entry.id;
    case nameRole: return entry.name;
    case isFolderRole: return folder;
    case detailTextRole:
        if (folder)
            return QStringLiteral("Folder");
        return entry.sizeBytes ? formatByteCount(*entry.sizeBytes) : QStringLiteral("File");
    case iconNameRole: return folder ? QStringLiteral("folder") : QStringLiteral("doc");
    case iconTintRole: return folder ? tint::blue : tint::secondary;
    case actionIconNameRole: return folder ? QStringLiteral("chevron.right") : QStringLiteral("square.and.arrow.down");
    case actionTitleRole: return folder ? QStringLiteral("Open ") + entry.name : QStringLiteral("Download");
    case iconSourceRole: return symbolSource(data(index, iconNameRole).toString());
    case actionIconSourceRole: return symbolSource(data(index, actionIconNameRole).toString());
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
    };
}

} // namespace tarvel
