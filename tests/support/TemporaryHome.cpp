#include "tests/support/TemporaryHome.hpp"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

namespace {

std::optional<std::filesystem::path>& homesParent() {
    static std::optional<std::filesystem::path> parent;
    return parent;
}

}  // namespace

void TemporaryHome::makeHomesInside(std::filesystem::path parent) { homesParent() = std::move(parent); }

TemporaryHome::TemporaryHome() {
    auto parent = homesParent().value_or(std::filesystem::temp_directory_path());
    std::string pattern = (parent / "kestrelvault-home-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary home");
    path_ = pattern;
    if (const char* home = std::getenv("HOME")) previousHome_ = home;
    setenv("HOME", path_.c_str(), 1);
}

TemporaryHome::~TemporaryHome() {
    if (previousHome_)
        setenv("HOME", previousHome_->c_str(), 1);
    else
        unsetenv("HOME");
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TemporaryHome::write(const std::filesystem::path& relative, std::string_view contents) const {
    auto full = path_ / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream stream(full, std::ios::binary | std::ios::trunc);
    stream.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    return full;
}

std::optional<std::string> readFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) return std::nullopt;
    std::ostringstream contents;
    contents << stream.rdbuf();
    return contents.str();
}

}  // namespace testsupport
