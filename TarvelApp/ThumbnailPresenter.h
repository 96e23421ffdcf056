#pragma once

// The browser's pictures: whether the listing shows as a list or as a grid (kept between
// runs), which image rows are on screen, and the source of each row's thumbnail. The view
// reports the rows it shows; only their thumbnails are asked for, the newest first.

#include "TarvelApp/RemoteEntryListModel.h"
#include "TarvelCore/TarvelViewModel.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

namespace tarvel {

class ThumbnailPresenter : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The browser's presenter hands the listing its thumbnails.")

    Q_PROPERTY(bool showsGrid READ showsGrid WRITE setShowsGrid NOTIFY showsGridChanged)
    Q_PROPERTY(QString viewToggleTitle READ viewToggleTitle NOTIFY showsGridChanged)
    Q_PROPERTY(QUrl viewToggleIconSource READ viewToggleIconSource NOTIFY showsGridChanged)

public:
    ThumbnailPresenter(TarvelViewModel *viewModel, RemoteEntryListModel *rows, QObject *parent = nullptr);

    bool showsGrid() const { return m_showsGrid; }
    void setShowsGrid(bool grid);
    // The toggle names what it switches to.
    QString viewToggleTitle() const;
    QUrl viewToggleIconSource() const;

    // The entry's thumbnail once it is in the cache; empty until then and for what has none.
    QUrl thumbnailSource(const RemoteEntry &entry) const;
    // The request that names the entry's pictures; nothing without a phone and storage.
    std::optional<ThumbnailRequest> requestFor(const RemoteEntry &entry) const;
    // Images whose thumbnails are asked for: the phone's own where it keeps one, and the EXIF
    // thumbnail of a JPEG. Phones keep none for videos and PNGs, which show their icon.
    static bool hasThumbnail(const QString &name);
    static bool isJPEG(const QString &name);

public Q_SLOTS:
    // The rows from first to last (inclusive) are on screen; -1 for none.
    void showRows(int first, int last);

Q_SIGNALS:
    void showsGridChanged();

private:
    void thumbnailReady(const QString &key);

    QPointer<TarvelViewModel> m_viewModel;
    RemoteEntryListModel *m_rows;
    bool m_showsGrid = false;
    // The keys of the listing's entries, made once per listing: a key is a hash, and a
    // folder of thousands asks for them on every scroll.
    mutable QHash<QString, QString> m_keys;       // entry id -> key
    mutable QHash<QString, QString> m_entryOfKey; // key -> entry id
};

} // namespace tarvel
