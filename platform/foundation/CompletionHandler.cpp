#include "platform/foundation/CompletionHandler.hpp"

#include "platform/foundation/Exception.hpp"

#include <cstdio>
#include <cstdlib>

namespace foundation {

void reportCompletionHandlerMisuse(CompletionHandlerMisuse misuse, std::source_location made) noexcept {
    const char* what = misuse == CompletionHandlerMisuse::calledTwice ? "was called a second time"
                                                                      : "was dropped without being called";
    std::fprintf(stderr, "*** The completion handler made at %s:%u (%s) %s\n", made.file_name(),
                 static_cast<unsigned>(made.line()), made.function_name(), what);
    if (AssertionHandler::mode() == AssertionMode::raise) std::abort();
}

}  // namespace foundation
