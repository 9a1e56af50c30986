#include "platform/foundation/PropertyListSerialization.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/PropertyListDate.hpp"
#include "platform/foundation/PropertyListPrecheck.hpp"
#include "platform/foundation/PropertyListReader.hpp"
#include "platform/foundation/String.hpp"

#include <plist/plist.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

namespace foundation {

namespace {

constexpr std::int64_t NSPropertyListReadCorruptError = 3840;
constexpr std::int64_t NSPropertyListWriteInvalidError = 3851;

using PlistNode = PropertyListReader::Tree;

// The XML form writes a date as whole seconds with a year of up to four digits, and reads
// back years from 1 on.
constexpr double earliestXMLDate = -63113904000.0;  // 0001-01-01T00:00:00Z, since 2001
constexpr double latestXMLDate = 252423993599.0;    // 9999-12-31T23:59:59Z

bool isXMLDate(double sinceReference) { return sinceReference >= earliestXMLDate && sinceReference <= latestXMLDate; }

void report(std::shared_ptr<Error>* error, std::int64_t code, std::string description) {
    if (error) *error = Error::withDescription(NSCocoaErrorDomain, code, std::move(description));
}

// The objects of a parsed tree. Nodes without an object form are left out; a date the XML
// form cannot hold refuses the whole list (the library's reader takes fields out of range,
// "1A900-06-01", and runs them on, to dates it could not write back). Lives for one read.
class ObjectsFromNodes {
public:
    explicit ObjectsFromNodes(PropertyListFormat format) : format_(format) {}
    bool refused() const { return refused_; }

