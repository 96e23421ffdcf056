// The import in the real window, offscreen: the button, the dialog's summary, the copy as
// the window's transfer, and the offer to free the phone with its question.

#include "TarvelApp/WindowSettings.h"
#include "tests/ui/AppWindowFixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tarvel;
using tarvel::test::FakeDesktopServices;
using tarvel::test::spinUntil;

namespace {

class ImportWindowTest : public test::AppWindowTest {
protected:
    ImportWindowTest()
    {
        WindowSettings().setImportDestination(QUrl::fromLocalFile(pictures.path()));
        test::phone::script(*engine);
        engine->entriesByParentID["10"] = {test::phone::camera, test::folder("12", ".thumbnails", "10")};
        engine->entriesByParentID["12"] = {test::file("43", "thumb.jpg", 100, "12")};
        start();
        view()->imports()->setStore(std::make_shared<ImportStore>(data.path()));
    }

    // Dialogs are popups, not items.
    bool opened(const char *name) const
    {
        auto *popup = window()->findChild<QObject *>(name);
        return popup && popup->property("opened").toBool();
    }

    ~ImportWindowTest() override { app.reset(); } // before the folders it writes to go

    QTemporaryDir data;
    QTemporaryDir pictures;
};

} // namespace

// Import, Import: the camera folder's one photo is copied into the chosen folder; a second
// look finds nothing new; freeing the phone asks first and deletes the photo whose copy is whole.
TEST_F(ImportWindowTest, ImportThenFreeThePhone)
{
    open();
    TarvelViewModel *vm = this->vm();
    ImportPresenter *imports = view()->imports();

    click(item("importButton"));
    ASSERT_TRUE(spinUntil([&] { return imports->canImport(); }));
    EXPECT_TRUE(spinUntil([&] { return opened("importDialog"); }));
    EXPECT_EQ(text("importSummary"), "1 new photo or video (3.5 MB) since the last import, 0 already imported.");
    EXPECT_EQ(text("importDestination"), "To " + pictures.path());
    click(item("importConfirmButton"));
    ASSERT_TRUE(spinUntil([&] { return imports->deleteOfferVisible(); }));
    ASSERT_EQ(engine->downloadRequests.size(), 1);
    const DownloadRequest copy = engine->downloadRequests.first();
    EXPECT_EQ(copy.localFolder, pictures.path());
    EXPECT_EQ(vm->statusMessage(), "Downloaded 1 file (3.5 MB) to " + QFileInfo(pictures.path()).fileName() + ".");

    click(item("importButton"));
    ASSERT_TRUE(spinUntil([&] { return imports->dialogOpen() && !imports->looking(); }));
    EXPECT_EQ(text("importSummary"), "Nothing new since the last import, 1 already imported.");
    click(item("importCancelButton"));
    ASSERT_TRUE(spinUntil([&] { return !imports->dialogOpen(); }));

    QFile landed(copy.localFolder + "/" + copy.localName);
    ASSERT_TRUE(landed.open(QIODevice::WriteOnly));
    landed.write(QByteArray(3'500'000, 'x'));
    landed.close();
    EXPECT_EQ(text("deleteImportedButton"), "Delete 1 imported file from the phone (3.5 MB)...");
    click(item("deleteImportedButton"));
    ASSERT_TRUE(spinUntil([&] { return opened("deleteImportedQuestion"); }));
    EXPECT_TRUE(engine->deleteRequests.isEmpty()) << "nothing is deleted before the answer";
    click(item("deleteFromPhoneButton"));
    ASSERT_TRUE(spinUntil([&] { return engine->deleteRequests.size() == 1; }));
    ASSERT_TRUE(spinUntil([&] { return vm->statusMessage().startsWith("Deleted"); })) << vm->statusMessage().toStdString();
    EXPECT_EQ(vm->statusMessage(), "Deleted 1 file from the phone (3.5 MB).");
    EXPECT_FALSE(imports->deleteOfferVisible());
}
