#include "tests/support/FakeDesktopServices.h"

namespace tarvel::test {

QCoro::Task<std::optional<QUrl>> FakeDesktopServices::chooseSaveLocation(QString proposedName, QString prompt)
{
    savePanels.append({proposedName, prompt});
    co_return std::optional<QUrl>(saveLocation);
}

QCoro::Task<QList<QUrl>> FakeDesktopServices::chooseFilesToOpen(QString prompt)
{
    openPanels.append({QString(), prompt});
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
