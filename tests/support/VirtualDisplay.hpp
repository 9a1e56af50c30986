#pragma once

#include "desktop/VirtualDisplay.hpp"

namespace testsupport {
using desktop::RunningTool;
using desktop::VirtualDisplay;
}  // namespace testsupport

// Skips the test, saying why, when the virtual display could not start.
#define KV_SKIP_WITHOUT_VIRTUAL_DISPLAY(display) \
    if (!(display).isRunning()) GTEST_SKIP() << "Xvfb cannot start here, so nothing runs on X: " << (display).failure()
