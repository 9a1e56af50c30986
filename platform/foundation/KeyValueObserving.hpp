#pragma once

#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/String.hpp"
#include "platform/objc/Implementation.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// Key-value observation of runtime objects, as the platform's objects offer it: an observer
// registers for a key path of an object and hears of each change through its runtime method
// "observeValueForKeyPath:ofObject:change:context:", on the thread that made the change.
// The object whose property changed announces it (didChangeValueForKey). Observers are held
// weakly, so one that went away is never called; registrations may be added and removed
// from any thread, also by an observer while it is being told of a change.
namespace foundation {

using KeyValueObservingOptions = unsigned;
inline constexpr KeyValueObservingOptions NSKeyValueObservingOptionNew = 0x01;
inline constexpr KeyValueObservingOptions NSKeyValueObservingOptionOld = 0x02;

// Keys of the change dictionary; a nil value appears as Null.
inline constexpr const char* NSKeyValueChangeKindKey = "kind";
inline constexpr const char* NSKeyValueChangeNewKey = "new";
inline constexpr const char* NSKeyValueChangeOldKey = "old";
inline constexpr std::int64_t NSKeyValueChangeSetting = 1;

inline constexpr const char* kObserveValueForKeyPathSelector = "observeValueForKeyPath:ofObject:change:context:";
using ObserveValueForKeyPathImplementation =
    objc::InstanceImplementation<void, std::shared_ptr<String>, objc::Id, std::shared_ptr<Dictionary>, void*>;

void addObserver(const objc::Id& observed, const objc::Id& observer, std::string keyPath,
                 KeyValueObservingOptions options, void* context);
// Removes the observer's latest registration for the key path; nothing when it has none.
void removeObserver(const objc::Id& observed, const objc::Id& observer, std::string_view keyPath);
// Tells the observers of the key that its value changed from the old value to the new one.
void didChangeValueForKey(const objc::Id& observed, std::string_view key, const objc::Id& oldValue,
                          const objc::Id& newValue);

}  // namespace foundation
