#include "platform/appkit/TextField.hpp"

#include "platform/appkit/FieldEditor.hpp"
#include "platform/appkit/KeyViewLoop.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <cctype>
#include <cmath>

namespace appkit {

TextField::TextField(Rect frame) : TextField(frame, std::make_shared<TextFieldCell>()) {}

TextField::TextField(Rect frame, std::shared_ptr<TextFieldCell> cell) : Control(frame), cell_(std::move(cell)) {}

std::shared_ptr<TextField> TextField::labelWithString(const std::string& text, Font font, TextAlignment alignment,
                                                      int maximumNumberOfLines) {
    auto field = std::make_shared<TextField>();
    field->setStringValue(text);
    field->setEditable(false);
    field->setBordered(false);
    field->setDrawsBackground(false);
    field->setFont(font);
    field->setAlignment(alignment);
    field->setMaximumNumberOfLines(maximumNumberOfLines);
    return field;
}

std::string TextField::stringValue() const {
    dispatch::checkMainThread();
    if (auto editor = currentEditor()) return editor->string();
    return value_;
}

void TextField::setStringValue(const std::string& value) {
    dispatch::checkMainThread();
    value_ = value;
    if (auto editor = currentEditor()) editor->setString(value);
}

std::shared_ptr<FieldEditor> TextField::currentEditor() const {
    if (!editing_) return nullptr;
    auto window = this->window();
    auto editor = window ? window->fieldEditor(false) : nullptr;
    return editor && editor->client().get() == this ? editor : nullptr;
}

bool TextField::becomeFirstResponder() {
    dispatch::checkMainThread();
    auto window = this->window();
    if (!window) return false;
    auto editor = window->fieldEditor(true);
    auto self = std::static_pointer_cast<TextField>(shared_from_this());
    editor->attach(self, value_);
    editor->setFrame(bounds());
    addSubview(editor);
    editing_ = true;
    window->assignFieldEditorAsFirstResponder(editor);
    notify(NSControlTextDidBeginEditingNotification);
    return true;
}

void TextField::fieldEditorDidChangeText(FieldEditor& editor) {
    value_ = editor.string();
    notify(NSControlTextDidChangeNotification);
}

void TextField::fieldEditorDidEndEditing() {
    auto keepAlive = shared_from_this();
    auto editor = currentEditor();
    if (!editor) return;
    editing_ = false;
    value_ = editor->string();
    editor->detach();
    notify(NSControlTextDidEndEditingNotification);
    if (cell_->sendsActionOnEndEditing()) sendAction();
}

bool TextField::fieldEditorDoCommandBySelector(FieldEditor& editor, const std::string& selector) {
    auto delegate = this->delegate();
    if (!delegate) return false;
    return delegate->control(std::static_pointer_cast<Control>(shared_from_this()),
                             std::static_pointer_cast<FieldEditor>(editor.shared_from_this()), selector);
}

bool TextField::performCommand(const std::string& selector) {
    if (selector == "insertNewline:") {
        // Return ends this round of editing and starts the next with all text selected.
        sendAction();
        if (auto editor = currentEditor()) editor->selectAll();
        return true;
    }
    if (selector == "insertTab:" || selector == "insertBacktab:") {
        selectNextKeyView(selector == "insertBacktab:");
        return true;
    }
    return false;
}

void TextField::selectNextKeyView(bool backwards) {
    auto window = this->window();
    if (!window) return;
    auto self = std::static_pointer_cast<View>(shared_from_this());
    auto next = keyViewFollowing(*window, self, backwards ? KeyViewDirection::backward : KeyViewDirection::forward);
    if (!next || next == self) {
        if (auto editor = currentEditor()) editor->selectAll();
        return;
    }
    window->makeFirstResponder(next);
}

bool TextField::performKeyEquivalent(const EventPtr& event) {
    if (event->type() == EventType::keyDown) {
        if (auto editor = currentEditor()) {
            auto modifiers = event->modifierFlags().intersection(ModifierFlags::deviceIndependentFlagsMask)
                                 .subtracting(ModifierFlags::capsLock | ModifierFlags::numericPad | ModifierFlags::function);
            auto key = event->charactersIgnoringModifiers().value_or("");
            if (modifiers == ModifierFlags(ModifierFlags::command) && key.size() == 1) {
                const char* command = nullptr;
                switch (std::tolower(static_cast<unsigned char>(key[0]))) {
                case 'c': command = "copy:"; break;
                case 'x': command = "cut:"; break;
                case 'v': command = "paste:"; break;
                case 'a': command = "selectAll:"; break;
                default: break;
                }
                if (command) {
                    editor->doCommandBySelector(command);
                    return true;
                }
            }
        }
    }
    return Control::performKeyEquivalent(event);
}

Size TextField::intrinsicContentSize() const {
    return {noIntrinsicMetric, std::ceil(font().pointSize * 1.2) + 6};
}

void TextField::notify(const char* name) {
    foundation::Notification notification{name, shared_from_this(), nullptr};
    if (auto delegate = this->delegate()) {
        std::string_view which = name;
        if (which == NSControlTextDidChangeNotification)
            delegate->controlTextDidChange(notification);
        else if (which == NSControlTextDidEndEditingNotification)
            delegate->controlTextDidEndEditing(notification);
        else
            delegate->controlTextDidBeginEditing(notification);
    }
    foundation::NotificationCenter::defaultCenter()->post(notification);
}

}  // namespace appkit
