#pragma once

#include <filesystem>
#include <string_view>

namespace fuzzing {

// A folder of the process's own for the files harnesses hand to readers: on a memory file
// system when there is one, so that a write per input costs little. Made on first use and
// removed when the process exits. One thread at a time.
const std::filesystem::path& scratchDirectory();

// Writes the bytes to the path below the scratch folder (folders made as needed) and
// returns the full path.
std::filesystem::path writeScratchFile(const std::filesystem::path& relative, std::string_view contents);

}  // namespace fuzzing
