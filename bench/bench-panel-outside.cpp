// bench-panel-outside [--bundle APP]: the search panel timed from outside, as a person meets
// it. The bundle's program (by default the Kestrelvault.app beside the bench folder, as
// scripts/assemble-app lays it out) runs on an X server of its own (Xvfb) over generated
// homes of 1,000, 100,000 and 1,000,000 bookmarks, each with one more bookmark whose name
// holds a word no other has. Each showing: Shift+Super+Space, the word typed once the panel
// has the keyboard, then Super+C until the clipboard holds that bookmark's address, then
// Escape. Printed: the median and spread of shortcut-to-address per home, and each larger
// home's median over the 1,000 bookmarks' one. Nothing changes between showings.
#include "bench/CorpusRoot.hpp"
#include "desktop/DesktopClient.hpp"
#include "desktop/VirtualDisplay.hpp"
#include "platform/foundation/UserDefaults.hpp"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int showings = 10;  // after one that warms up
constexpr const char* word = "quillwort";
constexpr const char* address = "https://quillwort.example.org/almanac";

// A generated home (written by kv-corpus, beside this program) with the one bookmark the
// word finds, first in Chrome's bar; written once.
std::filesystem::path homeWithTheWord(const std::filesystem::path& corpusProgram, std::size_t count) {
    auto home = bench::CorpusRoot::path() / ("outside-" + std::to_string(count));
    auto done = home / ".with-the-word";
    if (std::filesystem::exists(done)) return home;
    std::filesystem::remove_all(home);
    std::string command =
        "'" + corpusProgram.string() + "' --home '" + home.string() + "' --count " + std::to_string(count) + " >/dev/null";
    if (std::system(command.c_str()) != 0) return {};
    auto file = home / "Library/Application Support/Zadizu/Chrome/Default/Bookmarks";
    std::stringstream read;
    read << std::ifstream(file).rdbuf();
    std::string json = read.str();
    const std::string bar = "\"children\":[";
    auto at = json.find(bar);
    if (at == std::string::npos) return {};
    json.insert(at + bar.size(),
                std::string("{\"type\":\"url\",\"name\":\"Quillwort Almanac\",\"url\":\"") + address + "\"},");
    std::ofstream(file, std::ios::trunc) << json;
    std::ofstream{done};
    return home;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

class OutsideBenchmark {
public:
    OutsideBenchmark(std::filesystem::path program, std::filesystem::path corpusProgram, std::size_t count)
        : program_(std::move(program)), corpusProgram_(std::move(corpusProgram)), count_(count) {}

    // The shortcut-to-address times of the showings; empty when something failed.
    std::vector<double> run() {
        auto home = homeWithTheWord(corpusProgram_, count_);
        if (home.empty()) return fail("no home to search");
        ::setenv("HOME", home.c_str(), 1);
        // The welcome of a first launch would stand in front of the panel.
        foundation::UserDefaults::initWithSuiteName("com.kestrelvault.Kestrelvault")->setBool(true, "hasLaunchedBefore");
        if (!server_.isRunning()) return fail("Xvfb cannot start: " + server_.failure());
        auto connected = desktop::DesktopClient::connect(server_.name());
        if (!connected) return fail(connected.error());
        desktop_ = std::move(*connected);
        if (!desktop_->showApplicationWindow("Terminal", 0, 0, 1, 1)) return fail("no window of another client shows");
        application_ = server_.start({program_.string()});
        if (!application_) return fail("the application does not start");
        // Until the application holds the shortcut, it types a space into the other window.
        if (!desktop_->waitUntil(
                [&] { return tool({"key", "shift+super+space"}) && !desktop_->wasTypedIntoApplicationWindow(' '); },
                120s))
            return fail("the shortcut never reached the application");
        if (!poll([&] { return hasKeyboard(); }, 30s) || !closePanel()) return fail("the first showing did not come");
        std::vector<double> times;
        for (int index = 0; index <= showings; ++index) {
            auto clipboard = server_.start({"xclip", "-quiet", "-selection", "clipboard"}, "-");
            if (!poll([&] { return copied() == "-"; }, 5s)) return fail("the clipboard cannot be set");
            auto start = Clock::now();
            tool({"key", "shift+super+space"});
            if (!poll([&] { return hasKeyboard(); }, 30s)) return fail("the panel never had the keyboard");
            tool({"type", word});
            if (!poll([&] { return tool({"key", "super+c"}) && copied() == address; }, 60s))
                return fail("the address never reached the clipboard");
            if (index > 0) times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            if (!closePanel()) return fail("the panel did not close");
        }
        return times;
    }

private:
    bool tool(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "xdotool");
        return server_.run(arguments).status == 0;
    }

    std::string copied() { return server_.run({"xclip", "-o", "-selection", "clipboard"}).output; }

    bool hasKeyboard() {
        auto focus = desktop_->focus();
        auto windows = desktop_->windowsOf(application_->process());
        return std::any_of(windows.begin(), windows.end(),
                           [&](const desktop::ServerWindow& window) { return window.identifier == focus; });
    }

    // Until the focus is back with the other window and the panel has faded out.
    bool closePanel() {
        tool({"key", "Escape"});
        return poll(
            [&] {
                return desktop_->focus() == desktop_->applicationWindow() &&
                       desktop_->windowsOf(application_->process()).empty();
            },
            10s);
    }

    // Checks every half millisecond: a benchmark's clock, not a test's.
    bool poll(const std::function<bool()>& condition, Clock::duration limit) {
        auto deadline = Clock::now() + limit;
        while (!condition()) {
            if (Clock::now() >= deadline || application_->finished()) return false;
            std::this_thread::sleep_for(500us);
        }
        return true;
    }

    std::vector<double> fail(const std::string& reason) {
        std::fprintf(stderr, "bench-panel-outside: %zu bookmarks: %s\n", count_, reason.c_str());
        return {};
    }

    std::filesystem::path program_;
    std::filesystem::path corpusProgram_;
    std::size_t count_;
    desktop::VirtualDisplay server_;
    std::unique_ptr<desktop::DesktopClient> desktop_;
    std::unique_ptr<desktop::RunningTool> application_;
};

}  // namespace

