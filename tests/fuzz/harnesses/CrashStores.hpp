#pragma once

#include "platform/foundation/Expected.hpp"

#include <cstddef>
#include <optional>
#include <string>

namespace fuzzing {

// The stores the crash trials write and kill writers of: the platform's user defaults,
// keychain items, and the SDK's user defaults and keychain storage built on them. Every
// value a writer stores names its round, so a reader can tell which write it holds.
enum class CrashStore { userDefaults, keychainItem, sdkUserDefaults, sdkKeychainStorage };
inline constexpr int crashStoreCount = 4;

const char* crashStoreName(CrashStore store);
std::optional<CrashStore> crashStoreNamed(std::string_view name);

// The value of a round: its number first, then filler so that a write takes a while.
std::string crashValue(int round, std::size_t fillerLength);

// Stores the value under the key through the store's own interface and returns once the
// write has completed (the keychain storage's completion has run); false when the store
// reported a failure.
bool writeCrashValue(CrashStore store, const std::string& key, const std::string& value);

// What a reader finds under the key: the round of the value held (0 when the key is
// absent), or the fault when the store does not open or holds something that no writer
// wrote. Reads the files and items directly, as another process would.
foundation::Expected<int> readCrashRound(CrashStore store, const std::string& key);

}  // namespace fuzzing
