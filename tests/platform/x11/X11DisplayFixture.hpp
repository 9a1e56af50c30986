#pragma once

#include "platform/appkit/Application.hpp"
#include "platform/appkit/Pasteboard.hpp"
#include "platform/carbon/EventManager.hpp"
#include "platform/x11/X11Display.hpp"
#include "tests/support/VirtualDisplay.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>

// Whether the pixel (0xRRGGBBAA) is the colour, give or take a little rounding.
inline bool near(std::uint32_t pixel, std::uint32_t expected) {
    for (int shift = 8; shift < 32; shift += 8)
        if (std::abs(int((pixel >> shift) & 0xFF) - int((expected >> shift) & 0xFF)) > 8) return false;
    return true;
}

// A test against an X11 display on an Xvfb of the test's own; skipped, saying why, where
// Xvfb cannot start.
class X11DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        KV_SKIP_WITHOUT_VIRTUAL_DISPLAY(server);
        auto connected = display::X11Display::connect(server.name());
        ASSERT_TRUE(connected) << connected.error();
        display = std::move(*connected);
    }
    void TearDown() override { display.reset(); }

    // Runs the application until the condition holds; five seconds at most.
    bool runUntil(const std::function<bool()>& condition) {
        return display->runUntil(condition, std::chrono::seconds(5));
    }
    // Runs an xdotool command against the server and checks that it succeeded.
    void xdotool(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "xdotool");
        ASSERT_EQ(server.run(arguments).status, 0);
    }

    testsupport::VirtualDisplay server;
    std::unique_ptr<display::X11Display> display;
};
