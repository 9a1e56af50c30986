// bench-panel [--count N]: the time from the shortcut's key-up to the search panel's first
// frame that shows results, with the application on an X server of its own (Xvfb) over the
// generated home of N bookmarks (without --count, 100,000 and then 1,000,000, each in a
// process of its own): first with nothing changed between showings, then with one file,
// Chrome's largest profile, changed before each. The application runs in this process as its program runs it,
// with another client's window in front; the keys come through the server from xdotool, as
// a person's would. Each showing: Shift+Super+Space, a query typed as soon as the panel has
// the keyboard, then Escape. Times are taken as the application meets them: the key-up when
// its hot-key event is dispatched, a frame once it has been drawn and sent to the server.
#include "app/shell/AppDelegate.hpp"
#include "app/shell/KestrelvaultApp.hpp"
#include "app/shell/PanelController.hpp"
#include "app/shell/SearchPanelView.hpp"
#include "bench/BenchmarkBundle.hpp"
#include "bench/CorpusRoot.hpp"
#include "desktop/DesktopClient.hpp"
#include "desktop/VirtualDisplay.hpp"
#include "platform/appkit/Event.hpp"
#include "platform/carbon/EventManager.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "platform/ui/LaunchedApplication.hpp"
#include "platform/x11/X11Display.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int showings = 20;  // after one that warms up (it makes the panel)
constexpr const char* query = "notes";

// One showing's moments, as the application met them.
struct Showing {
    std::optional<Clock::time_point> keyUp, firstFrame, focused, firstKey, loaded, found, resultsFrame;
    std::uint64_t framesBefore = 0;
};

