#pragma once

// The rows of the remote browser, one per entry, in the engine's order.

#include "TarvelCore/Models.h"

#include <QAbstractListModel>
#include <QList>
#include <QtQml/qqmlregistration.h>

namespace tarvel {

class RemoteEntryListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Rows come from ContentView.")

public:
    enum Role {
        entryIDRole = Qt::UserRole + 1,
        nameRole,
        isFolderRole,
        detailTextRole,    // "Folder", the file's size, or "File"
        iconNameRole,      // symbol name
        iconTintRole,
        actionIconNameRole,
        actionTitleRole,   // accessible name and tooltip of the row's button
        iconSourceRole,    // the icon file of iconName
        actionIconSourceRole,
    };

    using QAbstractListModel::QAbstractListModel;

    void setEntries(QList<RemoteEntry> entries);
    const QList<RemoteEntry> &entries() const { return m_entries; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QList<RemoteEntry> m_entries;
};

} // namespace tarvel
