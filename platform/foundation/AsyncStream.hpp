#pragma once

#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Exception.hpp"
#include "platform/foundation/Guarded.hpp"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace foundation {

// An asynchronous sequence with unbounded buffering, fed through its continuation and read
// by one consumer. The build step runs at construction. Elements reach the consumer in
// order, on the main queue; after finish() the buffered rest is delivered, then the end.
// The termination handler runs once, on the thread that finishes or cancels: when the
// continuation finishes, the consumer cancels, or the stream is dropped unread. Yield,
// finish and cancel are safe from any thread.
template <class Element>
class AsyncStream {
public:
    enum class Termination { finished, cancelled };

    class Continuation;
    class Consumer;

    explicit AsyncStream(const std::function<void(Continuation)>& build)
        : handle_(std::make_shared<Handle>(std::make_shared<State>())) {
        build(Continuation(handle_->state));
    }

    // Starts the one consumer. Destroying (or cancelling) the consumer ends the stream.
    [[nodiscard]] Consumer forEach(std::function<void(const Element&)> onElement, std::function<void()> onEnd = {}) {
        auto state = handle_->state;
        bool deliverNow = false;
        bool secondConsumer = false;
        {
            auto contents = state->lock();
            secondConsumer = std::exchange(contents->consumerStarted, true);
            if (!secondConsumer && !contents->cancelled) {
                contents->onElement = std::move(onElement);
                contents->onEnd = std::move(onEnd);
                contents->consuming = true;
                deliverNow = !contents->buffer.empty() || contents->finished;
            }
        }
        if (secondConsumer) AssertionHandler::handleFailure("an AsyncStream has one consumer");
        if (deliverNow) scheduleDelivery(state);
        return Consumer(handle_);
    }

    // A stream of the elements that pass the test; consuming it consumes this one.
    AsyncStream filter(std::function<bool(const Element&)> isIncluded) && {
        auto base = std::move(*this);
        return AsyncStream([base = std::make_shared<AsyncStream>(std::move(base)),
                            isIncluded = std::move(isIncluded)](Continuation continuation) {
            auto consumer = std::make_shared<Consumer>(base->forEach(
                [continuation, isIncluded](const Element& element) {
                    if (isIncluded(element)) continuation.yield(element);
                },
                [continuation] { continuation.finish(); }));
            continuation.setOnTermination([consumer](Termination) { consumer->cancel(); });
        });
    }

private:
    struct Contents {
        std::deque<Element> buffer;
        bool finished = false;
        bool cancelled = false;
        bool consumerStarted = false;
        bool consuming = false;
        bool deliveryScheduled = false;
        std::function<void(Termination)> onTermination;
        std::function<void(const Element&)> onElement;
        std::function<void()> onEnd;
    };
    using State = Guarded<Contents>;

    static void terminate(const std::shared_ptr<State>& state, Termination reason) {
        std::function<void(Termination)> handler;
        std::function<void(const Element&)> releasedElement;
        std::function<void()> releasedEnd;
        {
            auto contents = state->lock();
            if (reason == Termination::cancelled) {
                if (contents->cancelled) return;
                contents->cancelled = true;
                contents->consuming = false;
                contents->buffer.clear();
                releasedElement = std::move(contents->onElement);
                releasedEnd = std::move(contents->onEnd);
            } else if (contents->finished || contents->cancelled) {
                return;
            }
            contents->finished = true;
            handler = std::move(contents->onTermination);
        }
        if (handler) handler(reason);
    }

    static void scheduleDelivery(const std::shared_ptr<State>& state) {
        {
            auto contents = state->lock();
            if (contents->deliveryScheduled || !contents->consuming) return;
            contents->deliveryScheduled = true;
        }
        dispatch::mainQueue()->async([state] { deliver(state); });
    }

    static void deliver(const std::shared_ptr<State>& state) {
        for (;;) {
            auto contents = state->lock();
            if (!contents->consuming) {
                contents->deliveryScheduled = false;
                return;
            }
            if (!contents->buffer.empty()) {
                auto element = std::move(contents->buffer.front());
                contents->buffer.pop_front();
                auto onElement = contents->onElement;
                contents.unlocked([&] {
                    if (onElement) onElement(element);
                });
                continue;
            }
            contents->deliveryScheduled = false;
            if (!contents->finished) return;
            contents->consuming = false;
            auto onEnd = std::move(contents->onEnd);
            contents->onElement = nullptr;
            contents.unlocked([&] {
                if (onEnd) onEnd();
            });
            return;
        }
    }

    // The reading side: when the last holder (stream or consumer) goes, the stream ends.
    struct Handle {
        explicit Handle(std::shared_ptr<State> state) : state(std::move(state)) {}
        ~Handle() { terminate(state, Termination::cancelled); }
        std::shared_ptr<State> state;
    };

    std::shared_ptr<Handle> handle_;

public:
    class Continuation {
    public:
        void yield(Element element) const {
            {
                auto contents = state_->lock();
                if (contents->finished || contents->cancelled) return;
                contents->buffer.push_back(std::move(element));
            }
            scheduleDelivery(state_);
        }
        void finish() const {
            terminate(state_, Termination::finished);
            scheduleDelivery(state_);
        }
        // Runs at once when the stream has already ended.
        void setOnTermination(std::function<void(Termination)> handler) const {
            std::optional<Termination> ended;
            {
                auto contents = state_->lock();
                if (contents->cancelled)
                    ended = Termination::cancelled;
                else if (contents->finished)
                    ended = Termination::finished;
                else
                    contents->onTermination = std::move(handler);
            }
            if (ended && handler) handler(*ended);
        }

    private:
        friend class AsyncStream;
        explicit Continuation(std::shared_ptr<State> state) : state_(std::move(state)) {}
        std::shared_ptr<State> state_;
    };

    // The running consumer; cancelling it, destroying it or assigning another consumer to it
    // ends the stream.
    class Consumer {
    public:
        Consumer(Consumer&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
        Consumer& operator=(Consumer&& other) noexcept {
            if (this != &other) {
                cancel();
                handle_ = std::exchange(other.handle_, nullptr);
            }
            return *this;
        }
        ~Consumer() { cancel(); }
        void cancel() {
            if (auto handle = std::exchange(handle_, nullptr)) terminate(handle->state, Termination::cancelled);
        }

    private:
        friend class AsyncStream;
        explicit Consumer(std::shared_ptr<Handle> handle) : handle_(std::move(handle)) {}
        std::shared_ptr<Handle> handle_;
    };
};

}  // namespace foundation
