#pragma once

#include "platform/foundation/Dispatch.hpp"

#include <cstdint>
#include <functional>
#include <memory>

namespace dispatch {

// The process's worker threads behind the global queues: started as tasks arrive while the
// others are busy, up to as many as the machine has cores (at least four). Tasks of a higher priority are taken
// first; tasks of one priority in submission order. Callable from any thread. The workers
// keep the pool's state alive, so the pool outlives static destruction safely.
class ThreadPool {
public:
    static ThreadPool& shared();

    void submit(Priority priority, Work task);
    // True when no task is queued or running.
    bool isIdle() const;

    // Called on a worker each time the pool becomes idle. Destroying the token removes the
    // listener; a call already under way may still finish.
    class IdleListenerToken {
    public:
        virtual ~IdleListenerToken() = default;
    };
    [[nodiscard]] std::unique_ptr<IdleListenerToken> addIdleListener(std::function<void()> listener);

    struct State;  // internal to the pool and its workers

private:
    ThreadPool();
    std::shared_ptr<State> state_;
};

}  // namespace dispatch
