#include "tests/fuzz/harnesses/StoreCrashTrials.hpp"

#include <gtest/gtest.h>

namespace {

TEST(StoreCrash, WritersKilledAtRandomPointsLeaveEveryStoreReadableWithTheOldOrTheNewValue) {
    auto report = fuzzing::runStoreCrashTrials(std::filesystem::path(KV_BINARY_DIR) / "kv-store-writer", 50, 20240601);
    EXPECT_EQ(report.trials, 50);
    EXPECT_GE(report.writersKilled, 50);
    for (const auto& fault : report.faults) ADD_FAILURE() << fault;
}

}  // namespace
