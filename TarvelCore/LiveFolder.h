#pragma once

// Keeps the folder shown up to date with the phone. Between operations it asks the phone
// what changed every waitMs, without waiting for news (the engine's phoneEvents with no
// wait: a question that waits holds the phone from an operation the user starts), and
// when something changed in the folder shown it reads the folder again once the phone has
// been quiet for a moment: a thousand files added at once end in one listing. It asks only
// while a folder is shown and nothing else runs for the user (no transfer, no listing, no
// change), so it never cuts into them; what the phone said meanwhile waits on the phone
// until the next question.

#include "TarvelCore/AndroidFileTransferEngine.h"

#include <QCoro/QCoroTask>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

namespace tarvel {

class TarvelViewModel;

class LiveFolder : public QObject {
    Q_OBJECT

public:
    // The view model owns it and outlives it.
    LiveFolder(TarvelViewModel *viewModel, std::shared_ptr<AndroidFileTransferEngine> engine);

    static constexpr int waitMs = 250;           // between two questions
    static constexpr int quietMs = 500;          // a burst of events has ended after this long without one
    static constexpr int longestDelayMs = 3000;  // changes that never pause still show this often
    static constexpr int failedPauseMs = 5000;   // after the phone could not answer
    // A folder is read again at most once per this many times as long as its last reading
    // took: news from other folders cannot be told apart from the folder's own, and a
    // large folder must not keep the phone busy with readings.
    static constexpr int readingShare = 4;

private:
    bool canAsk() const;
    void wake();
    QCoro::Task<> follow();
    // Notes what the events change in the folder shown.
    void take(const QList<PhoneEvent> &events);
    qint64 msUntilReading() const;

    TarvelViewModel *m_viewModel;
    std::shared_ptr<AndroidFileTransferEngine> m_engine;
    QTimer m_wakeTimer;
    bool m_following = false;
    bool m_changed = false;         // the folder shown changed since it was read
    QElapsedTimer m_sinceEvent;     // the last event about it
    QElapsedTimer m_sinceChanged;   // the first since it was read
    QElapsedTimer m_sinceReading;
    qint64 m_readingMs = 0;         // how long the last reading took
    std::optional<qsizetype> m_removedDepth; // the folder shown, or one above it, is gone
};

} // namespace tarvel
