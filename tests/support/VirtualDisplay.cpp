#include "tests/support/VirtualDisplay.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace testsupport {

namespace {

constexpr auto startLimit = std::chrono::seconds(10);

// Starts the program with the extra environment entries; its output goes to the given
// descriptor (or /dev/null), its input comes from the given one (or /dev/null), and the
// descriptor passed on stays open in it as number 3.
pid_t spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& extraEnvironment, int input,
            int output, int passedOn) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        std::string text = *entry;
        bool replaced = false;
        for (const auto& extra : extraEnvironment)
            replaced = replaced || text.compare(0, extra.find('=') + 1, extra, 0, extra.find('=') + 1) == 0;
        if (!replaced) environment.push_back(text);
    }
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    std::vector<char*> argv, envp;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    for (const auto& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input >= 0)
        posix_spawn_file_actions_adddup2(&actions, input, 0);
    else
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (output >= 0)
        posix_spawn_file_actions_adddup2(&actions, output, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (passedOn >= 0) posix_spawn_file_actions_adddup2(&actions, passedOn, 3);
    pid_t process = -1;
    int error = posix_spawnp(&process, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? process : -1;
}

// A pipe whose ends close on exec unless handed to a child explicitly.
bool makePipe(int ends[2]) { return ::pipe2(ends, O_CLOEXEC) == 0; }

}  // namespace

RunningTool::RunningTool(pid_t process, int output) : process_(process), output_descriptor_(output) {}

RunningTool::~RunningTool() {
    if (!status_) {
        ::kill(process_, SIGTERM);
        ::waitpid(process_, nullptr, 0);
    }
    if (output_descriptor_ >= 0) ::close(output_descriptor_);
}

bool RunningTool::readOutput(int waitMilliseconds) {
    if (output_descriptor_ < 0) return false;
    pollfd readable{output_descriptor_, POLLIN, 0};
    if (::poll(&readable, 1, waitMilliseconds) <= 0) return true;
    char buffer[4096];
    ssize_t count = ::read(output_descriptor_, buffer, sizeof buffer);
    if (count > 0 || (count < 0 && errno == EINTR)) {
        if (count > 0) output_.append(buffer, std::size_t(count));
        return true;
    }
    ::close(output_descriptor_);
    output_descriptor_ = -1;
    return false;
}

bool RunningTool::finished() {
    if (status_) return true;
    // All that is there, and no end before the output closed.
    for (pollfd readable{output_descriptor_, POLLIN, 0}; output_descriptor_ >= 0 && ::poll(&readable, 1, 0) > 0;)
        readOutput(0);
    if (output_descriptor_ >= 0) return false;
    int status = 0;
    if (::waitpid(process_, &status, WNOHANG) != process_) return false;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

bool RunningTool::waitForEnd(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (finished()) return true;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        if (output_descriptor_ >= 0) {
            readOutput(int(left.count()));
        } else {
            // The output closed: the tool is on its way out.
            int status = 0;
            if (::waitpid(process_, &status, 0) == process_) status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return status_.has_value();
        }
    }
}

VirtualDisplay::VirtualDisplay(int width, int height) {
    int ready[2];
    if (!makePipe(ready)) {
        failure_ = std::strerror(errno);
        return;
    }
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    server_ = spawn({"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp", "-ac", "-noreset"}, {}, -1,
                    -1, ready[1]);
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
    name_ = ":" + number.substr(0, number.find('\n'));
}

VirtualDisplay::~VirtualDisplay() {
    if (server_ <= 0) return;
    ::kill(server_, SIGTERM);
    ::waitpid(server_, nullptr, 0);
}

std::unique_ptr<RunningTool> VirtualDisplay::start(const std::vector<std::string>& arguments,
                                                   const std::string& input) const {
    int output[2], feed[2];
    if (!makePipe(output) || !makePipe(feed)) return nullptr;
    pid_t process = spawn(arguments, {"DISPLAY=" + name_}, feed[0], output[1], -1);
    ::close(output[1]);
    ::close(feed[0]);
    // The tools read little: a pipe's buffer holds all of it.
    if (!input.empty()) [[maybe_unused]] auto written = ::write(feed[1], input.data(), input.size());
    ::close(feed[1]);
    if (process <= 0) {
        ::close(output[0]);
        return nullptr;
    }
    return std::make_unique<RunningTool>(process, output[0]);
}

VirtualDisplay::ToolResult VirtualDisplay::run(const std::vector<std::string>& arguments,
                                               const std::string& input) const {
    auto tool = start(arguments, input);
    if (!tool || !tool->waitForEnd(startLimit)) return {-1, tool ? tool->output() : std::string()};
    return {*tool->status(), tool->output()};
}

}  // namespace testsupport
