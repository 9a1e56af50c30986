#include "platform/foundation/JSONSerialization.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/Null.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"
#include "platform/objc/Class.hpp"

#include <nlohmann/json.hpp>
#include <simdjson.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace foundation {

namespace {

constexpr std::int64_t NSPropertyListReadCorruptError = 3840;
constexpr std::int64_t NSPropertyListWriteInvalidError = 3851;
constexpr int maximumDepth = simdjson::DEFAULT_MAX_DEPTH;

void report(std::shared_ptr<Error>* error, std::int64_t code, std::string description) {
    if (error) *error = Error::withDescription(NSCocoaErrorDomain, code, std::move(description));
}

objc::Id objectFromElement(simdjson::dom::element element) {
    switch (element.type()) {
    case simdjson::dom::element_type::OBJECT: {
        Dictionary::Storage entries;
        simdjson::dom::object object = element.get_object().value_unsafe();
        for (auto field : object)
            entries.insert_or_assign(std::string(field.key), objectFromElement(field.value));
        return Dictionary::make(std::move(entries));
    }
    case simdjson::dom::element_type::ARRAY: {
        std::vector<objc::Id> items;
        simdjson::dom::array array = element.get_array().value_unsafe();
        for (auto child : array) items.push_back(objectFromElement(child));
        return Array::make(std::move(items));
    }
    case simdjson::dom::element_type::STRING:
        return String::make(std::string(element.get_string().value_unsafe()));
    case simdjson::dom::element_type::INT64:
        return Number::withInteger(element.get_int64().value_unsafe());
    case simdjson::dom::element_type::UINT64:
        return Number::withUnsigned(element.get_uint64().value_unsafe());
    case simdjson::dom::element_type::DOUBLE:
        return Number::withDouble(element.get_double().value_unsafe());
    case simdjson::dom::element_type::BOOL:
        return Number::withBool(element.get_bool().value_unsafe());
    case simdjson::dom::element_type::NULL_VALUE:
        return Null::null();
    }
    return nullptr;
}

// simdjson refuses integers beyond 64 bits; such documents are rare enough that the slower
// reader, which turns them into doubles, only runs for them.
objc::Id objectFromSlowJSON(const nlohmann::json& value) {
    switch (value.type()) {
    case nlohmann::json::value_t::object: {
        Dictionary::Storage entries;
        for (const auto& [key, member] : value.items()) entries.insert_or_assign(key, objectFromSlowJSON(member));
        return Dictionary::make(std::move(entries));
    }
    case nlohmann::json::value_t::array: {
        std::vector<objc::Id> items;
        for (const auto& child : value) items.push_back(objectFromSlowJSON(child));
        return Array::make(std::move(items));
    }
    case nlohmann::json::value_t::string:
        return String::make(value.get<std::string>());
    case nlohmann::json::value_t::boolean:
        return Number::withBool(value.get<bool>());
    case nlohmann::json::value_t::number_integer:
        return Number::withInteger(value.get<std::int64_t>());
    case nlohmann::json::value_t::number_unsigned:
        return Number::withUnsigned(value.get<std::uint64_t>());
    case nlohmann::json::value_t::number_float:
        return Number::withDouble(value.get<double>());
    default:
        return Null::null();
    }
}

bool isContainer(const objc::Id& object) {
    return arrayValue(object) != nullptr || dictionaryValue(object) != nullptr;
}

// Deeper nesting than the reader accepts is refused too, which also bounds the writer's
// recursion.
bool isValidElement(const objc::Id& object, int depth = 0) {
    if (depth >= maximumDepth) return false;
    if (auto array = arrayValue(object)) {
        for (const auto& item : array->items())
            if (!isValidElement(item, depth + 1)) return false;
        return true;
    }
    if (auto dictionary = dictionaryValue(object)) {
        for (const auto& [key, value] : dictionary->entries())
            if (!isValidElement(value, depth + 1)) return false;
        return true;
    }
    if (auto number = numberValue(object)) return std::isfinite(number->doubleValue());
    return stringValue(object).has_value() || std::dynamic_pointer_cast<Null>(object) != nullptr;
}

nlohmann::ordered_json jsonFromObject(const objc::Id& object) {
    if (auto array = arrayValue(object)) {
        auto result = nlohmann::ordered_json::array();
        for (const auto& item : array->items()) result.push_back(jsonFromObject(item));
        return result;
    }
    if (auto dictionary = dictionaryValue(object)) {
        auto result = nlohmann::ordered_json::object();
        for (const auto& [key, value] : dictionary->entries()) result[key] = jsonFromObject(value);
        return result;
    }
    if (auto number = numberValue(object)) {
        switch (number->kind()) {
        case Number::Kind::boolean: return number->boolValue();
        case Number::Kind::integer: return number->integerValue();
        case Number::Kind::unsignedInteger: return number->unsignedValue();
        case Number::Kind::real: return number->doubleValue();
        }
    }
    if (auto text = stringValue(object)) return *text;
    return nullptr;
}

}  // namespace

