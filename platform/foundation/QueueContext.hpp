#pragma once

#include "platform/foundation/Dispatch.hpp"

namespace dispatch {

// The queues whose work the calling thread is running, innermost last. Thread-local: each
// thread sees only its own stack; a Scope must end on the thread that began it.
class QueueContext {
public:
    class Scope {
    public:
        explicit Scope(const Queue& queue);
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        ~Scope();
    };

    // The innermost queue, or null outside any queue's work.
    static const Queue* current();
    // Whether the thread is inside work of the queue at any depth.
    static bool isRunning(const Queue& queue);
};

}  // namespace dispatch
