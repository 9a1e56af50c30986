#pragma once

#include "platform/ui/AsyncImage.hpp"
#include "platform/ui/NodePayloads.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ui {

// What the host keeps for an asynchronously loaded image between evaluations: the address
// it loads, the phase the content is built from and the load in flight. A new address
// drops the load in flight and starts another; a finished load stores its phase and asks
// for a re-evaluation. Main thread only; the load's completion holds the record's state
// weakly, so a load that ends after its node went away changes nothing.
class ImageLoadRecord {
public:
    void update(const AsyncImageData& data, const std::function<void()>& invalidate);
    const AsyncImagePhase& phase() const { return state_->phase; }
    // The node went away: the load in flight is cancelled and never reports.
    void release();

private:
    struct State {
        bool started = false;
        std::optional<std::string> url;
        AsyncImagePhase phase;
        std::shared_ptr<CancellationToken> load;
    };
    void start(const std::function<void()>& invalidate);

    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace ui
