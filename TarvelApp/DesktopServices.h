#pragma once

// What the window asks of the desktop: file panels, the clipboard and the default
// handler for a URL. Behind an interface so tests script the answers.

#include <QCoro/QCoroTask>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace tarvel {

class DesktopServices {
public:
    virtual ~DesktopServices() = default;
    // Nothing when the user cancels.
    virtual QCoro::Task<std::optional<QUrl>> chooseSaveLocation(QString proposedName, QString prompt) = 0;
    // Files only, several at once; empty when the user cancels.
    virtual QCoro::Task<QList<QUrl>> chooseFilesToOpen(QString prompt) = 0;
    // The local file URLs on the clipboard, in clipboard order.
    virtual QList<QUrl> fileURLsOnClipboard() const = 0;
    // Replaces everything on the clipboard with the text.
    virtual void copyTextToClipboard(QString text) = 0;
    virtual void openURL(QUrl url) = 0;

    // Later additions, with defaults so a services class written before them still works.

    // One existing folder, the panel opening in `startIn`; nothing when the user cancels.
    virtual QCoro::Task<std::optional<QUrl>> chooseFolder(QString prompt, QUrl startIn);
    // The user's Downloads folder (their home folder when there is none).
    virtual QUrl downloadsFolder() const;
};

// The desktop's own panels (QFileDialog), clipboard and URL handlers.
class QtDesktopServices : public DesktopServices {
public:
    QCoro::Task<std::optional<QUrl>> chooseSaveLocation(QString proposedName, QString prompt) override;
    QCoro::Task<QList<QUrl>> chooseFilesToOpen(QString prompt) override;
    QList<QUrl> fileURLsOnClipboard() const override;
    void copyTextToClipboard(QString text) override;
    void openURL(QUrl url) override;
    QCoro::Task<std::optional<QUrl>> chooseFolder(QString prompt, QUrl startIn) override;
};

} // namespace tarvel
