#include "platform/foundation/Dictionary.hpp"

#include "platform/foundation/CollectionDescription.hpp"
#include "platform/foundation/String.hpp"
#include "platform/objc/Class.hpp"

namespace foundation {

Dictionary::Dictionary() : objc::Object(objc::defineClass("NSDictionary")) {}

Dictionary::Dictionary(Storage entries) : objc::Object(objc::defineClass("NSDictionary")) {
    for (auto& [key, value] : entries)
        if (value) entries_.emplace(key, std::move(value));
}

std::shared_ptr<Dictionary> Dictionary::make(Storage entries) {
    return std::make_shared<Dictionary>(std::move(entries));
}

objc::Id Dictionary::objectForKey(std::string_view key) const {
    auto found = entries_.find(key);
    return found == entries_.end() ? nullptr : found->second;
}

void Dictionary::setObject(objc::Id value, std::string key) {
    if (!value) {
        entries_.erase(key);
        return;
    }
    entries_[std::move(key)] = std::move(value);
}

void Dictionary::removeObjectForKey(std::string_view key) {
    auto found = entries_.find(key);
    if (found != entries_.end()) entries_.erase(found);
}

std::vector<std::string> Dictionary::allKeys() const {
    std::vector<std::string> keys;
    for (const auto& [key, value] : entries_) keys.push_back(key);
    return keys;
}

std::string Dictionary::description() const {
    std::string text = "{";
    for (const auto& [key, value] : entries_)
        text += "\n    " + describeCollectionElement(String::make(key)) + " = " + indentCollectionText(describeCollectionElement(value)) + ";";
    return text + "\n}";
}

bool Dictionary::isEqual(const objc::Object& other) const {
    auto* dictionary = dynamic_cast<const Dictionary*>(&other);
    if (!dictionary || dictionary->entries_.size() != entries_.size()) return false;
    for (const auto& [key, value] : entries_)
        if (!objc::isEqual(value, dictionary->objectForKey(key))) return false;
    return true;
}

objc::Id Dictionary::copy() const { return make(entries_); }

std::shared_ptr<Dictionary> dictionaryValue(const objc::Id& object) {
    return std::dynamic_pointer_cast<Dictionary>(object);
}

}  // namespace foundation
