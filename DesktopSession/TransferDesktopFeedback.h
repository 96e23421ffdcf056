#pragma once

// What the desktop hears of transfers: while one runs, the computer does not go to sleep
// and the taskbar entry shows its progress; when one that took more than a few seconds
// ends while the user is in another window, a notification says the end sentence, with
// "Show in Folder" after a download of many files. Follows the view model's signals
// only. The buses are connected on the first transfer, on a thread of their own, so
// nothing of this touches D-Bus before the window's first frame, and a missing bus or
// service only means nothing is shown.

#include "TarvelCore/Models.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

namespace tarvel {

class TarvelViewModel;
class SleepInhibitor;
class DesktopNotifier;
class LauncherProgress;

// Where the buses are; empty means the desktop's own session bus and the system bus.
struct DesktopBuses {
    QString sessionAddress = {};
    QString systemAddress = {};
};

class TransferDesktopFeedback : public QObject {
    Q_OBJECT

public:
    // `windowIsActive` tells whether the user is looking at the window; the notification
    // comes only when not, after a transfer that took longer than `notifyAfter`.
    TransferDesktopFeedback(TarvelViewModel *viewModel, std::function<bool()> windowIsActive, DesktopBuses buses = {},
                            std::chrono::milliseconds notifyAfter = std::chrono::seconds(10), QObject *parent = nullptr);
    ~TransferDesktopFeedback() override;

public Q_SLOTS:
    // The user came back to the window: the taskbar need not call for them any more.
    void windowActivated();

Q_SIGNALS:
    // "Show in Folder" was pressed on the notification of a finished download batch: the
    // window's folder of the last download is the one to open.
    void showFolderRequested();

private:
    void schedule();
    void follow();
    void connectBuses();
    void busesConnected();
    void apply();
    void announceEnd(TransferDirection direction, bool offerFolder);

    QPointer<TarvelViewModel> m_viewModel;
    std::function<bool()> m_windowIsActive;
    DesktopBuses m_buses;
    std::chrono::milliseconds m_notifyAfter;
    QString m_sessionName; // our connections' names, as Qt keeps them
    QString m_systemName;
    bool m_connecting = false;
    std::unique_ptr<SleepInhibitor> m_inhibitor; // these three exist once the buses are connected
    std::unique_ptr<DesktopNotifier> m_notifier;
    std::unique_ptr<LauncherProgress> m_launcher;

    bool m_followPending = false;
    bool m_busy = false;
    bool m_cancelled = false; // the user stopped this run: nothing to tell them afterwards
    double m_fraction = 0;
    TransferDirection m_direction = TransferDirection::download;
    bool m_downloadBatch = false;
    QElapsedTimer m_clock;
};

} // namespace tarvel
