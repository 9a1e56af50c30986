#include "platform/foundation/UncaughtException.hpp"

#include "platform/foundation/Exception.hpp"
#include "platform/foundation/Guarded.hpp"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace foundation {

namespace {

// Shared so a handler replaced while it runs on another thread finishes safely.
Guarded<std::shared_ptr<const UncaughtExceptionHandler>> installedHandler;

std::string describe(const std::exception_ptr& exception) {
    try {
        std::rethrow_exception(exception);
    } catch (const Exception& platformException) {
        return platformException.name() + ": " + platformException.reason();
    } catch (const std::exception& standardException) {
        return standardException.what();
    } catch (...) {
        return "an exception that is not a std::exception";
    }
}

[[noreturn]] void terminateReporting(const UncaughtException& uncaught) {
    std::fprintf(stderr, "*** Terminating on an uncaught exception from %s: %s\n", uncaught.origin.c_str(),
                 uncaught.description.c_str());
    std::abort();
}

}  // namespace

void setUncaughtExceptionHandler(UncaughtExceptionHandler handler) {
    auto shared = handler ? std::make_shared<const UncaughtExceptionHandler>(std::move(handler)) : nullptr;
    *installedHandler.lock() = std::move(shared);
}

void reportUncaughtException(std::string_view origin, std::exception_ptr exception) noexcept {
    UncaughtException uncaught{std::string(origin), describe(exception), exception};
    auto handler = *installedHandler.lock();
    if (!handler) terminateReporting(uncaught);
    (*handler)(uncaught);
}

}  // namespace foundation
