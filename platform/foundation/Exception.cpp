#include "platform/foundation/Exception.hpp"

#include <atomic>
#include <cstdio>

namespace foundation {

Exception::Exception(std::string name, std::string reason, std::shared_ptr<Dictionary> userInfo)
    : name_(std::move(name)), reason_(std::move(reason)), userInfo_(std::move(userInfo)) {}

void Exception::raise(std::string name, std::string reason) { throw Exception(std::move(name), std::move(reason)); }

namespace {
std::atomic<AssertionMode> assertionMode{AssertionMode::raise};
}

void AssertionHandler::setMode(AssertionMode mode) { assertionMode.store(mode); }

AssertionMode AssertionHandler::mode() { return assertionMode.load(); }

void AssertionHandler::handleFailure(const std::string& description) {
    if (mode() == AssertionMode::raise) Exception::raise(NSInternalInconsistencyException, description);
    std::fprintf(stderr, "*** Assertion failure: %s\n", description.c_str());
}

}  // namespace foundation
