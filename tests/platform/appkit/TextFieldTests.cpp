#include "platform/appkit/FieldEditor.hpp"
#include "platform/appkit/Pasteboard.hpp"
#include "platform/appkit/SearchField.hpp"
#include "platform/appkit/SystemBeep.hpp"
#include "platform/appkit/TextField.hpp"
#include "platform/appkit/Window.hpp"
#include "tests/platform/appkit/KeyEvents.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

using namespace appkit;
using testsupport::sendKey;
using testsupport::typeText;

namespace {

constexpr std::uint64_t command = ModifierFlags::command;
constexpr std::uint64_t shift = ModifierFlags::shift;
constexpr std::uint64_t function = ModifierFlags::function;
constexpr std::uint64_t option = ModifierFlags::option;

class RecordingDelegate : public TextFieldDelegate {
public:
    void controlTextDidChange(const foundation::Notification& note) override {
        texts.push_back(std::dynamic_pointer_cast<TextField>(note.object)->stringValue());
    }
    void controlTextDidEndEditing(const foundation::Notification&) override { ++endings; }
    bool control(const std::shared_ptr<Control>&, const std::shared_ptr<FieldEditor>&, const std::string& selector) override {
        commands.push_back(selector);
        return handled.count(selector) > 0;
    }
    std::vector<std::string> texts;
    std::vector<std::string> commands;
    std::set<std::string> handled;
    int endings = 0;
};

struct Key {
    std::uint16_t keyCode;
    const char* characters;
    std::uint64_t flags;
};
// Text, selection (anchored at its start), keys typed; the text and selection after.
using Edit = std::tuple<std::string, TextRange, std::vector<Key>, std::string, TextRange>;

class TextFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = Window::make(Rect(0, 0, 300, 100), WindowStyleMask::titled);
        field = std::make_shared<TextField>(Rect(10, 10, 200, 22));
        delegate = std::make_shared<RecordingDelegate>();
        field->setDelegate(delegate);
        window->contentView()->addSubview(field);
        window->makeKeyAndOrderFront();
        window->makeFirstResponder(field);
    }
    std::shared_ptr<FieldEditor> editor() const { return field->currentEditor(); }
    // Sets each text and selection, types the keys, and checks the text and selection after.
    void expectEdits(const std::vector<Edit>& cases) {
        for (const auto& [text, selection, keys, expectedText, expectedSelection] : cases) {
            SCOPED_TRACE(testing::Message() << text << " at " << selection.location << "+" << selection.length);
            field->setStringValue(text);
            editor()->setSelectedRange(selection);
            delegate->texts.clear();
            int beeps = beepCount();
            for (const auto& key : keys) sendKey(key.keyCode, key.characters, key.flags);
            EXPECT_EQ(field->stringValue(), expectedText);
            EXPECT_EQ(editor()->selectedRange(), expectedSelection);
            EXPECT_EQ(delegate->texts.size(), expectedText == text ? 0u : 1u);  // a deletion runs the search once
            EXPECT_EQ(beepCount(), beeps);
        }
    }

    std::shared_ptr<Window> window;
    std::shared_ptr<TextField> field;
    std::shared_ptr<RecordingDelegate> delegate;
};

}  // namespace

TEST_F(TextFieldTest, EveryTypedCharacterReachesTheDelegateAsAChange) {
    typeText("git");
    EXPECT_EQ(delegate->texts, (std::vector<std::string>{"g", "gi", "git"}));
    EXPECT_EQ(field->stringValue(), "git");
}

TEST_F(TextFieldTest, CommandsPassTheDelegateFirstAndTheEditorPerformsTheDeclinedOnes) {
    typeText("abc");
    delegate->handled = {"moveDown:"};
    sendKey(125, "\uF701", function);  // down arrow
    sendKey(51, "\x7f");               // delete
    EXPECT_EQ(delegate->commands, (std::vector<std::string>{"moveDown:", "deleteBackward:"}));
    EXPECT_EQ(field->stringValue(), "ab");
    EXPECT_EQ(editor()->selectedRange(), (TextRange{2, 0}));
}

TEST_F(TextFieldTest, CopyPutsTheSelectionOnThePasteboardAndPasteInsertsIt) {
    typeText("hello");
    editor()->setSelectedRange({1, 3});
    sendKey(8, "c", command);
    EXPECT_EQ(Pasteboard::generalPasteboard()->stringForType(NSPasteboardTypeString), "ell");
    editor()->setSelectedRange({5, 0});
    sendKey(9, "v", command);
    EXPECT_EQ(field->stringValue(), "helloell");
    sendKey(0, "a", command);
    EXPECT_EQ(editor()->selectedRange(), (TextRange{0, 8}));
}

