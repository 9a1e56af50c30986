#pragma once

#include "platform/foundation/Dispatch.hpp"

#include <string>

namespace dispatch {

// What every queue shares: its label, its target, after(), and the checks and waiting
// behind sync(). Immutable after construction, so callable from any thread.
class QueueBase : public Queue {
public:
    QueueBase(std::string label, QueuePtr target);

    const std::string& label() const override { return label_; }
    void after(Duration delay, Work work) override;

    const QueuePtr& target() const { return target_; }
    // Serial queues (the main queue among them) run one item at a time.
    virtual bool isSerial() const = 0;
    virtual bool isMain() const { return false; }

protected:
    // True (after reporting through the assertion handler) when waiting for this queue
    // from the calling thread could never end: the thread is inside work of this queue or
    // of a serial queue it targets, or it is the main thread and the work would need the
    // main queue.
    bool syncWouldDeadlock() const;
    // Submits the work asynchronously and blocks until it has run; an exception it throws
    // is raised again in the caller.
    void asyncAndWait(Work work);

private:
    std::string label_;
    QueuePtr target_;
};

}  // namespace dispatch
