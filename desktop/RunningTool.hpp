#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace desktop {

// Where a started program's standard error goes.
enum class ErrorOutput { discarded, withOutput };

// A program started as a process of its own and left running: its standard output (and,
// when asked, its standard error) is gathered as it comes; destroying it ends the program.
// One thread at a time.
class RunningTool {
public:
    // Starts the program (looked up in PATH) with this process's environment, the extra
    // entries ("NAME=value") replacing those of the same name, the input on its standard
    // input and every other descriptor closed; null when it cannot start.
    static std::unique_ptr<RunningTool> start(const std::vector<std::string>& arguments,
                                              const std::vector<std::string>& extraEnvironment,
                                              const std::string& input = "",
                                              ErrorOutput errorOutput = ErrorOutput::discarded);

    RunningTool(pid_t process, int output);
    RunningTool(const RunningTool&) = delete;
    RunningTool& operator=(const RunningTool&) = delete;
    ~RunningTool();

    pid_t process() const { return process_; }
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

}  // namespace desktop
