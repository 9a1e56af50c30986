#include "sdk/utilities/ZULUserDefaults.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/String.hpp"
#include "platform/objc/Class.hpp"
#include "sdk/utilities/ZULLogger.hpp"

#include <cctype>
#include <cstdlib>

namespace {

using foundation::Number;

constexpr const char* getterService = "<ZadizuUtilities>";
constexpr const char* setterService = "[ZadizuUtilities/UserDefaults]";

enum class UserDefaultsMessage : long { invalidKeyToGet = 1, invalidKeyToSet = 2, invalidValueToSet = 3 };

std::string messageCode(UserDefaultsMessage message) {
    return foundation::format("I-ZUL%06ld", static_cast<long>(message));
}

// The key's text when it is a string of at least one character.
std::optional<std::string> validKey(const objc::Id& key) {
    auto text = foundation::stringValue(key);
    if (!text || text->empty()) return std::nullopt;
    return text;
}

bool isStorable(const objc::Id& value) {
    return std::dynamic_pointer_cast<foundation::String>(value) || std::dynamic_pointer_cast<Number>(value) ||
           std::dynamic_pointer_cast<foundation::Array>(value) ||
           std::dynamic_pointer_cast<foundation::Dictionary>(value) ||
           std::dynamic_pointer_cast<foundation::Date>(value) || std::dynamic_pointer_cast<foundation::Data>(value);
}

// Numeric text is read the way the platform's strings read themselves as numbers: leading
// blanks skipped, then as much of a number as there is.
std::string_view trimmedLeading(const std::string& text) {
    std::string_view view(text);
    while (!view.empty() && std::isspace(static_cast<unsigned char>(view.front()))) view.remove_prefix(1);
    return view;
}

double doubleOf(const objc::Id& value) {
    if (auto number = foundation::numberValue(value)) return number->doubleValue();
    if (auto text = foundation::stringValue(value)) return std::strtod(std::string(trimmedLeading(*text)).c_str(), nullptr);
    return 0.0;
}

std::int64_t integerOf(const objc::Id& value) {
    if (auto number = foundation::numberValue(value)) return number->integerValue();
    if (auto text = foundation::stringValue(value))
        return std::strtoll(std::string(trimmedLeading(*text)).c_str(), nullptr, 10);
    return 0;
}

// Text is true when it starts with Y, y, T or t, or is a number other than zero.
bool boolOf(const objc::Id& value) {
    if (auto number = foundation::numberValue(value)) return number->boolValue();
    if (auto text = foundation::stringValue(value)) {
        auto view = trimmedLeading(*text);
        if (view.empty()) return false;
        if (std::string_view("YyTt").find(view.front()) != std::string_view::npos) return true;
        if (view.front() == '+' || view.front() == '-') view.remove_prefix(1);
        while (!view.empty() && view.front() == '0') view.remove_prefix(1);
        return !view.empty() && view.front() >= '1' && view.front() <= '9';
    }
    return false;
}

}  // namespace

std::shared_ptr<ZULUserDefaults> ZULUserDefaults::standardUserDefaults() {
    // Made once, and again after the standard defaults it wraps were reset between tests.
    static foundation::ProcessWide<ZULUserDefaults> shared(init);
    return shared.get();
}

std::shared_ptr<ZULUserDefaults> ZULUserDefaults::init() { return initWithSuiteName(std::nullopt); }

std::shared_ptr<ZULUserDefaults> ZULUserDefaults::initWithSuiteName(const std::optional<std::string>& suiteName) {
    std::shared_ptr<foundation::UserDefaults> defaults;
    if (suiteName && !suiteName->empty()) defaults = foundation::UserDefaults::initWithSuiteName(*suiteName);
    // The platform refuses some suite names (its own domain, the global one): those read
    // and write the standard defaults rather than nothing.
    if (!defaults) defaults = foundation::UserDefaults::standardUserDefaults();
    return std::make_shared<ZULUserDefaults>(std::move(defaults));
}

ZULUserDefaults::ZULUserDefaults(std::shared_ptr<foundation::UserDefaults> userDefaults)
    : objc::Object(objc::defineClass("ZULUserDefaults")), userDefaults_(std::move(userDefaults)) {}

objc::Id ZULUserDefaults::objectForKey(const objc::Id& key) const {
    auto text = validKey(key);
    if (!text) {
        ZULLogWarning(kZULLoggerSubsystem, getterService, false, messageCode(UserDefaultsMessage::invalidKeyToGet),
                      "Cannot get object for invalid user default key.");
        return nullptr;
    }
    return userDefaults_->objectForKey(*text);
}

void ZULUserDefaults::setObject(const objc::Id& value, const objc::Id& key) {
    auto text = validKey(key);
    if (!text) {
        ZULLogWarning(kZULLoggerSubsystem, setterService, false, messageCode(UserDefaultsMessage::invalidKeyToSet),
                      "Cannot set object for invalid user default key.");
        return;
    }
    if (!value) {
        userDefaults_->removeObjectForKey(*text);
        return;
    }
    if (!isStorable(value)) {
        ZULLogWarning(kZULLoggerSubsystem, setterService, false, messageCode(UserDefaultsMessage::invalidValueToSet),
                      "Cannot set invalid object to user defaults. Must be a string, number, array, dictionary, "
                      "date, or data. Value: %@",
                      value);
        return;
    }
    userDefaults_->setObject(value, *text);
}

void ZULUserDefaults::removeObjectForKey(const objc::Id& key) { setObject(nullptr, key); }

std::int64_t ZULUserDefaults::integerForKey(const objc::Id& key) const { return integerOf(objectForKey(key)); }

float ZULUserDefaults::floatForKey(const objc::Id& key) const { return static_cast<float>(doubleOf(objectForKey(key))); }

double ZULUserDefaults::doubleForKey(const objc::Id& key) const { return doubleOf(objectForKey(key)); }

bool ZULUserDefaults::boolForKey(const objc::Id& key) const { return boolOf(objectForKey(key)); }

objc::Id ZULUserDefaults::stringForKey(const objc::Id& key) const { return objectForKey(key); }

objc::Id ZULUserDefaults::arrayForKey(const objc::Id& key) const { return objectForKey(key); }

objc::Id ZULUserDefaults::dictionaryForKey(const objc::Id& key) const { return objectForKey(key); }

void ZULUserDefaults::setInteger(std::int64_t value, const objc::Id& key) { setObject(Number::withInteger(value), key); }

void ZULUserDefaults::setFloat(float value, const objc::Id& key) { setObject(Number::withDouble(value), key); }

void ZULUserDefaults::setDouble(double value, const objc::Id& key) { setObject(Number::withDouble(value), key); }

void ZULUserDefaults::setBool(bool value, const objc::Id& key) { setObject(Number::withBool(value), key); }
