#pragma once

#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/QueueBase.hpp"

#include <deque>
#include <memory>

namespace dispatch {

// Runs one item at a time in submission order: on the thread pool, or as work of its target
// queue. sync() without a target runs the work on the caller's thread once every earlier
// item has run, holding the queue meanwhile and handing it straight to the next waiting sync
// caller, so that sync callers never need a free worker; with a target it waits for the
// work to run there. Callable from any thread.
class SerialQueue final : public QueueBase {
public:
    SerialQueue(std::string label, QueuePtr target);

    void async(Work work) override;
    void sync(Work work) override;
    bool isSerial() const override { return true; }

private:
    struct SyncHandOff;
    struct Item {
        Work work;
        std::shared_ptr<SyncHandOff> handOff;  // set for a sync caller waiting for its turn
    };

    void scheduleDrain();
    void drain();
    // After a sync caller's work: drain what came in meanwhile, or mark the queue free.
    void releaseAfterSync();

    struct Pending {
        std::deque<Item> items;
        bool owned = false;  // a drain is scheduled or running, or a sync caller holds the queue
    };
    foundation::Guarded<Pending> pending_;
};

}  // namespace dispatch
