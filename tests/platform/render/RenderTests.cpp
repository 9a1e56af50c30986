#include "platform/appkit/FieldEditor.hpp"
#include "platform/appkit/SearchField.hpp"
#include "platform/appkit/TextField.hpp"
#include "platform/appkit/VisualEffectView.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/render/Renderer.hpp"
#include "platform/ui/HostingView.hpp"
#include "platform/ui/TextLayout.hpp"
#include "tests/platform/appkit/KeyEvents.hpp"
#include "tests/support/TemporaryHome.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <new>
#include <tuple>
#include <utility>
#include <vector>

using namespace ui;
using render::Renderer;

namespace {

std::uint8_t alphaAt(const appkit::Image& image, int x, int y) { return image.pixel(x, y) & 0xFF; }

// Pixels in the rectangle with any coverage at all.
int inkIn(const appkit::Image& image, int x0, int y0, int x1, int y1) {
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) count += alphaAt(image, x, y) > 0;
    return count;
}

int ink(const appkit::Image& image) { return inkIn(image, 0, 0, image.width(), image.height()); }

const std::string forty = "0123456789012345678901234567890123456789";

}  // namespace

TEST(TextRendering, LatinAndCjkTextFindAFontForEveryCharacterAndDrawInk) {
    for (const std::string text : {"Bookmarks", "ブックマーク検索", "书签", "북마크"}) {
        TextLayout layout(text, TextStyle{Font::systemFontOfSize(15), std::nullopt, std::nullopt, TextAlignment::leading, 0});
        EXPECT_EQ(layout.unknownGlyphCount(), 0) << text;
        EXPECT_GT(layout.size().width, 10) << text;
        auto image = Renderer::renderNode(Text(text).font(Font::systemFontOfSize(15)).foregroundColor(Color::blackColor()),
                                          {200, 30});
        EXPECT_GT(ink(*image), 30) << text;
    }
}

TEST(SymbolRendering, GlobeAndLockAreDrawnGlyphsThatDifferAndAnUnknownNameShowsABox) {
    auto draw = [](const std::string& name) {
        return Renderer::renderNode(Symbol(name).font(Font::systemFontOfSize(20)).foregroundColor(Color::blackColor()),
                                    {24, 24});
    };
    auto globe = draw("globe");
    auto lock = draw("lock.fill");
    auto unknown = draw("no.such.symbol");
    EXPECT_GT(ink(*globe), 40);
    EXPECT_GT(ink(*lock), 40);
    EXPECT_NE(globe->rgba(), lock->rgba());
    // The globe is an outline: its centre is drawn (the crossing lines) but a point between
    // the equator and a parallel is not; the lock's body is filled.
    EXPECT_GT(alphaAt(*globe, 12, 12), 0);
    EXPECT_GT(alphaAt(*lock, 12, 18), 200);
    EXPECT_GT(ink(*unknown), 20);
}

TEST(ShapeRendering, ClipsToACircleAndAppliesOpacity) {
    auto circle = Renderer::renderNode(Rectangle().fill(Color::rgba(1, 0, 0)).frame(20.0, 20.0).clipShape({ShapeKind::circle}),
                                       {20, 20});
    EXPECT_EQ(circle->pixel(10, 10), 0xFF0000FFu);
    EXPECT_EQ(alphaAt(*circle, 0, 0), 0);
    EXPECT_EQ(alphaAt(*circle, 19, 19), 0);

    auto faded = Renderer::renderNode(Rectangle().fill(Color::rgba(0, 0, 1)).frame(10.0, 10.0).opacity(0.5), {10, 10});
    EXPECT_NEAR(alphaAt(*faded, 5, 5), 128, 1);
    auto translucent = Renderer::renderNode(Rectangle().fill(Color::blackColor().opacity(0.08)).frame(10.0, 10.0), {10, 10});
    EXPECT_NEAR(alphaAt(*translucent, 5, 5), 20, 1);
}

// A faded layer is as large as what its subtree draws, also where a child is moved out of
// the faded node's own frame.
TEST(ShapeRendering, OpacityFadesWhatIsMovedPastTheFadedFrame) {
    auto moved = Renderer::renderNode(
        Rectangle().fill(Color::rgba(0, 0, 1)).frame(10.0, 10.0).offset(25, 0).opacity(0.5), {60, 10});
    EXPECT_NEAR(alphaAt(*moved, 55, 5), 128, 1);
    EXPECT_EQ(alphaAt(*moved, 30, 5), 0);
}

