#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace systemconfiguration {

// Tells its observers that the machine's network changed: a link, an address or a route came
// or went (the kernel's routing notifications). One process-wide watcher thread runs while
// anyone observes and ends when the last observation is gone. Observers are called on that
// thread, each time a batch of changes arrived; one removed while a batch is being handed out
// may still hear of that batch. Thread-safe.
class NetworkChangeMonitor {
public:
    // Removes its observer when destroyed.
    class Observation {
    public:
        explicit Observation(std::uint64_t identifier) : identifier_(identifier) {}
        Observation(const Observation&) = delete;
        Observation& operator=(const Observation&) = delete;
        ~Observation();

    private:
        std::uint64_t identifier_;
    };

    [[nodiscard]] static std::unique_ptr<Observation> observe(std::function<void()> onChange);

    // Test support: hands a change to the observers as if the kernel had reported one.
    static void simulateChangeForTesting();
    // Test support: whether the watcher thread is running.
    static bool isWatchingForTesting();
};

}  // namespace systemconfiguration
