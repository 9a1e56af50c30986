#pragma once

#include <string>

namespace kestrelvault {

// The text of a localization key in the main bundle's string table for the current locale,
// looked up anew on every call; the key itself when the table has none (or there is no
// bundle). Main thread.
std::string localized(const std::string& key);

}  // namespace kestrelvault
