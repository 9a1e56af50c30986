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

struct Key {
    std::uint16_t keyCode;
    const char* characters;
    std::uint64_t flags;
};
const Key wordLeft{123, "\uF702", function | option}, wordRight{124, "\uF703", function | option},
    extendLeft{123, "\uF702", function | option | shift}, extendRight{124, "\uF703", function | option | shift},
    deleteBack{51, "\x7f", option}, deleteAhead{117, "\uF728", function | option};
// Text, selection (anchored at its start), Option keys typed; the text and selection after.
using WordEdit = std::tuple<std::string, TextRange, std::vector<Key>, std::string, TextRange>;

TEST_F(TextFieldTest, OptionWithArrowsAndDeletesMovesAndDeletesByWord) {
    const std::vector<WordEdit> cases = {
        {"open the door", {13, 0}, {wordLeft, wordLeft}, "open the door", {5, 0}},
        {"open the door", {4, 0}, {wordRight}, "open the door", {8, 0}},
        {"open the door", {0, 0}, {wordLeft, deleteBack}, "open the door", {0, 0}},
        {"open the door", {13, 0}, {wordRight, deleteAhead}, "open the door", {13, 0}},
        {"open the door", {5, 3}, {wordLeft}, "open the door", {0, 0}},
        {"open the door", {5, 3}, {wordRight}, "open the door", {13, 0}},
        {"open the door", {5, 0}, {extendRight, extendLeft, extendLeft}, "open the door", {0, 5}},
        {"open the door", {7, 0}, {deleteBack}, "open e door", {5, 0}},
        {"open the door", {0, 5}, {deleteBack}, "the door", {0, 0}},
        {"foo, -- bar!", {3, 0}, {wordRight, deleteBack}, "foo, -- !", {8, 0}},
        {"café au lait", {12, 0}, {extendLeft, extendLeft}, "café au lait", {5, 7}},
        {"𠮷田さんと話す", {7, 0}, {wordLeft, wordLeft, wordLeft}, "𠮷田さんと話す", {2, 0}},
        {"𠮷田さんと話す", {0, 0}, {deleteAhead}, "田さんと話す", {0, 0}},
    };
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