// Images are kept in the renderer's format while they live: one made at the address of an
// earlier one that went is drawn as itself.
TEST(ImageRendering, AnImageMadeWhereAnEarlierOneWasIsDrawnAsItself) {
    alignas(appkit::Image) static unsigned char place[sizeof(appkit::Image)];
    for (std::uint32_t colour : {0xFF0000FFu, 0x0000FFFFu, 0x00FF00FFu}) {
        std::vector<std::uint8_t> rgba;
        for (int pixel = 0; pixel < 16; ++pixel)
            for (int shift : {24, 16, 8, 0}) rgba.push_back(static_cast<std::uint8_t>(colour >> shift));
        std::shared_ptr<appkit::Image> image(new (place) appkit::Image(4, 4, std::move(rgba)),
                                             [](appkit::Image* made) { made->~Image(); });
        auto drawn = Renderer::renderNode(Image(std::move(image)).resizable().frame(4.0, 4.0), {4, 4});
        EXPECT_EQ(drawn->pixel(2, 2), colour) << std::hex << colour;
    }
}

TEST(WindowRendering, ASnapshotShowsTheTitleBarTheContentAndTheWindowsAlphaAndSurvivesPng) {
    testsupport::TemporaryHome home;
    auto window = appkit::Window::make(appkit::Rect(0, 0, 120, 60), appkit::WindowStyleMask::titled);
    window->setTitle("Snapshot");
    auto hosting = HostingView::make(Rectangle().fill(Color::rgba(0, 1, 0)).frame(40.0, 20.0, Alignment::topLeading()));
    window->setContentView(hosting);
    auto image = Renderer::snapshot(*window);
    ASSERT_EQ(image->height(), 60 + 28);
    EXPECT_EQ(image->pixel(60, 28 + 30), 0x00FF00FFu);  // the rectangle, centred in the content
    // Around it the opaque window background, above it the title bar.
    EXPECT_EQ(alphaAt(*image, 5, 28 + 30), 255);
    EXPECT_NE(image->pixel(5, 28 + 30), 0x00FF00FFu);
    EXPECT_EQ(alphaAt(*image, 2, 2), 255);

    auto path = home.path() / "snapshot.png";
    ASSERT_TRUE(render::writePNG(*image, path));
    auto reread = appkit::Image::imageWithContentsOfFile(path);
    ASSERT_NE(reread, nullptr);
    EXPECT_EQ(reread->rgba(), image->rgba());

    window->setAlphaValue(0.5);
    EXPECT_NEAR(alphaAt(*Renderer::snapshot(*window), 60, 58), 128, 1);
}

TEST(WindowRendering, AScreenshotStacksTheVisibleWindowsBackToFront) {
    auto back = appkit::Window::make(appkit::Rect(0, 0, 100, 100), appkit::WindowStyleMask::borderless);
    back->setBackgroundColor(appkit::Color::rgba(1, 0, 0));
    auto front = appkit::Window::make(appkit::Rect(50, 0, 100, 100), appkit::WindowStyleMask::borderless);
    front->setBackgroundColor(appkit::Color::rgba(0, 0, 1));
    back->orderFront();
    front->orderFront();
    auto hidden = appkit::Window::make(appkit::Rect(0, 0, 200, 200), appkit::WindowStyleMask::borderless);
    hidden->setBackgroundColor(appkit::Color::rgba(0, 1, 0));

    auto shot = Renderer::screenshot(appkit::Rect(0, 0, 200, 100));
    EXPECT_EQ(shot->pixel(25, 50), 0xFF0000FFu);
    EXPECT_EQ(shot->pixel(75, 50), 0x0000FFFFu);
    EXPECT_EQ(shot->pixel(175, 50), 0x000000FFu);
}

TEST(ViewRendering, ATextFieldShowsItsPlaceholderUntilItHoldsText) {
    auto field = std::make_shared<appkit::TextField>(appkit::Rect(0, 0, 200, 30));
    field->setBordered(false);
    field->setDrawsBackground(false);
    field->setFont(Font::systemFontOfSize(20));
    field->setPlaceholderString("ブックマーク検索");
    render::Canvas empty(200, 30);
    Renderer::drawView(empty, *field, appkit::Rect(0, 0, 200, 30), appkit::Appearance::light);
    int placeholderInk = ink(*empty.image());
    EXPECT_GT(placeholderInk, 50);
    field->setStringValue("g");
    render::Canvas typed(200, 30);
    Renderer::drawView(typed, *field, appkit::Rect(0, 0, 200, 30), appkit::Appearance::light);
    EXPECT_LT(ink(*typed.image()), placeholderInk);
    EXPECT_GT(ink(*typed.image()), 0);
}

