#pragma once

#include <functional>
#include <vector>

namespace ui {

// The cancellation flag of a view's task: set once when the view goes away; handlers
// registered before run then (at most once each), handlers registered after run at once.
// Main thread only.
class CancellationToken {
public:
    bool isCancelled() const { return cancelled_; }
    void cancel() {
        if (cancelled_) return;
        cancelled_ = true;
        auto handlers = std::move(handlers_);
        for (auto& handler : handlers) handler();
    }
    void onCancel(std::function<void()> handler) {
        if (cancelled_)
            handler();
        else
            handlers_.push_back(std::move(handler));
    }

private:
    bool cancelled_ = false;
    std::vector<std::function<void()>> handlers_;
};

}  // namespace ui
