#include "platform/foundation/PersistentUserDefaults.hpp"

#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/NSLog.hpp"
#include "platform/foundation/PreferencesStore.hpp"
#include "platform/foundation/PropertyListPrecheck.hpp"
#include "platform/foundation/PropertyListSerialization.hpp"

namespace foundation {

namespace {

// The registration domain's values.
Guarded<std::shared_ptr<Dictionary>>& registration() {
    static Guarded<std::shared_ptr<Dictionary>> values(Dictionary::make());
    return values;
}

objc::Id registeredObject(const std::string& key) {
    return copyPropertyList((*registration().lock())->objectForKey(key));
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
        NSLog("[UserDefaults] Attempt to set a non-property-list object " + value->description() + " for key " + key);
        return;
    }
    auto copy = copyPropertyList(value);
    auto written = PreferencesStore::shared().update(domain_, [&](Dictionary& values) {
        values.setObject(copy, key);
        return true;
    });
    logIfNotWritten(written, domain_);
}

void PersistentUserDefaults::removeObjectForKey(const std::string& key) {
    auto written = PreferencesStore::shared().update(domain_, [&](Dictionary& values) {
        if (!values.objectForKey(key)) return false;
        values.removeObjectForKey(key);
        return true;
    });
    logIfNotWritten(written, domain_);
}

void PersistentUserDefaults::registerDefaults(const std::shared_ptr<Dictionary>& defaults) {
    if (!defaults) return;
    auto values = registration().lock();
    for (const auto& [key, value] : defaults->entries()) (*values)->setObject(copyPropertyList(value), key);
}

std::shared_ptr<Dictionary> PersistentUserDefaults::dictionaryRepresentation() const {
    auto merged = Dictionary::make();
    {
        auto values = registration().lock();
        for (const auto& [key, value] : (*values)->entries()) merged->setObject(copyPropertyList(value), key);
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

void PersistentUserDefaults::resetRegistrationForTesting() { *registration().lock() = Dictionary::make(); }

}  // namespace foundation
