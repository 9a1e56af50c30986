#include "platform/foundation/KeyedArchiver.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/KeyedUnarchiver.hpp"
#include "platform/foundation/Null.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/URL.hpp"
#include "tests/support/BinaryPropertyList.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

using namespace foundation;

// A securely codable record with a scalar, a string and an optional nested record.
class Record final : public objc::Object, public SecureCoding {
public:
    static objc::Class* runtimeClass() { return objc::defineClass("KVTestRecord"); }
    Record(std::int64_t number, std::string name, std::shared_ptr<Record> child = nullptr)
        : objc::Object(runtimeClass()), number(number), name(std::move(name)), child(std::move(child)) {}

    void encodeWithCoder(KeyedArchiver& coder) const override {
        coder.encodeInt64(number, "number");
        coder.encodeObject(String::make(name), "name");
        coder.encodeObject(child, "child");
        coder.encodeBool(true, "valid");
        coder.encodeDouble(0.5, "ratio");
    }
    static void registerDecoder() {
        KeyedUnarchiver::registerClass(runtimeClass(), [](KeyedUnarchiver& coder) -> objc::Id {
            auto name = stringValue(coder.decodeObjectOfClass(objc::lookUpClass("NSString"), "name"));
            auto child = std::dynamic_pointer_cast<Record>(coder.decodeObjectOfClass(runtimeClass(), "child"));
            if (!name || !coder.decodeBoolForKey("valid") || coder.decodeDoubleForKey("ratio") != 0.5) return nullptr;
            return std::make_shared<Record>(coder.decodeInt64ForKey("number"), *name, child);
        });
    }

    std::int64_t number;
    std::string name;
    std::shared_ptr<Record> child;
};

// Archived with the record's class but holding a number where the name belongs.
class ForgedRecord final : public objc::Object, public SecureCoding {
public:
    ForgedRecord() : objc::Object(Record::runtimeClass()) {}
    void encodeWithCoder(KeyedArchiver& coder) const override {
        coder.encodeObject(Number::withInteger(5), "name");
        coder.encodeBool(true, "valid");
    }
};

std::shared_ptr<Data> archive(const objc::Id& object) {
    std::shared_ptr<Error> error;
    auto data = KeyedArchiver::archivedDataWithRootObject(object, &error);
    EXPECT_EQ(error, nullptr) << (error ? error->description() : "");
    return data;
}

objc::Id unarchive(const char* className, const Data& data, std::shared_ptr<Error>* error = nullptr) {
    return KeyedUnarchiver::unarchivedObjectOfClass(objc::lookUpClass(className), data, error);
}

}  // namespace

