#pragma once

#include "platform/foundation/Observable.hpp"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace ui {

// An object whose changes re-evaluate the views observing it: call objectWillChange()
// whenever a published property changes. Subscribers are told synchronously, in order;
// a token unsubscribes. Main thread only.
class ObservableObject {
public:
    virtual ~ObservableObject() = default;

    [[nodiscard]] foundation::ObservationToken subscribe(std::function<void()> subscriber) {
        auto identifier = state_->next++;
        state_->subscribers.emplace(identifier, std::move(subscriber));
        std::weak_ptr<State> weakState = state_;
        return foundation::ObservationToken([weakState, identifier] {
            if (auto state = weakState.lock()) state->subscribers.erase(identifier);
        });
    }

    void objectWillChange() {
        auto state = state_;
        auto snapshot = state->subscribers;
        for (auto& [identifier, subscriber] : snapshot)
            if (state->subscribers.count(identifier)) subscriber();
    }

private:
    struct State {
        std::uint64_t next = 1;
        std::map<std::uint64_t, std::function<void()>> subscribers;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace ui