objc::Id JSONSerialization::JSONObjectWithData(std::string_view data, unsigned options, std::shared_ptr<Error>* error) {
    if (data.empty()) {
        report(error, NSPropertyListReadCorruptError, "Unable to parse empty data.");
        return nullptr;
    }
    simdjson::dom::parser parser;
    simdjson::padded_string padded(data);
    auto parsed = parser.parse(padded);
    objc::Id result;
    if (!parsed.error()) {
        result = objectFromElement(parsed.value_unsafe());
    } else if (parsed.error() == simdjson::NUMBER_ERROR && data.find('\0') == std::string_view::npos) {
        // Read again for the long integers; this reader would take a NUL byte, which JSON
        // text never holds, as the end of the document.
        try {
            // Same nesting limit as the fast reader, so conversion cannot exhaust the stack.
            auto limitDepth = [](int depth, nlohmann::json::parse_event_t, nlohmann::json&) {
                if (depth > maximumDepth) throw std::length_error("nesting too deep");
                return true;
            };
            result = objectFromSlowJSON(nlohmann::json::parse(data, limitDepth));
        } catch (const std::exception& exception) {
            report(error, NSPropertyListReadCorruptError,
                   std::string("The data couldn\u2019t be read because it isn\u2019t in the correct format. (") +
                       exception.what() + ")");
            return nullptr;
        }
    } else {
        report(error, NSPropertyListReadCorruptError,
               std::string("The data couldn\u2019t be read because it isn\u2019t in the correct format. (") +
                   simdjson::error_message(parsed.error()) + ")");
        return nullptr;
    }
    if (!(options & fragmentsAllowed) && !isContainer(result)) {
        report(error, NSPropertyListReadCorruptError,
               "JSON text did not start with array or object and option to allow fragments not set.");
        return nullptr;
    }
    return result;
}

bool JSONSerialization::isValidJSONObject(const objc::Id& object) { return isContainer(object) && isValidElement(object); }

std::shared_ptr<Data> JSONSerialization::dataWithJSONObject(const objc::Id& object, unsigned options,
                                                            std::shared_ptr<Error>* error) {
    if (!isValidJSONObject(object)) {
        // Named by class only: describing a deeply nested object would cost more than the write.
        report(error, NSPropertyListWriteInvalidError,
               "Invalid object for JSON writing (" + (object ? object->isa()->name() : std::string("nil")) + ")");
        return nullptr;
    }
    std::string text;
    try {
        // Dictionaries iterate in key order, so the output is sorted with or without the option.
        text = jsonFromObject(object).dump(options & prettyPrinted ? 2 : -1);
    } catch (const nlohmann::json::exception&) {
        report(error, NSPropertyListWriteInvalidError, "Invalid string for JSON: not UTF-8.");
        return nullptr;
    }
    if (!(options & withoutEscapingSlashes)) {
        // A slash can only occur inside a string in JSON text, so escaping every one is exact.
        std::string escaped;
        escaped.reserve(text.size());
        for (char character : text) {
            if (character == '/') escaped += '\\';
            escaped += character;
        }
        text = std::move(escaped);
    }
    return Data::fromString(text);
}

}  // namespace foundation
