#include "platform/appkit/FieldEditor.hpp"
#include "platform/appkit/TextField.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/render/Renderer.hpp"
#include "platform/ui/TextLayout.hpp"
#include "tests/platform/appkit/KeyEvents.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using render::Renderer;

namespace {

struct Key {
    std::uint16_t code;
    std::string characters;
    std::uint64_t flags = 0;
};
const Key left{123, "\uF702", appkit::ModifierFlags::function};
const Key home{115, "\uF729", appkit::ModifierFlags::function};
const Key end{119, "\uF72B", appkit::ModifierFlags::function};
const Key backspace{51, "\x7f"};

std::vector<Key> times(int count, Key key) { return std::vector<Key>(count, key); }

// A plain field whose 120-point text area shows ten monospaced columns, in a borderless
// window (canvas and window x agree) that gets the events, drawn after every event as a
// display draws, with a red caret to find in the picture.
class EditedTextField : public ::testing::Test {
protected:
    static constexpr int areaX = 22, areaWidth = 120, column = 12;

    void SetUp() override {
        window = appkit::Window::make(appkit::Rect(0, 0, 200, 60), appkit::WindowStyleMask::borderless);
        field = std::make_shared<appkit::TextField>(appkit::Rect(20, 20, 124, 30));
        field->setFont(font);
        window->contentView()->addSubview(field);
        window->makeFirstResponder(field);
        field->currentEditor()->setInsertionPointColor(appkit::Color::rgba(1, 0, 0));
        ui::TextStyle style;
        style.font = font;
        ASSERT_EQ(ui::TextLayout("0123456789", style).size().width, areaWidth);
    }
    void press(const Key& key) {
        window->sendEvent(testsupport::keyDownEvent(key.code, key.characters, key.flags));
        picture = Renderer::snapshot(*window);
    }
    void type(const std::string& text) {
        for (char character : text) press({0, std::string(1, character)});
    }
    void click(double x) {
        for (auto type : {appkit::EventType::leftMouseDown, appkit::EventType::leftMouseUp})
            window->sendEvent(appkit::Event::mouseEvent(type, {x, 35}, {}, 0, window->windowNumber(), 1));
        picture = Renderer::snapshot(*window);
    }
    // The column of the picture painted in the caret's red across the field's middle, or -1.
    int caretColumn() const {
        for (int x = 0; x < picture->width(); ++x) {
            auto pixel = picture->pixel(x, 25);
            if (int(pixel >> 24) - int((pixel >> 16) & 0xFF) > 100) return x;
        }
        return -1;
    }
    std::size_t caret() const { return field->currentEditor()->selectedRange().location; }

    appkit::Font font = appkit::Font::monospacedSystemFontOfSize(20);
    std::shared_ptr<appkit::Window> window;
    std::shared_ptr<appkit::TextField> field;
    std::shared_ptr<appkit::Image> picture;
};

const std::string forty = "0123456789012345678901234567890123456789";

}  // namespace

// While typed text fits nothing scrolls; past the right edge the end and the caret stay in
// view, a caret moved left of the shown part brings it back, and deleting until the text
// fits scrolls to its start.
TEST_F(EditedTextField, TheCaretStaysInsideTheTextAreaAsTheLineScrolls) {
    struct Case {
        const char* what;
        std::string typed;
        std::vector<Key> then;
        std::size_t caret;
        int caretX;        // in the text area
        int firstVisible;  // the first character shown whole
    } cases[] = {
        {"short text", "012345", {}, 6, 72, 0},
        {"typing past the edge", forty, {}, 40, areaWidth - 1, 31},
        {"left within the shown part", forty, times(5, left), 35, 59, 31},
        {"left past the left edge", forty, times(15, left), 25, 0, 25},
        {"home", forty, {home}, 0, 0, 0},
        {"home then end", forty, {home, end}, 40, areaWidth - 1, 31},
        {"deleting until it fits", forty, times(32, backspace), 8, 96, 0},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        field->setStringValue("");
        type(test.typed);
        for (const auto& key : test.then) press(key);
        EXPECT_EQ(caret(), test.caret);
        int x = caretColumn() - areaX;
        EXPECT_EQ(x, test.caretX);
        int lineStart = x - int(test.caret) * column;
        EXPECT_EQ(int(std::ceil(-lineStart / double(column))), test.firstVisible);
    }
}

// A click puts the caret at the character boundary shown nearest the pointer, scrolled or
// not, and the caret is drawn there.
TEST_F(EditedTextField, AClickPlacesTheCaretUnderThePointerAlsoAfterScrolling) {
    struct Case {
        std::string typed;
        int clickX;  // in the text area
        std::size_t caret;
        int caretX;
    } cases[] = {
        {"012345", 2 * column + 2, 2, 2 * column},
        {"012345", 100, 6, 6 * column},  // past the end
        {forty, 38, 33, 35},              // columns 31 to 40 shown, from 1 point left of the area
        {forty, 68, 36, 71},
        {forty, areaWidth - 1, 40, areaWidth - 1},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.typed + " at " + std::to_string(test.clickX));
        field->setStringValue("");
        type(test.typed);
        click(areaX + test.clickX);
        EXPECT_EQ(caret(), test.caret);
        EXPECT_EQ(caretColumn() - areaX, test.caretX);
    }
}
