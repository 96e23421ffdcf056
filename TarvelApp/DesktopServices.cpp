#include "TarvelApp/DesktopServices.h"

#include <QClipboard>
#include <QDir>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMimeData>
#include <QStandardPaths>
#include <QWindow>

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

QCoro::Task<std::optional<QList<QUrl>>> QtDesktopServices::choose(PortalFileChooser::Request request)
{
    // Connecting to the session bus is itself a call: made at the first panel, not at start.
    if (!m_portal)
        m_portal = std::make_unique<PortalFileChooser>(QDBusConnection::sessionBus());
    // The portal names X11 windows so; on Wayland the window would need exporting first,
    // and the panel stands on its own.
    if (const QWindow *window = QGuiApplication::focusWindow(); window && QGuiApplication::platformName() == "xcb")
        request.parentWindow = QStringLiteral("x11:") + QString::number(window->winId(), 16);
    if (const auto chosen = co_await m_portal->choose(request))
        co_return chosen->isEmpty() ? std::nullopt : chosen;

    // No portal: Qt's panel, titled as the portal's would be (never Qt's own "Find Directory").
    auto dialog = std::make_unique<QFileDialog>();
    dialog->setWindowTitle(request.title);
    dialog->setLabelText(QFileDialog::Accept, request.acceptLabel);
    dialog->setDirectoryUrl(request.startIn);
    switch (request.mode) {
    case PortalFileChooser::Mode::save:
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->selectFile(request.proposedName);
        break;
    case PortalFileChooser::Mode::openFiles:
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFiles);
        break;
    case PortalFileChooser::Mode::folder:
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
        break;
    }
    const std::optional<QList<QUrl>> chosen = co_await runPanel(std::move(dialog));
    if (!chosen || chosen->isEmpty())
        co_return std::nullopt;
    co_return chosen;
}

QCoro::Task<std::optional<QUrl>> QtDesktopServices::chooseSaveLocation(QString proposedName, QString prompt)
{
    return chooseSaveLocation(std::move(proposedName), std::move(prompt), downloadsFolder());
}

QCoro::Task<std::optional<QUrl>> QtDesktopServices::chooseSaveLocation(QString proposedName, QString prompt, QUrl startIn)
{
    // Named: GCC 12 destroys a temporary built inside a co_await expression twice.
    PortalFileChooser::Request request{.mode = PortalFileChooser::Mode::save,
                                       .title = tr("Save the File"),
                                       .acceptLabel = prompt,
                                       .startIn = startIn,
                                       .proposedName = proposedName};
    const auto chosen = co_await choose(std::move(request));
    if (!chosen)
        co_return std::nullopt;
    co_return chosen->first();
}

QCoro::Task<QList<QUrl>> QtDesktopServices::chooseFilesToOpen(QString prompt)
{
    return chooseFilesToOpen(std::move(prompt), QUrl::fromLocalFile(QDir::homePath()));
}

QCoro::Task<QList<QUrl>> QtDesktopServices::chooseFilesToOpen(QString prompt, QUrl startIn)
{
    PortalFileChooser::Request request{
        .mode = PortalFileChooser::Mode::openFiles, .title = tr("Choose Files"), .acceptLabel = prompt, .startIn = startIn};
    const auto chosen = co_await choose(std::move(request));
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

QCoro::Task<std::optional<QUrl>> DesktopServices::chooseSaveLocation(QString proposedName, QString prompt, QUrl)
{
    return chooseSaveLocation(std::move(proposedName), std::move(prompt));
}

QCoro::Task<QList<QUrl>> DesktopServices::chooseFilesToOpen(QString prompt, QUrl)
{
    return chooseFilesToOpen(std::move(prompt));
}

QCoro::Task<std::optional<QUrl>> QtDesktopServices::chooseFolder(QString prompt, QUrl startIn)
{
    PortalFileChooser::Request request{
        .mode = PortalFileChooser::Mode::folder, .title = tr("Choose a Folder"), .acceptLabel = prompt, .startIn = startIn};
    const auto chosen = co_await choose(std::move(request));
    if (!chosen)
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
