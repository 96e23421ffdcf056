#include "tests/support/FakeDesktopServices.h"

namespace tarvel::test {

QCoro::Task<std::optional<QUrl>> FakeDesktopServices::chooseSaveLocation(QString proposedName, QString prompt)
{
    return chooseSaveLocation(std::move(proposedName), std::move(prompt), QUrl());
}

QCoro::Task<QList<QUrl>> FakeDesktopServices::chooseFilesToOpen(QString prompt)
{
    return chooseFilesToOpen(std::move(prompt), QUrl());
}

QCoro::Task<std::optional<QUrl>> FakeDesktopServices::chooseSaveLocation(QString proposedName, QString prompt, QUrl startIn)
{
    savePanels.append({proposedName, prompt, startIn});
    co_return std::optional<QUrl>(saveLocation);
}

QCoro::Task<QList<QUrl>> FakeDesktopServices::chooseFilesToOpen(QString prompt, QUrl startIn)
{
    openPanels.append({QString(), prompt, startIn});
    co_return QList<QUrl>(filesToOpen);
}

QList<QUrl> FakeDesktopServices::fileURLsOnClipboard() const
{
    return clipboardURLs;
}

void FakeDesktopServices::copyTextToClipboard(QString text)
{
    clipboardURLs.clear();
    clipboardText = text;
}

void FakeDesktopServices::openURL(QUrl url)
{
    openedURLs.append(url);
}

QCoro::Task<std::optional<QUrl>> FakeDesktopServices::chooseFolder(QString, QUrl startIn)
{
    folderPanels.append(startIn);
    co_return std::optional<QUrl>(folderToChoose);
}

} // namespace tarvel::test
