#pragma once

#include "platform/foundation/Clock.hpp"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace dispatch {

using Work = std::function<void()>;
using Duration = foundation::Clock::Duration;

enum class Priority { background, utility, defaultPriority, userInitiated, userInteractive };
enum class Attributes { serial, concurrent };

// A dispatch queue. The main queue runs its work only on the main thread, from the main
// run loop; global queues run work concurrently on the shared thread pool; serial queues
// run one item at a time in submission order (on the pool, or on their target queue).
// Queues are shared objects; work submitted to a queue keeps the queue alive until it ran.
// An exception escaping async work goes to the uncaught-exception handler
// (UncaughtException.hpp) and the queue goes on with its next item.
class Queue : public std::enable_shared_from_this<Queue> {
public:
    virtual ~Queue() = default;

    virtual const std::string& label() const = 0;
    virtual void async(Work work) = 0;
    // Runs the work and waits for it. Calling sync on the queue one is running on deadlocks
    // on the platform; here it is a programming error reported through the assertion handler.
    virtual void sync(Work work) = 0;
    // Submits the work once the process clock has advanced by the delay.
    virtual void after(Duration delay, Work work) = 0;
};

using QueuePtr = std::shared_ptr<Queue>;

// The queue served by the main run loop on the main thread. Its label is
// "com.apple.main-thread".
QueuePtr mainQueue();
// Global concurrent queues, one per priority, on the shared thread pool
// ("com.apple.root.default-qos" and so on).
QueuePtr globalQueue(Priority priority = Priority::defaultPriority);
// A new queue; with a target, its work runs on the target (one at a time for a serial queue).
QueuePtr createQueue(std::string label, Attributes attributes = Attributes::serial, QueuePtr target = nullptr);

// The label of the queue whose work is running on this thread; empty outside any queue's
// work (the main thread outside main-queue work answers "com.apple.main-thread").
std::string currentQueueLabel();
bool isMainThread();

// A group of work: enter and leave balance, notify runs once the count reaches zero.
class Group : public std::enable_shared_from_this<Group> {
public:
    static std::shared_ptr<Group> create();
    virtual ~Group() = default;

    virtual void enter() = 0;
    virtual void leave() = 0;
    virtual void async(const QueuePtr& queue, Work work) = 0;
    // Submits the work to the queue when the group is (or becomes) empty.
    virtual void notify(const QueuePtr& queue, Work work) = 0;
    // Blocks until the group is empty or the timeout (on the process clock) passes; true
    // when it emptied. Without a timeout it waits for ever.
    virtual bool wait(std::optional<Duration> timeout = std::nullopt) = 0;
};

using GroupPtr = std::shared_ptr<Group>;

// Work that can be cancelled before it starts; cancelling after it started has no effect
// on the running work.
class WorkItem : public std::enable_shared_from_this<WorkItem> {
public:
    static std::shared_ptr<WorkItem> create(Work work);
    virtual ~WorkItem() = default;

    virtual void perform() = 0;
    virtual void cancel() = 0;
    virtual bool isCancelled() const = 0;
    // Submits perform() to the queue.
    void async(const QueuePtr& queue);
    void after(const QueuePtr& queue, Duration delay);
};

using WorkItemPtr = std::shared_ptr<WorkItem>;

// Runs the work exactly once per flag, whatever the thread.
using OnceFlag = std::once_flag;
void once(OnceFlag& flag, const Work& work);

// Test support: true when the main queue is empty, no source or timer of the main run
// loop's default mode is signalled or due, and the thread pool has nothing running or queued.
bool isIdle();

}  // namespace dispatch
