#pragma once

#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace foundation {

// What escaped a callback that nobody above could catch: where it escaped from (a queue's
// label, a run-loop callback) and the exception.
struct UncaughtException {
    std::string origin;
    std::string description;
    std::exception_ptr exception;
};

// The one policy for an exception escaping queued work (any dispatch queue, the main queue
// among them) or a run-loop timer, source or observer: it stops at the end of that item,
// the queue or loop stays usable and goes on with its next item, and the exception is
// handed to the uncaught-exception handler. The default handler writes the origin and the
// description to standard error and aborts, as the platform ends a process on an uncaught
// exception; tests install their own to observe it. Callable from any thread; the handler
// runs on the thread the exception escaped on.
using UncaughtExceptionHandler = std::function<void(const UncaughtException&)>;
void setUncaughtExceptionHandler(UncaughtExceptionHandler handler);  // null restores the default

// Hands an exception that escaped a callback of the origin to the handler. A handler that
// throws in turn terminates the process.
void reportUncaughtException(std::string_view origin, std::exception_ptr exception) noexcept;

// Runs the callback; an exception escaping it goes to the handler and ends there.
template <typename Callback>
void invokeReportingUncaught(std::string_view origin, Callback&& callback) {
    try {
        std::forward<Callback>(callback)();
    } catch (...) {
        reportUncaughtException(origin, std::current_exception());
    }
}

}  // namespace foundation
