#include "TarvelApp/ThumbnailPresenter.h"

#include "TarvelApp/PictureProvider.h"
#include "TarvelApp/SymbolSource.h"
#include "TarvelApp/WindowSettings.h"

#include <QFileInfo>

#include <algorithm>

namespace tarvel {

ThumbnailPresenter::ThumbnailPresenter(TarvelViewModel *viewModel, RemoteEntryListModel *rows, QObject *parent)
    : QObject(parent)
    , m_viewModel(viewModel)
    , m_rows(rows)
    , m_showsGrid(WindowSettings().showsGrid())
{
    m_rows->setThumbnailSource([this](const RemoteEntry &entry) { return thumbnailSource(entry); });
    if (viewModel)
        connect(viewModel->thumbnails(), &ThumbnailLoader::thumbnailReady, this, &ThumbnailPresenter::thumbnailReady);
    // A new listing: nothing of the old one is wanted until the view says what it shows.
    connect(m_rows, &QAbstractItemModel::modelReset, this, [this] {
        m_keys.clear();
        m_entryOfKey.clear();
        if (m_viewModel)
            m_viewModel->thumbnails()->want({});
    });
}

void ThumbnailPresenter::setShowsGrid(bool grid)
{
    if (grid == m_showsGrid)
        return;
    m_showsGrid = grid;
    WindowSettings().setShowsGrid(grid);
    Q_EMIT showsGridChanged();
}

QString ThumbnailPresenter::viewToggleTitle() const
{
    return m_showsGrid ? tr("Show as List") : tr("Show as Grid");
}

QUrl ThumbnailPresenter::viewToggleIconSource() const
{
    return symbolSource(m_showsGrid ? QStringLiteral("list.bullet") : QStringLiteral("square.grid.2x2"));
}

bool ThumbnailPresenter::isJPEG(const QString &name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg");
}

bool ThumbnailPresenter::hasThumbnail(const QString &name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    return isJPEG(name) || suffix == QLatin1String("heic") || suffix == QLatin1String("heif");
}

std::optional<ThumbnailRequest> ThumbnailPresenter::requestFor(const RemoteEntry &entry) const
{
    if (!m_viewModel)
        return std::nullopt;
    const auto device = m_viewModel->selectedDevice();
    const auto storage = m_viewModel->selectedStorage();
    if (!device || !storage)
        return std::nullopt;
    QStringList path;
    for (const RemoteEntry &folder : m_viewModel->folderPath())
        path.append(folder.name);
    path.append(entry.name);
    QString &key = m_keys[entry.id];
    if (key.isEmpty()) {
        const QString phone = device->serialNumber.value_or(device->id);
        key = ThumbnailLoader::cacheKey(phone, storage->id, path.join(QLatin1Char('/')), entry.sizeBytes,
                                        entry.modifiedAt);
        m_entryOfKey.insert(key, entry.id);
    }
    return ThumbnailRequest{
        .object = ObjectRequest{.deviceID = device->id, .storageID = storage->id, .objectID = entry.id,
                                .name = entry.name, .sizeBytes = entry.sizeBytes},
        .cacheKey = key,
        .readsExif = isJPEG(entry.name),
    };
}

QUrl ThumbnailPresenter::thumbnailSource(const RemoteEntry &entry) const
{
    if (entry.kind != RemoteEntryKind::file || !hasThumbnail(entry.name) || !m_viewModel)
        return {};
    const auto request = requestFor(entry);
    if (!request || !m_viewModel->thumbnails()->hasThumbnail(request->cacheKey))
        return {};
    return QUrl(QStringLiteral("image://%1/thumbnails/%2").arg(PictureProvider::providerName, request->cacheKey));
}

void ThumbnailPresenter::showRows(int first, int last)
{
    if (!m_viewModel)
        return;
    QList<RemoteEntry> shown;
    for (int row = std::max(first, 0); first >= 0 && row <= last; ++row) {
        const auto entry = m_rows->entryAt(row);
        if (!entry)
            break;
        if (entry->kind == RemoteEntryKind::file && hasThumbnail(entry->name))
            shown.append(*entry);
    }
    // The newest first: what was just taken is what people look for; no date goes last.
    std::stable_sort(shown.begin(), shown.end(), [](const RemoteEntry &a, const RemoteEntry &b) {
        return a.modifiedAt.value_or(QDateTime()) > b.modifiedAt.value_or(QDateTime());
    });
    QList<ThumbnailRequest> requests;
    for (const RemoteEntry &entry : shown) {
        if (const auto request = requestFor(entry))
            requests.append(*request);
    }
    m_viewModel->thumbnails()->want(std::move(requests));
}

void ThumbnailPresenter::thumbnailReady(const QString &key)
{
    const int row = m_rows->rowOf(m_entryOfKey.value(key));
    if (row >= 0)
        m_rows->thumbnailChanged(row);
}

} // namespace tarvel
