#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace testsupport {

// Writes the platform settings (the global defaults domain) of the current home as an XML
// property list whose top-level dictionary holds the given entries, e.g.
// "<key>KVKeyboardLayout</key><string>com.apple.keylayout.German</string>".
std::filesystem::path writePlatformSettings(std::string_view dictionaryEntries);

// An XML property list document around the entries of its top-level dictionary.
std::string xmlPropertyList(std::string_view dictionaryEntries);

}  // namespace testsupport
