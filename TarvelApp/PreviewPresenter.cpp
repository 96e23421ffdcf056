#include "TarvelApp/PreviewPresenter.h"

#include "TarvelApp/ByteCountFormat.h"
#include "TarvelApp/PictureProvider.h"
#include "TarvelApp/SymbolSource.h"

#include <QDir>

namespace tarvel {

PreviewPresenter::PreviewPresenter(TarvelViewModel *viewModel, RemoteEntryListModel *rows,
                                   ThumbnailPresenter *thumbnails, QObject *parent)
    : QObject(parent), m_viewModel(viewModel), m_rows(rows), m_thumbnails(thumbnails)
{
    // A new listing without the picture shown (another folder, the file deleted) closes it.
    connect(m_rows, &QAbstractItemModel::modelReset, this, [this] {
        if (m_entry && m_rows->rowOf(m_entry->id) < 0)
            close();
        else
            Q_EMIT changed();
    });
}

PreviewPresenter::~PreviewPresenter()
{
    stopReading();
}

bool PreviewPresenter::isPicture(const RemoteEntry &entry)
{
    return entry.kind == RemoteEntryKind::file && RemoteEntryListModel::fileSymbol(entry.name) == QLatin1String("photo");
}

QString PreviewPresenter::detailText() const
{
    if (!m_entry)
        return {};
    int number = 0;
    int count = 0;
    for (int r = 0; r < m_rows->rowCount(); ++r) {
        const RemoteEntry entry = *m_rows->entryAt(r);
        if (!isPicture(entry))
            continue;
        ++count;
        if (entry.id == m_entry->id)
            number = count;
    }
    QStringList parts{tr("%1 of %2").arg(QLocale().toString(number), QLocale().toString(count))};
    if (m_entry->sizeBytes)
        parts.append(formatByteCount(*m_entry->sizeBytes));
    if (m_entry->modifiedAt)
        parts.append(RemoteEntryListModel::dateText(*m_entry->modifiedAt));
    return parts.join(QStringLiteral(" · "));
}

QUrl PreviewPresenter::iconSource() const
{
    return m_entry ? symbolSource(RemoteEntryListModel::fileSymbol(m_entry->name)) : QUrl();
}

QString PreviewPresenter::hintText() const
{
    return tr("Left and Right: other pictures · Enter: download · Escape: close");
}

bool PreviewPresenter::openAt(int row)
{
    const auto entry = m_rows->entryAt(row);
    if (!entry || !isPicture(*entry))
        return false;
    show(*entry);
    return true;
}

void PreviewPresenter::showNext()
{
    step(1);
}

void PreviewPresenter::showPrevious()
{
    step(-1);
}

// The next picture in the rows' order, past folders and other files; none past the ends.
void PreviewPresenter::step(int direction)
{
    for (int r = row() + direction; m_entry && r >= 0 && r < m_rows->rowCount(); r += direction) {
        if (openAt(r))
            return;
    }
}

void PreviewPresenter::close()
{
    stopReading();
    m_entry.reset();
    m_pictureSource.clear();
    m_problemText.clear();
    m_loading = false;
    Q_EMIT changed();
}

QString PreviewPresenter::tooLargeToRead(const QString &name)
{
    return tr("%1 is larger than %2: download it to see it.").arg(name, formatByteCount(sizeLimitBytes));
}

void PreviewPresenter::pictureFailed()
{
    if (!m_entry || m_pictureSource.isEmpty())
        return;
    const QString path = QDir(m_viewModel->thumbnails()->previewFolder()).filePath(m_pictureSource.fileName());
    m_pictureSource.clear();
    explainFailure(path, m_entry->name, m_generation);
}

// Started and dropped. A picture too large to decode is not a broken one: its header,
// read off the UI thread, says which.
QCoro::Task<> PreviewPresenter::explainFailure(QString path, QString name, qint64 generation)
{
    QPointer<PreviewPresenter> self(this);
    auto look = [path] { return PictureProvider::tooLargeToDecode(path); };
    const std::optional<QSize> tooLarge = co_await awaitResult(m_files.run(std::move(look)));
    if (!self || generation != m_generation)
        co_return;
    m_problemText = tooLarge ? tr("%1 cannot be shown: at %2 × %3 pixels it is too large a picture to open here. "
                                  "Download it to see it.")
                                   .arg(name, QLocale().toString(tooLarge->width()), QLocale().toString(tooLarge->height()))
                             : tr("%1 cannot be shown: it is not a picture this computer can read.").arg(name);
    Q_EMIT changed();
}

void PreviewPresenter::stopReading()
{
    ++m_generation;
    if (m_control)
        m_control->cancel();
    m_control.reset();
}

void PreviewPresenter::show(RemoteEntry entry)
{
    stopReading();
    m_entry = entry;
    m_pictureSource.clear();
    m_problemText.clear();
    m_loading = false;
    // The listing follows, so the picture is the current row when the preview closes.
    m_rows->setCurrentRow(m_rows->rowOf(entry.id));
    const auto request = m_thumbnails->requestFor(entry);
    if (!request)
        m_problemText = tr("The phone is not connected.");
    else if (entry.sizeBytes.value_or(0) > sizeLimitBytes)
        m_problemText = tooLargeToRead(entry.name);
    else {
        m_loading = true;
        m_control = std::make_shared<TransferControl>();
        load(*request, m_generation);
    }
    Q_EMIT changed();
}

// Started and dropped: it catches everything and shows what it got only while its picture
// is still the one shown.
QCoro::Task<> PreviewPresenter::load(ThumbnailRequest request, qint64 generation)
{
    QPointer<PreviewPresenter> self(this);
    const QPointer<TarvelViewModel> viewModel = m_viewModel;
    if (!viewModel)
        co_return;
    try {
        const QString key = request.cacheKey;
        const std::optional<QString> path = co_await viewModel->thumbnails()->preview(std::move(request), sizeLimitBytes,
                                                                                       m_control);
        if (!self || generation != m_generation)
            co_return;
        if (path)
            m_pictureSource = QUrl(QStringLiteral("image://%1/previews/%2").arg(PictureProvider::providerName, key));
        else
            m_problemText = tooLargeToRead(m_entry->name);
    } catch (...) {
        if (!self || generation != m_generation)
            co_return;
        m_problemText = TarvelViewModel::message(std::current_exception());
    }
    m_loading = false;
    Q_EMIT changed();
}

} // namespace tarvel
