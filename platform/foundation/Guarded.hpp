#pragma once

#include "platform/objc/Guarded.hpp"

namespace foundation {

// The one form of state under a lock, for every library above the object runtime (which
// needs it for its own tables and so holds its definition).
using objc::Guarded;

}  // namespace foundation
