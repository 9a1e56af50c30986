#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace kestrelvault {

// What tells one state of a file from another: its identity (device and inode), size and
// modification time to the nanosecond. A plain value; taken on any thread.
struct FileStamp {
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t modifiedSeconds = 0, modifiedNanoseconds = 0;
    // Whether the modification time lay well before the stamp was taken. A change right
    // after a read may get the same coarse timestamp as the state read, so only a settled
    // file's stamp tells its states apart.
    bool settled = false;

    // Of the file the path names now, opened for reading as a read would open it; nullopt
    // when it cannot be (missing, or unreadable to this process).
    static std::optional<FileStamp> ofReadable(const std::filesystem::path& path);

    bool isSameState(const FileStamp& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               modifiedSeconds == other.modifiedSeconds && modifiedNanoseconds == other.modifiedNanoseconds;
    }
};

}  // namespace kestrelvault
