#include "app/bookmarks/FileStamp.hpp"

#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrelvault {

namespace {

// Longer than any file system's timestamp granularity (two seconds on the coarsest).
constexpr std::chrono::seconds settling{2};

}  // namespace

std::optional<FileStamp> FileStamp::ofReadable(const std::filesystem::path& path) {
    auto now = std::chrono::system_clock::now();
    // Opened as reads open it, without waiting for a writer should a FIFO sit there.
    int file = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) return std::nullopt;
    struct stat status {};
    bool statted = ::fstat(file, &status) == 0;
    ::close(file);
    if (!statted) return std::nullopt;
    auto modified = std::chrono::system_clock::time_point(std::chrono::duration_cast<std::chrono::system_clock::duration>(
        std::chrono::seconds(status.st_mtim.tv_sec) + std::chrono::nanoseconds(status.st_mtim.tv_nsec)));
    return FileStamp{static_cast<std::uint64_t>(status.st_dev),
                     static_cast<std::uint64_t>(status.st_ino),
                     static_cast<std::uint64_t>(status.st_size),
                     static_cast<std::int64_t>(status.st_mtim.tv_sec),
                     static_cast<std::int64_t>(status.st_mtim.tv_nsec),
                     modified + settling < now};
}

}  // namespace kestrelvault
