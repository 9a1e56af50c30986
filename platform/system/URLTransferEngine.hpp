#pragma once

#include <memory>

namespace foundation {

class URLTransfer;

// Runs every transfer of the process on one libcurl multi handle. The loop is a task on a
// global dispatch queue that lives while transfers are active and ends when none is left, so
// an idle process holds no thread and tests see loads in flight as work in progress. Safe
// to call from any thread.
class URLTransferEngine {
public:
    static void add(std::shared_ptr<URLTransfer> transfer);
    // Makes the loop look at its transfers again (after a cancellation).
    static void wakeUp();
};

}  // namespace foundation
