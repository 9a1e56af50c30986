#include "platform/x11/X11EventWatcher.hpp"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace display {

X11EventWatcher::X11EventWatcher(int fileDescriptor, std::function<bool()> readEvents)
    : fileDescriptor_(fileDescriptor), stopDescriptor_(eventfd(0, EFD_CLOEXEC)), readEvents_(std::move(readEvents)) {
    auto [source, token] = foundation::RunLoop::main()->addSource([this] { perform(); }, foundation::NSRunLoopCommonModes);
    source_ = std::move(source);
    sourceToken_ = std::move(token);
    thread_ = std::thread([this] { watch(); });
}

X11EventWatcher::~X11EventWatcher() {
    handover_.lock()->stopping = true;
    served_.notify_all();
    std::uint64_t one = 1;
    [[maybe_unused]] auto written = ::write(stopDescriptor_, &one, sizeof one);
    thread_.join();
    sourceToken_.reset();
    ::close(stopDescriptor_);
}

void X11EventWatcher::watch() {
    for (;;) {
        pollfd descriptors[] = {{fileDescriptor_, POLLIN, 0}, {stopDescriptor_, POLLIN, 0}};
        if (::poll(descriptors, 2, -1) < 0) continue;
        if (descriptors[1].revents) return;
        auto handover = handover_.lock();
        if (handover->stopping) return;
        handover->waitingForMain = true;
        source_->signal();
        handover.wait(served_, [](const Handover& state) { return !state.waitingForMain || state.stopping; });
        if (handover->stopping) return;
    }
}

void X11EventWatcher::perform() {
    // A broken connection stays readable: watching it would only spin.
    bool keepWatching = readEvents_();
    {
        auto handover = handover_.lock();
        handover->waitingForMain = false;
        if (!keepWatching) handover->stopping = true;
    }
    served_.notify_all();
}

}  // namespace display
