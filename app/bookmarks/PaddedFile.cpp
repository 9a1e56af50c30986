#include "app/bookmarks/PaddedFile.hpp"

#include <fstream>

namespace kestrelvault {

std::optional<simdjson::padded_string> readPaddedFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    std::ifstream stream(path, std::ios::binary | std::ios::ate);
    if (!stream) return std::nullopt;
    auto size = stream.tellg();
    if (size < 0) return std::nullopt;
    simdjson::padded_string contents(static_cast<std::size_t>(size));
    stream.seekg(0);
    if (!stream.read(contents.data(), size)) return std::nullopt;
    return contents;
}

}  // namespace kestrelvault
