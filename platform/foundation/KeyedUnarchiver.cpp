#include "platform/foundation/KeyedUnarchiver.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/KeyedArchiveFormat.hpp"
#include "platform/foundation/Null.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/PropertyListReader.hpp"
#include "platform/foundation/String.hpp"

#include <cstdlib>
#include <limits>
#include <map>
#include <string>

namespace foundation {

namespace ka = keyedarchive;

namespace {

Guarded<std::map<const objc::Class*, SecureDecoder>>& decoders() {
    static Guarded<std::map<const objc::Class*, SecureDecoder>> table;
    return table;
}

SecureDecoder decoderFor(const objc::Class* runtimeClass) {
    auto table = decoders().lock();
    auto found = table->find(runtimeClass);
    return found == table->end() ? SecureDecoder() : found->second;
}

std::shared_ptr<Error> corruptError(const std::string& detail) {
    return Error::withDescription(NSCocoaErrorDomain, NSCoderReadCorruptError,
                                  "The data couldn’t be read because it isn’t in the correct format. " + detail);
}

std::string joinedNames(const std::vector<const objc::Class*>& classes) {
    std::string names;
    for (auto* runtimeClass : classes) {
        if (!names.empty()) names += ", ";
        names += "'" + (runtimeClass ? runtimeClass->name() : std::string("nil")) + "'";
    }
    return names;
}

std::optional<std::string> textOf(plist_t node) {
    if (!node) return std::nullopt;
    if (plist_get_node_type(node) == PLIST_STRING) {
        // By pointer and length: the library's copying accessor aborts the process on text
        // with a NUL inside (which the precheck refuses as well).
        std::uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        return text ? std::string(text, length) : std::string();
    }
    if (plist_get_node_type(node) == PLIST_DATA) {
        char* bytes = nullptr;
        std::uint64_t length = 0;
        plist_get_data_val(node, &bytes, &length);
        std::string value(bytes ? bytes : "", bytes ? length : 0);
        std::free(bytes);
        return value;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> unsignedOf(plist_t node) {
    if (!node || plist_get_node_type(node) != PLIST_UINT) return std::nullopt;
    std::uint64_t value = 0;
    plist_get_uint_val(node, &value);
    return value;
}

std::optional<double> realOf(plist_t node) {
    if (!node || plist_get_node_type(node) != PLIST_REAL) return std::nullopt;
    double value = 0;
    plist_get_real_val(node, &value);
    return value;
}

std::optional<bool> boolOf(plist_t node) {
    if (!node || plist_get_node_type(node) != PLIST_BOOLEAN) return std::nullopt;
    std::uint8_t value = 0;
    plist_get_bool_val(node, &value);
    return value != 0;
}

const std::vector<const objc::Class*>& propertyListClasses() {
    static const std::vector<const objc::Class*> classes{
        objc::defineClass("NSString"), objc::defineClass("NSNumber"), objc::defineClass("NSData"),
        objc::defineClass("NSDate"),   objc::defineClass("NSArray"),  objc::defineClass("NSDictionary"),
        objc::defineClass("NSNull")};
    return classes;
}

bool isAllowed(const objc::Class* runtimeClass, const std::vector<const objc::Class*>& allowed) {
    for (auto* candidate : allowed)
        if (candidate && runtimeClass->isSubclassOf(candidate)) return true;
    return false;
}

objc::Id numberFrom(plist_t fields) {
    auto kind = textOf(plist_dict_get_item(fields, ka::numberKindField));
    plist_t value = plist_dict_get_item(fields, ka::numberValueField);
    if (kind == "b") {
        if (auto flag = boolOf(value)) return Number::withBool(*flag);
    } else if (kind == "i") {
        if (auto integer = unsignedOf(value)) return Number::withInteger(static_cast<std::int64_t>(*integer));
    } else if (kind == "u") {
        if (auto integer = unsignedOf(value)) return Number::withUnsigned(*integer);
    } else if (kind == "r") {
        if (auto real = realOf(value)) return Number::withDouble(*real);
    }
    return nullptr;
}

}  // namespace

void KeyedUnarchiver::registerClass(const objc::Class* runtimeClass, SecureDecoder initWithCoder) {
    decoders().lock()->insert_or_assign(runtimeClass, std::move(initWithCoder));
}

objc::Id KeyedUnarchiver::decodeNode(plist_t node, const std::vector<const objc::Class*>& allowed,
                                     std::string_view key) {
    if (failure_) return nullptr;
    plist_t fields = node && plist_get_node_type(node) == PLIST_DICT ? plist_dict_get_item(node, ka::fieldsKey) : nullptr;
    auto className = node && plist_get_node_type(node) == PLIST_DICT ? textOf(plist_dict_get_item(node, ka::classKey))
                                                                     : std::nullopt;
    if (!className || !fields || plist_get_node_type(fields) != PLIST_DICT) {
        failWithError(corruptError("The value for key '" + std::string(key) + "' is not an archived object."));
        return nullptr;
    }
    const objc::Class* runtimeClass = objc::lookUpClass(*className);
    if (!runtimeClass || !isAllowed(runtimeClass, allowed)) {
        failWithError(corruptError("Value for key '" + std::string(key) + "' was of unexpected class '" + *className +
                                   "'. Allowed classes are " + joinedNames(allowed) + "."));
        return nullptr;
    }

    objc::Id object;
    const auto& name = runtimeClass->name();
    if (name == "NSString") {
        auto text = textOf(plist_dict_get_item(fields, ka::stringField));
        if (text && !isValidUTF8(*text)) {
            failWithError(corruptError("The string for key '" + std::string(key) + "' is not valid UTF-8."));
            return nullptr;
        }
        if (text) object = String::make(*text);
    } else if (name == "NSNumber") {
        object = numberFrom(fields);
    } else if (name == "NSData") {
        if (auto bytes = textOf(plist_dict_get_item(fields, ka::dataField)))
            object = Data::make(std::vector<std::uint8_t>(bytes->begin(), bytes->end()));
    } else if (name == "NSDate") {
        if (auto seconds = realOf(plist_dict_get_item(fields, ka::referenceTimeField)))
            object = Date::dateWithTimeIntervalSinceReferenceDate(*seconds);
        else if (auto since1970 = realOf(plist_dict_get_item(fields, ka::timeSince1970Field)))
            object = Date::make(*since1970);
    } else if (name == "NSNull") {
        object = Null::null();
    } else if (name == "NSArray" || name == "NSDictionary") {
        auto contentClasses = allowed;
        contentClasses.insert(contentClasses.end(), propertyListClasses().begin(), propertyListClasses().end());
        bool isArray = name == "NSArray";
        plist_t contents = plist_dict_get_item(fields, isArray ? ka::objectsField : ka::entriesField);
        if (contents && plist_get_node_type(contents) == (isArray ? PLIST_ARRAY : PLIST_DICT)) {
            if (isArray) {
                auto array = Array::make();
                for (std::uint32_t index = 0; index < plist_array_get_size(contents); ++index)
                    array->addObject(decodeNode(plist_array_get_item(contents, index), contentClasses, key));
                object = array;
            } else {
                auto dictionary = Dictionary::make();
                for (const auto& [entryKey, value] : PropertyListReader::entriesOf(contents))
                    dictionary->setObject(decodeNode(value, contentClasses, entryKey), entryKey);
                object = dictionary;
            }
        }
    } else if (auto decoder = decoderFor(runtimeClass)) {
        KeyedUnarchiver coder(fields);
        object = decoder(coder);
        if (coder.failure_) failWithError(coder.failure_);
        if (failure_) return nullptr;
        if (object && object->isa() != runtimeClass)
            failWithError(corruptError("The decoder of class '" + name + "' made an object of another class."));
    } else {
        failWithError(corruptError("Class '" + name + "' cannot be decoded securely."));
    }
    if (!object && !failure_)
        failWithError(corruptError("The value for key '" + std::string(key) + "' of class '" + name +
                                   "' is incomplete."));
    return failure_ ? nullptr : object;
}

objc::Id KeyedUnarchiver::unarchivedObjectOfClass(const objc::Class* runtimeClass, const Data& data,
                                                  std::shared_ptr<Error>* error) {
    return unarchivedObjectOfClasses({runtimeClass}, data, error);
}

objc::Id KeyedUnarchiver::unarchivedObjectOfClasses(const std::vector<const objc::Class*>& classes, const Data& data,
                                                    std::shared_ptr<Error>* error) {
    if (error) *error = nullptr;
    // Archives come back from storage that may have been damaged: the reader refuses shapes
    // that would exhaust the parser's stack or memory before it sees them.
    auto list = PropertyListReader::read(data.view());
    ka::Node archive(list ? static_cast<plist_t>(list->root.release()) : nullptr);
    plist_t root = nullptr;
    if (archive.get() && plist_get_node_type(archive.get()) == PLIST_DICT &&
        textOf(plist_dict_get_item(archive.get(), ka::archiverKey)) == std::string(ka::archiverName)) {
        plist_t top = plist_dict_get_item(archive.get(), ka::topKey);
        if (top && plist_get_node_type(top) == PLIST_DICT) root = plist_dict_get_item(top, ka::rootKey);
    }
    if (!root) {
        if (error) *error = corruptError("It is not a keyed archive.");
        return nullptr;
    }
    KeyedUnarchiver coder(nullptr);
    auto object = coder.decodeNode(root, classes, ka::rootKey);
    if (coder.failure_) {
        if (error) *error = coder.failure_;
        return nullptr;
    }
    return object;
}

objc::Id KeyedUnarchiver::decodeObjectOfClass(const objc::Class* runtimeClass, std::string_view key) {
    return decodeObjectOfClasses({runtimeClass}, key);
}

objc::Id KeyedUnarchiver::decodeObjectOfClasses(const std::vector<const objc::Class*>& classes, std::string_view key) {
    plist_t node = fields_ ? plist_dict_get_item(fields_, std::string(key).c_str()) : nullptr;
    if (!node) return nullptr;
    return decodeNode(node, classes, key);
}

std::int64_t KeyedUnarchiver::decodeInt64ForKey(std::string_view key) const {
    return static_cast<std::int64_t>(
        unsignedOf(fields_ ? plist_dict_get_item(fields_, std::string(key).c_str()) : nullptr).value_or(0));
}

double KeyedUnarchiver::decodeDoubleForKey(std::string_view key) const {
    return realOf(fields_ ? plist_dict_get_item(fields_, std::string(key).c_str()) : nullptr).value_or(0.0);
}

bool KeyedUnarchiver::decodeBoolForKey(std::string_view key) const {
    return boolOf(fields_ ? plist_dict_get_item(fields_, std::string(key).c_str()) : nullptr).value_or(false);
}

bool KeyedUnarchiver::containsValueForKey(std::string_view key) const {
    return fields_ && plist_dict_get_item(fields_, std::string(key).c_str()) != nullptr;
}

void KeyedUnarchiver::failWithError(std::shared_ptr<Error> error) {
    if (!failure_) failure_ = std::move(error);
}

}  // namespace foundation
