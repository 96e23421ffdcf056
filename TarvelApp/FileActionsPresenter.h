#pragma once

// The browser's changes to the phone's files: New Folder, Rename and Delete, from the
// toolbar, the keys and the context menu, and the questions they ask. A name is checked
// while it is typed, with the sentence the view model would refuse it with; Delete first
// lists what the folders hold, so its question names the count and the size, and says
// that the phone has no trash. The window opens its dialogs and its menu when asked to.

#include "TarvelApp/NextTurn.h"
#include "TarvelApp/RemoteEntryListModel.h"
#include "TarvelApp/SymbolSource.h"
#include "TarvelCore/TarvelViewModel.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace tarvel {

class BrowserPresenter;

class FileActionsPresenter : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The browser's presenter hands out its file actions.")

    Q_PROPERTY(bool newFolderEnabled READ newFolderEnabled NOTIFY actionsChanged)
    Q_PROPERTY(bool renameEnabled READ renameEnabled NOTIFY actionsChanged)
    Q_PROPERTY(bool deleteEnabled READ deleteEnabled NOTIFY actionsChanged)
    Q_PROPERTY(bool openEnabled READ openEnabled NOTIFY actionsChanged)
    Q_PROPERTY(bool downloadEnabled READ downloadEnabled NOTIFY actionsChanged)

    Q_PROPERTY(QString nameQuestionTitle READ nameQuestionTitle NOTIFY nameQuestionChanged)
    Q_PROPERTY(QString proposedName READ proposedName NOTIFY nameQuestionChanged)
    Q_PROPERTY(QString nameConfirmTitle READ nameConfirmTitle NOTIFY nameQuestionChanged)
    Q_PROPERTY(QString deleteQuestionTitle READ deleteQuestionTitle NOTIFY deleteQuestionChanged)
    Q_PROPERTY(QString deleteQuestionText READ deleteQuestionText NOTIFY deleteQuestionChanged)
    Q_PROPERTY(bool deleteConfirmEnabled READ deleteConfirmEnabled NOTIFY deleteQuestionChanged)

    Q_PROPERTY(QString newFolderTitle READ newFolderTitle CONSTANT)
    Q_PROPERTY(QUrl newFolderIconSource READ newFolderIconSource CONSTANT)
    Q_PROPERTY(QString renameTitle READ renameTitle CONSTANT)
    Q_PROPERTY(QUrl renameIconSource READ renameIconSource CONSTANT)
    Q_PROPERTY(QString deleteTitle READ deleteTitle CONSTANT)
    Q_PROPERTY(QString deleteConfirmTitle READ deleteConfirmTitle CONSTANT)
    Q_PROPERTY(QUrl deleteIconSource READ deleteIconSource CONSTANT)
    Q_PROPERTY(QString openTitle READ openTitle CONSTANT)
    Q_PROPERTY(QString downloadTitle READ downloadTitle CONSTANT)
    Q_PROPERTY(QString cancelTitle READ cancelTitle CONSTANT)
    Q_PROPERTY(QString nameFieldTitle READ nameFieldTitle CONSTANT)

public:
    FileActionsPresenter(TarvelViewModel *viewModel, BrowserPresenter *browser, QObject *parent = nullptr);

    // Changes wait for a transfer, a listing and another change to end.
    bool changesEnabled() const;
    bool newFolderEnabled() const { return changesEnabled(); }
    // One entry selected.
    bool renameEnabled() const { return changesEnabled() && renameTarget().has_value(); }
    bool deleteEnabled() const;
    // The context menu's: one folder selected, opened as a click on its button opens it.
    bool openEnabled() const;
    bool downloadEnabled() const;

    QString nameQuestionTitle() const;
    QString proposedName() const;
    QString nameConfirmTitle() const;
    QString deleteQuestionTitle() const;
    QString deleteQuestionText() const;
    bool deleteConfirmEnabled() const { return m_plan.has_value() && changesEnabled(); }

    QString newFolderTitle() const { return tr("New Folder..."); }
    static QUrl newFolderIconSource() { return symbolSource(QStringLiteral("folder.badge.plus")); }
    QString renameTitle() const { return tr("Rename..."); }
    static QUrl renameIconSource() { return symbolSource(QStringLiteral("pencil")); }
    QString deleteTitle() const { return tr("Delete..."); }
    QString deleteConfirmTitle() const { return tr("Delete"); }
    static QUrl deleteIconSource() { return symbolSource(QStringLiteral("trash")); }
    QString openTitle() const { return tr("Open"); }
    QString downloadTitle() const { return tr("Download"); }
    QString cancelTitle() const { return tr("Cancel"); }
    QString nameFieldTitle() const { return tr("Name"); }

    // Why the name typed cannot be used here; empty when it can.
    Q_INVOKABLE QString nameProblem(const QString &name) const;

public Q_SLOTS:
    // Each asks the window to open its question, when the action is enabled.
    void askNewFolder();
    void askRename();
    void askDelete();
    // The context menu for a row (-1: the empty space under the rows). A row outside the
    // selection becomes the selection, as in a file manager.
    void askMenu(int row);
    // The answers.
    void acceptName(const QString &name);
    void confirmDelete();
    void cancelDelete();
    void openFromMenu();
    void downloadFromMenu();

Q_SIGNALS:
    void actionsChanged();
    void nameQuestionChanged();
    void deleteQuestionChanged();
    // For the window: open the name question, the delete question, the menu; close the
    // delete question, whose items could not be listed (the status says why).
    void nameAsked();
    void deleteAsked();
    void menuAsked(int row);
    void deleteQuestionDropped();

private:
    std::optional<RemoteEntry> renameTarget() const;
    QCoro::Task<> plan(quint64 question, QList<RemoteEntry> items);
    void selectNamedWhenListed();

    QPointer<TarvelViewModel> m_viewModel;
    BrowserPresenter *m_browser;
    RemoteEntryListModel *m_entries;
    std::optional<RemoteEntry> m_renaming; // absent: the name question is for a new folder
    QList<RemoteEntry> m_deleting;
    std::optional<DeletionPlan> m_plan;
    quint64 m_question = 0;                // the delete question shown; a late count of an old one is dropped
    QString m_madeName;                    // the folder just made, selected once it is listed
    NextTurn m_actionChanges;
};

} // namespace tarvel