// One process per home (the user defaults and the corpus root are the process's); the
// first prints the table, asking each home's median of a process of its own.
int main(int argc, char** argv) {
    std::filesystem::path self = std::filesystem::absolute(argv[0]);
    std::filesystem::path bundle = self.parent_path().parent_path() / "Kestrelvault.app";
    std::optional<std::size_t> count;
    for (int index = 1; index + 1 < argc; index += 2) {
        std::string option = argv[index];
        if (option == "--bundle") bundle = std::filesystem::absolute(argv[index + 1]);
        if (option == "--count") count = std::stoul(argv[index + 1]);
    }
    auto program = bundle / "Contents/MacOS/Kestrelvault";
    if (count) {
        auto times = OutsideBenchmark(program, self.parent_path() / "kv-corpus", *count).run();
        if (times.empty()) return 1;
        std::printf("%.1f %.1f %.1f\n", median(times), *std::min_element(times.begin(), times.end()),
                    *std::max_element(times.begin(), times.end()));
        return 0;
    }
    if (!std::filesystem::exists(program)) {
        std::printf("bench-panel-outside: skipped, no application at %s (scripts/assemble-app lays it out)\n",
                    program.c_str());
        return 0;
    }
    std::printf("== bench-panel-outside: shortcut, \"%s\" typed, Super+C until the address is copied; %d showings "
                "under Xvfb (ms)\n",
                word, showings);
    std::printf("%-12s %8s %8s %8s %10s\n", "bookmarks", "median", "min", "max", "/ 1,000");
    double base = 0;
    int status = 0;
    for (const char* size : {"1000", "100000", "1000000"}) {
        std::fflush(stdout);
        std::string command = "'" + self.string() + "' --bundle '" + bundle.string() + "' --count " + size;
        double middle = 0, least = 0, most = 0;
        FILE* child = ::popen(command.c_str(), "r");
        bool read = child && std::fscanf(child, "%lf %lf %lf", &middle, &least, &most) == 3;
        if (child) ::pclose(child);
        if (!read) {
            status = 1;
            continue;
        }
        if (std::string(size) == "1000") base = middle;
        std::printf("%-12s %8.1f %8.1f %8.1f %10.2f\n", size, middle, least, most, base > 0 ? middle / base : 0.0);
    }
    return status;
}
