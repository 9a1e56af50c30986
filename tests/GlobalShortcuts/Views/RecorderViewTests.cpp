#include "GlobalShortcuts/ShortcutStorage.hpp"
#include "GlobalShortcuts/Views/GlobalKeyboardShortcutViewModifier.hpp"
#include "GlobalShortcuts/Views/Recorder.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/display/HeadlessDisplay.hpp"
#include "platform/foundation/ProcessInfo.hpp"
#include "platform/render/Renderer.hpp"
#include "platform/ui/HostingView.hpp"
#include "tests/GlobalShortcuts/ShortcutsTestSupport.hpp"

#include <gtest/gtest.h>

namespace {

using namespace GlobalShortcuts;

const Shortcut commandJ(38, 0x100);

// A recorder whose Name and change callable the test changes, beside a button carrying the
// global shortcut of the same Name.
class Settings final : public ui::View {
public:
    Settings(foundation::Observable<std::string>& name, foundation::Observable<int>& callable, std::vector<int>& calls)
        : name_(name), callable_(callable), calls_(calls) {
        observes(name);
        observes(callable);
    }
    ui::Node body() override {
        int which = callable_.get();
        auto& calls = calls_;
        return ui::VStack({ui::make<Recorder>(Name(name_.get()), [which, &calls](std::optional<Shortcut>) { calls.push_back(which); }),
                           globalKeyboardShortcut(ui::Button(ui::Text("Open"), [] {}), Name(name_.get()))});
    }

private:
    foundation::Observable<std::string>& name_;
    foundation::Observable<int>& callable_;
    std::vector<int>& calls_;
};

class RecorderView : public shortcutstest::ShortcutsTest {
protected:
    std::shared_ptr<ui::HostingView> show(ui::Node root, appkit::Rect frame = appkit::Rect(0, 0, 360, 120)) {
        window = appkit::Window::create(frame, appkit::WindowStyleMask::titled);
        auto hosting = ui::HostingView::create(std::move(root));
        window->setContentView(hosting);
        window->makeKeyAndOrderFront();
        runUntilIdle();
        return hosting;
    }
    std::vector<ui::LayoutNode> find(const std::shared_ptr<ui::HostingView>& hosting, ui::NodeKind kind) {
        std::vector<ui::LayoutNode> found;
        hosting->host()->layout(hosting->bounds()).forEach([&](const ui::LayoutNode& node) {
            if (node.kind() == kind) found.push_back(node);
        });
        return found;
    }

    display::HeadlessDisplay display;
    std::shared_ptr<appkit::Window> window;
};

TEST_F(RecorderView, TheLabelStandsBesideTheControlAsALabelledRowFromThirteenAndAsAFormRowBefore) {
    auto alone = show(ui::make<Recorder>(Name("search")));
    auto controls = find(alone, ui::NodeKind::representable);
    ASSERT_EQ(controls.size(), 1u);
    EXPECT_EQ(controls[0].frame.width(), 130);
    EXPECT_TRUE(find(alone, ui::NodeKind::text).empty());

    for (int major : {15, 12}) {
        foundation::ProcessInfo::setOperatingSystemVersionForTesting(foundation::OperatingSystemVersion{major, 0, 0});
        auto form = show(ui::VStack({ui::make<Recorder>("Search", Name("search")),
                                     ui::make<Recorder>(ui::LocalizedStringKey("Show the clipboard"), Name("clipboard"))},
                                    ui::HorizontalAlignment::leading));
        auto rows = find(form, ui::NodeKind::representable);
        auto labels = find(form, ui::NodeKind::text);
        ASSERT_EQ(rows.size(), 2u);
        ASSERT_EQ(labels.size(), 2u);
        for (int row = 0; row < 2; ++row) {
            EXPECT_LT(labels[row].frame.maxX(), rows[row].frame.minX()) << major;
            EXPECT_LT(std::abs(labels[row].frame.midY() - rows[row].frame.midY()), 6) << major;
        }
        // Labelled rows push their controls to the trailing end; form rows line them up
        // after the longest label.
        EXPECT_EQ(rows[0].frame.minX(), rows[1].frame.minX()) << major;
        if (major >= 13)
            EXPECT_EQ(rows[1].frame.maxX(), 360) << major;
        else
            EXPECT_EQ(rows[1].frame.minX(), labels[1].frame.maxX() + 8) << major;
        ASSERT_TRUE(render::writePNG(*render::Renderer::snapshot(*window),
                                     std::string(KV_BINARY_DIR) + "/recorder-rows-" + std::to_string(major) + ".png"));
    }
}

TEST_F(RecorderView, TheSameControlLearnsNewNamesKeepsItsFirstCallableAndWithholdsTheShortcutWhileRecording) {
    Name("other").setShortcut(commandJ);
    foundation::Observable<std::string> name{"search"};
    foundation::Observable<int> callable{1};
    std::vector<int> calls;
    auto hosting = show(ui::make<Settings>(name, callable, calls));
    auto control = std::dynamic_pointer_cast<RecorderCocoa>(find(hosting, ui::NodeKind::representable).at(0).hostedView);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->stringValue(), "");
    name = "other";
    callable = 2;
    runUntilIdle();
    EXPECT_EQ(find(hosting, ui::NodeKind::representable).at(0).hostedView, control);
    EXPECT_EQ(control->stringValue(), "⌘J");
    EXPECT_EQ(find(hosting, ui::NodeKind::keyboardShortcut).at(0).data().shortcut.key.character, "j");

    window->makeFirstResponder(control);
    runUntilIdle();
    EXPECT_EQ(find(hosting, ui::NodeKind::keyboardShortcut).at(0).data().shortcut.key.character, "");
    display.pressKeys("shift+cmd+k");
    runUntilIdle();
    EXPECT_EQ(getShortcut(Name("other")), Shortcut(40, 0x300));
    EXPECT_EQ(calls, std::vector<int>{1});
    EXPECT_EQ(find(hosting, ui::NodeKind::keyboardShortcut).at(0).data().shortcut.key.character, "k");
}

TEST(RecorderLabel, IsBuiltOncePerValue) {
    int built = 0;
    Recorder recorder(Name("search"), nullptr, [&] {
        ++built;
        return ui::Text("Search");
    });
    recorder.body();
    recorder.body();
    EXPECT_EQ(built, 1);
}

}  // namespace
