#pragma once

// Importing photos and videos from the phone shown: the dialog that looks through its camera
// folders with a live count, says what is new since the last import and where it goes, and
// starts the copy; then the offer to delete what was imported from the phone, with its
// question. The copy itself runs as the window's transfer, with its progress and Cancel.

#include "TarvelApp/DesktopServices.h"
#include "TarvelApp/SymbolSource.h"
#include "TarvelCore/ImportScan.h"
#include "TarvelCore/ImportStore.h"
#include "TarvelCore/TarvelViewModel.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <memory>

namespace tarvel {

class ImportPresenter : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The window hands the import its presenter.")

    Q_PROPERTY(bool importEnabled READ importEnabled NOTIFY availabilityChanged)
    Q_PROPERTY(QString importTitle READ importTitle CONSTANT)
    Q_PROPERTY(QUrl importIconSource READ importIconSource CONSTANT)
    Q_PROPERTY(bool dialogOpen READ dialogOpen NOTIFY dialogChanged)
    Q_PROPERTY(bool looking READ looking NOTIFY dialogChanged)
    Q_PROPERTY(QString progressText READ progressText NOTIFY progressChanged)
    Q_PROPERTY(QString summaryText READ summaryText NOTIFY planChanged)
    Q_PROPERTY(QString noticeText READ noticeText NOTIFY planChanged)
    Q_PROPERTY(QVariantList folders READ folders NOTIFY planChanged)
    Q_PROPERTY(QString destinationText READ destinationText NOTIFY planChanged)
    Q_PROPERTY(QStringList filingChoices READ filingChoices CONSTANT)
    Q_PROPERTY(int filingIndex READ filingIndex NOTIFY planChanged)
    Q_PROPERTY(bool canImport READ canImport NOTIFY planChanged)
    Q_PROPERTY(bool deleteOfferVisible READ deleteOfferVisible NOTIFY deleteOfferChanged)
    Q_PROPERTY(QString deleteOfferTitle READ deleteOfferTitle NOTIFY deleteOfferChanged)
    Q_PROPERTY(QString deleteQuestionText READ deleteQuestionText NOTIFY deleteOfferChanged)
    Q_PROPERTY(QString changeDestinationTitle READ changeDestinationTitle CONSTANT)
    Q_PROPERTY(QString cancelTitle READ cancelTitle CONSTANT)
    Q_PROPERTY(QString confirmTitle READ confirmTitle CONSTANT)
    Q_PROPERTY(QString deleteQuestionTitle READ deleteQuestionTitle CONSTANT)
    Q_PROPERTY(QString keepOnPhoneTitle READ keepOnPhoneTitle CONSTANT)
    Q_PROPERTY(QString deleteFromPhoneTitle READ deleteFromPhoneTitle CONSTANT)

public:
    ImportPresenter(TarvelViewModel *viewModel, DesktopServices *desktop, QObject *parent = nullptr);
    // The view model's import record, else one in the user's data folder; its database is
    // opened on first use. Tests hand over one in a folder of their own.
    void setStore(std::shared_ptr<ImportStore> store) { m_store = std::move(store); }

    bool importEnabled() const;
    QString importTitle() const { return tr("Import Photos and Videos"); }
    static QUrl importIconSource() { return symbolSource(QStringLiteral("photo")); }
    bool dialogOpen() const { return m_stage != Stage::closed; }
    bool looking() const { return m_stage == Stage::looking; }
    // "Looking through DCIM/Camera: 3 of 12 folders, 1,240 items so far..."
    QString progressText() const;
    // "312 new photos and videos (1.8 GB) since the last import, 4,688 already imported"
    QString summaryText() const;
    // What keeps this import from being remembered, that the phone may import twice, or why
    // looking through it failed.
    QString noticeText() const { return m_notice; }
    // Each camera folder: {name, detail, checked}.
    QVariantList folders() const;
    QString destinationText() const;
    QStringList filingChoices() const;
    int filingIndex() const { return int(m_filing); }
    bool canImport() const { return m_stage == Stage::summary && !m_plan.items.isEmpty(); }
    bool deleteOfferVisible() const { return !m_imported.isEmpty() && m_viewModel && !m_viewModel->currentTransfer(); }
    // "Delete 312 imported files from the phone (1.8 GB)..."
    QString deleteOfferTitle() const;
    QString deleteQuestionText() const;
    QString changeDestinationTitle() const { return tr("Change..."); }
    QString cancelTitle() const { return tr("Cancel"); }
    QString confirmTitle() const { return tr("Import"); }
    QString deleteQuestionTitle() const { return tr("Delete from the phone?"); }
    QString keepOnPhoneTitle() const { return tr("Keep on Phone"); }
    QString deleteFromPhoneTitle() const { return tr("Delete from Phone"); }

    // The steps, for the slots and for tests to await.
    QCoro::Task<> lookThroughPhone();
    QCoro::Task<> decide();
    QCoro::Task<> importPlan();
    QCoro::Task<> deleteImported();

    // Where imports go: the last folder chosen, else the XDG Pictures folder.
    static QString destinationSetting();

public Q_SLOTS:
    void startImport();
    void closeDialog();
    void setFolderChecked(int index, bool checked);
    void chooseDestination();
    void setFilingIndex(int index);
    void confirmImport();
    void confirmDelete();
    void dismissDeleteOffer();

Q_SIGNALS:
    void availabilityChanged();
    void dialogChanged();
    void progressChanged();
    void planChanged();
    void deleteOfferChanged();

private:
    enum class Stage { closed, looking, summary };
    void setStage(Stage stage);
    std::shared_ptr<ImportStore> store();
    void setNotice(QString notice);
    QList<ImportCandidate> chosenCandidates() const;

    QPointer<TarvelViewModel> m_viewModel;
    DesktopServices *m_desktop;
    std::shared_ptr<ImportStore> m_store;
    Stage m_stage = Stage::closed;
    std::shared_ptr<ImportScan> m_scan;
    QTimer m_progressTimer;
    QString m_deviceID;
    QList<CameraFolder> m_folders;
    QList<bool> m_checked;
    QList<int> m_foundIn;                   // photos and videos found in each folder
    QList<ImportCandidate> m_found;
    QList<int> m_folderOf;                  // for each found file, its camera folder
    QHash<QString, PhoneKey> m_keys;        // by storage id
    QList<ImportedFiles> m_recorded;        // in m_keys' storage order
    QStringList m_storageIDs;
    ImportPlan m_plan;
    qint64 m_decision = 0;                  // of the latest decide(), so an older one is dropped
    ImportFiling m_filing = ImportFiling::byMonth;
    QString m_notice;
    QList<ImportedCopy> m_imported;         // of the last import, for the delete offer
    QHash<QString, PhoneKey> m_importedKeys;
    QString m_importedDevice;
    std::shared_ptr<ImportCleanup> m_cleanup;
};

} // namespace tarvel
