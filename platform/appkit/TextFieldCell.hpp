#pragma once

#include "platform/objc/Object.hpp"

namespace appkit {

// The cell of a text field: the settings of its editing that the platform keeps there.
// A search field's cell is a SearchFieldCell. Owned by its field; main thread only.
class TextFieldCell : public objc::Object {
public:
    bool sendsActionOnEndEditing() const { return sendsActionOnEndEditing_; }
    void setSendsActionOnEndEditing(bool sends) { sendsActionOnEndEditing_ = sends; }

private:
    bool sendsActionOnEndEditing_ = true;
};

}  // namespace appkit