double milliseconds(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

class PanelBenchmark {
public:
    explicit PanelBenchmark(std::size_t count) : count_(count) {}

    int run(const char* program) {
        auto home = bench::generatedHome(count_);
        ::setenv("HOME", home.c_str(), 1);
        bench::useApplicationBundle(program);
        if (!server_.isRunning()) {
            std::printf("bench-panel: skipped, Xvfb cannot start: %s\n", server_.failure().c_str());
            return 0;
        }
        // The welcome of a first launch would stand in front of the panel.
        foundation::UserDefaults::standardUserDefaults()->setBool(true, "hasLaunchedBefore");
        auto connectedDisplay = display::X11Display::connect(server_.name());
        if (!connectedDisplay) return fail("no X display: " + connectedDisplay.error());
        display_ = std::move(*connectedDisplay);
        auto connectedEditor = desktop::DesktopClient::connect(server_.name());
        if (!connectedEditor) return fail("no X display: " + connectedEditor.error());
        editor_ = std::move(*connectedEditor);
        if (!editor_->showApplicationWindow("Editor", 40, 40, 400, 300))
            return fail("no window of another client shows");
        application_ = ui::LaunchedApplication::launch(std::make_unique<kestrelvault::KestrelvaultApp>());
        delegate_ = static_cast<kestrelvault::KestrelvaultApp&>(application_->app()).appDelegate.wrappedValue();
        auto aggregator = delegate_->viewModel->aggregator();
        if (!display_->runUntil(
                [&] { return aggregator->allBookmarks().size() == count_ && !aggregator->isLoading(); }, 120s))
            return fail("the launch load did not end");
        watch();
        loadingToken_ = aggregator->observeIsLoading([this](bool loading) {
            if (!loading && showing_.keyUp && !showing_.loaded) showing_.loaded = Clock::now();
        });
        resultsToken_ = delegate_->viewModel->results.observe([this](const std::vector<kestrelvault::Bookmark>& results) {
            if (!results.empty() && showing_.keyUp && !showing_.found) showing_.found = Clock::now();
        });
        if (int failed = measure("nothing changed", [] {})) return failed;
        // Grows by a line break each time: still the same bookmarks, in a new state to read.
        auto changed = home / "Library/Application Support/Zadizu/Chrome/Default/Bookmarks";
        return measure("one file changed", [&] { std::ofstream(changed, std::ios::app) << '\n'; });
    }

private:
    int measure(const char* label, const std::function<void()>& beforeEachShowing) {
        std::vector<Showing> measured;
        for (int index = 0; index <= showings; ++index) {
            beforeEachShowing();
            showing_ = Showing{};
            auto shortcut = server_.start({"xdotool", "key", "shift+super+space"});
            std::unique_ptr<desktop::RunningTool> typing;
            bool shown = display_->runUntil(
                [&] {
                    if (showing_.focused && !typing) typing = server_.start({"xdotool", "type", query});
                    return showing_.resultsFrame.has_value();
                },
                30s);
            if (!shown) return fail("no frame with results came");
            if (typing) typing->waitForEnd(10s);
            if (index > 0) measured.push_back(showing_);
            auto escape = server_.start({"xdotool", "key", "Escape"});
            auto panel = delegate_->panelController->panel;
            if (!display_->runUntil([&] { return !panel->isVisible(); }, 10s))
                return fail("the panel did not close");
        }
        report(label, measured);
        return 0;
    }

    // The hot key's release, the first typed key, and every frame, as they happen.
    void watch() {
        const carbon::EventTypeSpec released[] = {{carbon::kEventClassKeyboard, carbon::kEventHotKeyReleased}};
        // Installed last, so called first, before the application's handler shows the panel.
        carbon::InstallEventHandler(
            carbon::GetEventDispatcherTarget(),
            [this](carbon::EventHandlerCallRef, const carbon::EventRef&, void*) {
                if (!showing_.keyUp) showing_.keyUp = Clock::now();
                return carbon::eventNotHandledErr;
            },
            released, nullptr, nullptr);
        auto keyDown = appkit::eventMaskFromType(appkit::EventType::keyDown);
        keyMonitor_ = appkit::Event::addLocalMonitorForEvents(keyDown, [this](const appkit::EventPtr& event) {
            if (showing_.focused && !showing_.firstKey) showing_.firstKey = Clock::now();
            return event;
        });
        // After the display's own observer, which draws before the main run loop waits and
        // when a run of it ends (the runs here end every 10 ms).
        frameObserver_ = foundation::RunLoop::main()->addObserver(
            foundation::kCFRunLoopBeforeWaiting | foundation::kCFRunLoopExit, true, [this](foundation::RunLoopActivity) { observe(); },
            foundation::NSRunLoopCommonModes);
    }

    void observe() {
        auto panel = delegate_->panelController ? delegate_->panelController->panel : nullptr;
        if (!showing_.keyUp || !panel || !panel->isVisible()) return;
        auto now = Clock::now();
        const auto& viewModel = *delegate_->viewModel;
        if (!showing_.focused && panel->isKeyWindow() &&
            display_->frontmostApplication() == display::Server::ownApplication)
            showing_.focused = now;
        auto frames = display_->framesDrawn(*panel);
        if (frames == showing_.framesBefore) return;
        showing_.framesBefore = frames;
        if (!showing_.firstFrame) showing_.firstFrame = now;
        // Rows show once the panel is as tall as one row at least asks.
        auto rowHeight = kestrelvault::SearchPanelView::panelHeight(
            1, viewModel.query.get(), kestrelvault::SearchPanelView::ResultsArea::resultList);
        if (!showing_.resultsFrame && !viewModel.results.get().empty() && panel->frame().height() >= rowHeight)
            showing_.resultsFrame = now;
    }

    void report(const char* label, const std::vector<Showing>& measured) const {
        struct Row {
            const char* name;
            std::optional<Clock::time_point> Showing::*from;
            std::optional<Clock::time_point> Showing::*to;
        };
        const Row rows[] = {
            {"key-up -> first frame of the panel", &Showing::keyUp, &Showing::firstFrame},
            {"key-up -> panel has the keyboard", &Showing::keyUp, &Showing::focused},
            {"key-up -> reload of the bookmarks done", &Showing::keyUp, &Showing::loaded},
            {"key-up -> results found", &Showing::keyUp, &Showing::found},
            {"key-up -> first frame with results", &Showing::keyUp, &Showing::resultsFrame},
            {"first typed key -> first frame with results", &Showing::firstKey, &Showing::resultsFrame},
        };
        std::printf("== bench-panel: %zu bookmarks, %s, %zu showings under Xvfb, query \"%s\" typed by xdotool (ms)\n",
                    count_, label, measured.size(), query);
        std::printf("%-46s %8s %8s %8s %8s\n", "", "median", "p90", "min", "max");
        for (const auto& row : rows) {
            std::vector<double> times;
            for (const auto& showing : measured)
                if (showing.*(row.from) && showing.*(row.to))
                    times.push_back(milliseconds(*(showing.*(row.to)) - *(showing.*(row.from))));
            if (times.empty()) continue;
            std::sort(times.begin(), times.end());
            auto at = [&](double share) {
                return times[std::min(times.size() - 1, std::size_t(share * times.size()))];
            };
            std::printf("%-46s %8.1f %8.1f %8.1f %8.1f\n", row.name, at(0.5), at(0.9), times.front(), times.back());
        }
    }

    int fail(const std::string& reason) {
        std::fprintf(stderr, "bench-panel: %s\n", reason.c_str());
        return 1;
    }

    std::size_t count_;
    desktop::VirtualDisplay server_;
    std::unique_ptr<display::X11Display> display_;
    std::unique_ptr<desktop::DesktopClient> editor_;
    std::unique_ptr<ui::LaunchedApplication> application_;
    std::shared_ptr<kestrelvault::AppDelegate> delegate_;
    Showing showing_;
    objc::Id keyMonitor_;
    std::unique_ptr<foundation::RunLoopToken> frameObserver_;
    foundation::ObservationToken loadingToken_, resultsToken_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--count") return PanelBenchmark(std::stoul(argv[2])).run(argv[0]);
    // An application per process: each size runs in a process of its own.
    int status = 0;
    for (const char* count : {"100000", "1000000"}) {
        std::fflush(stdout);
        std::string command = std::string("'") + argv[0] + "' --count " + count;
        if (std::system(command.c_str()) != 0) status = 1;
    }
    return status;
}
