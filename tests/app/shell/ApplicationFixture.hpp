#pragma once

#include "app/shell/KestrelvaultApp.hpp"
#include "platform/display/HeadlessDisplay.hpp"
#include "platform/ui/LaunchedApplication.hpp"
#include "platform/ui/LayoutNode.hpp"
#include "tests/support/TemporaryHome.hpp"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace fixtures {

// The whole application started as a person starts it, on a 1440 × 900 headless screen
// with an editor in front, in a home with Chrome (profiles "Personal" and "Work", a bookmark
// each), Brave (one) and Safari (its file unreadable) installed.
class ApplicationTest : public ::testing::Test {
protected:
    static constexpr const char* editor = "com.example.editor";

    void SetUp() override;
    void TearDown() override;

    void launch();
    // Ends this launch and starts the application again, as a new process, on the same home.
    void relaunch();
    kestrelvault::AppDelegate& delegate() const;

    void settle();
    void advance(double seconds);
    void press(const std::string& keys);
    // A click on the status item, which opens the menu.
    void openMenu();
    bool clickMenuItem(const std::string& title);
    // A click on the text shown in the window's content; false when not shown or outside it.
    bool clickText(const appkit::Window& window, const std::string& text);
    // The middle of the text shown in the window's content, as a point of the screen.
    static std::optional<appkit::Point> screenPointOfText(const appkit::Window& window, const std::string& text);
    static const ui::LayoutNode& layoutOf(const appkit::Window& window);
    static const ui::LayoutNode* findText(const appkit::Window& window, const std::string& text);
    // The window drawn into <build>/pictures/<name>.png.
    std::shared_ptr<appkit::Image> picture(const appkit::Window& window, const std::string& name) const;
    std::filesystem::path autostartEntry() const;

    std::map<std::string, std::string> bundleInfo;  // Info.plist entries besides the usual ones
    testsupport::TemporaryHome home;
    std::unique_ptr<display::HeadlessDisplay> screen;
    std::unique_ptr<ui::LaunchedApplication> application;

private:
    void prepareProcess();
};

}  // namespace fixtures
