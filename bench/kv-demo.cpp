// kv-demo --bundle APP --out DIR: shows the application on a virtual display, for machines
// without a desktop. It writes a home of generated bookmarks in every browser (whose
// programs record their launches), starts Xvfb with a system tray, starts the bundle's
// program there, and as a person would: opens the search panel with Shift+Super+Space and
// types a query, closes it, opens the menu of the tray icon and from it Settings. Each view
// is written to DIR as a PNG, with its one-line caption in DIR/captions.txt.
#include "corpus/CorpusGenerator.hpp"
#include "desktop/DesktopClient.hpp"
#include "desktop/VirtualDisplay.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "platform/render/Canvas.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <string>

namespace {

using namespace std::chrono_literals;

constexpr int panelWidth = 680;

class Demo {
public:
    // Absolute paths: the home is $HOME, which the platform takes as absolute.
    Demo(const std::filesystem::path& bundle, const std::filesystem::path& out)
        : bundle_(std::filesystem::absolute(bundle)), out_(std::filesystem::absolute(out)) {}

    int run() {
        writeHome();
        if (!server_.isRunning()) return fail("Xvfb cannot start: " + server_.failure());
        auto connected = desktop::DesktopClient::connect(server_.name());
        if (!connected) return fail(connected.error());
        desktop_ = std::move(*connected);
        desktop_->startSystemTray();
        // A pixel of another application in front, which has the keys until the shortcut is
        // the application's.
        if (!desktop_->showApplicationWindow("Terminal", 0, 0, 1, 1)) return fail("no window of another client shows");
        application_ =
            server_.start({(bundle_ / "Contents/MacOS/Kestrelvault").string()}, "", desktop::ErrorOutput::withOutput);
        if (!application_) return fail("the application does not start");

        bool shortcutTaken = desktop_->waitUntil(
            [&] {
                return xdotool({"key", "shift+super+space"}) && !desktop_->wasTypedIntoApplicationWindow(' ');
            },
            60s);
        if (!shortcutTaken || !waitFor("the search panel", [&] { return panel().has_value(); })) return 1;
        xdotool({"type", "--delay", "40", "project notes"});
        if (!waitFor("the results", [&] { return panel() && panel()->height > 200; })) return 1;
        capture("01-search-panel.png",
                "The search panel, opened with Shift+Super+Space over whatever is in front, after typing "
                "\"project notes\"");

        xdotool({"key", "Escape"});
        if (!waitFor("the panel to close", [&] { return !panel(); })) return 1;
        if (desktop_->trayIcons().empty()) return fail("the application's icon did not dock in the system tray");
        auto [x, y] = desktop_->trayIconCentre(0);
        xdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"});
        if (!waitFor("the menu", [&] { return windowOtherThan(panelWidth).has_value(); })) return 1;
        xdotool({"mousemove", std::to_string(x - 160), std::to_string(y + 160)});
        capture("02-menu.png", "The menu of the application's icon in the system tray (top right)");

        xdotool({"key", "super+comma"});
        if (!waitFor("Settings", [&] { return titledWindow().has_value(); })) return 1;
        capture("03-settings.png",
                "Settings, from the menu: the shortcut, launch at login, fuzzy search, and a switch per "
                "browser and profile");
        return 0;
    }

private:
    void writeHome() {
        auto home = out_ / "home";
        std::filesystem::remove_all(home);
        std::filesystem::remove(out_ / "captions.txt");
        corpus::CorpusOptions options;
        options.count = 3000;
        options.seed = 7;
        corpus::writeCorpus(home, options);
        ::setenv("HOME", home.c_str(), 1);
        // The welcome of a first launch is left out: it would stand in front of the rest.
        foundation::UserDefaults::initWithSuiteName("com.kestrelvault.Kestrelvault")
            ->setBool(true, "hasLaunchedBefore");
    }

    bool xdotool(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "xdotool");
        return server_.run(arguments).status == 0;
    }

    std::vector<desktop::ServerWindow> windows() { return desktop_->windowsOf(application_->process()); }
    std::optional<desktop::ServerWindow> panel() { return windowOfWidth(panelWidth); }
    std::optional<desktop::ServerWindow> windowOfWidth(int width) {
        for (const auto& window : windows())
            if (window.width == width) return window;
        return std::nullopt;
    }
    std::optional<desktop::ServerWindow> windowOtherThan(int width) {
        for (const auto& window : windows())
            if (window.width != width) return window;
        return std::nullopt;
    }
    std::optional<desktop::ServerWindow> titledWindow() {
        for (const auto& window : windows())
            if (!window.title.empty()) return window;
        return std::nullopt;
    }

    bool waitFor(const std::string& what, const std::function<bool()>& condition) {
        if (desktop_->waitUntil([&] { return condition() || application_->finished(); }, 30s) &&
            !application_->finished())
            return true;
        fail("waited in vain for " + what);
        return false;
    }

    // The screen once two pictures in a row agree (animations over), with its caption.
    void capture(const std::string& name, const std::string& caption) {
        std::shared_ptr<appkit::Image> picture = desktop_->screenshot(), previous;
        desktop_->waitUntil(
            [&] {
                previous = std::exchange(picture, desktop_->screenshot());
                return picture && previous && picture->rgba() == previous->rgba();
            },
            5s);
        if (!picture || !render::writePNG(*picture, out_ / name)) {
            fail("cannot write " + (out_ / name).string());
            return;
        }
        std::ofstream(out_ / "captions.txt", std::ios::app) << name << "\t" << caption << "\n";
        std::printf("%s: %s\n", (out_ / name).c_str(), caption.c_str());
    }

    int fail(const std::string& reason) {
        std::fprintf(stderr, "kv-demo: %s\n", reason.c_str());
        if (application_) {
            application_->finished();
            if (!application_->output().empty())
                std::fprintf(stderr, "kv-demo: the application said:\n%s", application_->output().c_str());
        }
        return 1;
    }

    std::filesystem::path bundle_, out_;
    desktop::VirtualDisplay server_{1024, 720};
    std::unique_ptr<desktop::DesktopClient> desktop_;
    std::unique_ptr<desktop::RunningTool> application_;
};

}  // namespace

int main(int argc, char** argv) {
    std::map<std::string, std::string> options;
    for (int index = 1; index + 1 < argc; index += 2) options[argv[index]] = argv[index + 1];
    if (!options.count("--bundle") || !options.count("--out")) {
        std::fprintf(stderr, "usage: kv-demo --bundle APP --out DIR\n");
        return 2;
    }
    return Demo(options["--bundle"], options["--out"]).run();
}