TEST(KeyedArchiver, PropertyListObjectsRoundTripWithTheirKinds) {
    auto nested = Dictionary::make();
    nested->setObject(Array::make({String::make("x"), Number::withBool(false), Null::null()}), "list");
    nested->setObject(Date::make(1'700'000'000.25), "when");
    struct Case {
        const char* className;
        objc::Id object;
    };
    std::vector<Case> cases{
        {"NSString", String::make(std::string("zero\0byte and ünïcode", 23))},
        {"NSString", String::make("")},
        {"NSNumber", Number::withBool(true)},
        {"NSNumber", Number::withInteger(std::numeric_limits<std::int64_t>::min())},
        {"NSNumber", Number::withUnsigned(std::numeric_limits<std::uint64_t>::max())},
        {"NSNumber", Number::withDouble(-2.5e-8)},
        {"NSData", Data::make({0, 1, 2, 255})},
        {"NSData", Data::make()},
        {"NSDate", Date::make(-86400.5)},
        {"NSDate", Date::dateWithTimeIntervalSinceReferenceDate(1e-300)},  // kept to the bit
        {"NSDictionary", nested},
        {"NSArray", Array::make()},
    };
    for (auto& testCase : cases) {
        SCOPED_TRACE(testCase.object->description());
        auto data = archive(testCase.object);
        ASSERT_NE(data, nullptr);
        std::shared_ptr<Error> error;
        auto decoded = unarchive(testCase.className, *data, &error);
        ASSERT_NE(decoded, nullptr) << (error ? error->description() : "");
        EXPECT_TRUE(decoded->isEqual(*testCase.object));
        if (auto number = numberValue(testCase.object)) {
            EXPECT_EQ(numberValue(decoded)->kind(), number->kind());
        }
    }
}

TEST(KeyedArchiver, SecureCodingObjectsRoundTripThroughTheirDecoder) {
    Record::registerDecoder();
    auto record = std::make_shared<Record>(-42, "installation", std::make_shared<Record>(7, "child"));
    auto data = archive(record);
    ASSERT_NE(data, nullptr);
    auto decoded = std::dynamic_pointer_cast<Record>(unarchive("KVTestRecord", *data));
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(decoded->number, -42);
    EXPECT_EQ(decoded->name, "installation");
    ASSERT_NE(decoded->child, nullptr);
    EXPECT_EQ(decoded->child->name, "child");
    EXPECT_EQ(decoded->child->child, nullptr);
}

TEST(KeyedArchiver, ARootOfAnotherClassIsRefusedWithAnError) {
    Record::registerDecoder();
    struct Case {
        const char* name;
        objc::Id archived;
        const char* expectedClass;
    };
    std::vector<Case> cases{
        {"number read as string", Number::withInteger(1), "NSString"},
        {"string read as record", String::make("s"), "KVTestRecord"},
        {"record read as string", std::make_shared<Record>(1, "r"), "NSString"},
        {"record whose field has the wrong class", std::make_shared<ForgedRecord>(), "KVTestRecord"},
    };
    for (auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        auto data = archive(testCase.archived);
        ASSERT_NE(data, nullptr);
        std::shared_ptr<Error> error;
        EXPECT_EQ(unarchive(testCase.expectedClass, *data, &error), nullptr);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->domain(), NSCocoaErrorDomain);
        EXPECT_EQ(error->code(), NSCoderReadCorruptError);
        EXPECT_NE(error->localizedDescription().find("unexpected class"), std::string::npos);
    }
}

TEST(KeyedArchiver, ObjectsThatCannotBeCodedSecurelyAreRefused) {
    for (objc::Id object : {objc::Id(URL::URLWithString("https://example.com")), objc::Id(),
                            objc::Id(Array::make({std::make_shared<objc::Object>()}))}) {
        std::shared_ptr<Error> error;
        EXPECT_EQ(KeyedArchiver::archivedDataWithRootObject(object, &error), nullptr);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->code(), NSCoderInvalidValueError);
    }
}

// A binary archive whose root object is {"$class": <encoded class name>, "$fields": {<field
// key>: <encoded field value>}}, for archives the archiver would not write.
std::shared_ptr<Data> craftedArchive(const std::string& encodedClassName, const std::string& encodedFieldKey,
                                     const std::string& encodedFieldValue) {
    return Data::fromString(testsupport::binaryPlistOfEncodedObjects({
        "\xD2\x01\x02\x03\x04", "\x59$archiver", "\x54$top", "\x5F\x10\x0FNSKeyedArchiver",
        "\xD1\x05\x06", "\x54root",  // $top: {root: object 6}
        "\xD2\x07\x08\x09\x0A", "\x56$class", "\x57$fields", encodedClassName,
        "\xD1\x0B\x0C", encodedFieldKey, encodedFieldValue,
    }));
}

TEST(KeyedArchiver, StoredTextThatIsNotUnicodeIsRefusedNotFatal) {
    auto accented = archive(String::make("\xC3\xA9"));
    ASSERT_NE(accented, nullptr);
    std::string damaged(accented->view());
    damaged.replace(damaged.find("\x42\xC3\xA9"), 3, "\x42\xC3\x28");  // the string's bytes
    struct Case {
        const char* name;
        std::shared_ptr<Data> data;
    };
    std::vector<Case> cases{
        {"class name holding U+0000", craftedArchive(std::string("\x62\x00N\x00\x00", 5), "\x59NS.string", "\x41x")},
        {"class name with a lone surrogate", craftedArchive(std::string("\x61\xD8\x00", 3), "\x59NS.string", "\x41x")},
        {"string bytes that are not UTF-8", Data::fromString(damaged)},
    };
    for (auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        std::shared_ptr<Error> error;
        EXPECT_EQ(unarchive("NSString", *testCase.data, &error), nullptr);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->code(), NSCoderReadCorruptError);
    }
    // The same layout with sound text reads.
    auto sound = craftedArchive("\x58NSString", "\x59NS.string", "\x41x");
    EXPECT_EQ(stringValue(unarchive("NSString", *sound)), "x");
}

TEST(KeyedArchiver, TextThatIsNotUTF8IsNotArchived) {
    for (objc::Id object : {objc::Id(String::make("caf\xC3")),
                            objc::Id(Dictionary::make({{"\xFF", String::make("x")}})),
                            objc::Id(Dictionary::make({{std::string("a\0b", 3), String::make("x")}}))}) {
        SCOPED_TRACE(object->description());
        std::shared_ptr<Error> error;
        EXPECT_EQ(KeyedArchiver::archivedDataWithRootObject(object, &error), nullptr);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->code(), NSCoderInvalidValueError);
    }
}

