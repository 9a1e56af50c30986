#pragma once

#include "platform/appkit/Color.hpp"
#include "platform/appkit/Control.hpp"
#include "platform/appkit/TextFieldCell.hpp"
#include "platform/appkit/TextFieldDelegate.hpp"

#include <memory>
#include <string>

namespace appkit {

class FieldEditor;

enum class FocusRingType { defaultType = 0, none = 1, exterior = 2 };

// A one-line editable text. While it is edited the window's field editor holds the text
// and the selection and is the window's first responder; every edit reaches the delegate
// (held weakly) as controlTextDidChange, the end of editing as controlTextDidEndEditing,
// and the editor's commands pass by control:textView:doCommandBySelector: first. Main
// thread only.
class TextField : public Control {
public:
    explicit TextField(Rect frame = Rect(0, 0, 96, 22));
    // A label: text that is not edited, drawn without border or background.
    static std::shared_ptr<TextField> labelWithString(const std::string& text, Font font = Font::body(),
                                                      TextAlignment alignment = TextAlignment::natural,
                                                      int maximumNumberOfLines = 1);

    // The editor's text while editing.
    std::string stringValue() const;
    // While editing, replaces the editor's text and puts the caret at its end.
    void setStringValue(const std::string& value);
    const std::string& placeholderString() const { return placeholder_; }
    void setPlaceholderString(std::string placeholder) { placeholder_ = std::move(placeholder); }
    bool isBordered() const { return bordered_; }
    void setBordered(bool bordered) { bordered_ = bordered; }
    bool drawsBackground() const { return drawsBackground_; }
    void setDrawsBackground(bool draws) { drawsBackground_ = draws; }
    const Color& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(Color color) { backgroundColor_ = color; }
    const Color& textColor() const { return textColor_; }
    void setTextColor(Color color) { textColor_ = color; }
    FocusRingType focusRingType() const { return focusRingType_; }
    void setFocusRingType(FocusRingType type) { focusRingType_ = type; }
    bool isEditable() const { return editable_; }
    void setEditable(bool editable) { editable_ = editable; }
    // Lines shown before the text is cut with "…"; 0 wraps without a limit. One unless set:
    // the field editor edits a single line.
    int maximumNumberOfLines() const { return maximumNumberOfLines_; }
    void setMaximumNumberOfLines(int lines) { maximumNumberOfLines_ = lines; }

    std::shared_ptr<TextFieldDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<TextFieldDelegate>& delegate) { delegate_ = delegate; }
    const std::shared_ptr<TextFieldCell>& cell() const { return cell_; }

    // The field editor while this field is edited, else null.
    std::shared_ptr<FieldEditor> currentEditor() const;

    bool acceptsFirstResponder() const override { return editable_ && isEnabled(); }
    bool becomeFirstResponder() override;
    // The standard editing shortcuts while editing: Command with C, X, V or A (Caps Lock
    // aside) copy, cut, paste or select all; then the subviews.
    bool performKeyEquivalent(const EventPtr& event) override;
    Size intrinsicContentSize() const override;

    // Used by the field editor.
    void fieldEditorDidChangeText(FieldEditor& editor);
    void fieldEditorDidEndEditing();
    bool fieldEditorDoCommandBySelector(FieldEditor& editor, const std::string& selector);

protected:
    explicit TextField(Rect frame, std::shared_ptr<TextFieldCell> cell);
    bool performCommand(const std::string& selector) override;
    // Tells the delegate directly and posts the notification on the default centre.
    void notify(const char* name);
    // The string the field shows when not editing.
    void setStoredString(std::string value) { value_ = std::move(value); }

private:
    void selectNextKeyView(bool backwards);

    std::string value_;
    std::string placeholder_;
    bool bordered_ = true;
    bool drawsBackground_ = true;
    Color backgroundColor_ = Color::textBackgroundColor();
    Color textColor_ = Color::labelColor();
    FocusRingType focusRingType_ = FocusRingType::defaultType;
    bool editable_ = true;
    int maximumNumberOfLines_ = 1;
    bool editing_ = false;
    std::weak_ptr<TextFieldDelegate> delegate_;
    std::shared_ptr<TextFieldCell> cell_;
};

}  // namespace appkit
