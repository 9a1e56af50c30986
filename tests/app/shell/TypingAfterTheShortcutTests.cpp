// The application in this process on an X server of the test's own, over a large generated
// library, with another client's window in front and under the pointer: the shortcut, then
// a word typed at once, as people type.
#include "GlobalShortcuts/ShortcutStorage.hpp"
#include "app/shell/AppDelegate.hpp"
#include "app/shell/KestrelvaultApp.hpp"
#include "app/shell/PanelController.hpp"
#include "app/shell/ShortcutNames.hpp"
#include "corpus/CorpusGenerator.hpp"
#include "desktop/DesktopClient.hpp"
#include "platform/foundation/ThreadPool.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "platform/ui/LaunchedApplication.hpp"
#include "platform/x11/X11Display.hpp"
#include "tests/app/shell/ShellFixtures.hpp"
#include "tests/support/VirtualDisplay.hpp"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// Without the keyboard held for the panel, "docs" typed 8 ms apart lost its first letters in
// every round at this size already (on the test build).
constexpr std::size_t libraryCount = 10000;
constexpr int rounds = 20;
constexpr const char* word = "docs";

class TypingAfterTheShortcut : public ::testing::Test {
protected:
    void SetUp() override {
        KV_SKIP_WITHOUT_VIRTUAL_DISPLAY(server);
        corpus::CorpusOptions options;
        options.count = libraryCount;
        corpus::writeCorpus(fixtures::home(), options);
        fixtures::useMainBundle({{"CFBundleIdentifier", "com.kestrelvault.Kestrelvault"},
                                 {"CFBundleName", "Kestrelvault"},
                                 {"CFBundleExecutable", "Kestrelvault"},
                                 {"LSUIElement", "YES"}},
                                fixtures::Resources::application);
        fixtures::preferLanguage("en");
        foundation::UserDefaults::standardUserDefaults()->setBool(true, "hasLaunchedBefore");
        auto connected = display::X11Display::connect(server.name());
        ASSERT_TRUE(connected) << connected.error();
        display = std::move(*connected);
        auto client = desktop::DesktopClient::connect(server.name());
        ASSERT_TRUE(client) << client.error();
        desktop = std::move(*client);
        // The editor covers the screen, so it is under the pointer wherever that is.
        ASSERT_TRUE(desktop->showApplicationWindow("Editor", 0, 0, 1280, 800));
        // The shortcut's name is made once per process; a new store gets its default again.
        if (!GlobalShortcuts::userDefaultsContains(kestrelvault::toggleSearch()))
            GlobalShortcuts::reset(kestrelvault::toggleSearch());
        application = ui::LaunchedApplication::launch(std::make_unique<kestrelvault::KestrelvaultApp>());
        delegate = static_cast<kestrelvault::KestrelvaultApp&>(application->app()).appDelegate.wrappedValue();
        auto aggregator = delegate->viewModel->aggregator();
        ASSERT_TRUE(runUntil([&] { return !aggregator->isLoading() && !aggregator->allBookmarks().empty(); }, 120s));
    }
    void TearDown() override {
        // Nothing of a reload outlives the test.
        if (display) runUntil([] { return dispatch::ThreadPool::shared().isIdle(); }, 120s);
        application.reset();
        desktop.reset();
        display.reset();
    }

    bool runUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
        return display->runUntil(
            [&] {
                desktop->readEvents();
                return condition();
            },
            limit);
    }
    void xdotool(const std::string& key) { ASSERT_EQ(server.run({"xdotool", "key", key}).status, 0); }
    // The letters of the word that went to the editor since the last question.
    std::string typedIntoEditor() {
        std::string letters;
        for (char letter : std::string(word))
            if (desktop->wasTypedIntoApplicationWindow(letter)) letters += letter;
        return letters;
    }

    testsupport::VirtualDisplay server;
    std::unique_ptr<display::X11Display> display;
    std::unique_ptr<desktop::DesktopClient> desktop;
    std::unique_ptr<ui::LaunchedApplication> application;
    std::shared_ptr<kestrelvault::AppDelegate> delegate;
};

}  // namespace

TEST_F(TypingAfterTheShortcut, EveryKeyTypedAtOnceReachesTheSearchFieldInOrder) {
    const auto& query = delegate->viewModel->query;
    const auto& panel = *delegate->panelController;
    for (int round = 1; round <= rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        auto typing = server.start({"xdotool", "key", "shift+super+space", "type", "--delay", "8", word});
        ASSERT_TRUE(typing);
        std::string editor;
        runUntil(
            [&] {
                editor += typedIntoEditor();
                return (panel.isShowing && query.get() == word) || !editor.empty();
            },
            20s);
        ASSERT_EQ(query.get(), word) << "the editor got \"" << editor << "\"";
        ASSERT_TRUE(typing->waitForEnd(10s));

        // Closed by Escape and by the shortcut in turn, the panel leaves the keyboard to the
        // editor again.
        xdotool(round % 2 ? "Escape" : "shift+super+space");
        ASSERT_TRUE(runUntil(
            [&] { return !panel.isShowing && desktop->focus() == desktop->applicationWindow(); },
            10s));
        xdotool("x");
        EXPECT_TRUE(runUntil([&] { return desktop->wasTypedIntoApplicationWindow('x'); }, 10s));
    }
}
