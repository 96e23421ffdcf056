#pragma once

// What the window asks of the desktop: file panels, the clipboard and the default
// handler for a URL. Behind an interface so tests script the answers.

#include "DesktopSession/PortalFileChooser.h"

#include <QCoro/QCoroTask>
#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QUrl>

#include <memory>
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
    // The save and open panels, opening in `startIn`.
    virtual QCoro::Task<std::optional<QUrl>> chooseSaveLocation(QString proposedName, QString prompt, QUrl startIn);
    virtual QCoro::Task<QList<QUrl>> chooseFilesToOpen(QString prompt, QUrl startIn);
};

// The desktop's own panels, clipboard and URL handlers. A panel is the desktop portal's
// file chooser where the session has one (asked at the first panel, never at start), else
// Qt's, which the platform theme may hand to the desktop in turn.
class QtDesktopServices : public DesktopServices {
    Q_DECLARE_TR_FUNCTIONS(tarvel::QtDesktopServices)

public:
    QCoro::Task<std::optional<QUrl>> chooseSaveLocation(QString proposedName, QString prompt) override;
    QCoro::Task<QList<QUrl>> chooseFilesToOpen(QString prompt) override;
    QCoro::Task<std::optional<QUrl>> chooseSaveLocation(QString proposedName, QString prompt, QUrl startIn) override;
    QCoro::Task<QList<QUrl>> chooseFilesToOpen(QString prompt, QUrl startIn) override;
    QList<QUrl> fileURLsOnClipboard() const override;
    void copyTextToClipboard(QString text) override;
    void openURL(QUrl url) override;
    QCoro::Task<std::optional<QUrl>> chooseFolder(QString prompt, QUrl startIn) override;

private:
    // The portal's panel, else Qt's; nothing when the user chose nothing.
    QCoro::Task<std::optional<QList<QUrl>>> choose(PortalFileChooser::Request request);

    std::unique_ptr<PortalFileChooser> m_portal; // made at the first panel
};

} // namespace tarvel
