#pragma once

// Raises a presenter's signal once, in the next turn of the event loop, however often it
// was asked for in this one: one step of the view model changes several of its
// properties at once (a status is a state and a sentence), and the pane need read its
// texts only once for them all.

#include <QObject>
#include <QTimer>

#include <functional>

namespace tarvel {

class NextTurn {
public:
    NextTurn(QObject *owner, std::function<void()> raise)
    {
        m_timer.setSingleShot(true);
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, owner, std::move(raise));
    }

    void request()
    {
        if (!m_timer.isActive())
            m_timer.start();
    }

private:
    QTimer m_timer;
};

} // namespace tarvel
