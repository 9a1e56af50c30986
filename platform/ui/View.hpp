#pragma once

#include "platform/foundation/Observable.hpp"
#include "platform/ui/Binding.hpp"
#include "platform/ui/Node.hpp"
#include "platform/ui/ObservableObject.hpp"

#include <functional>
#include <memory>
#include <vector>

namespace ui {

class StateBase;

// A declarative view: a C++ type whose body() describes its content as a node tree. Values
// of a view are rebuilt freely by their parents; what must last (State) lives in storage
// the host keeps for the view's identity and hands to each new value, and what it observes
// (ObservedObject, published values) re-evaluates it on change. Main thread only.
class View {
public:
    View() = default;
    View(const View&) = delete;
    View& operator=(const View&) = delete;
    virtual ~View() = default;

    virtual Node body() = 0;

    // The environment the view is evaluated in (colour scheme and the rest), set by the
    // host before each body().
    const EnvironmentValues& environment() const { return environment_; }
    void setEnvironment(EnvironmentValues environment) { environment_ = std::move(environment); }

    // Used by the host: take over the state of the previous value at the same identity
    // (same type, so the same states in the same order), and learn whom to tell of changes.
    void adoptStateFrom(View& previous);
    void setInvalidationHandler(const std::function<void()>& handler);
    // Subscriptions to everything the view observes; each calls the handler on change.
    std::vector<foundation::ObservationToken> subscribe(const std::function<void()>& handler) const;

    // Used by State and ObservedObject as members register themselves.
    void registerState(StateBase* state) { states_.push_back(state); }
    void registerObservation(std::function<foundation::ObservationToken(std::function<void()>)> subscribe) {
        observations_.push_back(std::move(subscribe));
    }
    // Re-evaluates the view when the published value changes (any assignment).
    template <class T>
    void observes(foundation::Observable<T>& value) {
        registerObservation([&value](std::function<void()> handler) {
            return value.observe([handler](const T&) { handler(); });
        });
    }

private:
    EnvironmentValues environment_;
    std::vector<StateBase*> states_;
    std::vector<std::function<foundation::ObservationToken(std::function<void()>)>> observations_;
};

// Storage of one piece of view state, shared by the successive values of the view.
class StateBase {
public:
    virtual ~StateBase() = default;
    virtual void adopt(StateBase& previous) = 0;
    virtual void setInvalidationHandler(const std::function<void()>& handler) = 0;
};

template <class T>
class State final : public StateBase {
public:
    State(View* owner, T initial) : storage_(std::make_shared<Storage>()) {
        storage_->value = std::move(initial);
        owner->registerState(this);
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    const T& get() const { return storage_->value; }
    // Stores the value and asks the host to re-evaluate the view.
    void set(T value) {
        storage_->value = std::move(value);
        if (auto invalidate = storage_->invalidate) invalidate();
    }
    Binding<T> binding() const {
        std::weak_ptr<Storage> weak = storage_;
        return Binding<T>(
            [weak] {
                auto storage = weak.lock();
                return storage ? storage->value : T{};
            },
            [weak](const T& value) {
                auto storage = weak.lock();
                if (!storage) return;
                storage->value = value;
                if (auto invalidate = storage->invalidate) invalidate();
            });
    }

    void adopt(StateBase& previous) override { storage_ = static_cast<State&>(previous).storage_; }
    void setInvalidationHandler(const std::function<void()>& handler) override { storage_->invalidate = handler; }

private:
    struct Storage {
        T value{};
        std::function<void()> invalidate;
    };
    std::shared_ptr<Storage> storage_;
};

// A reference to an observable object owned elsewhere; its changes re-evaluate the view.
template <class T>
class ObservedObject {
public:
    ObservedObject(View* owner, std::shared_ptr<T> object) : object_(std::move(object)) {
        std::weak_ptr<T> weak = object_;
        owner->registerObservation([weak](std::function<void()> handler) {
            auto object = weak.lock();
            return object ? object->subscribe(std::move(handler)) : foundation::ObservationToken();
        });
    }
    T* operator->() const { return object_.get(); }
    T& operator*() const { return *object_; }
    const std::shared_ptr<T>& get() const { return object_; }

private:
    std::shared_ptr<T> object_;
};

// A node for a view value: the host evaluates its body.
template <class ViewType>
Node component(std::shared_ptr<ViewType> view) {
    return Node::make(NodeKind::component, ComponentData{std::move(view), typeid(ViewType)});
}

template <class ViewType, class... Arguments>
Node make(Arguments&&... arguments) {
    return component(std::make_shared<ViewType>(std::forward<Arguments>(arguments)...));
}

}  // namespace ui
