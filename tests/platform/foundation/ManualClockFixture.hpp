#pragma once

#include "platform/foundation/Clock.hpp"

#include <gtest/gtest.h>

// A test on the manual clock; the test main puts the real clock back afterwards.
class ManualClockFixture : public ::testing::Test {
protected:
    void SetUp() override { foundation::Clock::installManual(1'000'000.0); }
};
