#pragma once

#include <functional>
#include <memory>

namespace ui {

// A read-write reference to a value owned elsewhere (view state, a published property).
// Copies refer to the same value. Main thread only.
template <class T>
class Binding {
public:
    Binding(std::function<T()> get, std::function<void(const T&)> set) : get_(std::move(get)), set_(std::move(set)) {}

    // A binding that keeps its own value (for previews and tests).
    static Binding constant(T value) {
        auto storage = std::make_shared<T>(std::move(value));
        return Binding([storage] { return *storage; }, [storage](const T& newValue) { *storage = newValue; });
    }

    T get() const { return get_(); }
    void set(const T& value) const { set_(value); }

private:
    std::function<T()> get_;
    std::function<void(const T&)> set_;
};

}  // namespace ui
