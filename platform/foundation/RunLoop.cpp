#include "platform/foundation/RunLoop.hpp"

#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/ThreadRunLoop.hpp"

namespace foundation {

std::shared_ptr<RunLoop> RunLoop::main() {
    static const std::shared_ptr<RunLoop> mainLoop = std::make_shared<ThreadRunLoop>();
    return mainLoop;
}

std::shared_ptr<RunLoop> RunLoop::current() {
    if (dispatch::isMainThread()) return main();
    thread_local const std::shared_ptr<RunLoop> threadLoop = std::make_shared<ThreadRunLoop>();
    return threadLoop;
}

}  // namespace foundation
