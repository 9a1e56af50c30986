#pragma once

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Data.hpp"
#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/URL.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace foundation {

// The global domain: platform settings every defaults object sees last in its search list
// ("AppleLanguages", "AppleInterfaceStyle", the double-click interval, and the settings that
// stand in for what the operating system would tell: its version, the keyboard layout, the
// system's symbolic hot keys).
inline constexpr const char* NSGlobalDomain = "NSGlobalDomain";

// User defaults: one persistent domain per identifier, stored as a binary property list at
// ~/Library/Preferences/<domain>.plist (the global domain at .GlobalPreferences.plist) under
// the home directory at the time of the access. Every change is written at once, atomically
// (temporary file and rename), and a read sees what another process wrote. Reads search the
// object's own domain, then the global domain, then the registered defaults (one
// registration domain for the process), as on the platform. Safe to use from any thread.
class UserDefaults {
public:
    // The main bundle identifier's domain (or the executable's name without a bundle).
    static std::shared_ptr<UserDefaults> standardUserDefaults();
    // Nil for a suite name equal to the main bundle identifier or to NSGlobalDomain, as on
    // the platform; an object over the standard domain for the empty name; otherwise the
    // defaults of that domain.
    static std::shared_ptr<UserDefaults> initWithSuiteName(const std::string& suiteName);
    // Test support: forgets the standard instance so the next call reads anew.
    static void resetForTesting();

    virtual ~UserDefaults() = default;

    virtual const std::string& domain() const = 0;

    virtual objc::Id objectForKey(const std::string& key) const = 0;
    // Nil removes the key. A value that is not a property list (a URL, Null, an unsigned
    // number above the signed range) is refused with a line on standard error.
    virtual void setObject(const objc::Id& value, const std::string& key) = 0;
    virtual void removeObjectForKey(const std::string& key) = 0;
    // Values consulted when neither this domain nor the global one has the key; not stored.
    virtual void registerDefaults(const std::shared_ptr<Dictionary>& defaults) = 0;
    // Replaces the stored values of a domain (nil or empty removes them all); values that
    // are not a property list store nothing.
    void setPersistentDomain(const std::shared_ptr<Dictionary>& values, const std::string& domain);

    // Typed getters with the platform's conversions.
    std::optional<std::string> stringForKey(const std::string& key) const;  // numbers as text too
    std::shared_ptr<Array> arrayForKey(const std::string& key) const;
    std::shared_ptr<Dictionary> dictionaryForKey(const std::string& key) const;
    std::shared_ptr<Data> dataForKey(const std::string& key) const;
    // Nullopt unless the value is an array whose every element is a string.
    std::optional<std::vector<std::string>> stringArrayForKey(const std::string& key) const;
    // Numbers by value; strings "YES"/"yes"/"true"/"1"… as the platform reads them; else false.
    bool boolForKey(const std::string& key) const;
    std::int64_t integerForKey(const std::string& key) const;
    double doubleForKey(const std::string& key) const;
    std::shared_ptr<URL> URLForKey(const std::string& key) const;

    void setBool(bool value, const std::string& key);
    void setInteger(std::int64_t value, const std::string& key);
    void setDouble(double value, const std::string& key);
    void setString(const std::string& value, const std::string& key);

    // Every key visible to this object with its value (own domain, global domain,
    // registered defaults; the earlier one wins).
    virtual std::shared_ptr<Dictionary> dictionaryRepresentation() const = 0;
    // The domain's own stored values only; nil when it has none.
    virtual std::shared_ptr<Dictionary> persistentDomainForName(const std::string& domain) const = 0;
};

}  // namespace foundation
