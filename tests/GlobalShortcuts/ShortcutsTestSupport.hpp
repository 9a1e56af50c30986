#pragma once

#include "GlobalShortcuts/Name.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "tests/support/TemporaryHome.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace shortcutstest {

// Every shortcut test runs on the manual clock, in a home of its own, with an application
// bundle there that carries the package's resource bundle ("space_key" = "space").
class ShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override;

    // Writes the platform settings: the keyboard layout and any further entries.
    static void setPlatformSettings(const std::string& layoutIdentifier, const std::string& moreEntries = "");
    // The ids of the live Carbon hot keys, in registration order.
    static std::vector<unsigned> liveHotKeyIds();
    // Runs the main run loop in the mode until nothing is left to do.
    static void runUntilIdle(const char* mode = "kCFRunLoopDefaultMode");

    testsupport::TemporaryHome home;
};

// Records the Names announced by the change notification.
class ChangeRecorder {
public:
    ChangeRecorder();
    const std::vector<std::string>& names() const { return names_; }

private:
    std::vector<std::string> names_;
    std::unique_ptr<foundation::NotificationToken> token_;
};

}  // namespace shortcutstest
