#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// A tool started against a virtual display and left running: its standard output is
// gathered as it comes; destroying it ends the tool.
class RunningTool {
public:
    RunningTool(pid_t process, int output);
    RunningTool(const RunningTool&) = delete;
    RunningTool& operator=(const RunningTool&) = delete;
    ~RunningTool();

    // Reads what is there without waiting; true once the tool closed its output and ended.
    bool finished();
    // Reads until the tool closes its output and ends, at most for the limit; whether it ended.
    bool waitForEnd(std::chrono::milliseconds limit);
    const std::string& output() const { return output_; }
    // The exit status once finished, else nullopt.
    std::optional<int> status() const { return status_; }

private:
    // Reads what the output holds, waiting for it up to the limit; false once it closed.
    bool readOutput(int waitMilliseconds);

    pid_t process_;
    int output_descriptor_;
    std::string output_;
    std::optional<int> status_;
};

// An X server of the test's own: Xvfb on a display number it chooses itself, started with
// -displayfd so it is known to answer before the constructor returns (waiting at most ten
// seconds). Tools (xdotool, xclip) run against it with DISPLAY set to it. Tests skip with
// the reason when it cannot start. Ends the server when it goes.
class VirtualDisplay {
public:
    explicit VirtualDisplay(int width = 1280, int height = 800);
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;
    ~VirtualDisplay();

    bool isRunning() const { return server_ > 0 && !name_.empty(); }
    const std::string& failure() const { return failure_; }
    // The display name, ":N".
    const std::string& name() const { return name_; }

    // Runs the tool to its end (at most ten seconds) with the input on its standard input;
    // its exit status (-1 when it could not run or was ended) and standard output.
    struct ToolResult {
        int status = -1;
        std::string output;
    };
    ToolResult run(const std::vector<std::string>& arguments, const std::string& input = "") const;
    // Starts the tool and leaves it running, for tools that wait on this process.
    std::unique_ptr<RunningTool> start(const std::vector<std::string>& arguments, const std::string& input = "") const;

private:
    pid_t server_ = -1;
    std::string name_;
    std::string failure_;
};

}  // namespace testsupport

// Skips the test, saying why, when the virtual display could not start.
#define KV_SKIP_WITHOUT_VIRTUAL_DISPLAY(display) \
    if (!(display).isRunning()) GTEST_SKIP() << "Xvfb cannot start here, so nothing runs on X: " << (display).failure()
