#pragma once

#include "platform/foundation/CompletionHandler.hpp"
#include "platform/foundation/Error.hpp"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace appkit {

// Starts the executable of an application bundle (<bundle>/Contents/MacOS/<CFBundleExecutable>)
// as a child process. The launch runs on a global queue and its completion is called there
// exactly once, with nil on success or an error saying why the process could not start.
// Children are reaped by a thread of their own, so a long-running application never holds
// a dispatch worker.
class ApplicationLauncher {
public:
    using Completion = foundation::CompletionHandler<std::shared_ptr<foundation::Error>>;

    static void launch(std::filesystem::path applicationPath, std::vector<std::string> arguments,
                       Completion completion);

    // Test support: blocks until every process launched so far has exited.
    static void waitForLaunchedProcessesForTesting();
};

}  // namespace appkit