TEST_F(TextFieldTest, TabMovesTheFocusToTheNextFieldAndEndsEditing) {
    auto next = std::make_shared<TextField>(Rect(10, 50, 200, 22));
    window->contentView()->addSubview(next);
    typeText("x");
    sendKey(48, "\t");
    EXPECT_EQ(delegate->endings, 1);
    EXPECT_EQ(field->currentEditor(), nullptr);
    EXPECT_NE(next->currentEditor(), nullptr);
    EXPECT_EQ(field->stringValue(), "x");
}

TEST_F(TextFieldTest, TabSkipsAFieldThatRefusesToBeAKeyView) {
    struct Refusing : TextField {
        using TextField::TextField;
        bool canBecomeKeyView() const override { return false; }
    };
    auto refusing = std::make_shared<Refusing>(Rect(10, 40, 200, 22));
    auto next = std::make_shared<TextField>(Rect(10, 70, 200, 22));
    window->contentView()->addSubview(refusing);
    window->contentView()->addSubview(next);
    sendKey(48, "\t");
    EXPECT_NE(next->currentEditor(), nullptr);
    EXPECT_EQ(refusing->currentEditor(), nullptr);
}

TEST_F(TextFieldTest, RemovingAFieldBeingEditedEndsTheEditingAndTheWindowTakesTheFocus) {
    typeText("abc");
    field->removeFromSuperview();
    EXPECT_EQ(window->firstResponder(), window);
    EXPECT_EQ(delegate->endings, 1);
    EXPECT_EQ(field->stringValue(), "abc");
    typeText("d");
    EXPECT_EQ(delegate->texts, (std::vector<std::string>{"a", "ab", "abc"}));
}

TEST_F(TextFieldTest, SettingTheStringWhileEditingMovesTheCaretToTheEnd) {
    typeText("abc");
    editor()->setSelectedRange({1, 0});
    field->setStringValue("wxyz");
    EXPECT_EQ(editor()->string(), "wxyz");
    EXPECT_EQ(editor()->selectedRange(), (TextRange{4, 0}));
}

TEST_F(TextFieldTest, AnEscapeNobodyHandlesBeeps) {
    sendKey(53, "\x1b");
    EXPECT_EQ(delegate->commands, (std::vector<std::string>{"cancelOperation:"}));
    EXPECT_EQ(beepCount(), 1);
}

TEST_F(TextFieldTest, NonAsciiTextIsEditedByCharacter) {
    field->setStringValue("日本語");
    sendKey(51, "\x7f");
    EXPECT_EQ(field->stringValue(), "日本");
}

const Key wordLeft{123, "\uF702", function | option}, wordRight{124, "\uF703", function | option},
    extendWordLeft{123, "\uF702", function | option | shift}, extendWordRight{124, "\uF703", function | option | shift},
    deleteWordBack{51, "\x7f", option}, deleteWordAhead{117, "\uF728", function | option};

TEST_F(TextFieldTest, OptionWithArrowsAndDeletesMovesAndDeletesByWord) {
    expectEdits({
        {"open the door", {13, 0}, {wordLeft, wordLeft}, "open the door", {5, 0}},
        {"open the door", {4, 0}, {wordRight}, "open the door", {8, 0}},
        {"open the door", {0, 0}, {wordLeft, deleteWordBack}, "open the door", {0, 0}},
        {"open the door", {13, 0}, {wordRight, deleteWordAhead}, "open the door", {13, 0}},
        {"open the door", {5, 3}, {wordLeft}, "open the door", {0, 0}},
        {"open the door", {5, 3}, {wordRight}, "open the door", {13, 0}},
        {"open the door", {5, 0}, {extendWordRight, extendWordLeft, extendWordLeft}, "open the door", {0, 5}},
        {"open the door", {7, 0}, {deleteWordBack}, "open e door", {5, 0}},
        {"open the door", {0, 5}, {deleteWordBack}, "the door", {0, 0}},
        {"foo, -- bar!", {3, 0}, {wordRight, deleteWordBack}, "foo, -- !", {8, 0}},
        {"café au lait", {12, 0}, {extendWordLeft, extendWordLeft}, "café au lait", {5, 7}},
        {"𠮷田さんと話す", {7, 0}, {wordLeft, wordLeft, wordLeft}, "𠮷田さんと話す", {2, 0}},
        {"𠮷田さんと話す", {0, 0}, {deleteWordAhead}, "田さんと話す", {0, 0}},
    });
}

const Key left{123, "\uF702", function}, right{124, "\uF703", function}, extendLeft{123, "\uF702", function | shift},
    extendRight{124, "\uF703", function | shift}, deleteBack{51, "\x7f", 0}, deleteAhead{117, "\uF728", function};

