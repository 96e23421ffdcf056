#include "TarvelApp/ImportPresenter.h"

#include "TarvelApp/WindowSettings.h"
#include "TarvelCore/ByteCountFormat.h"
#include "TarvelCore/Sentences.h"

#include <QLocale>
#include <QStandardPaths>
#include <QVariantMap>

namespace tarvel {

ImportPresenter::ImportPresenter(TarvelViewModel *viewModel, DesktopServices *desktop, QObject *parent)
    : QObject(parent), m_viewModel(viewModel), m_desktop(desktop)
{
    for (auto signal : {&TarvelViewModel::stateChanged, &TarvelViewModel::selectedDeviceChanged,
                        &TarvelViewModel::selectedStorageChanged})
        connect(viewModel, signal, this, &ImportPresenter::availabilityChanged);
    connect(viewModel, &TarvelViewModel::selectedDeviceChanged, this, [this] {
        // What was imported from another phone is never offered for deleting from this one.
        if (!m_imported.isEmpty() && (!m_viewModel->selectedDevice() || m_viewModel->selectedDevice()->id != m_importedDevice)) {
            m_imported.clear();
            Q_EMIT deleteOfferChanged();
        }
    });
    connect(viewModel, &TarvelViewModel::currentTransferChanged, this, &ImportPresenter::deleteOfferChanged);
    // A cut import finished by Resume frees the phone as one that ran whole.
    connect(viewModel, &TarvelViewModel::importResumed, this, [this](QList<ImportedCopy> copies, QHash<QString, PhoneKey> keys) {
        if (!m_viewModel->selectedDevice())
            return;
        m_imported = std::move(copies);
        m_importedKeys = std::move(keys);
        m_importedDevice = m_viewModel->selectedDevice()->id;
        Q_EMIT deleteOfferChanged();
    });
    m_progressTimer.setInterval(TarvelViewModel::progressIntervalMs);
    connect(&m_progressTimer, &QTimer::timeout, this, &ImportPresenter::progressChanged);
}

bool ImportPresenter::importEnabled() const
{
    return m_viewModel && m_viewModel->selectedDevice() && m_viewModel->selectedStorage() && !m_cleanup
        && m_viewModel->state() != TarvelConnectionState::transferring && m_stage == Stage::closed;
}

QString ImportPresenter::progressText() const
{
    if (!m_scan)
        return tr("Looking for camera folders...");
    const ImportScan::Progress progress = m_scan->progress();
    if (progress.folderCount == 0)
        return tr("Looking for camera folders...");
    const QLocale locale;
    return tr("Looking through %1: %2 of %3 folders, %Ln item(s) so far...", nullptr, progress.itemsFound)
        .arg(progress.folder, locale.toString(progress.foldersDone + 1), locale.toString(progress.folderCount));
}

QString ImportPresenter::summaryText() const
{
    if (m_stage != Stage::summary)
        return QString();
    const QLocale locale;
    const QString known = tr("%1 already imported").arg(locale.toString(m_plan.alreadyImported));
    if (m_plan.items.isEmpty())
        return tr("Nothing new since the last import, %1.").arg(known);
    return tr("%Ln new photo(s) or video(s) (%1) since the last import, %2.", nullptr, int(m_plan.items.size()))
        .arg(formatByteCount(m_plan.bytes), known);
}

QVariantList ImportPresenter::folders() const
{
    QVariantList rows;
    const bool severalStorages = m_storageIDs.size() > 1;
    for (qsizetype i = 0; i < m_folders.size(); ++i) {
        const CameraFolder &folder = m_folders.at(i);
        const int count = m_foundIn.value(i);
        QString detail;
        if (m_stage == Stage::summary)
            detail = tr("%Ln item(s)", nullptr, count);
        if (severalStorages)
            detail = detail.isEmpty() ? folder.storageName : folder.storageName + QStringLiteral(" \u00b7 ") + detail;
        rows.append(QVariantMap{{QStringLiteral("name"), folder.path},
                                {QStringLiteral("detail"), detail},
                                {QStringLiteral("checked"), m_checked.value(i)}});
    }
    return rows;
}

QString ImportPresenter::destinationText() const
{
    return tr("To %1").arg(destinationSetting());
}

QStringList ImportPresenter::filingChoices() const
{
    return {tr("In folders by month (2024/2024-06)"), tr("All in one folder")};
}

QString ImportPresenter::deleteOfferTitle() const
{
    qint64 bytes = 0;
    for (const ImportedCopy &copy : m_imported)
        bytes += copy.file.entry.sizeBytes.value_or(0);
    const qsizetype count = m_imported.size();
    return tr("Delete %Ln imported file(s) from the phone (%1)...", nullptr, int(count)).arg(formatByteCount(bytes));
}

QString ImportPresenter::deleteQuestionText() const
{
    const QString rest = tr("This cannot be undone. Only files whose copy on this computer is complete are deleted; "
                            "the others stay on the phone.");
    const qsizetype count = m_imported.size();
    return tr("Delete the %Ln file(s) this import copied from the phone?", nullptr, int(count)) + QLatin1Char(' ') + rest;
}

QString ImportPresenter::destinationSetting()
{
    if (const auto chosen = WindowSettings().importDestination())
        return chosen->toLocalFile();
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return pictures.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::HomeLocation) : pictures;
}

