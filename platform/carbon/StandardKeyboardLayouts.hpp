#pragma once

#include "platform/carbon/UCKeyboardLayout.hpp"

#include <memory>

namespace carbon {

// The layouts the platform ships here: US (ANSI) and German, with their option layers and
// dead keys (acute, grave, circumflex, tilde, umlaut).
std::shared_ptr<const UCKeyboardLayout> makeUSKeyboardLayout();
std::shared_ptr<const UCKeyboardLayout> makeGermanKeyboardLayout();

}  // namespace carbon
