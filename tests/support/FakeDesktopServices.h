#pragma once

// Desktop services that answer from scripted values and record what was asked, so the
// window's panels, clipboard and links run in tests without a desktop.

#include "TarvelApp/DesktopServices.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace tarvel::test {

class FakeDesktopServices : public DesktopServices {
public:
    struct Panel {
        QString proposedName; // empty for an open panel
        QString prompt;
        QUrl startIn = {}; // where the panel opened
    };

    QCoro::Task<std::optional<QUrl>> chooseSaveLocation(QString proposedName, QString prompt) override;
    QCoro::Task<QList<QUrl>> chooseFilesToOpen(QString prompt) override;
    QCoro::Task<std::optional<QUrl>> chooseSaveLocation(QString proposedName, QString prompt, QUrl startIn) override;
    QCoro::Task<QList<QUrl>> chooseFilesToOpen(QString prompt, QUrl startIn) override;
    QList<QUrl> fileURLsOnClipboard() const override;
    void copyTextToClipboard(QString text) override;
    void openURL(QUrl url) override;
    QCoro::Task<std::optional<QUrl>> chooseFolder(QString prompt, QUrl startIn) override;
    QUrl downloadsFolder() const override { return downloads; }

    // Answers: absent / empty means the user cancelled the panel.
    std::optional<QUrl> saveLocation;
    std::optional<QUrl> folderToChoose;
    QUrl downloads = QUrl::fromLocalFile(QStringLiteral("/home/user/Downloads"));
    QList<QUrl> filesToOpen;
    // The clipboard: file URLs (as a file manager's copy leaves them) or text, never both.
    QList<QUrl> clipboardURLs;
    std::optional<QString> clipboardText;

    QList<Panel> savePanels;
    QList<Panel> openPanels;
    QList<QUrl> folderPanels; // where each folder panel opened
    QList<QUrl> openedURLs;
};

} // namespace tarvel::test
