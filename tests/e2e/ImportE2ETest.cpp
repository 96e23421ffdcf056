// Runs inside the emulator guest (run-e2e.sh import): importing the phone's 300 photos over
// the real engine, then, after 20 more were taken, only those 20; then freeing the phone.

#include "MTPAdapter/MTPAndroidFileTransferEngine.h"
#include "TarvelCore/TarvelViewModel.h"
#include "tests/e2e/Guest.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>

using namespace tarvel;
using namespace tarvel::test::guest;
using tarvel::test::runSync;
using namespace std::chrono_literals;

namespace {

// Every file under `dir` by name, with its SHA-256 and modification time.
struct Seen {
    QByteArray sha;
    qint64 mtime = 0;
};
QMap<QString, Seen> filesUnder(const QString &dir)
{
    QMap<QString, Seen> seen;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (file.open(QIODevice::ReadOnly))
            hash.addData(&file);
        seen.insert(it.fileName(), {hash.result(), QFileInfo(path).lastModified().toSecsSinceEpoch()});
    }
    return seen;
}

void photo(const QString &path, int n, qint64 mtime)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(3000 + n * 17, char('a' + n % 26)));
    file.flush();
    // Qt sets the time of an open file only.
    ASSERT_TRUE(file.setFileTime(QDateTime::fromSecsSinceEpoch(mtime), QFileDevice::FileModificationTime));
}

class Import : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(phoneDir().isEmpty()) << "run through run-e2e.sh";
        connect();
    }

    // A new session, as when the phone is plugged in again: the phone numbers its objects anew.
    void connect()
    {
        viewModel.reset();
        engine = std::make_shared<MTPAndroidFileTransferEngine>();
        viewModel = std::make_unique<TarvelViewModel>(engine);
        runSync(viewModel->findPhones(), 60s);
        ASSERT_TRUE(viewModel->selectedStorage());
    }

    // What the window does: look through the camera folders, decide, import.
    QList<ImportedCopy> importAll()
    {
        const auto scan = viewModel->importScan();
        const QList<ImportCandidate> found = runSync(scan->look(runSync(scan->findCameraFolders(), 120s)), 300s);
        QList<PhoneKey> keys;
        QHash<QString, PhoneKey> byStorage;
        QStringList ids;
        for (const AndroidStorage &storage : viewModel->storages()) {
            keys.append(PhoneKey::of(serial, "QEMU filesharing", storage.id, storage.name));
            byStorage.insert(storage.id, keys.last());
            ids.append(storage.id);
        }
        const ImportPlan plan =
            decideImport(found, ids, runSync(store->importedFiles(keys)), destination, ImportFiling::byMonth);
        keysByStorage = byStorage;
        return runSync(viewModel->importFiles(plan, byStorage, store), 600s);
    }

    std::shared_ptr<MTPAndroidFileTransferEngine> engine;
    std::unique_ptr<TarvelViewModel> viewModel;
    std::shared_ptr<ImportStore> store = std::make_shared<ImportStore>(workDir() + "/data");
    const QString destination = workDir() + "/Pictures";
    const QString serial = QStringLiteral("34617-0000:00:04.0-1");
    QHash<QString, PhoneKey> keysByStorage;
};

} // namespace

// 300, then exactly the 20 new ones, no "(2)" copy, every byte and date as on the phone;
// then freeing the phone deletes exactly the imported files.
TEST_F(Import, ImportsOnlyWhatIsNewThenFreesThePhone)
{
    ASSERT_EQ(importAll().size(), 300);
    // Taken since, into a camera folder no session listed: the emulator keeps watching the
    // folders listed before and would list a new file there with the size it had when made.
    // Then the phone is plugged in again.
    viewModel.reset();
    engine.reset();
    ASSERT_TRUE(QDir().mkpath(phoneDir() + "/DCIM/Burst"));
    for (int n = 0; n < 20; ++n)
        photo(phoneDir() + QStringLiteral("/DCIM/Burst/NEW_%1.jpg").arg(n, 2, 10, QLatin1Char('0')), n, 1719000000 + n * 60);
    connect();
    const QList<ImportedCopy> second = importAll();
    ASSERT_EQ(second.size(), 20);
    for (const ImportedCopy &copy : second)
        EXPECT_TRUE(copy.file.entry.name.startsWith("NEW_")) << copy.file.entry.name.toStdString();

    const QMap<QString, Seen> onPhone = filesUnder(phoneDir() + "/DCIM");
    const QMap<QString, Seen> copied = filesUnder(destination);
    ASSERT_EQ(copied.keys(), onPhone.keys()) << "no (2) copies, nothing missing";
    for (auto it = onPhone.cbegin(); it != onPhone.cend(); ++it) {
        EXPECT_EQ(copied.value(it.key()).sha, it->sha) << it.key().toStdString();
        EXPECT_LE(std::abs(copied.value(it.key()).mtime - it->mtime), 1) << it.key().toStdString();
    }

    // Freeing the phone after the second import: its 20 go, the 300 stay.
    const CleanupEnd end = runSync(viewModel->importCleanup(second, keysByStorage, store)->run(), 300s);
    EXPECT_EQ(end.deleted, 20);
    const QMap<QString, Seen> left = filesUnder(phoneDir() + "/DCIM");
    EXPECT_EQ(left.size(), 300);
    for (const QString &name : left.keys())
        EXPECT_FALSE(name.startsWith("NEW_")) << name.toStdString();
}
