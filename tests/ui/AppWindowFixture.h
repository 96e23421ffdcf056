#pragma once

// The real window, offscreen, over the fake engine; driven with mouse and keyboard events
// at the items' positions, so a disabled control really ignores the click. A test scripts
// the engine in its constructor, then calls start().

#include "TarvelApp/TarvelApp.h"
#include "tests/support/FakeDesktopServices.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WindowDriver.h"
#include "tests/ui/ScriptedPhone.h"

#include <gtest/gtest.h>

#include <QQuickWindow>
#include <QTest>

namespace tarvel::test {

class AppWindowTest : public ::testing::Test, protected WindowDriver {
protected:
    void start()
    {
        auto services = std::make_unique<FakeDesktopServices>();
        desktop = services.get();
        app = std::make_unique<TarvelApp>(engine, std::move(services));
    }

    // Shows the window and waits for the start task to list the storage root.
    void open(qsizetype entries = 4)
    {
        ASSERT_NE(window(), nullptr);
        app->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
        ASSERT_TRUE(spinUntil([&] {
            return vm()->state() == TarvelConnectionState::ready && vm()->entries().size() == entries && !rows().isEmpty();
        }));
    }

    QQuickWindow *window() const override { return app->window(); }
    TarvelViewModel *vm() const { return app->viewModel(); }
    ContentView *view() const { return app->contentView(); }

    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(window(), Qt::Key(key), modifiers);
        settle();
    }

    std::shared_ptr<FakeAndroidFileTransferEngine> engine = std::make_shared<FakeAndroidFileTransferEngine>();
    FakeDesktopServices *desktop = nullptr;
    std::unique_ptr<TarvelApp> app;
};

} // namespace tarvel::test
