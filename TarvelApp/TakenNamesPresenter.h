#pragma once

// The question a batch download asks once when names are taken where its files go: skip
// what is already there (the default), keep both, or replace, which asks again, naming how
// many files it replaces. Nothing is replaced without that second answer.

#include "TarvelCore/TarvelViewModel.h"

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace tarvel {

class TakenNamesPresenter : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The window hands the question its presenter.")

    Q_PROPERTY(bool asking READ asking NOTIFY questionChanged)
    Q_PROPERTY(QString questionText READ questionText NOTIFY questionChanged)
    Q_PROPERTY(QString replaceQuestionText READ replaceQuestionText NOTIFY questionChanged)
    Q_PROPERTY(QStringList choices READ choices CONSTANT)
    Q_PROPERTY(QString questionTitle READ questionTitle CONSTANT)
    Q_PROPERTY(QString goOnTitle READ goOnTitle CONSTANT)
    Q_PROPERTY(QString stopTitle READ stopTitle CONSTANT)
    Q_PROPERTY(QString replaceQuestionTitle READ replaceQuestionTitle CONSTANT)
    Q_PROPERTY(QString backTitle READ backTitle CONSTANT)
    Q_PROPERTY(QString replaceTitle READ replaceTitle CONSTANT)

public:
    explicit TakenNamesPresenter(TarvelViewModel *viewModel, QObject *parent = nullptr);

    bool asking() const { return m_count > 0; }
    // "3 files are already in Camera roll under the same name."
    QString questionText() const;
    // "Replace 3 files in Camera roll? What is there now is lost."
    QString replaceQuestionText() const;
    QStringList choices() const;
    QString questionTitle() const { return tr("Some files are already there"); }
    QString goOnTitle() const { return tr("Go On"); }
    QString stopTitle() const { return tr("Stop the Download"); }
    QString replaceQuestionTitle() const { return tr("Replace files?"); }
    QString backTitle() const { return tr("Back"); }
    QString replaceTitle() const { return tr("Replace"); }

public Q_SLOTS:
    // 0 skips what is already there, 1 keeps both; 2 (Replace) only after its confirmation.
    void answer(int choice);
    // Stops the batch instead: nothing more is copied.
    void stop();

Q_SIGNALS:
    void questionChanged();

private:
    QPointer<TarvelViewModel> m_viewModel;
    int m_count = 0;
    QString m_folder;
};

} // namespace tarvel
