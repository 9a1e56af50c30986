#include "sdk/utilities/ZULNSData+zlib.hpp"

#include "platform/foundation/Number.hpp"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

using foundation::Data;
using foundation::Error;

std::shared_ptr<Data> textData(std::string_view text) { return Data::fromString(text); }

std::shared_ptr<Data> randomData(std::size_t length, unsigned seed) {
    std::mt19937 generator(seed);
    std::vector<std::uint8_t> bytes(length);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator());
    return Data::make(std::move(bytes));
}

// Runs a shell command and returns what it printed.
std::string commandOutput(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, count);
    pclose(pipe);
    return output;
}

// Every test binary runs in a temporary home.
std::filesystem::path writeInHome(const std::string& name, std::string_view contents) {
    auto path = std::filesystem::path(std::getenv("HOME")) / name;
    std::ofstream(path, std::ios::binary).write(contents.data(), static_cast<std::streamsize>(contents.size()));
    return path;
}

std::int64_t zlibStatusOf(const std::shared_ptr<Error>& error) {
    auto status = foundation::numberValue(error->userInfo()->objectForKey(ZULNSDataZlibErrorKey));
    return status ? status->integerValue() : 0;
}

std::shared_ptr<Data> gzipped(std::string_view text) {
    std::shared_ptr<Error> error;
    auto compressed = zul_dataByGzippingData(textData(text), &error);
    EXPECT_EQ(error, nullptr);
    return compressed;
}

}  // namespace

TEST(GzipCoding, EmptyInputGivesNilWithoutAnError) {
    auto sentinel = Error::make("untouched", 1);
    auto error = sentinel;
    EXPECT_EQ(zul_dataByGzippingData(Data::make(), &error), nullptr);
    EXPECT_EQ(error, sentinel);
    EXPECT_EQ(zul_dataByInflatingGzippedData(Data::make(), &error), nullptr);
    EXPECT_EQ(error, sentinel);
    EXPECT_EQ(zul_dataByGzippingData(nullptr, &error), nullptr);
    EXPECT_EQ(error, sentinel);
}