// As on the platform, the field being edited shows a focus ring around it (how a person
// sees which shortcut recorder records), unless the field asks for none.
TEST(ViewRendering, AFieldBeingEditedShowsItsFocusRingUnlessItWantsNone) {
    auto window = appkit::Window::make(appkit::Rect(0, 0, 200, 60), appkit::WindowStyleMask::borderless);
    auto field = std::make_shared<appkit::SearchField>(appkit::Rect(20, 20, 130, 24));
    field->setStringValue("⇧⌘K");
    window->contentView()->addSubview(field);
    auto justOutside = [&] { return Renderer::snapshot(*window)->pixel(80, 60 - 20 - 24 - 2); };
    auto background = justOutside();
    window->makeFirstResponder(field);
    EXPECT_NE(justOutside(), background);
    field->setFocusRingType(appkit::FocusRingType::none);
    EXPECT_EQ(justOutside(), background);
}

// Edited, the line scrolls as little as keeps the caret (red here) in the 120-point text area
// (ten monospaced columns from x 22), drawn after every event as a display draws; a click
// puts the caret at the boundary drawn nearest the pointer. Canvas and window x agree.
TEST(ViewRendering, AFieldBeingEditedScrollsToKeepTheCaretInViewAndAClickLandsWhereItPoints) {
    auto window = appkit::Window::make(appkit::Rect(0, 0, 200, 60), appkit::WindowStyleMask::borderless);
    auto field = std::make_shared<appkit::TextField>(appkit::Rect(20, 20, 124, 30));
    field->setFont(Font::monospacedSystemFontOfSize(20));  // 12 points a column
    window->contentView()->addSubview(field);
    window->makeFirstResponder(field);
    field->currentEditor()->setInsertionPointColor(appkit::Color::rgba(1, 0, 0));
    int caretX = -1;  // in the text area
    auto send = [&](const appkit::EventPtr& event) {
        window->sendEvent(event);
        auto picture = Renderer::snapshot(*window);
        for (caretX = picture->width() - 1; caretX >= 0 && (picture->pixel(caretX, 25) >> 16) != 0xFF00; --caretX) {}
        caretX -= 22;
    };
    using Keys = std::vector<std::string>;
    struct Case { std::string typed; Keys keys; double clickX; std::size_t caret; int caretX, firstWhole; } cases[] = {
        {"012345", {}, 0, 6, 72, 0},       {forty, {}, 0, 40, 119, 31},  // typing past the edge
        {forty, Keys(5, "\uF702"), 0, 35, 59, 31},                        // left within view
        {forty, Keys(15, "\uF702"), 0, 25, 0, 25},                        // left past the left edge
        {forty, {"\uF729"}, 0, 0, 0, 0},  {forty, {"\uF729", "\uF72B"}, 0, 40, 119, 31},  // home, end
        {forty, Keys(32, "\x7f"), 0, 8, 96, 0},                           // deleting until it fits
        {"012345", {}, 26, 2, 24, 0},     {"012345", {}, 100, 6, 72, 0},  // clicks
        {forty, {}, 38, 33, 35, 31},      {forty, {}, 68, 36, 71, 31},    {forty, {}, 119, 40, 119, 31}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.typed + " " + std::to_string(test.keys.size()) + " " + std::to_string(test.clickX));
        field->setStringValue("");
        for (char character : test.typed) send(testsupport::keyDownEvent(0, std::string(1, character)));
        for (const auto& key : test.keys) send(testsupport::keyDownEvent(0, key));
        for (auto type : {appkit::EventType::leftMouseDown, appkit::EventType::leftMouseUp})
            if (test.clickX) send(appkit::Event::mouseEvent(type, {22 + test.clickX, 35}, {}, 0, window->windowNumber(), 1));
        EXPECT_EQ(field->currentEditor()->selectedRange().location, test.caret);
        EXPECT_EQ(caretX, test.caretX);
        EXPECT_EQ((int(test.caret) * 12 - caretX + 11) / 12, test.firstWhole);  // the first column shown whole
    }
}

