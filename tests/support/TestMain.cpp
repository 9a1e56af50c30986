// The main of every test binary: each test runs against a fresh temporary home of its own,
// never the real one, so files a test leaves behind cannot reach the next, and starts from
// fresh process-wide state; the thread that runs main is the process's main thread.
#include "platform/foundation/ProcessWide.hpp"
#include "tests/support/TemporaryHome.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace {

// The home is installed before a test's fixture is built. After the fixture is destroyed,
// this is the one place that drops every process-wide instance and test setting (shared
// instances, registries, the clock), while the home they may write to still exists.
class FreshStatePerTest : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override { home_ = std::make_unique<testsupport::TemporaryHome>(); }
    void OnTestEnd(const ::testing::TestInfo&) override {
        foundation::resetProcessWideStateForTesting();
        home_.reset();
    }

private:
    std::unique_ptr<testsupport::TemporaryHome> home_;
};

}  // namespace

// Options every sanitized test binary starts with, whoever runs it (CTest, a debugger, a
// developer); the environment's *_OPTIONS still override them.
extern "C" const char* __asan_default_options() { return "detect_leaks=1"; }
extern "C" const char* __lsan_default_options() {
    return "suppressions=" KV_SOURCE_DIR "/tests/lsan.supp:print_suppressions=0";
}
extern "C" const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }
extern "C" const char* __tsan_default_options() { return "suppressions=" KV_SOURCE_DIR "/tests/tsan.supp"; }

int main(int argc, char** argv) {
    // A death test's child started anew (the "threadsafe" style runs the binary again for
    // the one test) dies before it can remove the homes it makes, so it makes them inside
    // the home it inherits, which the test that started it removes.
    bool deathTestChild = std::any_of(argv + 1, argv + argc, [](std::string_view argument) {
        return argument.starts_with("--gtest_internal_run_death_test");
    });
    if (const char* inherited = std::getenv("HOME"); deathTestChild && inherited)
        testsupport::TemporaryHome::makeHomesInside(inherited);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshStatePerTest);
    return RUN_ALL_TESTS();
}
