#pragma once

#include "platform/appkit/Font.hpp"

#include <optional>
#include <string>

namespace appkit {

// Text with one set of attributes for all of it (so far only the font). A plain value.
struct AttributedString {
    std::string string;
    std::optional<Font> font;  // the system font of its default size when absent
};

}  // namespace appkit
