#include "platform/foundation/PersistentUserDefaults.hpp"

#include "platform/foundation/PreferencesStore.hpp"
#include "platform/foundation/PropertyListPrecheck.hpp"
#include "platform/foundation/PropertyListSerialization.hpp"

#include <cstdio>
#include <mutex>

namespace foundation {

namespace {

struct RegistrationDomain {
    std::mutex mutex;
    std::shared_ptr<Dictionary> values = Dictionary::make();
};

RegistrationDomain& registration() {
    static RegistrationDomain domain;
    return domain;
}

objc::Id registeredObject(const std::string& key) {
    auto& domain = registration();
    std::lock_guard lock(domain.mutex);
    return copyPropertyList(domain.values->objectForKey(key));
}

}  // namespace

PersistentUserDefaults::PersistentUserDefaults(std::string domain) : domain_(std::move(domain)) {}

objc::Id PersistentUserDefaults::objectForKey(const std::string& key) const {
    auto& store = PreferencesStore::shared();
    if (auto value = store.objectForKey(domain_, key)) return value;
    if (domain_ != NSGlobalDomain)
        if (auto value = store.objectForKey(NSGlobalDomain, key)) return value;
    return registeredObject(key);
}

void PersistentUserDefaults::setObject(const objc::Id& value, const std::string& key) {
    if (!value) {
        removeObjectForKey(key);
        return;
    }
    if (!PropertyListPrecheck::isStorableText(key) ||
        !PropertyListSerialization::propertyListIsValidForFormat(value, PropertyListFormat::binary)) {
        // The platform refuses such values too; nothing is stored, so the domain's file
        // stays readable.
        std::fprintf(stderr, "[UserDefaults] Attempt to set a non-property-list object %s for key %s\n",
                     value->description().c_str(), key.c_str());
        return;
    }
    auto copy = copyPropertyList(value);
    bool written = PreferencesStore::shared().update(domain_, [&](Dictionary& values) {
        values.setObject(copy, key);
        return true;
    });
    if (!written)
        std::fprintf(stderr, "[UserDefaults] Could not write %s\n", PreferencesStore::pathForDomain(domain_).c_str());
}

void PersistentUserDefaults::removeObjectForKey(const std::string& key) {
    bool written = PreferencesStore::shared().update(domain_, [&](Dictionary& values) {
        if (!values.objectForKey(key)) return false;
        values.removeObjectForKey(key);
        return true;
    });
    if (!written)
        std::fprintf(stderr, "[UserDefaults] Could not write %s\n", PreferencesStore::pathForDomain(domain_).c_str());
}

void PersistentUserDefaults::registerDefaults(const std::shared_ptr<Dictionary>& defaults) {
    if (!defaults) return;
    auto& domain = registration();
    std::lock_guard lock(domain.mutex);
    for (const auto& [key, value] : defaults->entries()) domain.values->setObject(copyPropertyList(value), key);
}

std::shared_ptr<Dictionary> PersistentUserDefaults::dictionaryRepresentation() const {
    auto merged = Dictionary::make();
    {
        auto& domain = registration();
        std::lock_guard lock(domain.mutex);
        for (const auto& [key, value] : domain.values->entries()) merged->setObject(copyPropertyList(value), key);
    }
    auto& store = PreferencesStore::shared();
    for (const auto& name : {std::string(NSGlobalDomain), domain_}) {
        auto values = store.persistentDomain(name);
        for (const auto& [key, value] : values->entries()) merged->setObject(value, key);
    }
    return merged;
}

std::shared_ptr<Dictionary> PersistentUserDefaults::persistentDomainForName(const std::string& domain) const {
    auto values = PreferencesStore::shared().persistentDomain(domain);
    return values->count() == 0 ? nullptr : values;
}

void PersistentUserDefaults::resetRegistrationForTesting() {
    auto& domain = registration();
    std::lock_guard lock(domain.mutex);
    domain.values = Dictionary::make();
}

}  // namespace foundation
