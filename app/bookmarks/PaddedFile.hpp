#pragma once

#include <simdjson.h>

#include <filesystem>
#include <optional>

namespace kestrelvault {

// The whole contents of a regular file, with the padding simdjson reads past the end;
// nullopt for a directory, a missing or an unreadable file. Any thread.
std::optional<simdjson::padded_string> readPaddedFile(const std::filesystem::path& path);

}  // namespace kestrelvault
