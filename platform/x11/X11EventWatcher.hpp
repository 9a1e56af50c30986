#pragma once

#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/RunLoop.hpp"

#include <condition_variable>
#include <functional>
#include <memory>
#include <thread>

namespace display {

// Wakes the main run loop when the X server sent something: a thread of its own waits for
// the connection's socket to become readable and signals a main run-loop source (in the
// common modes), whose work reads the events on the main thread; the thread waits for that
// work before it looks at the socket again, and stops for good when the work answers false
// (the connection broke). Made and destroyed on the main thread; the destructor stops and
// joins the thread.
class X11EventWatcher {
public:
    X11EventWatcher(int fileDescriptor, std::function<bool()> readEvents);
    ~X11EventWatcher();
    X11EventWatcher(const X11EventWatcher&) = delete;
    X11EventWatcher& operator=(const X11EventWatcher&) = delete;

    // Runs the work again on the loop's next pass: events were read while waiting for a reply.
    void signal() { source_->signal(); }

private:
    void watch();
    void perform();

    int fileDescriptor_;
    int stopDescriptor_;
    std::function<bool()> readEvents_;
    std::shared_ptr<foundation::RunLoop::Source> source_;
    std::unique_ptr<foundation::RunLoopToken> sourceToken_;
    struct Handover {
        bool waitingForMain = false;
        bool stopping = false;
    };
    foundation::Guarded<Handover> handover_;
    std::condition_variable served_;
    std::thread thread_;
};

}  // namespace display
