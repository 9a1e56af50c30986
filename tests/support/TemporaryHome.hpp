#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace testsupport {

// A fresh directory that stands in as the user's home ($HOME) for the life of the object,
// removed with everything in it afterwards. Tests never touch the real home directory.
class TemporaryHome {
public:
    TemporaryHome();
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;
    ~TemporaryHome();

    // Homes made from now on are made inside `parent` rather than the temporary directory.
    static void makeHomesInside(std::filesystem::path parent);

    const std::filesystem::path& path() const { return path_; }
    // Writes a file below the home, creating its directories.
    std::filesystem::path write(const std::filesystem::path& relative, std::string_view contents) const;

private:
    std::filesystem::path path_;
    std::optional<std::string> previousHome_;
};

// The contents of a file, or nullopt when it cannot be read.
std::optional<std::string> readFile(const std::filesystem::path& path);

}  // namespace testsupport
