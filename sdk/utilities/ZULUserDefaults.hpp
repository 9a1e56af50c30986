#pragma once

#include "platform/foundation/UserDefaults.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// The SDK's wrapper around the platform's user defaults: one object per suite (or the
// standard defaults). Keys and values are checked before anything is read or written: an
// invalid key (anything but a non-empty string) or a value a property list cannot hold is
// logged and ignored. Keys are objects, as the platform's are, so a caller's wrong key is
// caught here. No lock of its own: as thread-safe as the platform's defaults. The shared
// instance lives until the process ends.
class ZULUserDefaults final : public objc::Object {
public:
    // The shared instance over the standard defaults, made on first use.
    static std::shared_ptr<ZULUserDefaults> standardUserDefaults();
    static std::shared_ptr<ZULUserDefaults> init();
    // A new defaults object of that suite; the standard defaults when the name is absent or
    // empty.
    static std::shared_ptr<ZULUserDefaults> initWithSuiteName(const std::optional<std::string>& suiteName);

    explicit ZULUserDefaults(std::shared_ptr<foundation::UserDefaults> userDefaults);

    objc::Id objectForKey(const objc::Id& key) const;
    // Nil removes the key.
    void setObject(const objc::Id& value, const objc::Id& key);
    void removeObjectForKey(const objc::Id& key);
    // 0, 0.0 or false when absent, invalid, or not a number or numeric text.
    std::int64_t integerForKey(const objc::Id& key) const;
    float floatForKey(const objc::Id& key) const;
    double doubleForKey(const objc::Id& key) const;
    bool boolForKey(const objc::Id& key) const;
    // The stored object unchanged, whatever its class.
    objc::Id stringForKey(const objc::Id& key) const;
    objc::Id arrayForKey(const objc::Id& key) const;
    objc::Id dictionaryForKey(const objc::Id& key) const;
    void setInteger(std::int64_t value, const objc::Id& key);
    void setFloat(float value, const objc::Id& key);
    void setDouble(double value, const objc::Id& key);
    void setBool(bool value, const objc::Id& key);
    const std::shared_ptr<foundation::UserDefaults>& userDefaults() const { return userDefaults_; }

private:
    std::shared_ptr<foundation::UserDefaults> userDefaults_;
};
