#include "platform/foundation/KeyedArchiver.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/KeyedArchiveFormat.hpp"
#include "platform/foundation/Null.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/PropertyListPrecheck.hpp"
#include "platform/foundation/String.hpp"
#include "platform/objc/Class.hpp"

#include <cstdlib>
#include <string>

namespace foundation {

namespace ka = keyedarchive;

namespace {

plist_t numberNode(const Number& number, std::string& kind) {
    switch (number.kind()) {
    case Number::Kind::boolean: kind = "b"; return plist_new_bool(number.boolValue());
    case Number::Kind::integer: kind = "i"; return plist_new_uint(static_cast<std::uint64_t>(number.integerValue()));
    case Number::Kind::unsignedInteger: kind = "u"; return plist_new_uint(number.unsignedValue());
    case Number::Kind::real: break;
    }
    kind = "r";
    return plist_new_real(number.doubleValue());
}

// Each enclosing object costs the archive up to three property-list levels (its node, its
// fields, its array or entries); past this the unarchiver's precheck would refuse the archive.
constexpr std::size_t maximumObjectDepth = (PropertyListPrecheck::maximumDepth - 4) / 3;

std::shared_ptr<Error> invalidTextError() {
    return Error::withDescription(NSCocoaErrorDomain, NSCoderInvalidValueError,
                                  "Text that is not valid UTF-8 cannot be archived.");
}

std::shared_ptr<Error> notCodableError(const objc::Object& object) {
    return Error::withDescription(NSCocoaErrorDomain, NSCoderInvalidValueError,
                                  "Objects of class '" + object.isa()->name() + "' cannot be archived securely.");
}

}  // namespace

plist_t KeyedArchiver::encodeNode(const objc::Id& object, std::size_t depth, std::shared_ptr<Error>& failure) {
    if (depth > maximumObjectDepth) {
        failure = Error::withDescription(NSCocoaErrorDomain, NSCoderInvalidValueError,
                                         "The objects are nested too deeply to be archived.");
        return nullptr;
    }
    ka::Node node(plist_new_dict());
    plist_dict_set_item(node.get(), ka::classKey, plist_new_string(object->isa()->name().c_str()));
    plist_t fields = plist_new_dict();
    plist_dict_set_item(node.get(), ka::fieldsKey, fields);

    if (auto string = std::dynamic_pointer_cast<String>(object)) {
        if (!isValidUTF8(string->value())) {
            failure = invalidTextError();
            return nullptr;
        }
        // Kept as bytes so that text with zero bytes survives.
        plist_dict_set_item(fields, ka::stringField, plist_new_data(string->value().data(), string->value().size()));
    } else if (auto number = std::dynamic_pointer_cast<Number>(object)) {
        std::string kind;
        plist_dict_set_item(fields, ka::numberValueField, numberNode(*number, kind));
        plist_dict_set_item(fields, ka::numberKindField, plist_new_string(kind.c_str()));
    } else if (auto data = std::dynamic_pointer_cast<Data>(object)) {
        plist_dict_set_item(fields, ka::dataField,
                            plist_new_data(reinterpret_cast<const char*>(data->bytes().data()), data->length()));
    } else if (auto date = std::dynamic_pointer_cast<Date>(object)) {
        plist_dict_set_item(fields, ka::referenceTimeField, plist_new_real(date->timeIntervalSinceReferenceDate()));
    } else if (std::dynamic_pointer_cast<Null>(object)) {
        // The class says it all.
    } else if (auto array = std::dynamic_pointer_cast<Array>(object)) {
        plist_t items = plist_new_array();
        plist_dict_set_item(fields, ka::objectsField, items);
        for (auto& item : array->items()) {
            plist_t encoded = encodeNode(item, depth + 1, failure);
            if (!encoded) return nullptr;
            plist_array_append_item(items, encoded);
        }
    } else if (auto dictionary = std::dynamic_pointer_cast<Dictionary>(object)) {
        plist_t entries = plist_new_dict();
        plist_dict_set_item(fields, ka::entriesField, entries);
        for (auto& [key, value] : dictionary->entries()) {
            // Keys are property-list keys: a NUL would cut one short.
            if (!PropertyListPrecheck::isStorableText(key)) {
                failure = invalidTextError();
                return nullptr;
            }
            plist_t encoded = encodeNode(value, depth + 1, failure);
            if (!encoded) return nullptr;
            plist_dict_set_item(entries, key.c_str(), encoded);
        }
    } else if (auto codable = std::dynamic_pointer_cast<SecureCoding>(object)) {
        KeyedArchiver coder(fields, depth + 1);
        codable->encodeWithCoder(coder);
        if (coder.failure_) {
            failure = coder.failure_;
            return nullptr;
        }
    } else {
        failure = notCodableError(*object);
        return nullptr;
    }
    return node.release();
}

std::shared_ptr<Data> KeyedArchiver::archivedDataWithRootObject(const objc::Id& root, std::shared_ptr<Error>* error) {
    std::shared_ptr<Error> failure;
    if (!root)
        failure = Error::withDescription(NSCocoaErrorDomain, NSCoderInvalidValueError, "There is no object to archive.");
    ka::Node encodedRoot(root ? encodeNode(root, 0, failure) : nullptr);
    if (failure) {
        if (error) *error = failure;
        return nullptr;
    }
    ka::Node archive(plist_new_dict());
    plist_dict_set_item(archive.get(), ka::archiverKey, plist_new_string(ka::archiverName));
    plist_dict_set_item(archive.get(), ka::versionKey, plist_new_uint(ka::version));
    plist_t top = plist_new_dict();
    plist_dict_set_item(archive.get(), ka::topKey, top);
    plist_dict_set_item(top, ka::rootKey, encodedRoot.release());

    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(archive.get(), &bytes, &length);
    auto data = Data::make(std::vector<std::uint8_t>(bytes, bytes + length));
    std::free(bytes);
    if (error) *error = nullptr;
    return data;
}

void KeyedArchiver::encodeObject(const objc::Id& object, std::string_view key) {
    if (!object || failure_) return;
    plist_t encoded = encodeNode(object, depth_, failure_);
    if (encoded) plist_dict_set_item(fields_, std::string(key).c_str(), encoded);
}

void KeyedArchiver::encodeInt64(std::int64_t value, std::string_view key) {
    plist_dict_set_item(fields_, std::string(key).c_str(), plist_new_uint(static_cast<std::uint64_t>(value)));
}

void KeyedArchiver::encodeDouble(double value, std::string_view key) {
    plist_dict_set_item(fields_, std::string(key).c_str(), plist_new_real(value));
}

void KeyedArchiver::encodeBool(bool value, std::string_view key) {
    plist_dict_set_item(fields_, std::string(key).c_str(), plist_new_bool(value));
}

}  // namespace foundation