// Selections and carets count scalar values: "e\u0301" is two, the family five, a flag two.
TEST_F(TextFieldTest, ArrowsAndDeletesStepOverWholeCharactersMadeOfSeveralScalars) {
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
    const std::string japan = "\U0001F1EF\U0001F1F5", france = "\U0001F1EB\U0001F1F7";
    const std::string thumbsUp = "\U0001F44D\U0001F3FD";
    expectEdits({
        {"e\u0301x", {3, 0}, {left}, "e\u0301x", {2, 0}},
        {"e\u0301x", {3, 0}, {left, left}, "e\u0301x", {0, 0}},
        {"e\u0301x", {0, 0}, {right}, "e\u0301x", {2, 0}},
        {"xe\u0301", {3, 0}, {deleteBack}, "x", {1, 0}},
        {"e\u0301x", {0, 0}, {deleteAhead}, "x", {0, 0}},
        {"a" + family + "b", {6, 0}, {left}, "a" + family + "b", {1, 0}},
        {"a" + family + "b", {6, 0}, {deleteBack}, "ab", {1, 0}},
        {"a" + family + "b", {1, 0}, {deleteAhead}, "ab", {1, 0}},
        {japan + france, {4, 0}, {deleteBack}, japan, {2, 0}},
        {japan + france, {0, 0}, {right, right}, japan + france, {4, 0}},
        {thumbsUp + "!", {0, 0}, {right}, thumbsUp + "!", {2, 0}},
        {thumbsUp + "!", {2, 0}, {deleteBack}, "!", {0, 0}},
        {"ae\u0301", {3, 0}, {extendLeft}, "ae\u0301", {1, 2}},
        {"ae\u0301", {3, 0}, {extendLeft, extendLeft}, "ae\u0301", {0, 3}},
        {"e\u0301x", {0, 0}, {extendRight}, "e\u0301x", {0, 2}},
        {"e\u0301x", {0, 2}, {left}, "e\u0301x", {0, 0}},
        {"e\u0301x", {0, 2}, {deleteBack}, "x", {0, 0}},
        {"abc", {1, 0}, {left, right, right}, "abc", {2, 0}},
        {"abc", {2, 0}, {extendLeft, deleteBack}, "ac", {1, 0}},
        {"abc", {0, 0}, {deleteBack, deleteAhead}, "bc", {0, 0}},
    });
}

struct BindingCase {
    std::uint16_t keyCode;
    std::string characters;
    std::uint64_t flags;
    std::optional<std::string> command;
};

TEST(FieldEditorKeyBindings, TurnKeysIntoTheStandardCommandSelectors) {
    const std::vector<BindingCase> cases = {
        {126, "\uF700", function, "moveUp:"},
        {125, "\uF701", function, "moveDown:"},
        {125, "\uF701", function | shift, "moveDownAndModifySelection:"},
        {123, "\uF702", function | command, "moveToBeginningOfLine:"},
        {123, "\uF702", function | command | shift, "moveToBeginningOfLineAndModifySelection:"},
        {51, "\x7f", command | shift, "deleteToBeginningOfLine:"},
        {53, "\x1b", 0, "cancelOperation:"},
        {47, ".", command, "cancelOperation:"},
        {36, "\r", 0, "insertNewline:"},
        {76, "\x03", 0, "insertNewline:"},
        {48, "\t", 0, "insertTab:"},
        {48, "\t", shift, "insertBacktab:"},
        {51, "\x7f", 0, "deleteBackward:"},
        {117, "\uF728", function, "deleteForward:"},
        {0, "a", 0, std::nullopt},
        {0, "a", ModifierFlags::control, "moveToBeginningOfParagraph:"},
    };
    for (const auto& binding : cases) {
        auto event = testsupport::keyDownEvent(binding.keyCode, binding.characters, binding.flags);
        EXPECT_EQ(FieldEditor::commandForKeyEvent(*event), binding.command) << binding.keyCode << " " << binding.flags;
    }
}

TEST(SearchField, TheCancelButtonEmptiesTheFieldAsAnEditAndOutlivesNoField) {
    auto window = Window::make(Rect(0, 0, 300, 100), WindowStyleMask::titled);
    auto field = std::make_shared<SearchField>();
    auto delegate = std::make_shared<RecordingDelegate>();
    field->setDelegate(delegate);
    window->contentView()->addSubview(field);
    field->setStringValue("⌘K");
    auto cancel = field->searchCell()->cancelButtonCell();
    cancel->performClick();
    EXPECT_EQ(field->stringValue(), "");
    EXPECT_EQ(delegate->texts, (std::vector<std::string>{""}));

    field->removeFromSuperview();
    field.reset();
    window.reset();
    cancel->performClick();  // the field is gone: nothing happens
}
