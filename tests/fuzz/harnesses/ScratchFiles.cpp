#include "tests/fuzz/harnesses/ScratchFiles.hpp"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <unistd.h>

namespace fuzzing {

namespace {

struct ScratchFolder {
    ScratchFolder() {
        std::error_code ignored;
        std::string base = std::filesystem::is_directory("/dev/shm", ignored) ? "/dev/shm" : [] {
            const char* temporary = std::getenv("TMPDIR");
            return std::string(temporary && *temporary ? temporary : "/tmp");
        }();
        std::string pattern = base + "/kestrelvault-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder under " + base);
        path = pattern;
        owner = ::getpid();
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (::getpid() == owner) std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
    pid_t owner;
};

}  // namespace

const std::filesystem::path& scratchDirectory() {
    static ScratchFolder folder;
    return folder.path;
}

std::filesystem::path writeScratchFile(const std::filesystem::path& relative, std::string_view contents) {
    auto path = scratchDirectory() / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (!stream.flush()) throw std::runtime_error("cannot write " + path.string());
    return path;
}

}  // namespace fuzzing
