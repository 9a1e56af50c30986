#include "platform/foundation/Array.hpp"

#include "platform/foundation/CollectionDescription.hpp"
#include "platform/objc/Class.hpp"

namespace foundation {

Array::Array() : objc::Object(objc::defineClass("NSArray")) {}

Array::Array(std::vector<objc::Id> items) : objc::Object(objc::defineClass("NSArray")) {
    for (auto& item : items)
        if (item) items_.push_back(std::move(item));
}

std::shared_ptr<Array> Array::make(std::vector<objc::Id> items) { return std::make_shared<Array>(std::move(items)); }

void Array::addObject(objc::Id item) {
    if (item) items_.push_back(std::move(item));
}

std::string Array::description() const {
    if (items_.empty()) return "(\n)";
    std::string text = "(";
    for (std::size_t index = 0; index < items_.size(); ++index) {
        text += "\n    " + indentCollectionText(describeCollectionElement(items_[index]));
        if (index + 1 < items_.size()) text += ",";
    }
    return text + "\n)";
}

bool Array::isEqual(const objc::Object& other) const {
    auto* array = dynamic_cast<const Array*>(&other);
    if (!array || array->items_.size() != items_.size()) return false;
    for (std::size_t index = 0; index < items_.size(); ++index)
        if (!objc::isEqual(items_[index], array->items_[index])) return false;
    return true;
}

objc::Id Array::copy() const { return make(items_); }

std::shared_ptr<Array> arrayValue(const objc::Id& object) { return std::dynamic_pointer_cast<Array>(object); }

}  // namespace foundation
