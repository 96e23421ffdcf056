#include "TarvelApp/DesktopServices.h"
#include "TarvelCore/DonationSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace tarvel;

namespace {

TEST(DonationTest, WalletURIIsBitcoinSchemeAndTheAddressAlone)
{
    const QString address = DonationSupport::btcSegWitAddress();
    EXPECT_TRUE(address.startsWith("bc1q"));
    EXPECT_EQ(DonationSupport::bitcoinURL().toString(), "bitcoin:" + address);
    EXPECT_TRUE(DonationSupport::bitcoinURL().isValid());
    EXPECT_EQ(DonationSupport::koFiURL().scheme(), "https");
    EXPECT_TRUE(DonationSupport::koFiURL().isValid());
}

// The QR code shipped in the app is generated at build time; a scanner must read exactly
// the wallet URI from it.
TEST(DonationTest, QRCodeScansAsTheWalletURI)
{
    const QImage code(":/tarvel/orvath-btc-wallet-qr.png");
    ASSERT_FALSE(code.isNull());
    QTemporaryDir dir;
    const QString path = dir.filePath("qr.png");
    ASSERT_TRUE(code.save(path));

    const QString zbarimg = QStandardPaths::findExecutable("zbarimg");
    ASSERT_FALSE(zbarimg.isEmpty()) << "zbarimg (zbar-tools) is needed to read the QR code";
    QProcess scan;
    scan.start(zbarimg, {"--quiet", "--raw", path});
    ASSERT_TRUE(scan.waitForFinished(30000));
    EXPECT_EQ(scan.exitCode(), 0) << scan.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(scan.readAllStandardOutput()).trimmed(), DonationSupport::bitcoinURL().toString());
}

// Copying the address leaves it as the clipboard's only content: files copied earlier in
// the file manager are gone, so a later paste cannot upload them by surprise.
TEST(QtDesktopServicesTest, CopiedTextReplacesCopiedFiles)
{
    QtDesktopServices desktop;
    QTemporaryDir dir;
    QFile file(dir.filePath("a.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    auto *copied = new QMimeData;
    copied->setUrls({QUrl::fromLocalFile(file.fileName()), QUrl("https://example.org/b.txt"),
                     QUrl::fromLocalFile(dir.path())});
    QGuiApplication::clipboard()->setMimeData(copied);
    // Only local files are offered for upload; whether each is a regular file is decided later.
    EXPECT_EQ(desktop.fileURLsOnClipboard(), (QList{QUrl::fromLocalFile(file.fileName()), QUrl::fromLocalFile(dir.path())}));

    desktop.copyTextToClipboard(DonationSupport::btcSegWitAddress());
    const QMimeData *now = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->text(), DonationSupport::btcSegWitAddress());
    EXPECT_FALSE(now->hasUrls());
    EXPECT_TRUE(desktop.fileURLsOnClipboard().isEmpty());
}

QFileDialog *openPanel()
{
    QFileDialog *found = nullptr;
    test::spinUntil([&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *dialog = qobject_cast<QFileDialog *>(widget); dialog && dialog->isVisible())
                found = dialog;
        }
        return found != nullptr;
    });
    return found;
}

// The desktop's own panels: the prompt on the confirm button, the proposed name, files
// only and several at once for uploads, and nothing when cancelled.
TEST(QtDesktopServicesTest, PanelsAskAsTheWindowNeeds)
{
    QtDesktopServices desktop;
    QTemporaryDir dir;

    auto saving = desktop.chooseSaveLocation("photo.jpg", "Download");
    QFileDialog *panel = openPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(panel->labelText(QFileDialog::Accept), "Download");
    EXPECT_EQ(QFileInfo(panel->selectedFiles().value(0)).fileName(), "photo.jpg");
    EXPECT_EQ(panel->windowModality(), Qt::ApplicationModal);
    panel->reject();
    EXPECT_EQ(test::runSync(std::move(saving)), std::nullopt);

    saving = desktop.chooseSaveLocation("photo.jpg", "Download");
    panel = openPanel();
    ASSERT_NE(panel, nullptr);
    panel->setDirectory(dir.path());
    panel->selectFile(dir.filePath("copy.jpg"));
    static_cast<QDialog *>(panel)->accept(); // QFileDialog checks the selection, as its button does
    EXPECT_EQ(test::runSync(std::move(saving)), QUrl::fromLocalFile(dir.filePath("copy.jpg")));

    for (const char *name : {"a.txt", "b.txt"}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    auto opening = desktop.chooseFilesToOpen("Upload");
    panel = openPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->fileMode(), QFileDialog::ExistingFiles);
    EXPECT_EQ(panel->labelText(QFileDialog::Accept), "Upload");
    panel->setDirectory(dir.path());
    panel->selectFile("\"a.txt\" \"b.txt\"");
    static_cast<QDialog *>(panel)->accept(); // QFileDialog checks the selection, as its button does
    EXPECT_EQ(test::runSync(std::move(opening)).size(), 2);

    opening = desktop.chooseFilesToOpen("Upload");
    panel = openPanel();
    ASSERT_NE(panel, nullptr);
    panel->reject();
    EXPECT_TRUE(test::runSync(std::move(opening)).isEmpty());
}

} // namespace
