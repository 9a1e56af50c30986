// The main of every test binary: each test runs against a temporary home, never the real
// one, and the thread that runs main is the process's main thread.
#include "tests/support/TemporaryHome.hpp"

#include <gtest/gtest.h>

#include <memory>

namespace {

class TemporaryHomeEnvironment : public ::testing::Environment {
public:
    void SetUp() override { home_ = std::make_unique<testsupport::TemporaryHome>(); }
    void TearDown() override { home_.reset(); }

private:
    std::unique_ptr<testsupport::TemporaryHome> home_;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new TemporaryHomeEnvironment);
    return RUN_ALL_TESTS();
}
