#pragma once

#include "platform/appkit/Color.hpp"
#include "platform/appkit/TextRange.hpp"
#include "platform/appkit/View.hpp"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace appkit {

class TextField;

// The text view a window lends to the text field being edited: it holds the text while
// editing, the selected range and the caret colour, turns key events into text or into
// command selectors through the standard key bindings, and asks the field (and through
// it the field's delegate) before performing a command. One per window; it belongs to the
// edited field's view tree while editing. Main thread only.
class FieldEditor : public View {
public:
    FieldEditor();

    const std::string& string() const { return text_; }
    // Replaces the text; the caret goes to the end.
    void setString(std::string text);
    const TextRange& selectedRange() const { return selectedRange_; }
    void setSelectedRange(TextRange range);
    std::string selectedText() const;
    // The end of the selection that moves when it is extended (the caret when nothing is
    // selected); the drawing keeps it in view.
    std::size_t selectionFocus() const;
    void selectAll();
    const Color& insertionPointColor() const { return insertionPointColor_; }
    void setInsertionPointColor(Color color) { insertionPointColor_ = color; }

    // The line as last drawn: how far its text is scrolled left within the field's text
    // area, and the x of each caret position in the field's coordinates. The drawing keeps
    // them, so the next drawing scrolls from where the text stood and a click finds the
    // character shown under the pointer.
    double horizontalScrollOffset() const { return scrollOffset_; }
    void setDrawnLine(double scrollOffset, std::vector<double> caretPositions);

    std::shared_ptr<TextField> client() const { return client_.lock(); }
    // Used by TextField when it begins and ends editing.
    void attach(const std::shared_ptr<TextField>& client, std::string text);
    void detach();

    // The key binding of a key event: a command selector such as "moveDown:", or nullopt
    // when the key inserts its characters (or nothing).
    static std::optional<std::string> commandForKeyEvent(const Event& event);

    bool acceptsFirstResponder() const override { return true; }
    bool resignFirstResponder() override;
    void keyDown(const EventPtr& event) override;
    // Puts the caret at the drawn position nearest the pointer.
    void mouseDown(const EventPtr& event) override;
    void insertText(const std::string& text);
    // Asks the client first; performs the command itself when the client did not.
    void doCommandBySelector(const std::string& selector) override;

protected:
    bool performCommand(const std::string& selector) override;

private:
    void replaceSelection(std::u32string_view replacement);
    void moveCaret(std::size_t position, bool extend);
    // Deletes the selection, or with only a caret the characters between it and position.
    void deleteSelectionOrTo(std::size_t position);
    void didChangeText();

    std::string text_;
    TextRange selectedRange_;
    std::size_t anchor_ = 0;
    double scrollOffset_ = 0;
    std::vector<double> drawnCaretPositions_;
    Color insertionPointColor_ = Color::labelColor();
    std::weak_ptr<TextField> client_;
};

}  // namespace appkit
