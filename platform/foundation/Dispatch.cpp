#include "platform/foundation/Dispatch.hpp"

#include "platform/foundation/ConcurrentQueue.hpp"
#include "platform/foundation/MainQueue.hpp"
#include "platform/foundation/QueueContext.hpp"
#include "platform/foundation/SerialQueue.hpp"
#include "platform/foundation/ThreadRunLoop.hpp"

#include <array>

namespace dispatch {

QueuePtr mainQueue() { return MainQueue::shared(); }

QueuePtr globalQueue(Priority priority) {
    static const std::array<QueuePtr, 5> queues = [] {
        std::array<QueuePtr, 5> made;
        const char* labels[] = {"com.apple.root.background-qos", "com.apple.root.utility-qos",
                                "com.apple.root.default-qos", "com.apple.root.user-initiated-qos",
                                "com.apple.root.user-interactive-qos"};
        for (std::size_t index = 0; index < made.size(); ++index)
            made[index] = std::make_shared<ConcurrentQueue>(labels[index], static_cast<Priority>(index), nullptr);
        return made;
    }();
    return queues[static_cast<std::size_t>(priority)];
}

QueuePtr createQueue(std::string label, Attributes attributes, QueuePtr target) {
    if (attributes == Attributes::serial) return std::make_shared<SerialQueue>(std::move(label), std::move(target));
    return std::make_shared<ConcurrentQueue>(std::move(label), Priority::defaultPriority, std::move(target));
}

std::string currentQueueLabel() {
    if (const Queue* queue = QueueContext::current()) return queue->label();
    return isMainThread() ? MainQueue::shared()->label() : std::string();
}

void once(OnceFlag& flag, const Work& work) { std::call_once(flag, work); }

bool isIdle() {
    auto mainLoop = std::static_pointer_cast<foundation::ThreadRunLoop>(foundation::RunLoop::main());
    return mainLoop->isIdle(foundation::NSDefaultRunLoopMode);
}

}  // namespace dispatch
