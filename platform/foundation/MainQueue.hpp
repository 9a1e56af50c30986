#pragma once

#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/QueueBase.hpp"
#include "platform/foundation/RunLoop.hpp"

#include <deque>
#include <memory>

namespace dispatch {

// The main queue: a source of the main run loop in the common modes. Work may be submitted
// from any thread and runs on the main thread, in submission order, whenever the main run
// loop runs in a common mode (also inside nested runs, which keep taking the next item).
class MainQueue final : public QueueBase {
public:
    static std::shared_ptr<MainQueue> shared();

    void async(Work work) override;
    void sync(Work work) override;
    bool isSerial() const override { return true; }
    bool isMain() const override { return true; }
    bool isEmpty() const;

    MainQueue();

private:
    void drain();

    foundation::Guarded<std::deque<Work>> items_;
    std::shared_ptr<foundation::RunLoop::Source> source_;
    std::unique_ptr<foundation::RunLoopToken> sourceRegistration_;
};

// True when no work waits on the main queue (also when it was never used).
bool mainQueueIsEmpty();

}  // namespace dispatch
