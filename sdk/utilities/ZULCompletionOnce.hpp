#pragma once

#include <cassert>
#include <functional>
#include <memory>
#include <utility>

// Wraps a completion handler so that it runs at most once; calling it again is a programming
// error caught in debug builds. An empty handler is allowed and does nothing. Copies share
// the one call, so the wrapper may travel through several queued steps; those steps must
// follow one another (the call itself is not synchronised).
template <class... Arguments>
class ZULCompletionOnce {
public:
    explicit ZULCompletionOnce(std::function<void(Arguments...)> handler)
        : state_(std::make_shared<State>(State{std::move(handler), false})) {}

    void operator()(Arguments... arguments) const {
        assert(!state_->called && "completion handler called twice");
        if (state_->called) return;
        state_->called = true;
        auto handler = std::move(state_->handler);
        if (handler) handler(std::forward<Arguments>(arguments)...);
    }

private:
    struct State {
        std::function<void(Arguments...)> handler;
        bool called;
    };
    std::shared_ptr<State> state_;
};