std::shared_ptr<ImportStore> ImportPresenter::store()
{
    // The view model's database, which downloads and the journal write to as well; a folder
    // of its own without.
    if (!m_store && m_viewModel)
        m_store = m_viewModel->store();
    if (!m_store)
        m_store = std::make_shared<ImportStore>(TarvelDatabase::defaultFolder());
    return m_store;
}

void ImportPresenter::setStage(Stage stage)
{
    m_stage = stage;
    if (stage == Stage::looking)
        m_progressTimer.start();
    else
        m_progressTimer.stop();
    Q_EMIT dialogChanged();
    Q_EMIT progressChanged();
    Q_EMIT planChanged();
    Q_EMIT availabilityChanged();
}

void ImportPresenter::setNotice(QString notice)
{
    if (m_notice.isEmpty())
        m_notice = std::move(notice);
    else if (!notice.isEmpty() && !m_notice.contains(notice))
        m_notice += QLatin1Char(' ') + notice;
}

QCoro::Task<> ImportPresenter::lookThroughPhone()
{
    QPointer<ImportPresenter> self(this);
    const auto device = m_viewModel->selectedDevice();
    const std::shared_ptr<ImportScan> scan = m_viewModel->importScan();
    if (!device || !scan)
        co_return;
    m_deviceID = device->id;
    m_scan = scan;
    m_notice.clear();
    m_folders.clear();
    m_found.clear();
    m_plan = {};
    setStage(Stage::looking);
    try {
        const QString serial = co_await m_viewModel->shownPhoneSerial();
        if (!self)
            co_return;
        m_keys.clear();
        m_storageIDs.clear();
        bool guessed = false;
        for (const AndroidStorage &storage : m_viewModel->storages()) {
            const PhoneKey key = PhoneKey::of(serial, device->name, storage.id, storage.name);
            guessed = guessed || key.guessed;
            m_keys.insert(storage.id, key);
            m_storageIDs.append(storage.id);
        }
        if (guessed)
            setNotice(sentences::mayImportTwice());
        QList<PhoneKey> keys;
        for (const QString &id : std::as_const(m_storageIDs))
            keys.append(m_keys.value(id));
        // The record is read on its own thread while the phone lists its folders: the listing
        // mostly waits for the phone's answers.
        const std::shared_ptr<ImportStore> record = store();
        QCoro::Task<QList<ImportedFiles>> reading = record->importedFiles(keys);
        QList<CameraFolder> folders = co_await scan->findCameraFolders();
        if (!self)
            co_return;
        m_folders = folders;
        m_checked = QList<bool>(folders.size(), true);
        Q_EMIT planChanged();
        const QList<ImportCandidate> found = co_await scan->look(folders);
        if (!self)
            co_return;
        QList<ImportedFiles> recorded = co_await std::move(reading);
        if (!self)
            co_return;
        m_recorded = std::move(recorded);
        for (const ImportedFiles &files : std::as_const(m_recorded)) {
            if (files.problem != StoreProblem::none)
                setNotice(sentences::importNotRemembered(files.problem));
        }
        m_found = found;
        m_folderOf.clear();
        m_foundIn = QList<int>(m_folders.size(), 0);
        QStringList prefixes;
        for (const CameraFolder &folder : std::as_const(m_folders))
            prefixes.append(folder.path + QLatin1Char('/'));
        for (const ImportCandidate &file : found) {
            int in = -1;
            for (qsizetype i = 0; i < m_folders.size(); ++i) {
                if (m_folders.at(i).storageID == file.storageID && file.path.startsWith(prefixes.at(i)))
                    in = int(i);
            }
            m_folderOf.append(in);
            if (in >= 0)
                ++m_foundIn[in];
        }
    } catch (...) {
        if (!self)
            co_return;
        if (kindOf(std::current_exception()) == TransferError::Kind::cancelled) {
            setStage(Stage::closed);
            co_return;
        }
        setNotice(sentences::error(std::current_exception()));
        m_found.clear();
    }
    if (!self || m_stage != Stage::looking)
        co_return;
    co_await decide();
}

QList<ImportCandidate> ImportPresenter::chosenCandidates() const
{
    if (!m_checked.contains(false))
        return m_found; // shared, not copied: the usual case, thousands of files
    QList<ImportCandidate> chosen;
    for (qsizetype i = 0; i < m_found.size(); ++i) {
        if (m_checked.value(m_folderOf.value(i, -1), true))
            chosen.append(m_found.at(i));
    }
    return chosen;
}