TEST(GzipCoding, CompressedDataStartsWithTheGzipMagicAndRoundTrips) {
    struct Case {
        const char* name;
        std::shared_ptr<Data> input;
    };
    std::string repetitive(100'000, 'a');
    std::vector<Case> cases{{"one byte", textData("x")},
                            {"text", textData("{\"events\":[\"open_search\",\"open_bookmark\"]}")},
                            {"repetitive, many output chunks", textData(repetitive)},
                            {"incompressible", randomData(50'000, 7)}};
    for (auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        std::shared_ptr<Error> error;
        auto compressed = zul_dataByGzippingData(testCase.input, &error);
        ASSERT_NE(compressed, nullptr);
        EXPECT_EQ(error, nullptr);
        ASSERT_GE(compressed->length(), 2u);
        EXPECT_EQ(compressed->bytes()[0], 0x1f);
        EXPECT_EQ(compressed->bytes()[1], 0x8b);
        auto inflated = zul_dataByInflatingGzippedData(compressed, &error);
        ASSERT_NE(inflated, nullptr);
        EXPECT_EQ(error, nullptr);
        EXPECT_TRUE(inflated->isEqual(*testCase.input));
    }
}

TEST(GzipCoding, TheGzipToolReadsWhatWeCompress) {
    std::string text = "Kestrelvault heartbeat payload, repeated. Kestrelvault heartbeat payload, repeated.";
    auto compressed = gzipped(text);
    ASSERT_NE(compressed, nullptr);
    auto written = writeInHome("payload.gz", compressed->view());
    EXPECT_EQ(commandOutput("gzip -dc '" + written.string() + "'"), text);
}

TEST(GzipCoding, DataMadeByTheGzipToolInflates) {
    std::string text(5000, 'k');
    text += "the end";
    auto plain = writeInHome("plain.txt", text);
    auto compressedBytes = commandOutput("gzip -c -9 '" + plain.string() + "'");
    ASSERT_FALSE(compressedBytes.empty());
    std::shared_ptr<Error> error;
    auto inflated = zul_dataByInflatingGzippedData(textData(compressedBytes), &error);
    ASSERT_NE(inflated, nullptr) << (error ? error->description() : "");
    EXPECT_EQ(inflated->view(), text);
}

TEST(GzipCoding, ZlibWrappedDataInflates) {
    std::string text = "zlib-wrapped, not gzip";
    uLongf length = compressBound(text.size());
    std::vector<std::uint8_t> wrapped(length);
    ASSERT_EQ(compress(wrapped.data(), &length, reinterpret_cast<const Bytef*>(text.data()), text.size()), Z_OK);
    wrapped.resize(length);
    ASSERT_EQ(wrapped[0], 0x78);  // a zlib header, not gzip
    std::shared_ptr<Error> error;
    auto inflated = zul_dataByInflatingGzippedData(Data::make(wrapped), &error);
    ASSERT_NE(inflated, nullptr);
    EXPECT_EQ(inflated->view(), text);
    EXPECT_EQ(error, nullptr);
}

TEST(GzipCoding, FailuresCarryTheirCodeAndZlibStatus) {
    auto whole = gzipped(std::string(3000, 'z') + "tail");
    ASSERT_NE(whole, nullptr);
    auto truncated = Data::make(std::vector<std::uint8_t>(whole->bytes().begin(), whole->bytes().end() - 6));
    auto headerOnly = Data::make(std::vector<std::uint8_t>(whole->bytes().begin(), whole->bytes().begin() + 10));

    struct Case {
        const char* name;
        std::shared_ptr<Data> input;
        std::int64_t status;
        bool hasMessage;
    };
    std::vector<Case> cases{
        {"truncated trailer", truncated, Z_BUF_ERROR, false},
        {"header only", headerOnly, Z_BUF_ERROR, false},
        {"not compressed at all", textData("this is plain text, not a gzip member"), Z_DATA_ERROR, true},
    };
    for (auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        std::shared_ptr<Error> error;
        EXPECT_EQ(zul_dataByInflatingGzippedData(testCase.input, &error), nullptr);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->domain(), "com.zadizu.ZULNSDataZlibErrorDomain");
        EXPECT_EQ(error->code(), 1025);
        EXPECT_EQ(zlibStatusOf(error), testCase.status);
        auto description = error->userInfo()->objectForKey(foundation::NSLocalizedDescriptionKey);
        EXPECT_EQ(description != nullptr, testCase.hasMessage);
        if (testCase.hasMessage) {
            EXPECT_EQ(description->description(), "incorrect header check");
        }
    }
}

TEST(GzipCoding, BytesAfterTheMemberFailWithTheirCount) {
    auto member = gzipped("first member");
    ASSERT_NE(member, nullptr);
    auto bytes = member->bytes();
    for (std::uint8_t extra : {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06}) bytes.push_back(extra);
    std::shared_ptr<Error> error;
    EXPECT_EQ(zul_dataByInflatingGzippedData(Data::make(bytes), &error), nullptr);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->code(), 1026);
    auto remaining = foundation::numberValue(error->userInfo()->objectForKey(ZULNSDataZlibRemainingBytesKey));
    ASSERT_NE(remaining, nullptr);
    EXPECT_EQ(remaining->unsignedValue(), 7u);
}

TEST(GzipCoding, FailingWithoutAnOutParameterStillGivesNil) {
    EXPECT_EQ(zul_dataByInflatingGzippedData(textData("plain"), nullptr), nullptr);
    auto compressed = zul_dataByGzippingData(textData("fine"), nullptr);
    ASSERT_NE(compressed, nullptr);
    EXPECT_EQ(zul_dataByInflatingGzippedData(compressed, nullptr)->view(), "fine");
}
