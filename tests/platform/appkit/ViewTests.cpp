#include "platform/appkit/View.hpp"
#include "platform/appkit/Window.hpp"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

class FlippedView : public View {
public:
    using View::View;
    bool isFlipped() const override { return true; }
};

struct ConversionCase {
    const char* name;
    bool flippedParent;
    AffineTransform childTransform;
    Point inChild;
    Point inWindow;
};

class ViewConversion : public ::testing::TestWithParam<ConversionCase> {};

}  // namespace

TEST_P(ViewConversion, ConvertsBetweenAViewAndItsWindowBothWays) {
    const auto& scenario = GetParam();
    auto window = Window::make(Rect(0, 0, 200, 100), WindowStyleMask::titled);
    std::shared_ptr<View> parent = scenario.flippedParent ? std::make_shared<FlippedView>(Rect(10, 10, 100, 80))
                                                          : std::make_shared<View>(Rect(10, 10, 100, 80));
    auto child = std::make_shared<View>(Rect(20, 10, 40, 30));
    child->layer().transform = scenario.childTransform;
    window->contentView()->addSubview(parent);
    parent->addSubview(child);

    EXPECT_EQ(child->convertPointToView(scenario.inChild, nullptr), scenario.inWindow) << scenario.name;
    EXPECT_EQ(child->convertPointFromView(scenario.inWindow, nullptr), scenario.inChild) << scenario.name;
    EXPECT_EQ(window->contentView()->hitTest(scenario.inWindow), child) << scenario.name;
}

INSTANTIATE_TEST_SUITE_P(
    Views, ViewConversion,
    ::testing::Values(ConversionCase{"plain", false, {}, {5, 5}, {35, 25}},
                      // In a flipped parent the child's frame is measured from the top.
                      ConversionCase{"flipped parent", true, {}, {5, 5}, {35, 55}},
                      ConversionCase{"translated layer", false, AffineTransform::translation(3, 4), {5, 5}, {38, 29}}),
    [](const ::testing::TestParamInfo<ConversionCase>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (c == ' ') c = '_';
        return name;
    });

TEST(View, HitTestingSkipsHiddenViewsAndAnswersTheFrontmost) {
    auto root = std::make_shared<View>(Rect(0, 0, 100, 100));
    auto back = std::make_shared<View>(Rect(0, 0, 50, 50));
    auto front = std::make_shared<View>(Rect(0, 0, 50, 50));
    root->addSubview(back);
    root->addSubview(front);
    EXPECT_EQ(root->hitTest({10, 10}), front);
    front->setHidden(true);
    EXPECT_EQ(root->hitTest({10, 10}), back);
    EXPECT_EQ(root->hitTest({70, 70}), root);
    EXPECT_EQ(root->hitTest({170, 70}), nullptr);
}

TEST(View, MovingIntoAndOutOfAWindowTellsEveryViewBelow) {
    struct Watcher : View {
        int moves = 0;
        void viewDidMoveToWindow() override { ++moves; }
    };
    auto window = Window::make(Rect(0, 0, 100, 100), WindowStyleMask::titled);
    auto parent = std::make_shared<View>();
    auto watcher = std::make_shared<Watcher>();
    parent->addSubview(watcher);
    window->contentView()->addSubview(parent);
    EXPECT_EQ(watcher->window(), window);
    parent->removeFromSuperview();
    EXPECT_EQ(watcher->window(), nullptr);
    EXPECT_EQ(watcher->moves, 2);
}
