#pragma once

#include <string_view>

namespace foundation {

// Writes one line to the process's standard log (standard error), prefixed like the
// platform's with the date, the process name and its identifiers. Safe from any thread: a
// line is written whole.
void NSLog(std::string_view line);

}  // namespace foundation
