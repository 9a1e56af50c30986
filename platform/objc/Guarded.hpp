#pragma once

#include <mutex>
#include <ranges>
#include <utility>

namespace objc {

// A value held together with the lock that guards it: the value is reachable only through
// a view that holds the lock for as long as the view lives, so no path reads or writes it
// unlocked. Callable from any thread; a view belongs to the thread that took it.
template <typename T, typename Mutex = std::mutex>
class Guarded {
public:
    template <typename Value>
    class View {
    public:
        Value* operator->() const { return value_; }
        Value& operator*() const& { return *value_; }
        // A view made in an expression unlocks at the end of that full expression, which in
        // `for (auto& item : *guarded.lock())` comes before the loop: a collection behind a
        // temporary view does not compile, so iterating one needs a named view. (The same
        // holds for `guarded.lock()->member` in a range-for, which the type cannot see.)
        Value& operator*() && {
            static_assert(!std::ranges::range<Value>,
                          "a temporary view unlocks before a loop over it: hold the view in a named variable");
            return *value_;
        }

        // Waits on the condition variable, the lock released meanwhile, until notified (or
        // spuriously).
        template <typename Condition>
        void wait(Condition& condition) {
            condition.wait(lock_);
        }
        // Waits on the condition variable, the lock released meanwhile, until the predicate
        // holds for the value.
        template <typename Condition, typename Predicate>
        void wait(Condition& condition, Predicate predicate) {
            condition.wait(lock_, [&] { return predicate(*value_); });
        }
        // Waits on the condition variable, the lock released meanwhile, until notified or the
        // deadline passes (or spuriously).
        template <typename Condition, typename TimePoint>
        auto waitUntil(Condition& condition, const TimePoint& deadline) {
            return condition.wait_until(lock_, deadline);
        }
        // As wait(), giving up at the deadline; answers whether the predicate holds.
        template <typename Condition, typename TimePoint, typename Predicate>
        bool waitUntil(Condition& condition, const TimePoint& deadline, Predicate predicate) {
            return condition.wait_until(lock_, deadline, [&] { return predicate(*value_); });
        }
        // Runs the work with the lock released (callbacks that may call back in), then
        // takes the lock again, also when the work throws.
        template <typename Work>
        decltype(auto) unlocked(Work&& work) {
            struct Relock {
                std::unique_lock<Mutex>& lock;
                ~Relock() { lock.lock(); }
            };
            lock_.unlock();
            Relock relock{lock_};
            return std::forward<Work>(work)();
        }

    private:
        friend class Guarded;
        View(Mutex& mutex, Value& value) : lock_(mutex), value_(&value) {}

        std::unique_lock<Mutex> lock_;
        Value* value_;
    };

    template <typename... Arguments>
    explicit Guarded(Arguments&&... arguments) : value_(std::forward<Arguments>(arguments)...) {}
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;

    [[nodiscard]] View<T> lock() { return View<T>(mutex_, value_); }
    [[nodiscard]] View<const T> lock() const { return View<const T>(mutex_, value_); }

    // A copy of the value, taken under the lock.
    T copy() const {
        auto view = lock();
        return *view;
    }

    // Runs the work with the value under the lock and answers what it answers.
    template <typename Work>
    decltype(auto) withLock(Work&& work) {
        auto view = lock();
        return std::forward<Work>(work)(*view);
    }
    template <typename Work>
    decltype(auto) withLock(Work&& work) const {
        auto view = lock();
        return std::forward<Work>(work)(*view);
    }

private:
    mutable Mutex mutex_;
    T value_;
};

}  // namespace objc
