#pragma once

#include <simdjson.h>

#include <filesystem>
#include <optional>

namespace kestrelvault {

// The whole contents of a regular file another program wrote, with the padding simdjson
// reads past the end; nullopt for a directory, a missing or an unreadable file, and for one
// above the size limit of such files (an error line in the system log says so). Any thread.
std::optional<simdjson::padded_string> readPaddedFile(const std::filesystem::path& path);

}  // namespace kestrelvault
