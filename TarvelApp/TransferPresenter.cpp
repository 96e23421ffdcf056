#include "TarvelApp/TransferPresenter.h"

#include "TarvelApp/ByteCountFormat.h"
#include "TarvelApp/WindowSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>

#include <algorithm>

namespace tarvel {

using State = TarvelConnectionState;

TransferPresenter::TransferPresenter(TarvelViewModel *viewModel, DesktopServices *desktop, QObject *parent)
    : QObject(parent), m_viewModel(viewModel), m_desktop(desktop), m_uploadChanges(this, [this] {
        if (m_viewModel)
            Q_EMIT uploadChanged();
    })
{
    const auto uploadChanges = {&TarvelViewModel::stateChanged, &TarvelViewModel::selectedDeviceChanged,
                                &TarvelViewModel::selectedStorageChanged, &TarvelViewModel::folderPathChanged};
    for (auto signal : uploadChanges)
        connect(viewModel, signal, this, [this] { m_uploadChanges.request(); });
    connect(viewModel, &TarvelViewModel::currentTransferChanged, this, &TransferPresenter::followTransfer);
    connect(viewModel, &TarvelViewModel::currentBatchChanged, this, &TransferPresenter::followBatch);
    connect(viewModel, &TarvelViewModel::cancellingTransferChanged, this, &TransferPresenter::transferChanged);
    connect(viewModel, &TarvelViewModel::resumeOfferChanged, this, &TransferPresenter::resumeChanged);
    connect(viewModel, &TarvelViewModel::queuedTransfersChanged, this, &TransferPresenter::queueChanged);
    connect(this, &TransferPresenter::transferChanged, this, &TransferPresenter::resumeChanged);
    m_clock.start();
}

// The same job with more bytes is progress; a new one is the pane's next file, and no job
// the end of one. The view model samples the lane on its own timer, so each of these is
// passed on at once.
void TransferPresenter::followTransfer()
{
    const auto job = m_viewModel->currentTransfer();
    const QUuid id = job ? job->id : QUuid();
    if (id == m_shownTransfer) {
        if (job) {
            m_rate.add(m_clock.elapsed(), job->completedBytes);
            Q_EMIT progressChanged();
        }
        return;
    }
    // Whatever a transfer did to the phone's free space shows once it has ended. Queued,
    // so the view model finishes announcing the end before it is asked anything else.
    if (!job) {
        QTimer::singleShot(0, this, [this] {
            if (m_viewModel)
                m_viewModel->refreshStorageSpace();
        });
    }
    m_shownTransfer = id;
    m_rate.reset();
    if (job)
        m_rate.add(m_clock.elapsed(), job->completedBytes);
    followPane();
    Q_EMIT fileChanged();
    Q_EMIT progressChanged();
}

// A batch's start and end change the pane; its progress only the batch's own lines.
void TransferPresenter::followBatch()
{
    const auto batch = m_viewModel->currentBatch();
    if (batch && m_batchShown) {
        m_batchRate.add(m_clock.elapsed(), batch->completedBytes);
        Q_EMIT progressChanged();
        return;
    }
    if (!batch && !m_batchShown)
        return;
    m_batchShown = batch.has_value();
    m_batchRate.reset();
    followPane();
    Q_EMIT fileChanged();
    Q_EMIT progressChanged();
}

void TransferPresenter::followPane()
{
    if (m_paneShowsTransfer == hasTransfer())
        return;
    m_paneShowsTransfer = hasTransfer();
    Q_EMIT transferChanged();
}

void TransferPresenter::setShowsDownloadedFolder(bool shows)
{
    if (m_showsDownloadedFolder == shows)
        return;
    m_showsDownloadedFolder = shows;
    Q_EMIT transferChanged();
}

bool TransferPresenter::canStartTransfer() const
{
    const State state = m_viewModel->state();
    return (state == State::ready || state == State::transferFailed || state == State::transferring)
        && m_viewModel->selectedDevice()
        && m_viewModel->selectedStorage();
}

QString TransferPresenter::uploadHelperText() const
{
    if (!m_viewModel->selectedDevice())
        return tr("Connect an Android device before uploading files.");
    const QList<RemoteEntry> path = m_viewModel->folderPath();
    if (!path.isEmpty())
        return tr("Uploads and pasted files go to %1.").arg(path.last().name);
    return tr("Uploads and pasted files go to the Android storage root shown on the left.");
}

QStringList TransferPresenter::queueLines() const
{
    QStringList lines;
    for (const QueuedTransfer &queued : m_viewModel->queuedTransfers())
        lines.append(queued.sizeBytes ? queued.name + QStringLiteral(" · ") + formatByteCount(*queued.sizeBytes) : queued.name);
    return lines;
}

QStringList TransferPresenter::queueRemoveNames() const
{
    QStringList names;
    for (const QueuedTransfer &queued : m_viewModel->queuedTransfers())
        names.append(tr("Remove %1 from the queue").arg(queued.name));
    return names;
}

bool TransferPresenter::hasTransfer() const
{
    return m_viewModel->currentTransfer().has_value() || m_viewModel->currentBatch().has_value();
}

QString TransferPresenter::cancelTransferTitle() const
{
    return m_viewModel->cancellingTransfer() ? tr("Cancelling...") : tr("Cancel");
}

bool TransferPresenter::cancelTransferEnabled() const
{
    return hasTransfer() && !m_viewModel->cancellingTransfer();
}

bool TransferPresenter::showInFolderVisible() const
{
    return m_showsDownloadedFolder && m_lastDownloadFolder && !hasTransfer();
}

TransferSummary TransferPresenter::summary() const
{
    if (const auto job = m_viewModel->currentTransfer())
        return summarizeTransfer(*job);
    // A batch between files, or still listing its folders: its direction, no file yet.
    if (const auto batch = m_viewModel->currentBatch()) {
        TransferSummary shown = summarizeTransfer(TransferJob{.direction = batch->direction});
        shown.routeText.clear();
        return shown;
    }
    return TransferSummary{};
}

QString TransferPresenter::transferRateText() const
{
    const auto job = m_viewModel->currentTransfer();
    return job ? m_rate.text(job->totalBytes) : QString();
}

QString TransferPresenter::batchText() const
{
    const auto batch = m_viewModel->currentBatch();
    if (!batch)
        return {};
    if (batch->listingFolders)
        return tr("Looking through folders: %Ln file(s) so far", nullptr, batch->fileCount);
    QString text = tr("File %1 of %2").arg(QLocale().toString(std::max(batch->fileNumber, 1)), QLocale().toString(batch->fileCount));
    if (batch->totalBytes > 0)
        text += QStringLiteral(" · ") + tr("%1 of %2").arg(formatByteCount(batch->completedBytes), formatByteCount(batch->totalBytes));
    const QString rate = m_batchRate.text(batch->totalBytes > 0 ? std::optional(batch->totalBytes) : std::nullopt);
    const qsizetype timeLeft = rate.indexOf(QStringLiteral(" · "));
    if (timeLeft >= 0)
        text += rate.mid(timeLeft);
    return text;
}

bool TransferPresenter::showsBatchProgress() const
{
    const auto batch = m_viewModel->currentBatch();
    return batch && (batch->listingFolders || batch->fileCount > 1);
}

double TransferPresenter::batchProgress() const
{
    const auto batch = m_viewModel->currentBatch();
    return batch && batch->totalBytes > 0 ? double(batch->completedBytes) / double(batch->totalBytes) : 0.0;
}

QString TransferPresenter::transferWindowTitle() const
{
    if (!hasTransfer())
        return {};
    const TransferSummary shown = summary();
    QString title = QStringLiteral("Tarvel – ") + shown.title;
    // A batch's own share of its bytes, or the single file's.
    if (hasBatch() && batchProgress() > 0)
        title += QStringLiteral(" %1%").arg(int(batchProgress() * 100));
    else if (!hasBatch() && shown.hasProgress)
        title += QStringLiteral(" %1%").arg(int(shown.progress * 100));
    return title;
}

// Actions

QCoro::Task<> TransferPresenter::chooseFileToUpload()
{
    QPointer<TransferPresenter> self(this);
    const QUrl home = QUrl::fromLocalFile(QDir::homePath());
    const QList<QUrl> chosen = co_await m_desktop->chooseFilesToOpen(tr("Upload"),
                                                                     WindowSettings().uploadFolder().value_or(home));
    if (!self || chosen.isEmpty())
        co_return;
    WindowSettings().setUploadFolder(chosen.first().adjusted(QUrl::RemoveFilename | QUrl::StripTrailingSlash));
    co_await uploadFiles(chosen);
}

QCoro::Task<> TransferPresenter::pasteFilesFromFinder()
{
    return uploadFiles(m_desktop->fileURLsOnClipboard());
}

QCoro::Task<> TransferPresenter::uploadFiles(QList<QUrl> urls)
{
    QPointer<TransferPresenter> self(this);
    QPointer<TarvelViewModel> viewModel = m_viewModel;
    auto keepRegularFiles = [urls] {
        QList<QUrl> files;
        for (const QUrl &url : urls) {
            if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
                files.append(url);
        }
        return files;
    };
    const QList<QUrl> files = co_await awaitResult(m_fileChecks.run(std::move(keepRegularFiles)));
    if (files.isEmpty() || !viewModel)
        co_return;
    // The batch belongs to the view model: it starts even when this pane went meanwhile.
    if (self)
        self->setShowsDownloadedFolder(false);
    co_await viewModel->uploadItems(files, viewModel->currentParentID());
}

QCoro::Task<> TransferPresenter::uploadItems(QList<QUrl> urls)
{
    if (urls.isEmpty())
        co_return;
    setShowsDownloadedFolder(false);
    // Into the folder shown now: the user may browse elsewhere while the batch runs.
    co_await m_viewModel->uploadItems(urls, m_viewModel->currentParentID());
}

QCoro::Task<> TransferPresenter::chooseFolderToUpload()
{
    QPointer<TransferPresenter> self(this);
    const QUrl home = QUrl::fromLocalFile(QDir::homePath());
    const std::optional<QUrl> chosen =
        co_await m_desktop->chooseFolder(tr("Upload"), WindowSettings().uploadFolder().value_or(home));
    if (!self || !chosen || chosen->isEmpty())
        co_return;
    // The folder it is in: the panel opens beside the one uploaded, not inside it.
    WindowSettings().setUploadFolder(chosen->adjusted(QUrl::StripTrailingSlash | QUrl::RemoveFilename));
    QList<QUrl> items{*chosen}; // named: GCC 12 mishandles a braced list inside co_await
    co_await uploadItems(std::move(items));
}

QCoro::Task<> TransferPresenter::downloadEntries(QList<RemoteEntry> entries)
{
    if (entries.isEmpty())
        co_return;
    QPointer<TransferPresenter> self(this);
    const QUrl startIn =
        m_lastDownloadFolder.value_or(WindowSettings().downloadFolder().value_or(m_desktop->downloadsFolder()));
    const std::optional<QUrl> chosen = co_await m_desktop->chooseFolder(tr("Download Here"), startIn);
    if (!self || !chosen || chosen->isEmpty())
        co_return;
    m_lastDownloadFolder = *chosen;
    WindowSettings().setDownloadFolder(*chosen);
    co_await m_viewModel->downloadItems(entries, *chosen);
    if (self)
        self->setShowsDownloadedFolder(true);
}

// Slots QML calls. Each checks the rule that enables its control, so a stale click or a
// shortcut fired in the wrong state does nothing.

void TransferPresenter::startChooseFileToUpload()
{
    if (uploadEnabled())
        chooseFileToUpload();
}

void TransferPresenter::startChooseFolderToUpload()
{
    if (uploadEnabled())
        chooseFolderToUpload();
}

void TransferPresenter::startPasteFromClipboard()
{
    if (uploadEnabled())
        uploadItems(m_desktop->fileURLsOnClipboard());
}

void TransferPresenter::startUploadDropped(QList<QUrl> urls)
{
    if (uploadEnabled())
        uploadItems(urls);
}

void TransferPresenter::startCancelTransfer()
{
    if (cancelTransferEnabled())
        m_viewModel->cancelTransfer();
}

void TransferPresenter::startResume()
{
    if (resumeVisible())
        m_viewModel->resumeBatch();
}

void TransferPresenter::dismissResume()
{
    if (m_viewModel)
        m_viewModel->dismissResume();
}

void TransferPresenter::removeQueued(int index)
{
    const QList<QueuedTransfer> queued = m_viewModel->queuedTransfers();
    if (index >= 0 && index < queued.size())
        m_viewModel->removeQueued(queued.at(index).id);
}

void TransferPresenter::showDownloadedFolder()
{
    if (m_lastDownloadFolder)
        m_desktop->openURL(*m_lastDownloadFolder);
}

} // namespace tarvel
