#pragma once

// The application entry: owns the one view model over the engine it is given, the
// window's root presenter and the window itself, and runs the start task (scan, then open the
// first storage) when the window is first shown. Knows no particular engine, so the
// real app, the demo and the screenshot tool share it.

#include "DesktopSession/TransferDesktopFeedback.h"
#include "TarvelApp/ContentView.h"
#include "TarvelApp/DesktopServices.h"
#include "TarvelCore/AndroidFileTransferEngine.h"
#include "TarvelCore/PhoneDiagnosis.h"
#include "TarvelCore/USBPlugEvents.h"
#include "TarvelCore/TarvelViewModel.h"

#include <QObject>

#include <memory>

class QQmlApplicationEngine;
class QQuickWindow;

namespace tarvel {

class TarvelApp : public QObject {
    Q_OBJECT

public:
    // Without desktop services the desktop's own panels and clipboard are used.
    explicit TarvelApp(std::shared_ptr<AndroidFileTransferEngine> engine,
                       std::unique_ptr<DesktopServices> desktop = nullptr, QObject *parent = nullptr);
    // With what the USB bus shows (either may be null): why no phone can be used, and
    // phones plugged in and pulled out without Refresh. `plugEvents` must outlive the app.
    TarvelApp(std::shared_ptr<AndroidFileTransferEngine> engine, std::shared_ptr<PhoneDiagnosis> diagnosis,
              USBPlugEvents *plugEvents, std::unique_ptr<DesktopServices> desktop = nullptr, QObject *parent = nullptr);
    ~TarvelApp() override;

    TarvelViewModel *viewModel() { return &m_viewModel; }
    ContentView *contentView() { return &m_contentView; }
    // Null only when the window's QML failed to load (Qt has said why on stderr).
    QQuickWindow *window() const { return m_window; }

    void show();
    // Tells the desktop about transfers: no sleep while one runs, its progress on the
    // taskbar, a notification when a long one ends while the window is not active. Only
    // the programs ask for it: tests must not reach the desktop's buses.
    void followTransfersOnDesktop(DesktopBuses buses = {});

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::unique_ptr<DesktopServices> m_desktop;
    TarvelViewModel m_viewModel;
    ContentView m_contentView;
    std::unique_ptr<QQmlApplicationEngine> m_qml;
    QQuickWindow *m_window = nullptr;
    bool m_started = false;
    bool m_followingPalette = false;
    std::unique_ptr<TransferDesktopFeedback> m_desktopFeedback;
};

} // namespace tarvel
