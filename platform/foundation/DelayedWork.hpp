#pragma once

#include "platform/foundation/Dispatch.hpp"

#include <memory>

namespace dispatch {

// Holds work submitted with after() until its deadline on the process clock, then submits
// it to its queue; work due at once is submitted in deadline order (ties in the order they
// were scheduled). On the real clock a timer thread waits for the deadlines; on the manual
// clock advancing the clock submits what became due. Callable from any thread.
class DelayedWork {
public:
    static DelayedWork& shared();

    void schedule(foundation::Clock::TimePoint deadline, QueuePtr queue, Work work);

    struct State;  // internal to the scheduler and its timer thread

private:
    DelayedWork();
    std::shared_ptr<State> state_;
    std::unique_ptr<foundation::Clock::ListenerToken> clockListener_;
};

}  // namespace dispatch
