#include "platform/appkit/FieldEditor.hpp"

#include "platform/appkit/Pasteboard.hpp"
#include "platform/appkit/SystemBeep.hpp"
#include "platform/appkit/TextField.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <unicode/brkiter.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <utility>

namespace appkit {

namespace {

enum class Direction { backward, forward };

// A text laid out for one of ICU's break iterators. The editor's positions count scalar
// values; the iterators count UTF-16 units.
struct BrokenText {
    icu::UnicodeString unicode;
    std::unique_ptr<icu::BreakIterator> boundaries;  // null when ICU could not make one

    int32_t unitOffset(std::size_t position) const {
        return unicode.moveIndex32(0, static_cast<int32_t>(position));
    }
    std::size_t scalarOffset(int32_t unit) const { return static_cast<std::size_t>(unicode.countChar32(0, unit)); }
    std::size_t length() const { return scalarOffset(unicode.length()); }
};

BrokenText breakText(const std::string& text, icu::BreakIterator* (*create)(const icu::Locale&, UErrorCode&)) {
    BrokenText broken{icu::UnicodeString::fromUTF8(text), nullptr};
    UErrorCode status = U_ZERO_ERROR;
    broken.boundaries.reset(create(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) broken.boundaries.reset();
    if (broken.boundaries) broken.boundaries->setText(broken.unicode);
    return broken;
}

// Where a word move from a caret position ends: backward at the start of the word the
// caret is in or the previous one, forward at the end of the word the caret is in or the
// next one, passing spaces and punctuation; the line's start or end when no word is left.
std::size_t wordBoundary(const std::string& text, std::size_t position, Direction direction) {
    auto broken = breakText(text, &icu::BreakIterator::createWordInstance);
    std::size_t fallback = direction == Direction::backward ? 0 : broken.length();
    auto& words = broken.boundaries;
    if (!words) return fallback;
    int32_t caret = broken.unitOffset(position);
    std::optional<int32_t> found;
    // The rule status read after moving to a boundary tells what the segment ending there is.
    for (int32_t start = words->first(), end = words->next(); end != icu::BreakIterator::DONE;
         start = end, end = words->next()) {
        if (words->getRuleStatus() == UBRK_WORD_NONE) continue;
        if (direction == Direction::backward && start < caret) found = start;
        if (direction == Direction::forward && end > caret) {
            found = end;
            break;
        }
    }
    return found ? broken.scalarOffset(*found) : fallback;
}

// Where a character move or delete from a caret position ends: past one user-perceived
// character, so an accent, a joined emoji or a flag is never split; the position itself at
// either end of the line.
std::size_t characterBoundary(const std::string& text, std::size_t position, Direction direction) {
    auto broken = breakText(text, &icu::BreakIterator::createCharacterInstance);
    std::size_t length = broken.length();
    position = std::min(position, length);
    bool backward = direction == Direction::backward;
    if (!broken.boundaries) return backward ? (position ? position - 1 : 0) : std::min(position + 1, length);
    int32_t caret = broken.unitOffset(position);
    int32_t found = backward ? broken.boundaries->preceding(caret) : broken.boundaries->following(caret);
    return found == icu::BreakIterator::DONE ? position : broken.scalarOffset(found);
}

}  // namespace

FieldEditor::FieldEditor() : View(Rect()) {}

void FieldEditor::setString(std::string text) {
    dispatch::checkMainThread();
    text_ = std::move(text);
    std::size_t end = decodeUTF8(text_).size();
    selectedRange_ = {end, 0};
    anchor_ = end;
}

void FieldEditor::setSelectedRange(TextRange range) {
    std::size_t length = decodeUTF8(text_).size();
    range.location = std::min(range.location, length);
    range.length = std::min(range.length, length - range.location);
    selectedRange_ = range;
    anchor_ = range.location;
}

void FieldEditor::selectAll() {
    selectedRange_ = {0, decodeUTF8(text_).size()};
    anchor_ = 0;
}

std::string FieldEditor::selectedText() const {
    auto characters = decodeUTF8(text_);
    return encodeUTF8(std::u32string_view(characters).substr(selectedRange_.location, selectedRange_.length));
}

std::size_t FieldEditor::selectionFocus() const {
    return anchor_ == selectedRange_.location ? selectedRange_.end() : selectedRange_.location;
}

void FieldEditor::setDrawnLine(double scrollOffset, std::vector<double> caretPositions) {
    scrollOffset_ = scrollOffset;
    drawnCaretPositions_ = std::move(caretPositions);
}

void FieldEditor::attach(const std::shared_ptr<TextField>& client, std::string text) {
    client_ = client;
    text_ = std::move(text);
    // The window lends one editor to each field in turn: a caret colour one field chose
    // must not follow the editor into the next.
    insertionPointColor_ = Color::labelColor();
    setDrawnLine(0, {});
    // Entering a field selects all of its text, as on the platform.
    selectAll();
}

void FieldEditor::detach() {
    client_.reset();
    removeFromSuperview();
}

bool FieldEditor::resignFirstResponder() {
    if (auto field = client()) field->fieldEditorDidEndEditing();
    return true;
}

std::optional<std::string> FieldEditor::commandForKeyEvent(const Event& event) {
    auto characters = event.charactersIgnoringModifiers().value_or("");
    auto scalars = decodeUTF8(characters);
    if (scalars.empty()) return std::nullopt;
    char32_t key = scalars.front();
    auto modifiers = event.modifierFlags();
    bool shift = modifiers.contains(ModifierFlags::shift);
    bool command = modifiers.contains(ModifierFlags::command);
    bool option = modifiers.contains(ModifierFlags::option);
    bool control = modifiers.contains(ModifierFlags::control);
    // Shift added to a Command or word move extends the selection to where the caret would
    // go; other commands (a Command delete) stay as they are.
    auto extending = [&](const char* selector) {
        std::string command(selector);
        if (shift && command.starts_with("move")) command.insert(command.size() - 1, "AndModifySelection");
        return command;
    };
    auto pick = [&](const char* plain, const char* withShift, const char* withCommand, const char* withOption) {
        if (command && withCommand) return extending(withCommand);
        if (option && withOption) return std::string(withOption);
        if (shift && withShift) return std::string(withShift);
        return std::string(plain);
    };
    switch (key) {
    case 0xF700:
        return pick("moveUp:", "moveUpAndModifySelection:", "moveToBeginningOfDocument:", "moveBackward:");
    case 0xF701:
        return pick("moveDown:", "moveDownAndModifySelection:", "moveToEndOfDocument:", "moveForward:");
    case 0xF702:
        if (option && !command) return extending("moveWordLeft:");
        return pick("moveLeft:", "moveLeftAndModifySelection:", "moveToBeginningOfLine:", nullptr);
    case 0xF703:
        if (option && !command) return extending("moveWordRight:");
        return pick("moveRight:", "moveRightAndModifySelection:", "moveToEndOfLine:", nullptr);
    case 0xF729:
        return std::string(shift ? "moveToBeginningOfDocumentAndModifySelection:" : "scrollToBeginningOfDocument:");
    case 0xF72B:
        return std::string(shift ? "moveToEndOfDocumentAndModifySelection:" : "scrollToEndOfDocument:");
    case 0xF72C:
        return std::string("scrollPageUp:");
    case 0xF72D:
        return std::string("scrollPageDown:");
    case 0xF728:
        return std::string(option ? "deleteWordForward:" : "deleteForward:");
    case 0x7F:
    case 0x08:
        return pick("deleteBackward:", nullptr, "deleteToBeginningOfLine:", "deleteWordBackward:");
    case 0x1B:
        return std::string("cancelOperation:");
    case 0x0D:
    case 0x03:
        return std::string("insertNewline:");
    case 0x09:
        return std::string(shift ? "insertBacktab:" : "insertTab:");
    case 0x19:
        return std::string("insertBacktab:");
    default:
        break;
    }
    if (command && key == U'.') return std::string("cancelOperation:");
    if (control) {
        static const std::map<char32_t, const char*> emacs = {
            {U'a', "moveToBeginningOfParagraph:"}, {U'e', "moveToEndOfParagraph:"}, {U'b', "moveBackward:"},
            {U'f', "moveForward:"}, {U'p', "moveUp:"}, {U'n', "moveDown:"}, {U'h', "deleteBackward:"},
            {U'd', "deleteForward:"}, {U'k', "deleteToEndOfParagraph:"}};
        if (auto found = emacs.find(key); found != emacs.end()) return std::string(found->second);
    }
    return std::nullopt;
}

void FieldEditor::keyDown(const EventPtr& event) {
    dispatch::checkMainThread();
    if (auto command = commandForKeyEvent(*event)) {
        doCommandBySelector(*command);
        return;
    }
    auto modifiers = event->modifierFlags();
    if (modifiers.contains(ModifierFlags::command) || modifiers.contains(ModifierFlags::control)) {
        View::keyDown(event);  // an unbound shortcut travels up the chain (and beeps)
        return;
    }
    auto characters = event->characters().value_or("");
    auto scalars = decodeUTF8(characters);
    bool printable = !scalars.empty() && std::all_of(scalars.begin(), scalars.end(), [](char32_t c) {
        return c >= 0x20 && c != 0x7F && !(c >= 0xF700 && c <= 0xF8FF);
    });
    if (printable) insertText(characters);
}

void FieldEditor::mouseDown(const EventPtr& event) {
    auto field = client();
    const auto& positions = drawnCaretPositions_;
    if (!field || positions.empty()) return;
    double x = field->convertPointFromView(event->locationInWindow(), nullptr).x;
    auto nearest = std::min_element(positions.begin(), positions.end(),
                                    [x](double a, double b) { return std::abs(a - x) < std::abs(b - x); });
    moveCaret(static_cast<std::size_t>(nearest - positions.begin()), false);
}

void FieldEditor::insertText(const std::string& text) {
    dispatch::checkMainThread();
    replaceSelection(decodeUTF8(text));
    didChangeText();
}

void FieldEditor::doCommandBySelector(const std::string& selector) {
    if (auto field = client(); field && field->fieldEditorDoCommandBySelector(*this, selector)) return;
    if (performCommand(selector)) return;
    if (auto field = client()) {
        if (field->tryToPerform(selector)) return;
    }
    beep();
}

void FieldEditor::replaceSelection(std::u32string_view replacement) {
    auto characters = decodeUTF8(text_);
    characters.replace(selectedRange_.location, selectedRange_.length, replacement);
    text_ = encodeUTF8(characters);
    std::size_t caret = selectedRange_.location + replacement.size();
    selectedRange_ = {caret, 0};
    anchor_ = caret;
}

void FieldEditor::moveCaret(std::size_t position, bool extend) {
    std::size_t length = decodeUTF8(text_).size();
    position = std::min(position, length);
    if (!extend) {
        selectedRange_ = {position, 0};
        anchor_ = position;
        return;
    }
    std::size_t low = std::min(anchor_, position), high = std::max(anchor_, position);
    selectedRange_ = {low, high - low};
}

void FieldEditor::deleteSelectionOrTo(std::size_t position) {
    if (selectedRange_.length == 0) {
        std::size_t caret = selectedRange_.location;
        if (position == caret) return;
        selectedRange_ = {std::min(caret, position), caret > position ? caret - position : position - caret};
    }
    replaceSelection(U"");
    didChangeText();
}

void FieldEditor::didChangeText() {
    if (auto field = client()) field->fieldEditorDidChangeText(*this);
}

bool FieldEditor::performCommand(const std::string& selector) {
    std::size_t length = decodeUTF8(text_).size();
    const auto& range = selectedRange_;
    std::size_t focus = selectionFocus();
    if (selector == "moveLeft:" || selector == "moveBackward:") {
        moveCaret(range.length ? range.location : characterBoundary(text_, range.location, Direction::backward), false);
    } else if (selector == "moveRight:" || selector == "moveForward:") {
        moveCaret(range.length ? range.end() : characterBoundary(text_, range.location, Direction::forward), false);
    } else if (selector == "moveLeftAndModifySelection:") {
        moveCaret(characterBoundary(text_, focus, Direction::backward), true);
    } else if (selector == "moveRightAndModifySelection:") {
        moveCaret(characterBoundary(text_, focus, Direction::forward), true);
    } else if (selector == "moveToBeginningOfLine:" || selector == "moveToBeginningOfParagraph:" ||
               selector == "moveToBeginningOfDocument:" || selector == "moveUp:" ||
               selector == "scrollToBeginningOfDocument:") {
        moveCaret(0, false);  // one line: up goes to its start
    } else if (selector == "moveToEndOfLine:" || selector == "moveToEndOfParagraph:" ||
               selector == "moveToEndOfDocument:" || selector == "moveDown:" || selector == "scrollToEndOfDocument:") {
        moveCaret(length, false);
    } else if (selector == "moveUpAndModifySelection:" || selector == "moveToBeginningOfLineAndModifySelection:" ||
               selector == "moveToBeginningOfDocumentAndModifySelection:") {
        moveCaret(0, true);
    } else if (selector == "moveDownAndModifySelection:" || selector == "moveToEndOfLineAndModifySelection:" ||
               selector == "moveToEndOfDocumentAndModifySelection:") {
        moveCaret(length, true);
    } else if (selector == "moveWordLeft:") {
        moveCaret(wordBoundary(text_, range.location, Direction::backward), false);
    } else if (selector == "moveWordRight:") {
        moveCaret(wordBoundary(text_, range.end(), Direction::forward), false);
    } else if (selector == "moveWordLeftAndModifySelection:") {
        moveCaret(wordBoundary(text_, focus, Direction::backward), true);
    } else if (selector == "moveWordRightAndModifySelection:") {
        moveCaret(wordBoundary(text_, focus, Direction::forward), true);
    } else if (selector == "selectAll:") {
        selectAll();
    } else if (selector == "deleteBackward:") {
        deleteSelectionOrTo(characterBoundary(text_, range.location, Direction::backward));
    } else if (selector == "deleteForward:") {
        deleteSelectionOrTo(characterBoundary(text_, range.location, Direction::forward));
    } else if (selector == "deleteWordBackward:") {
        deleteSelectionOrTo(wordBoundary(text_, range.location, Direction::backward));
    } else if (selector == "deleteWordForward:") {
        deleteSelectionOrTo(wordBoundary(text_, range.location, Direction::forward));
    } else if (selector == "deleteToBeginningOfLine:") {
        selectedRange_ = {0, range.end()};
        replaceSelection(U"");
        didChangeText();
    } else if (selector == "deleteToEndOfParagraph:") {
        selectedRange_ = {range.location, length - range.location};
        replaceSelection(U"");
        didChangeText();
    } else if (selector == "copy:" || selector == "cut:") {
        if (range.length == 0) return true;
        auto pasteboard = Pasteboard::generalPasteboard();
        pasteboard->clearContents();
        pasteboard->setString(selectedText(), NSPasteboardTypeString);
        if (selector == "cut:") {
            replaceSelection(U"");
            didChangeText();
        }
    } else if (selector == "paste:") {
        auto text = Pasteboard::generalPasteboard()->stringForType(NSPasteboardTypeString);
        if (!text) return true;
        // A one-line field takes the pasted lines joined by spaces.
        std::replace_if(text->begin(), text->end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
        insertText(*text);
    } else {
        return false;
    }
    return true;
}

}  // namespace appkit