    objc::Id convert(plist_t node) {
        switch (plist_get_node_type(node)) {
        case PLIST_DICT: {
            Dictionary::Storage entries;
            for (const auto& [key, value] : PropertyListReader::entriesOf(node)) {
                auto object = convert(value);
                if (refused_) return nullptr;
                if (object) entries.insert_or_assign(key, std::move(object));
            }
            return Dictionary::make(std::move(entries));
        }
        case PLIST_ARRAY: {
            std::vector<objc::Id> items;
            auto count = plist_array_get_size(node);
            for (std::uint32_t index = 0; index < count && !refused_; ++index)
                if (auto item = convert(plist_array_get_item(node, index))) items.push_back(std::move(item));
            return refused_ ? nullptr : Array::make(std::move(items));
        }
        case PLIST_STRING: {
            std::uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            return String::make(text ? std::string(text, length) : std::string());
        }
        case PLIST_BOOLEAN: {
            std::uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return Number::withBool(value != 0);
        }
        case PLIST_UINT: {
            // The library keeps integers as 64-bit patterns; property lists hold signed integers.
            std::uint64_t value = 0;
            plist_get_uint_val(node, &value);
            return Number::withInteger(static_cast<std::int64_t>(value));
        }
        case PLIST_REAL: {
            double value = 0;
            plist_get_real_val(node, &value);
            return Number::withDouble(value);
        }
        case PLIST_DATA: {
            std::uint64_t length = 0;
            const char* bytes = plist_get_data_ptr(node, &length);
            auto begin = reinterpret_cast<const std::uint8_t*>(bytes);
            return Data::make(bytes ? std::vector<std::uint8_t>(begin, begin + length) : std::vector<std::uint8_t>());
        }
        case PLIST_DATE: {
            double interval = PropertyListDate::interval(node);
            if (format_ == PropertyListFormat::xml && !isXMLDate(interval)) {
                refused_ = true;
                return nullptr;
            }
            return Date::dateWithTimeIntervalSinceReferenceDate(interval);
        }
        case PLIST_UID: {
            std::uint64_t value = 0;
            plist_get_uid_val(node, &value);
            return Dictionary::make({{"CF$UID", Number::withUnsigned(value)}});
        }
        default:
            return nullptr;
        }
    }

private:
    PropertyListFormat format_;
    bool refused_ = false;
};

// A dictionary whose one key is "CF$UID" with an integer is how UIDs read; it is written
// back as the UID it stands for.
std::optional<std::uint64_t> uidOf(const Dictionary& dictionary) {
    if (dictionary.count() != 1) return std::nullopt;
    auto number = numberValue(dictionary.objectForKey("CF$UID"));
    if (!number || number->kind() == Number::Kind::boolean || number->kind() == Number::Kind::real ||
        (number->kind() == Number::Kind::integer && number->integerValue() < 0))
        return std::nullopt;
    return number->kind() == Number::Kind::unsignedInteger ? number->unsignedValue()
                                                           : static_cast<std::uint64_t>(number->integerValue());
}

plist_t dateNode(const Date& date, PropertyListFormat format) {
    double sinceReference = date.timeIntervalSinceReferenceDate();
    if (format == PropertyListFormat::binary) return PropertyListDate::makeNode(sinceReference);
    double whole = std::floor(sinceReference);
    if (!isXMLDate(whole)) return nullptr;
    return PropertyListDate::makeNode(whole);
}

// Nullptr when the object (or anything inside it) has no property-list form, or is nested
// deeper than any reader would accept.
plist_t nodeFromObject(const objc::Id& object, PropertyListFormat format, std::size_t depth = 0) {
    if (depth > PropertyListPrecheck::maximumDepth) return nullptr;
    if (auto dictionary = dictionaryValue(object)) {
        if (auto uid = uidOf(*dictionary)) return plist_new_uid(*uid);
        PlistNode node(plist_new_dict());
        for (const auto& [key, value] : dictionary->entries()) {
            if (!PropertyListPrecheck::isStorableText(key)) return nullptr;
            plist_t child = nodeFromObject(value, format, depth + 1);
            if (!child) return nullptr;
            plist_dict_set_item(node.get(), key.c_str(), child);
        }
        return node.release();
    }
    if (auto array = arrayValue(object)) {
        PlistNode node(plist_new_array());
        for (const auto& item : array->items()) {
            plist_t child = nodeFromObject(item, format, depth + 1);
            if (!child) return nullptr;
            plist_array_append_item(node.get(), child);
        }
        return node.release();
    }
    if (auto text = stringValue(object)) {
        // The library works with C strings (a NUL would cut the value short) and turns
        // malformed UTF-8 into something else, which would not read back as written.
        if (!PropertyListPrecheck::isStorableText(*text)) return nullptr;
        return plist_new_string(text->c_str());
    }
    if (auto number = numberValue(object)) {
        switch (number->kind()) {
        case Number::Kind::boolean: return plist_new_bool(number->boolValue() ? 1 : 0);
        case Number::Kind::integer: return plist_new_uint(static_cast<std::uint64_t>(number->integerValue()));
        case Number::Kind::unsignedInteger:
            // Would read back negative: the library stores only 64-bit signed integers.
            if (number->unsignedValue() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
                return nullptr;
            return plist_new_uint(number->unsignedValue());
        case Number::Kind::real: return plist_new_real(number->doubleValue());
        }
    }
    if (auto data = dataValue(object))
        return plist_new_data(reinterpret_cast<const char*>(data->bytes().data()), data->length());
    if (auto date = std::dynamic_pointer_cast<Date>(object)) return dateNode(*date, format);
    return nullptr;
}

}  // namespace

objc::Id PropertyListSerialization::propertyListWithData(std::string_view data, PropertyListFormat* format,
                                                         std::shared_ptr<Error>* error) {
    if (data.empty()) {
        report(error, NSPropertyListReadCorruptError, "Cannot parse a NULL or zero-length data");
        return nullptr;
    }
    auto list = PropertyListReader::read(data);
    auto readFormat = list && list->isBinary ? PropertyListFormat::binary : PropertyListFormat::xml;
    ObjectsFromNodes objects(readFormat);
    auto result = list ? objects.convert(static_cast<plist_t>(list->root.get())) : nullptr;
    std::string refusal = !list ? list.error() : objects.refused() ? "a date the XML form cannot hold" : "";
    if (!result) {
        report(error, NSPropertyListReadCorruptError,
               "The data couldn\u2019t be read because it isn\u2019t in the correct format." +
                   (refusal.empty() ? std::string() : " (" + refusal + ")"));
        return nullptr;
    }
    if (format) *format = readFormat;
    return result;
}

std::shared_ptr<Data> PropertyListSerialization::dataWithPropertyList(const objc::Id& object, PropertyListFormat format,
                                                                      std::shared_ptr<Error>* error) {
    if (format == PropertyListFormat::openStep) {
        report(error, NSPropertyListWriteInvalidError, "Property list format OpenStep is not supported for writing");
        return nullptr;
    }
    PlistNode root(nodeFromObject(object, format));
    if (!root) {
        report(error, NSPropertyListWriteInvalidError,
               "Property list invalid for format: " + std::to_string(static_cast<int>(format)));
        return nullptr;
    }
    char* bytes = nullptr;
    std::uint32_t length = 0;
    std::shared_ptr<Data> result;
    if (format == PropertyListFormat::binary) {
        plist_to_bin(root.get(), &bytes, &length);
        if (bytes) result = Data::fromString(std::string_view(bytes, length));
        plist_to_bin_free(bytes);
    } else {
        plist_to_xml(root.get(), &bytes, &length);
        if (bytes) result = Data::fromString(std::string_view(bytes, length));
        plist_to_xml_free(bytes);
    }
    if (!result) report(error, NSPropertyListWriteInvalidError, "The property list could not be written.");
    return result;
}

bool PropertyListSerialization::propertyListIsValidForFormat(const objc::Id& object, PropertyListFormat format) {
    if (format == PropertyListFormat::openStep) return false;
    PlistNode root(nodeFromObject(object, format));
    return root != nullptr;
}

}  // namespace foundation
