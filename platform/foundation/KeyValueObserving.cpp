#include "platform/foundation/KeyValueObserving.hpp"

#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/Null.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/objc/Associations.hpp"
#include "platform/objc/Runtime.hpp"

#include <mutex>
#include <vector>

namespace foundation {

namespace {

struct Registration {
    std::uint64_t identifier;
    objc::WeakId observer;
    std::string keyPath;
    KeyValueObservingOptions options;
    void* context;
};

// The registrations made with one observed object, attached to it.
class KeyValueObservers final : public objc::Object {
public:
    void add(Registration registration) {
        auto registrations = registrations_.lock();
        registration.identifier = registrations->next++;
        registrations->entries.push_back(std::move(registration));
    }

    void remove(const objc::Id& observer, std::string_view keyPath) {
        auto registrations = registrations_.lock();
        auto& entries = registrations->entries;
        for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
            if (entry->keyPath == keyPath && entry->observer.lock() == observer) {
                entries.erase(std::next(entry).base());
                return;
            }
    }

    std::vector<Registration> forKey(std::string_view key) {
        auto registrations = registrations_.lock();
        std::erase_if(registrations->entries, [](const Registration& entry) { return entry.observer.expired(); });
        std::vector<Registration> matching;
        for (const auto& entry : registrations->entries)
            if (entry.keyPath == key) matching.push_back(entry);
        return matching;
    }

    bool contains(std::uint64_t identifier) {
        auto registrations = registrations_.lock();
        for (const auto& entry : registrations->entries)
            if (entry.identifier == identifier) return true;
        return false;
    }

private:
    struct Registrations {
        std::uint64_t next = 1;
        std::vector<Registration> entries;
    };
    Guarded<Registrations> registrations_;
};

const char observersKey = 0;

std::shared_ptr<KeyValueObservers> observersOf(const objc::Id& observed, bool create) {
    // Guards no data of its own: it makes finding and attaching one step, so two threads
    // adding the first observer of an object at once attach one list, not two.
    static std::mutex findOrAttachSerializer;
    std::lock_guard serialized(findOrAttachSerializer);
    auto observers = std::static_pointer_cast<KeyValueObservers>(objc::getAssociatedObject(observed, &observersKey));
    if (!observers && create) {
        observers = std::make_shared<KeyValueObservers>();
        objc::setAssociatedObject(observed, &observersKey, observers, objc::AssociationPolicy::retain);
    }
    return observers;
}

objc::Id orNull(const objc::Id& value) { return value ? value : Null::null(); }

}  // namespace

void addObserver(const objc::Id& observed, const objc::Id& observer, std::string keyPath,
                 KeyValueObservingOptions options, void* context) {
    if (!observed || !observer) return;
    observersOf(observed, true)->add(Registration{0, observer, std::move(keyPath), options, context});
}

void removeObserver(const objc::Id& observed, const objc::Id& observer, std::string_view keyPath) {
    if (!observed) return;
    if (auto observers = observersOf(observed, false)) observers->remove(observer, keyPath);
}

void didChangeValueForKey(const objc::Id& observed, std::string_view key, const objc::Id& oldValue,
                          const objc::Id& newValue) {
    auto observers = observersOf(observed, false);
    if (!observers) return;
    auto keyPath = String::make(std::string(key));
    for (const auto& registration : observers->forKey(key)) {
        auto observer = registration.observer.lock();
        if (!observer || !observers->contains(registration.identifier)) continue;  // removed meanwhile
        auto change = Dictionary::make({{NSKeyValueChangeKindKey, Number::withInteger(NSKeyValueChangeSetting)}});
        if (registration.options & NSKeyValueObservingOptionNew)
            change->setObject(orNull(newValue), NSKeyValueChangeNewKey);
        if (registration.options & NSKeyValueObservingOptionOld)
            change->setObject(orNull(oldValue), NSKeyValueChangeOldKey);
        objc::send<void, std::shared_ptr<String>, objc::Id, std::shared_ptr<Dictionary>, void*>(
            observer, kObserveValueForKeyPathSelector, keyPath, observed, change, registration.context);
    }
}

}  // namespace foundation
