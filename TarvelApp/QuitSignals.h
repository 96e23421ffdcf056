#pragma once

// The signals that ask the process to end (SIGTERM when the session ends, SIGINT from a
// terminal, SIGHUP when the terminal goes), delivered as a Qt signal on the thread that
// made this object. The app then stops a transfer the way Quit does, so no half-copied
// file is left under its name. A second signal of the same kind ends the process at once. One
// instance at a time.

#include <QObject>

class QSocketNotifier;

namespace tarvel {

class QuitSignals : public QObject {
    Q_OBJECT
public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

Q_SIGNALS:
    void received();

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace tarvel
