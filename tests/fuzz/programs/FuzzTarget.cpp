// The libFuzzer program of one harness, named at build time by KV_FUZZ_HARNESS.
#include "tests/fuzz/harnesses/Harness.hpp"
#include "tests/fuzz/harnesses/ScratchFiles.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Harnesses that store settings write them under a home of their own, never the user's.
    auto home = fuzzing::scratchDirectory() / "home";
    std::filesystem::create_directories(home);
    ::setenv("HOME", home.c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto harness = fuzzing::harnessNamed(KV_FUZZ_HARNESS);
    if (auto finding = harness(std::string_view(reinterpret_cast<const char*>(data), size))) {
        std::fprintf(stderr, "%s: %s\n", KV_FUZZ_HARNESS, finding->c_str());
        std::error_code ignored;
        std::filesystem::remove_all(fuzzing::scratchDirectory(), ignored);  // abort skips the cleanup
        std::abort();
    }
    return 0;
}
