#pragma once

#include "platform/foundation/NotificationCenter.hpp"

#include <memory>
#include <string>

namespace appkit {

class Control;
class FieldEditor;

inline constexpr const char* NSControlTextDidBeginEditingNotification = "NSControlTextDidBeginEditingNotification";
inline constexpr const char* NSControlTextDidChangeNotification = "NSControlTextDidChangeNotification";
inline constexpr const char* NSControlTextDidEndEditingNotification = "NSControlTextDidEndEditingNotification";

// What a text field tells its delegate while it is edited; the notifications carry the field
// as object. Every message is optional (the defaults do nothing, and decline commands).
class TextFieldDelegate {
public:
    virtual ~TextFieldDelegate() = default;

    virtual void controlTextDidBeginEditing(const foundation::Notification&) {}
    virtual void controlTextDidChange(const foundation::Notification&) {}
    virtual void controlTextDidEndEditing(const foundation::Notification&) {}
    // control:textView:doCommandBySelector: — true when the delegate handled the command,
    // so the field editor does not perform it.
    virtual bool control(const std::shared_ptr<Control>&, const std::shared_ptr<FieldEditor>&, const std::string&) {
        return false;
    }
};

}  // namespace appkit
