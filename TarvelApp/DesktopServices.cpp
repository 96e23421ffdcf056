#include "TarvelApp/DesktopServices.h"

#include <QClipboard>
#include <QDir>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMimeData>
#include <QStandardPaths>

#include <QCoro/QCoroSignal>

#include <memory>

namespace tarvel {

namespace {

// Modal to the whole application, but awaited rather than run in a nested loop: the
// window keeps repainting and the view model keeps receiving results while it is up.
// (open() would make it window-modal, which for a panel without a parent widget -- the
// window is Qt Quick -- blocks nothing.)
QCoro::Task<std::optional<QList<QUrl>>> runPanel(std::unique_ptr<QFileDialog> dialog)
{
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
    const std::optional<int> result = co_await qCoro(dialog.get(), &QDialog::finished);
    if (result != QDialog::Accepted)
        co_return std::nullopt;
    co_return dialog->selectedUrls();
}

} // namespace

QCoro::Task<std::optional<QUrl>> QtDesktopServices::chooseSaveLocation(QString proposedName, QString prompt)
{
    auto dialog = std::make_unique<QFileDialog>();
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setLabelText(QFileDialog::Accept, prompt);
    dialog->selectFile(proposedName);
    const std::optional<QList<QUrl>> chosen = co_await runPanel(std::move(dialog));
    if (!chosen || chosen->isEmpty())
        co_return std::nullopt;
    co_return chosen->first();
}

QCoro::Task<QList<QUrl>> QtDesktopServices::chooseFilesToOpen(QString prompt)
{
    auto dialog = std::make_unique<QFileDialog>();
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setLabelText(QFileDialog::Accept, prompt);
    const std::optional<QList<QUrl>> chosen = co_await runPanel(std::move(dialog));
    co_return chosen.value_or(QList<QUrl>());
}

QCoro::Task<std::optional<QUrl>> DesktopServices::chooseFolder(QString, QUrl)
{
    co_return std::nullopt;
}

QUrl DesktopServices::downloadsFolder() const
{
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return QUrl::fromLocalFile(downloads.isEmpty() ? QDir::homePath() : downloads);
}

QCoro::Task<std::optional<QUrl>> QtDesktopServices::chooseFolder(QString prompt, QUrl startIn)
{
    auto dialog = std::make_unique<QFileDialog>();
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setLabelText(QFileDialog::Accept, prompt);
    dialog->setDirectoryUrl(startIn);
    const std::optional<QList<QUrl>> chosen = co_await runPanel(std::move(dialog));
    if (!chosen || chosen->isEmpty())
        co_return std::nullopt;
    co_return chosen->first();
}

QList<QUrl> QtDesktopServices::fileURLsOnClipboard() const
{
    QList<QUrl> files;
    if (const QMimeData *data = QGuiApplication::clipboard()->mimeData()) {
        for (const QUrl &url : data->urls()) {
            if (url.isLocalFile())
                files.append(url);
        }
    }
    return files;
}

void QtDesktopServices::copyTextToClipboard(QString text)
{
    // setText replaces the whole clipboard, so copied files (URLs) do not linger beside the text.
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

void QtDesktopServices::openURL(QUrl url)
{
    QDesktopServices::openUrl(url);
}

} // namespace tarvel
