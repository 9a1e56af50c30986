#pragma once

#include "platform/foundation/Guarded.hpp"

#include <atomic>
#include <functional>
#include <memory>
#include <utility>

namespace foundation {

// Every process-wide instance and test setting registers here how to drop it; the test
// main calls resetProcessWideStateForTesting() after each test, which drops them newest
// first, then puts this library's own settings (user defaults, main bundle, system version,
// clock, assertion mode, uncaught-exception handler) back to their defaults. Callable from
// any thread.
void registerProcessWideReset(std::function<void()> reset);
void resetProcessWideStateForTesting();

// For process-wide state that is not one instance (a setting, a cache, a map): arm() after
// each change registers the reset, once until it has run. Made static beside the state.
class ProcessWideReset {
public:
    explicit ProcessWideReset(std::function<void()> reset) : reset_(std::move(reset)) {}
    ProcessWideReset(const ProcessWideReset&) = delete;
    ProcessWideReset& operator=(const ProcessWideReset&) = delete;

    void arm() {
        if (armed_.exchange(true)) return;
        registerProcessWideReset([this] {
            armed_ = false;
            reset_();
        });
    }

private:
    std::function<void()> reset_;
    std::atomic<bool> armed_{false};
};

// The one idiom for a process-wide instance: a static ProcessWide<T> made where the type is
// defined, whose get() makes the instance on first use and registers it for the reset
// above. The instance is shared, so a caller holding it across a reset keeps a valid
// object. Callable from any thread (the instance decides whether it is).
template <typename T>
class ProcessWide {
public:
    using Factory = std::function<std::shared_ptr<T>()>;

    ProcessWide() : make_([] { return std::make_shared<T>(); }) {}
    explicit ProcessWide(Factory make) : make_(std::move(make)) {}
    ProcessWide(const ProcessWide&) = delete;
    ProcessWide& operator=(const ProcessWide&) = delete;

    std::shared_ptr<T> get() {
        auto instance = instance_.lock();
        if (!*instance) {
            *instance = make_();
            registerProcessWideReset([this] { reset(); });
        }
        return *instance;
    }
    // Puts another instance in place (a test's stand-in; null: the next get() makes one).
    void set(std::shared_ptr<T> instance) {
        std::shared_ptr<T> dropped;  // destroyed unlocked, as in reset()
        {
            auto current = instance_.lock();
            if (!*current && instance) registerProcessWideReset([this] { reset(); });
            dropped = std::exchange(*current, std::move(instance));
        }
    }
    // Drops the instance; the next get() makes a new one.
    void reset() {
        std::shared_ptr<T> dropped;  // destroyed unlocked: its destructor may reach other instances
        std::swap(dropped, *instance_.lock());
    }

private:
    Factory make_;
    Guarded<std::shared_ptr<T>> instance_;
};

}  // namespace foundation
