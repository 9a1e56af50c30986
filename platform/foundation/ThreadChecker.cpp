#include "platform/foundation/ThreadChecker.hpp"

#include "platform/foundation/Dispatch.hpp"

#include <cstdio>
#include <cstdlib>

namespace dispatch {

void checkMainThread(std::source_location caller) {
    if (isMainThread()) return;
    std::fprintf(stderr, "%s:%u: %s must be called on the main thread\n", caller.file_name(),
                 static_cast<unsigned>(caller.line()), caller.function_name());
    std::abort();
}

}  // namespace dispatch