TEST(KeyedArchiver, DatesArchivedBeforeAsSecondsSince1970StillRead) {
    std::string day = "\x23";  // a real: 86400.5
    double seconds = 86400.5;
    std::uint64_t bits = 0;
    std::memcpy(&bits, &seconds, sizeof bits);
    for (int shift = 56; shift >= 0; shift -= 8) day += static_cast<char>((bits >> shift) & 0xFF);
    auto date = std::dynamic_pointer_cast<Date>(KeyedUnarchiver::unarchivedObjectOfClass(
        objc::defineClass("NSDate"), *craftedArchive("\x56NSDate", "\x57NS.time", day), nullptr));
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(date->timeIntervalSince1970(), 86400.5);
}

TEST(KeyedArchiver, DataThatIsNotAnArchiveGivesAnErrorNotACrash) {
    auto whole = archive(Array::make({String::make("a"), Number::withInteger(2)}));
    ASSERT_NE(whole, nullptr);
    struct Case {
        const char* name;
        std::shared_ptr<Data> data;
    };
    std::vector<Case> cases{
        {"empty", Data::make()},
        {"text", Data::fromString("not an archive")},
        {"truncated", Data::make(std::vector<std::uint8_t>(whole->bytes().begin(), whole->bytes().begin() + 20))},
        {"a property list but no archive", Data::fromString("<plist><dict><key>a</key><string>b</string></dict></plist>")},
        // Shapes that would exhaust the parser's stack or memory.
        {"nested 100000 deep", Data::fromString(testsupport::binaryPlist(testsupport::arrayChain(100000, 1)))},
        {"shared references expanding to 2^60", Data::fromString(testsupport::binaryPlist(testsupport::arrayChain(60, 2)))},
    };
    for (auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        std::shared_ptr<Error> error;
        EXPECT_EQ(unarchive("NSArray", *testCase.data, &error), nullptr);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->code(), NSCoderReadCorruptError);
    }
}

TEST(KeyedArchiver, GraphsTooDeepToReadBackOrCyclicAreRefusedNotOverflowed) {
    auto nestedArrays = [](int depth) {
        objc::Id object = String::make("leaf");
        for (int level = 0; level < depth; ++level) object = Array::make({object});
        return object;
    };
    auto nestedRecords = [](int depth) {
        std::shared_ptr<Record> record;
        for (int level = 0; level < depth; ++level) record = std::make_shared<Record>(level, "r", record);
        return record;
    };
    Record::registerDecoder();
    // The deepest graph that archives can be read back.
    auto deepestArchive = [](auto make) {
        std::shared_ptr<Data> deepest;
        for (int depth = 1; depth < 1000; ++depth) {
            auto data = KeyedArchiver::archivedDataWithRootObject(make(depth), nullptr);
            if (!data) break;
            deepest = data;
        }
        return deepest;
    };
    for (auto& [className, data] : std::vector<std::pair<const char*, std::shared_ptr<Data>>>{
             {"NSArray", deepestArchive(nestedArrays)}, {"KVTestRecord", deepestArchive(nestedRecords)}}) {
        SCOPED_TRACE(className);
        ASSERT_NE(data, nullptr);
        std::shared_ptr<Error> error;
        EXPECT_NE(unarchive(className, *data, &error), nullptr) << (error ? error->description() : "");
    }

    auto cyclic = Array::make({String::make("a")});
    cyclic->addObject(cyclic);
    auto cyclicDictionary = Dictionary::make();
    cyclicDictionary->setObject(Array::make({cyclicDictionary}), "self");
    for (auto& [name, object] : std::vector<std::pair<const char*, objc::Id>>{{"1500 arrays deep", nestedArrays(1500)},
                                                                                {"1500 records deep", nestedRecords(1500)},
                                                                                {"an array holding itself", cyclic},
                                                                                {"a dictionary holding itself", cyclicDictionary}}) {
        SCOPED_TRACE(name);
        std::shared_ptr<Error> error;
        EXPECT_EQ(KeyedArchiver::archivedDataWithRootObject(object, &error), nullptr);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->code(), NSCoderInvalidValueError);
    }
    cyclic->removeAllObjects();
    cyclicDictionary->removeObjectForKey("self");
}
