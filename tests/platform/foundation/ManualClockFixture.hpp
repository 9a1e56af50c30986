#pragma once

#include "platform/foundation/Clock.hpp"
#include "platform/foundation/Exception.hpp"

#include <gtest/gtest.h>

// A test on the manual clock; afterwards the real clock and raising assertions are back,
// so tests stay independent when a binary runs several of them in one process.
class ManualClockFixture : public ::testing::Test {
protected:
    void SetUp() override { foundation::Clock::installManual(1'000'000.0); }
    void TearDown() override {
        foundation::AssertionHandler::setMode(foundation::AssertionMode::raise);
        foundation::Clock::installReal();
    }
};
