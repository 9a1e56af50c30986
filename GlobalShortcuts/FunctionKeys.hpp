#pragma once

#include "platform/appkit/SpecialKey.hpp"

#include <unordered_set>

namespace GlobalShortcuts {

// The function keys F1 to F35: the only keys a shortcut may use without command, option or
// control. Built once; safe from any thread.
const std::unordered_set<appkit::SpecialKey>& functionKeys();

}  // namespace GlobalShortcuts
