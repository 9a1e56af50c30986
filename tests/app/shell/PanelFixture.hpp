#pragma once

#include "app/shell/PanelController.hpp"
#include "platform/display/HeadlessDisplay.hpp"
#include "platform/ui/LayoutNode.hpp"
#include "tests/support/TemporaryHome.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace paneltest {

// The application as far as the search panel goes, on a 1440 × 900 headless screen: Chrome
// (which records its launches) with a work and a personal profile, Brave, the panel
// controller of one view model and the toggle shortcut's handler, with an editor in front.
class PanelTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void settle();
    void advance(double seconds);
    void press(const std::string& keys);
    // Replaces the query by typing, as a person would.
    void search(const std::string& text);
    // Shows the panel with the shortcut and lets the load and the fade-in finish.
    void showPanel();
    // A click at the middle of the result row, or at a point of the panel (top-left origin).
    void clickRow(int index);
    void clickInPanel(appkit::Point point);

    const ui::LayoutNode& layout() const;
    appkit::Rect rowFrame(int index) const;
    appkit::Rect listFrame() const;
    std::vector<std::string> shownTexts() const;
    std::vector<std::vector<std::string>> chromeLaunches();
    // The panel as it is on screen, also written to <build>/pictures/<name>.png.
    std::shared_ptr<appkit::Image> savePicture(const std::string& name) const;
    // The system appearance of panels made from now on.
    void useDarkAppearance();

    testsupport::TemporaryHome home;
    display::HeadlessDisplay screen;
    std::shared_ptr<kestrelvault::SearchViewModel> viewModel;
    std::shared_ptr<kestrelvault::PanelController> controller;
    static constexpr const char* editor = "com.example.editor";
};

}  // namespace paneltest
