#include "sdk/utilities/ZULMutableDictionary.hpp"

#include "platform/foundation/Exception.hpp"
#include "platform/objc/Class.hpp"

ZULMutableDictionary::ZULMutableDictionary()
    : objc::Object(objc::defineClass("ZULMutableDictionary")),
      objects_(foundation::Dictionary::make()),
      queue_(dispatch::createQueue("ZULMutableDictionary")) {}

std::string ZULMutableDictionary::description() const {
    std::string text;
    queue_->sync([&] { text = objects_->description(); });
    return text;
}

objc::Id ZULMutableDictionary::objectForKey(const std::string& key) const {
    objc::Id object;
    queue_->sync([&] { object = objects_->objectForKey(key); });
    return object;
}

void ZULMutableDictionary::setObject(objc::Id object, std::string key) {
    if (!object)
        foundation::Exception::raise(foundation::NSInvalidArgumentException,
                                     "-[ZULMutableDictionary setObject:forKey:]: object cannot be nil (key: " + key + ")");
    // The contents live as long as the queued work needs them, even past the dictionary.
    queue_->async([objects = objects_, object = std::move(object), key = std::move(key)]() mutable {
        objects->setObject(std::move(object), std::move(key));
    });
}

void ZULMutableDictionary::removeObjectForKey(std::string key) {
    queue_->async([objects = objects_, key = std::move(key)] { objects->removeObjectForKey(key); });
}

void ZULMutableDictionary::removeAllObjects() {
    queue_->async([objects = objects_] {
        for (auto& key : objects->allKeys()) objects->removeObjectForKey(key);
    });
}

std::size_t ZULMutableDictionary::count() const {
    std::size_t count = 0;
    queue_->sync([&] { count = objects_->count(); });
    return count;
}

objc::Id ZULMutableDictionary::objectForKeyedSubscript(const std::string& key) const { return objectForKey(key); }

void ZULMutableDictionary::setObjectForKeyedSubscript(objc::Id object, std::string key) {
    if (object)
        setObject(std::move(object), std::move(key));
    else
        removeObjectForKey(std::move(key));
}

std::shared_ptr<const foundation::Dictionary> ZULMutableDictionary::dictionary() const {
    std::shared_ptr<const foundation::Dictionary> snapshot;
    queue_->sync([&] { snapshot = foundation::dictionaryValue(objects_->copy()); });
    return snapshot;
}
