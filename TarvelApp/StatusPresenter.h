#pragma once

// The status bar: the view model's sentence, the indicator beside it, and Refresh.

#include "TarvelApp/NextTurn.h"
#include "TarvelApp/SymbolSource.h"
#include "TarvelCore/TarvelViewModel.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

namespace tarvel {

class StatusPresenter : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The window hands the status bar its presenter.")

    Q_PROPERTY(QString statusMessage READ statusMessage NOTIFY statusChanged)
    Q_PROPERTY(bool showsStatusSpinner READ showsStatusSpinner NOTIFY statusChanged)
    Q_PROPERTY(QUrl statusIconSource READ statusIconSource NOTIFY statusChanged)
    Q_PROPERTY(QColor statusTint READ statusTint NOTIFY statusChanged)
    Q_PROPERTY(bool refreshEnabled READ refreshEnabled NOTIFY statusChanged)
    Q_PROPERTY(QString refreshTitle READ refreshTitle CONSTANT)
    Q_PROPERTY(QUrl refreshIconSource READ refreshIconSource CONSTANT)

public:
    explicit StatusPresenter(TarvelViewModel *viewModel, QObject *parent = nullptr);

    QString statusMessage() const;
    // Looking for phones, or busy without a copy to show: a copy shows its own arrow
    // instead, as an animation running for the length of a copy would draw the window
    // continuously.
    bool showsStatusSpinner() const;
    // The symbol beside the sentence: the running copy's direction, else the state's;
    // empty while the spinner shows.
    QString statusIconName() const;
    QUrl statusIconSource() const { return symbolSource(statusIconName()); }
    QColor statusTint() const;
    bool refreshEnabled() const;

    static QString refreshTitle() { return tr("Refresh"); }
    static QUrl refreshIconSource() { return symbolSource(QStringLiteral("arrow.clockwise")); }

    // Looks for phones (the view model's findPhones), after which the window goes back
    // down the folders it showed, as far as they still exist, when the same phone and
    // storage are listed again.
    QCoro::Task<> refreshKeepingPlace();

public Q_SLOTS:
    // The Refresh button, F5 and Ctrl+R.
    void startRefresh();

Q_SIGNALS:
    // The sentence, the indicator or Refresh's enabling may have changed; raised once for
    // all the view model's changes of one turn of the event loop, in the next turn.
    void statusChanged();

private:
    bool busy() const;
    QString copyIconName() const;
    void followTransfer();

    QPointer<TarvelViewModel> m_viewModel;
    QString m_copyIconName; // of the copy the indicator last showed
    NextTurn m_changes;
};

} // namespace tarvel
