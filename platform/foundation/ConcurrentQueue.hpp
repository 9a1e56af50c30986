#pragma once

#include "platform/foundation/QueueBase.hpp"

namespace dispatch {

// Runs its items concurrently on the thread pool at its priority (the global queues are
// such queues), or hands each to its target queue. sync() runs the work on the caller's
// thread when there is no target. Stateless apart from its label: callable from any thread.
class ConcurrentQueue final : public QueueBase {
public:
    ConcurrentQueue(std::string label, Priority priority, QueuePtr target);

    void async(Work work) override;
    void sync(Work work) override;
    bool isSerial() const override { return false; }

private:
    Priority priority_;
};

}  // namespace dispatch
