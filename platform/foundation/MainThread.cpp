#include "platform/foundation/Dispatch.hpp"

#include <thread>

namespace dispatch {

namespace {

// The main thread is the process's initial thread: the one that runs static
// initialisation and main(). Recording it here, rather than on first use, keeps the answer
// right even when a worker happens to ask first.
std::thread::id mainThreadIdentifier() {
    static const std::thread::id identifier = std::this_thread::get_id();
    return identifier;
}

[[maybe_unused]] const std::thread::id recordedAtStartUp = mainThreadIdentifier();

}  // namespace

bool isMainThread() { return std::this_thread::get_id() == mainThreadIdentifier(); }

}  // namespace dispatch
