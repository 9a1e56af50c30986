#pragma once

#include "GlobalShortcuts/Name.hpp"

namespace kestrelvault {

// The application's one global shortcut: shows or hides the search panel. Shift+Command+
// Space until the user records another; made once, on first use, which stores that default
// when the store holds nothing for the name. Main thread.
const GlobalShortcuts::Name& toggleSearch();

}  // namespace kestrelvault
