#include "desktop/RunningTool.hpp"

#include "desktop/ProcessSpawn.hpp"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace desktop {

std::unique_ptr<RunningTool> RunningTool::start(const std::vector<std::string>& arguments,
                                                const std::vector<std::string>& extraEnvironment,
                                                const std::string& input, ErrorOutput errorOutput) {
    int output[2], feed[2];
    if (!makePipe(output)) return nullptr;
    if (!makePipe(feed)) {
        ::close(output[0]);
        ::close(output[1]);
        return nullptr;
    }
    pid_t process = spawnProcess(arguments, extraEnvironment, feed[0], output[1],
                                 errorOutput == ErrorOutput::withOutput ? output[1] : -1);
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

}  // namespace desktop
