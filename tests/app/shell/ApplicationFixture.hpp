#pragma once

#include "app/shell/KestrelvaultApp.hpp"
#include "platform/display/HeadlessDisplay.hpp"
#include "platform/ui/LaunchedApplication.hpp"
#include "platform/ui/LayoutNode.hpp"
#include "tests/support/TemporaryHome.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace fixtures {

// The whole application launched as a person starts it, on a 1440 × 900 headless screen
// with an editor in front: a home with Chrome (profiles "Personal" and "Work"), Brave and
// Safari installed, their bookmarks, and the application bundle with its resources.
class ApplicationTest : public ::testing::Test {
protected:
    static constexpr const char* editor = "com.example.editor";

    void SetUp() override;
    void TearDown() override;

    // Starts the application (a new process, as far as the application can tell) and lets
    // the launch finish.
    void launch();
    // Ends this launch and starts the application again on the same home.
    void relaunch();
    kestrelvault::AppDelegate& delegate() const;

    void settle();
    void advance(double seconds);
    void press(const std::string& keys);

    // The menu-bar extra's menu: opens it with a click on the status item.
    void openMenu();
    // A click on the open menu's item with that title; false when there is none.
    bool clickMenuItem(const std::string& title);
    // A click at the middle of the laid-out node of the window's declarative content
    // that shows the text (first found); false when none does.
    bool clickText(const appkit::Window& window, const std::string& text);
    static const ui::LayoutNode& layoutOf(const appkit::Window& window);
    static const ui::LayoutNode* findText(const appkit::Window& window, const std::string& text);

    // The window drawn into <build>/pictures/<name>.png.
    std::shared_ptr<appkit::Image> picture(const appkit::Window& window, const std::string& name) const;

    std::filesystem::path autostartEntry() const;

    // Info.plist entries of the application bundle beside its identifier, name and program;
    // read when the process is prepared.
    std::map<std::string, std::string> bundleInfo;

    testsupport::TemporaryHome home;
    std::unique_ptr<display::HeadlessDisplay> screen;
    std::unique_ptr<ui::LaunchedApplication> application;

private:
    void prepareProcess();
    void resetProcess();
};

}  // namespace fixtures
