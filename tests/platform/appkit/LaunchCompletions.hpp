#pragma once

#include "platform/appkit/ApplicationLauncher.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/RunLoop.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace testsupport {

// Collects what launch completions report; they run on a worker queue.
class LaunchCompletions {
public:
    appkit::ApplicationLauncher::Completion collector() {
        return [this](std::shared_ptr<foundation::Error> error) { errors_.lock()->push_back(std::move(error)); };
    }
    std::vector<std::shared_ptr<foundation::Error>> errors() { return errors_.copy(); }

private:
    foundation::Guarded<std::vector<std::shared_ptr<foundation::Error>>> errors_;
};

// Runs the launches and waits until the launched processes have exited.
inline void finishLaunches() {
    ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle());
    appkit::ApplicationLauncher::waitForLaunchedProcessesForTesting();
}

}  // namespace testsupport
