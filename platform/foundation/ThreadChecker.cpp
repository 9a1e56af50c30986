#include "platform/foundation/ThreadChecker.hpp"

#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/QueueContext.hpp"

#include <cstdio>
#include <cstdlib>

namespace dispatch {

namespace {

[[noreturn]] void stopAt(std::source_location caller, const std::string& rule) {
    std::fprintf(stderr, "%s:%u: %s must be called %s\n", caller.file_name(), static_cast<unsigned>(caller.line()),
                 caller.function_name(), rule.c_str());
    std::abort();
}

}  // namespace

void checkMainThread(std::source_location caller) {
    if (!isMainThread()) stopAt(caller, "on the main thread");
}

void checkOnQueue(const Queue& queue, std::source_location caller) {
    if (!QueueContext::isRunning(queue)) stopAt(caller, "on the queue \"" + queue.label() + "\"");
}

}  // namespace dispatch
