#pragma once

#include "platform/appkit/TextField.hpp"

namespace kestrelvault {

// The query field of the search panel: a text field that turns Command+C (without a
// selection), Shift+Command+C and the arrow keys into the panel's commands, whatever else
// its delegate and the field editor do. Main thread only.
class CustomSearchField : public appkit::TextField {
public:
    using appkit::TextField::TextField;

    bool performKeyEquivalent(const appkit::EventPtr& event) override;
};

}  // namespace kestrelvault