// Selected characters stand on the selected-text background (paler while the window is not
// key), with no caret, where the scrolled line draws them. Each case enters the field holding
// the text, which selects it all, then presses the keys: arrows, ↖ home and ↘ end, each
// with the modifiers written before it.
TEST(ViewRendering, AFieldBeingEditedHighlightsTheSelectedCharactersWhereTheyAreDrawn) {
    auto window = appkit::Window::make(appkit::Rect(0, 0, 200, 60), appkit::WindowStyleMask::titled);
    auto otherWindow = appkit::Window::make(appkit::Rect(0, 100, 200, 60), appkit::WindowStyleMask::titled);
    auto field = std::make_shared<appkit::TextField>(appkit::Rect(20, 20, 124, 30));
    field->setFont(Font::monospacedSystemFontOfSize(20));  // 12 points a column from x 22
    window->contentView()->addSubview(field);
    const std::map<char32_t, char32_t> keyCharacters = {{U'←', 0xF702}, {U'→', 0xF703}, {U'↖', 0xF729}, {U'↘', 0xF72B}};
    struct Case { std::string text, keys; bool keyWindow; int from, to; } cases[] = {  // highlight [from, to)
        {"012345", "", true, 0, 72},       {"012345", "", false, 0, 72},   {"012345", "↘⇧←⇧←", true, 48, 72},
        {"012345", "↘←←⇧↖", true, 0, 48},  {"012345", "↖→⇧↘", true, 12, 72}, {"012345", "↘←⇧⌘←", true, 0, 60},
        {"012345", "↘", true, -1, -1},     {forty, "", true, 0, 119},      {forty, "↘⇧←⇧←⇧←", true, 83, 119}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.text + " " + test.keys + (test.keyWindow ? " key" : ""));
        window->makeFirstResponder(nullptr);
        field->setStringValue(test.text);
        (test.keyWindow ? window : otherWindow)->makeKeyAndOrderFront();
        window->makeFirstResponder(field);
        field->currentEditor()->setInsertionPointColor(appkit::Color::rgba(1, 0, 0));
        auto picture = Renderer::snapshot(*window);  // the content 28 points down
        std::uint64_t flags = 0;
        for (char32_t key : appkit::decodeUTF8(test.keys)) {
            if (key == U'⇧' || key == U'⌘') {
                flags |= key == U'⇧' ? appkit::ModifierFlags::shift : appkit::ModifierFlags::command;
                continue;
            }
            auto characters = appkit::encodeUTF8(std::u32string(1, keyCharacters.at(key)));
            window->sendEvent(testsupport::keyDownEvent(0, characters, std::exchange(flags, 0)));
            picture = Renderer::snapshot(*window);  // after every key, as a display draws
        }
        auto highlight = Renderer::renderNode(Rectangle().fill(test.keyWindow ? appkit::Color::selectedTextBackgroundColor()
                                             : appkit::Color::unemphasizedSelectedTextBackgroundColor()), {1, 1})->pixel(0, 0);
        int from = -1, to = -1;
        bool caret = false;
        for (int x = 0; x < 200; ++x) {
            for (int y = 28 + 10; y < 28 + 40; ++y) caret |= picture->pixel(x, y) == 0xFF0000FFu;
            // The line's top rows (from 13), above the digits: glyph edges cannot pass for the highlight.
            if (picture->pixel(x, 28 + 13) == highlight && picture->pixel(x, 28 + 14) == highlight)
                from = from < 0 ? x - 22 : from, to = x + 1 - 22;
        }
        EXPECT_EQ(std::make_tuple(from, to, caret), std::make_tuple(test.from, test.to, test.from < 0));
    }
}

TEST(Rendering, DegenerateSizesDrawNothingAndDoNotFail) {
    auto empty = Renderer::renderNode(Text("nothing fits").padding(50), {0, 0});
    EXPECT_EQ(empty->width(), 0);
    auto squeezed = Renderer::renderNode(Text("squeezed").padding(50).frame(10.0, 10.0), {10, 10});
    EXPECT_EQ(squeezed->width(), 10);
    auto window = appkit::Window::make(appkit::Rect(0, 0, 0, 0), appkit::WindowStyleMask::borderless);
    EXPECT_EQ(Renderer::snapshot(*window)->width(), 0);
    auto emptyImage = Renderer::renderNode(Image(std::make_shared<appkit::Image>(0, 0, std::vector<std::uint8_t>{}))
                                               .resizable()
                                               .frame(10.0, 10.0),
                                           {10, 10});
    EXPECT_EQ(ink(*emptyImage), 0);
}

TEST(ViewRendering, AVisualEffectViewPaintsItsMaterialForTheAppearance) {
    auto effect = std::make_shared<appkit::VisualEffectView>(appkit::Rect(0, 0, 10, 10));
    effect->setMaterial(appkit::VisualEffectView::Material::popover);
    render::Canvas light(10, 10), dark(10, 10);
    Renderer::drawView(light, *effect, appkit::Rect(0, 0, 10, 10), appkit::Appearance::light);
    Renderer::drawView(dark, *effect, appkit::Rect(0, 0, 10, 10), appkit::Appearance::dark);
    std::uint32_t lightPixel = light.image()->pixel(5, 5), darkPixel = dark.image()->pixel(5, 5);
    EXPECT_GT(lightPixel >> 24, 200u);  // a light tint
    EXPECT_LT(darkPixel >> 24, 80u);    // a dark one
    EXPECT_GT(lightPixel & 0xFF, 200u); // nearly opaque in both
    EXPECT_GT(darkPixel & 0xFF, 200u);
}
