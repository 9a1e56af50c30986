#pragma once

#include "platform/appkit/AttributedString.hpp"

#include <optional>

namespace appkit {

// What the caller puts into the standard About panel beside what the main bundle tells.
struct AboutPanelOptions {
    std::optional<AttributedString> credits;
};

}  // namespace appkit
