#include "platform/foundation/UserDefaults.hpp"

#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/NSLog.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/PersistentUserDefaults.hpp"
#include "platform/foundation/PreferencesStore.hpp"
#include "platform/foundation/ProcessInfo.hpp"
#include "platform/foundation/PropertyListSerialization.hpp"
#include "platform/foundation/String.hpp"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace foundation {

namespace {

Guarded<std::shared_ptr<UserDefaults>>& standardInstance() {
    static Guarded<std::shared_ptr<UserDefaults>> instance;
    return instance;
}

std::string standardDomain() {
    if (auto bundle = Bundle::mainBundle())
        if (auto identifier = bundle->bundleIdentifier(); identifier && !identifier->empty()) return *identifier;
    return ProcessInfo::processName();
}

std::string trimmed(const std::string& text) {
    auto begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return {};
    auto end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

// The number a string spells out in full ("42", "-3", "2.5"); nullopt for anything else.
std::optional<double> numberInString(const std::string& text) {
    auto value = trimmed(text);
    if (value.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    double number = std::strtod(value.c_str(), &end);
    if (end != value.c_str() + value.size() || errno == ERANGE || !std::isfinite(number)) return std::nullopt;
    return number;
}

std::optional<std::int64_t> integerInString(const std::string& text) {
    auto value = trimmed(text);
    if (value.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    long long number = std::strtoll(value.c_str(), &end, 10);
    if (end == value.c_str() + value.size() && errno != ERANGE) return number;
    if (auto real = numberInString(value); real && std::fabs(*real) < 9.2e18) return static_cast<std::int64_t>(*real);
    return std::nullopt;
}

bool equalsIgnoringCase(const std::string& left, const char* right) {
    std::size_t index = 0;
    for (; index < left.size() && right[index]; ++index)
        if (std::tolower(static_cast<unsigned char>(left[index])) != right[index]) return false;
    return index == left.size() && !right[index];
}

}  // namespace

std::shared_ptr<UserDefaults> UserDefaults::standardUserDefaults() {
    auto instance = standardInstance().lock();
    if (!*instance) *instance = std::make_shared<PersistentUserDefaults>(standardDomain());
    return *instance;
}

std::shared_ptr<UserDefaults> UserDefaults::initWithSuiteName(const std::string& suiteName) {
    if (suiteName == NSGlobalDomain) return nullptr;
    auto standard = standardDomain();
    if (suiteName == standard) return nullptr;
    return std::make_shared<PersistentUserDefaults>(suiteName.empty() ? standard : suiteName);
}

void UserDefaults::resetForTesting() {
    std::shared_ptr<UserDefaults> dropped = std::exchange(*standardInstance().lock(), nullptr);  // released unlocked
    PersistentUserDefaults::resetRegistrationForTesting();
    PreferencesStore::shared().resetForTesting();
}

void UserDefaults::setPersistentDomain(const std::shared_ptr<Dictionary>& values, const std::string& domain) {
    if (values && !PropertyListSerialization::propertyListIsValidForFormat(values, PropertyListFormat::binary)) {
        NSLog("[UserDefaults] Attempt to set a non-property-list domain " + domain);
        return;
    }
    auto written = PreferencesStore::shared().update(domain, [&](Dictionary& stored) {
        for (const auto& key : stored.allKeys()) stored.removeObjectForKey(key);
        if (values)
            for (const auto& [key, value] : values->entries()) stored.setObject(copyPropertyList(value), key);
        return true;
    });
    logIfNotWritten(written, domain);
}

std::optional<std::string> UserDefaults::stringForKey(const std::string& key) const {
    auto value = objectForKey(key);
    if (auto text = stringValue(value)) return text;
    if (auto number = numberValue(value)) return number->stringValue();
    return std::nullopt;
}

std::shared_ptr<Array> UserDefaults::arrayForKey(const std::string& key) const { return arrayValue(objectForKey(key)); }

std::shared_ptr<Dictionary> UserDefaults::dictionaryForKey(const std::string& key) const {
    return dictionaryValue(objectForKey(key));
}

std::shared_ptr<Data> UserDefaults::dataForKey(const std::string& key) const { return dataValue(objectForKey(key)); }

std::optional<std::vector<std::string>> UserDefaults::stringArrayForKey(const std::string& key) const {
    auto array = arrayForKey(key);
    if (!array) return std::nullopt;
    std::vector<std::string> strings;
    for (const auto& item : array->items()) {
        auto text = stringValue(item);
        if (!text) return std::nullopt;
        strings.push_back(std::move(*text));
    }
    return strings;
}

bool UserDefaults::boolForKey(const std::string& key) const {
    auto value = objectForKey(key);
    if (auto number = numberValue(value)) return number->boolValue();
    if (auto text = stringValue(value)) {
        auto word = trimmed(*text);
        if (equalsIgnoringCase(word, "yes") || equalsIgnoringCase(word, "true")) return true;
        auto number = numberInString(word);
        return number && *number != 0;
    }
    return false;
}

std::int64_t UserDefaults::integerForKey(const std::string& key) const {
    auto value = objectForKey(key);
    if (auto number = numberValue(value)) return number->integerValue();
    if (auto text = stringValue(value)) return integerInString(*text).value_or(0);
    return 0;
}

double UserDefaults::doubleForKey(const std::string& key) const {
    auto value = objectForKey(key);
    if (auto number = numberValue(value)) return number->doubleValue();
    if (auto text = stringValue(value)) return numberInString(*text).value_or(0.0);
    return 0.0;
}

std::shared_ptr<URL> UserDefaults::URLForKey(const std::string& key) const {
    auto text = stringValue(objectForKey(key));
    if (!text || text->empty()) return nullptr;
    if (text->front() == '/') return URL::fileURLWithPath(*text);
    if (*text == "~" || text->starts_with("~/")) {
        auto home = FileManager::defaultManager().homeDirectoryForCurrentUser().string();
        return URL::fileURLWithPath(home + text->substr(1));
    }
    return URL::URLWithString(*text);
}

void UserDefaults::setBool(bool value, const std::string& key) { setObject(Number::withBool(value), key); }
void UserDefaults::setInteger(std::int64_t value, const std::string& key) { setObject(Number::withInteger(value), key); }
void UserDefaults::setDouble(double value, const std::string& key) { setObject(Number::withDouble(value), key); }
void UserDefaults::setString(const std::string& value, const std::string& key) { setObject(String::make(value), key); }

}  // namespace foundation
