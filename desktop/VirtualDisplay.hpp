#pragma once

#include "desktop/RunningTool.hpp"

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace desktop {

// An X server of its own: Xvfb on a display number it chooses itself, started with
// -displayfd so it is known to answer before the constructor returns (waiting at most ten
// seconds). Programs (xdotool, xclip, the application) run against it with DISPLAY set to
// it. Ends the server when it goes. One thread at a time.
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
    // Starts the program and leaves it running, for tools that wait on this process and for
    // the application.
    std::unique_ptr<RunningTool> start(const std::vector<std::string>& arguments, const std::string& input = "",
                                       ErrorOutput errorOutput = ErrorOutput::discarded) const;

private:
    pid_t server_ = -1;
    std::string name_;
    std::string failure_;
};

}  // namespace desktop
