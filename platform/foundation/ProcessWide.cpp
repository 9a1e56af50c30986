#include "platform/foundation/ProcessWide.hpp"

#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/Exception.hpp"
#include "platform/foundation/ProcessInfo.hpp"
#include "platform/foundation/UncaughtException.hpp"
#include "platform/foundation/UserDefaults.hpp"

#include <vector>

namespace foundation {

namespace {

Guarded<std::vector<std::function<void()>>>& resets() {
    static auto* registered = new Guarded<std::vector<std::function<void()>>>();  // outlives static destruction
    return *registered;
}

}  // namespace

void registerProcessWideReset(std::function<void()> reset) { resets().lock()->push_back(std::move(reset)); }

void resetProcessWideStateForTesting() {
    // A reset may make and register others (a destructor reaching another instance), so a
    // few rounds are run; instances that keep remaking each other are left to the last one.
    for (int round = 0; round < 4; ++round) {
        std::vector<std::function<void()>> pending;
        resets().withLock([&](auto& registered) { std::swap(pending, registered); });
        if (pending.empty()) break;
        for (auto reset = pending.rbegin(); reset != pending.rend(); ++reset) (*reset)();
    }
    // This library's own settings.
    UserDefaults::resetForTesting();
    Bundle::setMainBundlePathForTesting(std::nullopt);
    ProcessInfo::setOperatingSystemVersionForTesting(std::nullopt);
    Clock::installReal();
    AssertionHandler::setMode(AssertionMode::raise);
    setUncaughtExceptionHandler(nullptr);
}

}  // namespace foundation
