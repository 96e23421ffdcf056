#pragma once

// The window's root. Each pane has a presenter of its own, which the window hands to the
// pane's QML file: the status bar, the remote browser, the transfers pane and the donation
// section. Here are the window's own title, the question asked when it closes during a
// transfer, and quitting; and the window's fixed texts and actions, each a front over the
// presenter of the pane that shows it.

#include "TarvelApp/BrowserPresenter.h"
#include "TarvelApp/DesktopServices.h"
#include "TarvelApp/DonationPresenter.h"
#include "TarvelApp/ImportPresenter.h"
#include "TarvelApp/StatusPresenter.h"
#include "TarvelApp/TakenNamesPresenter.h"
#include "TarvelApp/TransferPresenter.h"
#include "TarvelCore/TarvelViewModel.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

namespace tarvel {

class ContentView : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application hands the window its ContentView.")

    Q_PROPERTY(tarvel::StatusPresenter *status READ status CONSTANT)
    Q_PROPERTY(tarvel::BrowserPresenter *browser READ browser CONSTANT)
    Q_PROPERTY(tarvel::TransferPresenter *transfers READ transfers CONSTANT)
    Q_PROPERTY(tarvel::DonationPresenter *donation READ donation CONSTANT)
    Q_PROPERTY(tarvel::ImportPresenter *imports READ imports CONSTANT)
    Q_PROPERTY(tarvel::TakenNamesPresenter *takenNames READ takenNames CONSTANT)
    Q_PROPERTY(QString windowTitle READ windowTitle NOTIFY windowTitleChanged)
    Q_PROPERTY(QString quitQuestionText READ quitQuestionText NOTIFY quitQuestionChanged)
    Q_PROPERTY(QString quitQuestionTitle READ quitQuestionTitle CONSTANT)
    Q_PROPERTY(QString stopAndQuitTitle READ stopAndQuitTitle CONSTANT)
    Q_PROPERTY(QString keepCopyingTitle READ keepCopyingTitle CONSTANT)

public:
    ContentView(TarvelViewModel *viewModel, DesktopServices *desktop, QObject *parent = nullptr);

    StatusPresenter *status() { return &m_status; }
    BrowserPresenter *browser() { return &m_browser; }
    TransferPresenter *transfers() { return &m_transfers; }
    DonationPresenter *donation() { return &m_donation; }
    ImportPresenter *imports() { return &m_imports; }
    TakenNamesPresenter *takenNames() { return &m_takenNames; }

    // "Tarvel – Downloading 45%" while a transfer runs; else where the window is,
    // "Camera – Pixel 8 – Tarvel", and "Tarvel" with no phone.
    QString windowTitle() const;
    QString quitQuestionText() const;
    static QString quitQuestionTitle() { return tr("Stop the transfer and quit?"); }
    static QString stopAndQuitTitle() { return tr("Stop and Quit"); }
    static QString keepCopyingTitle() { return tr("Keep Copying"); }

    // Looks for phones and opens the one chosen, or the first (the view model's findPhones):
    // what the window's start runs.
    QCoro::Task<> refreshSequence() { return m_viewModel->findPhones(); }

    QString currentLocationTitle() const { return m_browser.currentLocationTitle(); }
    QString storageSubtitle() const { return m_browser.storageSubtitle(); }
    QString breadcrumbText() const { return m_browser.breadcrumbText(); }
    QString uploadHelperText() const { return m_transfers.uploadHelperText(); }
    QCoro::Task<> chooseDownloadDestination(RemoteEntry entry) { return m_browser.chooseDownloadDestination(std::move(entry)); }
    QCoro::Task<> chooseFileToUpload() { return m_transfers.chooseFileToUpload(); }
    QCoro::Task<> pasteFilesFromFinder() { return m_transfers.pasteFilesFromFinder(); }
    QCoro::Task<> uploadFiles(QList<QUrl> urls) { return m_transfers.uploadFiles(std::move(urls)); }

public Q_SLOTS:
    // The answer to the question asked when the window closes during a transfer: stops it
    // and asks to quit once it has left the lane, or after a few seconds at most.
    void stopTransferAndQuit();

Q_SIGNALS:
    // Raised only when the title's text changed: a percentage moves far slower than the bytes.
    void windowTitleChanged();
    void quitQuestionChanged();
    // Nothing runs that must not be cut: the application may end now.
    void quitRequested();

private:
    void followWindowTitle();
    void quitWhenDone();

    static constexpr int quitWaitMs = 5000;

    QPointer<TarvelViewModel> m_viewModel;
    TransferPresenter m_transfers;
    BrowserPresenter m_browser;
    StatusPresenter m_status;
    DonationPresenter m_donation;
    ImportPresenter m_imports;
    TakenNamesPresenter m_takenNames;
    QString m_windowTitle; // as last announced
    bool m_quitting = false;
};

} // namespace tarvel