QCoro::Task<> ImportPresenter::decide()
{
    QPointer<ImportPresenter> self(this);
    const qint64 decision = ++m_decision;
    auto work = [found = chosenCandidates(), ids = m_storageIDs, recorded = m_recorded,
                 destination = destinationSetting(), filing = m_filing] {
        return decideImport(found, ids, recorded, destination, filing);
    };
    auto [plan, error] = co_await attempt(awaitResult(store()->run(std::move(work))));
    if (!self || decision != m_decision || m_stage == Stage::closed)
        co_return;
    if (error)
        setNotice(sentences::error(error));
    m_plan = plan;
    setStage(Stage::summary);
}

QCoro::Task<> ImportPresenter::importPlan()
{
    QPointer<ImportPresenter> self(this);
    const ImportPlan plan = m_plan;
    const QHash<QString, PhoneKey> keys = m_keys;
    const QString device = m_deviceID;
    setStage(Stage::closed);
    m_imported.clear();
    Q_EMIT deleteOfferChanged();
    QList<ImportedCopy> copies = co_await m_viewModel->importFiles(plan, keys, store());
    if (!self)
        co_return;
    m_imported = std::move(copies);
    m_importedKeys = keys;
    m_importedDevice = device;
    Q_EMIT deleteOfferChanged();
}

QCoro::Task<> ImportPresenter::deleteImported()
{
    QPointer<ImportPresenter> self(this);
    QPointer<TarvelViewModel> viewModel = m_viewModel;
    m_cleanup = m_viewModel->importCleanup(m_imported, m_importedKeys, store());
    if (!m_cleanup)
        co_return;
    const std::shared_ptr<ImportCleanup> cleanup = m_cleanup;
    m_imported.clear();
    Q_EMIT deleteOfferChanged();
    Q_EMIT availabilityChanged();
    viewModel->announce(TarvelConnectionState::transferring,
                        tr("Deleting %Ln imported file(s) from the phone...", nullptr, int(cleanup->fileCount())));
    const CleanupEnd end = co_await cleanup->run();
    if (self) {
        m_cleanup.reset();
        Q_EMIT availabilityChanged();
    }
    if (!viewModel)
        co_return;
    // The folder shown is listed again first: its own sentence would hide the end's.
    if (!end.phoneGone) {
        co_await viewModel->loadCurrentDirectory();
        if (viewModel)
            co_await viewModel->refreshStorageSpace();
        if (!viewModel)
            co_return;
    }
    const bool keptSome = end.copyNotSafe + end.refused + end.notReached > 0 || end.storeProblem != StoreProblem::none;
    viewModel->announce(end.phoneGone ? TarvelConnectionState::deviceUnavailable : TarvelConnectionState::ready,
                        sentences::cleanupEnded(end), keptSome && !end.phoneGone);
}

void ImportPresenter::startImport()
{
    if (importEnabled())
        lookThroughPhone();
}

void ImportPresenter::closeDialog()
{
    if (m_scan)
        m_scan->cancel();
    ++m_decision;
    setStage(Stage::closed);
}

void ImportPresenter::setFolderChecked(int index, bool checked)
{
    if (index < 0 || index >= m_checked.size() || m_stage != Stage::summary)
        return;
    m_checked[index] = checked;
    decide();
}

void ImportPresenter::chooseDestination()
{
    auto choose = [](QPointer<ImportPresenter> self, DesktopServices *desktop) -> QCoro::Task<> {
        const std::optional<QUrl> chosen =
            co_await desktop->chooseFolder(tr("Import Here"), QUrl::fromLocalFile(destinationSetting()));
        if (!self || !chosen || chosen->isEmpty())
            co_return;
        WindowSettings().setImportDestination(*chosen);
        if (self->m_stage == Stage::summary)
            co_await self->decide();
    };
    choose(QPointer<ImportPresenter>(this), m_desktop);
}

void ImportPresenter::setFilingIndex(int index)
{
    const auto filing = index == 1 ? ImportFiling::oneFolder : ImportFiling::byMonth;
    if (filing == m_filing)
        return;
    m_filing = filing;
    if (m_stage == Stage::summary)
        decide();
}

void ImportPresenter::confirmImport()
{
    if (canImport() && m_viewModel->state() != TarvelConnectionState::transferring)
        importPlan();
}

void ImportPresenter::confirmDelete()
{
    if (deleteOfferVisible() && !m_cleanup)
        deleteImported();
}

void ImportPresenter::dismissDeleteOffer()
{
    m_imported.clear();
    Q_EMIT deleteOfferChanged();
}

} // namespace tarvel
