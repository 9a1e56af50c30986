// Replays every seed of every fuzzing harness and every input that ever made one fail.
#include "tests/fuzz/harnesses/Harness.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

const std::filesystem::path corpora = std::filesystem::path(KV_SOURCE_DIR) / "tests/fuzz/corpus";

std::vector<std::filesystem::path> inputsOf(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

class FuzzCorpus : public testing::TestWithParam<fuzzing::NamedHarness> {};

TEST_P(FuzzCorpus, EverySeedAndEveryPastFailureIsHandledSoundly) {
    auto folder = corpora / std::string(GetParam().name);
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
    auto inputs = inputsOf(folder);
    EXPECT_FALSE(inputs.empty()) << "no seeds in " << folder;
    for (const auto& input : inputs) {
        std::ifstream stream(input, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        auto finding = GetParam().run(bytes);
        EXPECT_FALSE(finding) << input.filename().string() << ": " << *finding;
    }
}

std::string testName(const testing::TestParamInfo<fuzzing::NamedHarness>& info) {
    std::string name;
    bool upper = true;
    for (char character : info.param.name) {
        if (character == '-') {
            upper = true;
            continue;
        }
        name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(character))) : character;
        upper = false;
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Harnesses, FuzzCorpus, testing::ValuesIn(fuzzing::allHarnesses()), testName);

TEST(FuzzCorpusFolders, EachBelongsToAHarness) {
    for (const auto& entry : std::filesystem::directory_iterator(corpora)) {
        if (!entry.is_directory()) continue;
        EXPECT_TRUE(fuzzing::harnessNamed(entry.path().filename().string())) << entry.path();
    }
}

}  // namespace
