#include "desktop/VirtualDisplay.hpp"

#include "desktop/ProcessSpawn.hpp"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace desktop {

namespace {
constexpr auto startLimit = std::chrono::seconds(10);
}  // namespace

VirtualDisplay::VirtualDisplay(int width, int height) {
    int ready[2];
    if (!makePipe(ready)) {
        failure_ = std::strerror(errno);
        return;
    }
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    server_ = spawnProcess({"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp", "-ac", "-noreset"},
                           {}, -1, -1, -1, ready[1]);
    ::close(ready[1]);
    if (server_ <= 0) {
        failure_ = "Xvfb is not installed";
        ::close(ready[0]);
        return;
    }
    // The server writes its display number once it answers; nothing means it gave up.
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + startLimit;
    while (number.find('\n') == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd readable{ready[0], POLLIN, 0};
        if (left.count() <= 0 || ::poll(&readable, 1, int(left.count())) <= 0) break;
        char buffer[32];
        ssize_t count = ::read(ready[0], buffer, sizeof buffer);
        if (count <= 0) break;
        number.append(buffer, std::size_t(count));
    }
    ::close(ready[0]);
    if (number.find('\n') == std::string::npos) {
        failure_ = "Xvfb did not start (missing or refused to run)";
        ::kill(server_, SIGTERM);
        ::waitpid(server_, nullptr, 0);
        server_ = -1;
        return;
    }
    name_ = std::string(":").append(std::to_string(std::strtol(number.c_str(), nullptr, 10)));
}

VirtualDisplay::~VirtualDisplay() {
    if (server_ <= 0) return;
    ::kill(server_, SIGTERM);
    ::waitpid(server_, nullptr, 0);
}

std::unique_ptr<RunningTool> VirtualDisplay::start(const std::vector<std::string>& arguments, const std::string& input,
                                                   ErrorOutput errorOutput) const {
    return RunningTool::start(arguments, {"DISPLAY=" + name_}, input, errorOutput);
}

VirtualDisplay::ToolResult VirtualDisplay::run(const std::vector<std::string>& arguments,
                                               const std::string& input) const {
    auto tool = start(arguments, input);
    if (!tool || !tool->waitForEnd(startLimit)) return {-1, tool ? tool->output() : std::string()};
    return {*tool->status(), tool->output()};
}

}  // namespace desktop
