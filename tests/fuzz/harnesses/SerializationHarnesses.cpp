// The platform's readers and writers of stored values: JSON, property lists and keyed
// archives. What one reads, it writes back, and that reads back as the same value.
#include "tests/fuzz/harnesses/Harness.hpp"
#include "tests/fuzz/harnesses/SameValue.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/JSONSerialization.hpp"
#include "platform/foundation/KeyedArchiver.hpp"
#include "platform/foundation/KeyedUnarchiver.hpp"
#include "platform/foundation/PropertyListSerialization.hpp"
#include "platform/objc/Class.hpp"

namespace fuzzing {

namespace {

std::string describe(const std::shared_ptr<foundation::Error>& error) {
    return error ? error->description() : std::string("no error");
}

}  // namespace

Finding json(std::string_view input) {
    using foundation::JSONSerialization;
    std::shared_ptr<foundation::Error> error;
    auto value = JSONSerialization::JSONObjectWithData(input, JSONSerialization::fragmentsAllowed, &error);
    if (!value) return error ? Finding() : Finding("refused without an error");
    // Fragments are written inside an array, as only containers may be written.
    auto wrapped = foundation::Array::make({value});
    for (unsigned options : {unsigned{JSONSerialization::compact}, unsigned{JSONSerialization::prettyPrinted}}) {
        auto written = JSONSerialization::dataWithJSONObject(wrapped, options, &error);
        if (!written) return "read but not written: " + describe(error);
        auto back = foundation::arrayValue(JSONSerialization::JSONObjectWithData(*written, JSONSerialization::none, &error));
        if (!back || back->count() != 1) return "written JSON does not read: " + describe(error);
        if (!sameValue(value, back->objectAtIndex(0))) return describeDifference(value, back->objectAtIndex(0));
    }
    return std::nullopt;
}

Finding propertyList(std::string_view input) {
    using foundation::PropertyListFormat;
    using foundation::PropertyListSerialization;
    std::shared_ptr<foundation::Error> error;
    PropertyListFormat format{};
    auto value = PropertyListSerialization::propertyListWithData(input, &format, &error);
    if (!value) return error ? Finding() : Finding("refused without an error");
    for (auto target : {format, PropertyListFormat::binary}) {
        auto written = PropertyListSerialization::dataWithPropertyList(value, target, &error);
        if (!written) return "read but not written back: " + describe(error);
        PropertyListFormat found{};
        auto back = PropertyListSerialization::propertyListWithData(*written, &found, &error);
        if (!back) return "written list does not read: " + describe(error);
        if (found != target) return "written in one format, read as another";
        if (!sameValue(value, back)) return describeDifference(value, back);
    }
    return std::nullopt;
}

Finding keyedArchive(std::string_view input) {
    std::vector<const objc::Class*> classes;
    for (const char* name : {"NSString", "NSNumber", "NSData", "NSDate", "NSArray", "NSDictionary", "NSNull"})
        classes.push_back(objc::defineClass(name));
    std::shared_ptr<foundation::Error> error;
    auto data = foundation::Data::fromString(input);
    auto value = foundation::KeyedUnarchiver::unarchivedObjectOfClasses(classes, *data, &error);
    if (!value) return error ? Finding() : Finding("refused without an error");
    auto archived = foundation::KeyedArchiver::archivedDataWithRootObject(value, &error);
    if (!archived) return "unarchived but not archived again: " + describe(error);
    auto back = foundation::KeyedUnarchiver::unarchivedObjectOfClasses(classes, *archived, &error);
    if (!back) return "archive written does not read: " + describe(error);
    if (!sameValue(value, back)) return describeDifference(value, back);
    return std::nullopt;
}

}  // namespace fuzzing
