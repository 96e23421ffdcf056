#pragma once

// The window root over the scripted phone, shared by the presenter tests.
#include "TarvelApp/ContentView.h"
#include "tests/support/FakeDesktopServices.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/ScriptedPhone.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>
#include <vector>

using namespace tarvel;
using namespace tarvel::test::phone;
using tarvel::test::FakeDesktopServices;
using tarvel::test::Gate;
using tarvel::test::runSync;
using State = TarvelConnectionState;

namespace tarvel::test {

inline const QString connectSentence =
    "Connect an Android device with a data-capable USB cable, unlock it, choose USB File transfer, then press Refresh. "
    "If it still does not appear, try another cable or USB port.";

// Counts the signals of several presenters at once.
class SignalCount {
public:
    template <typename Sender, typename Signal>
    void watch(Sender *sender, Signal signal)
    {
        m_spies.push_back(std::make_unique<QSignalSpy>(sender, signal));
    }
    qsizetype total() const
    {
        qsizetype count = 0;
        for (const auto &spy : m_spies)
            count += spy->count();
        return count;
    }

private:
    std::vector<std::unique_ptr<QSignalSpy>> m_spies;
};

class ContentViewTest : public ::testing::Test {
protected:
    ContentViewTest() { test::phone::script(*engine); }

    void connect()
    {
        runSync(view.refreshSequence());
        tarvel::test::settle(); // the window hears of the last step in the next turn
    }

    QVariant row(int index, RemoteEntryListModel::Role role)
    {
        return browser->entries()->data(browser->entries()->index(index), role);
    }

    // Regular files (and a folder) on disk, for the upload batches.
    QUrl localFile(const QString &name)
    {
        QFile file(local.filePath(name));
        file.open(QIODevice::WriteOnly);
        return QUrl::fromLocalFile(file.fileName());
    }
    QUrl localFolder(const QString &name)
    {
        QDir(local.path()).mkdir(name);
        return QUrl::fromLocalFile(local.filePath(name));
    }

    std::shared_ptr<FakeAndroidFileTransferEngine> engine = std::make_shared<FakeAndroidFileTransferEngine>();
    TarvelViewModel vm{engine};
    FakeDesktopServices desktop;
    ContentView view{&vm, &desktop};
    StatusPresenter *status = view.status();
    BrowserPresenter *browser = view.browser();
    TransferPresenter *transfers = view.transfers();
    QTemporaryDir local;
};

} // namespace tarvel::test
