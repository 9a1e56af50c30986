#pragma once

#include "platform/foundation/Data.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/Error.hpp"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace foundation {

// The platform's file error codes the system relies on (NSCocoaErrorDomain).
inline constexpr std::int64_t NSFileNoSuchFileError = 4;
inline constexpr std::int64_t NSFileReadUnknownError = 256;
inline constexpr std::int64_t NSFileReadNoPermissionError = 257;
inline constexpr std::int64_t NSFileReadNoSuchFileError = 260;
inline constexpr std::int64_t NSFileReadTooLargeError = 263;
inline constexpr std::int64_t NSFileWriteUnknownError = 512;
inline constexpr std::int64_t NSFileWriteNoPermissionError = 513;
inline constexpr std::int64_t NSFileWriteFileExistsError = 516;

inline constexpr const char* NSFileCreationDate = "NSFileCreationDate";
inline constexpr const char* NSFileModificationDate = "NSFileModificationDate";
inline constexpr const char* NSFileSize = "NSFileSize";
inline constexpr const char* NSFileType = "NSFileType";
inline constexpr const char* NSFileTypeDirectory = "NSFileTypeDirectory";
inline constexpr const char* NSFileTypeRegular = "NSFileTypeRegular";
inline constexpr const char* NSFileTypeSymbolicLink = "NSFileTypeSymbolicLink";
inline constexpr const char* NSFileTypeUnknown = "NSFileTypeUnknown";

// The most that is read of a file another program wrote (a browser's bookmarks, an
// application's bundle, a picture): far above any real one, it keeps a file of gigabytes in
// such a place from costing seconds and as much memory.
inline constexpr std::uint64_t foreignFileSizeLimit = std::uint64_t{256} << 20;

// Who may read a file that a write creates: as the umask leaves it (from 0666), or the owner
// alone (0600, whatever the umask). A file that is replaced keeps its own mode.
enum class NewFileAccess { standard, ownerOnly };

// File-system access with the platform's answers and error objects. Stateless; safe from
// any thread. Errors come through the optional out-parameter, as on the platform.
class FileManager {
public:
    static FileManager& defaultManager();

    // $HOME at the time of the call.
    std::filesystem::path homeDirectoryForCurrentUser() const;

    // Entry names in the order the file system lists them (not sorted); nullopt and an
    // error when the directory cannot be listed.
    std::optional<std::vector<std::string>> contentsOfDirectoryAtPath(const std::filesystem::path& path,
                                                                      std::shared_ptr<Error>* error = nullptr) const;
    bool fileExistsAtPath(const std::filesystem::path& path, bool* isDirectory = nullptr) const;
    bool isReadableFileAtPath(const std::filesystem::path& path) const;
    // Reads the whole file; nil and error 260 when it does not exist, 257 without
    // permission, 256 otherwise (a directory, for example).
    std::shared_ptr<Data> contentsAtPath(const std::filesystem::path& path,
                                         std::shared_ptr<Error>* error = nullptr) const;
    // Reads a regular file whole into the storage `allocate` gives for its size (called once,
    // only when the file is read), without ever blocking on a FIFO or a device. False and an
    // error as contentsAtPath gives them, 256 for anything but a regular file, and
    // NSFileReadTooLargeError when the file is larger than `limit` bytes.
    bool readRegularFile(const std::filesystem::path& path, std::uint64_t limit,
                         const std::function<char*(std::size_t)>& allocate,
                         std::shared_ptr<Error>* error = nullptr) const;
    // The same, into a string.
    std::optional<std::string> contentsOfRegularFile(const std::filesystem::path& path, std::uint64_t limit,
                                                     std::shared_ptr<Error>* error = nullptr) const;
    // Writes the whole file, atomically when asked (temporary file in the same directory,
    // then rename).
    bool writeData(const Data& data, const std::filesystem::path& path, bool atomically,
                   std::shared_ptr<Error>* error = nullptr, NewFileAccess access = NewFileAccess::standard) const;
    // Removes what atomic writes into the folder left behind when their process died between
    // creating the temporary file and renaming it; temporaries of running processes stay.
    void removeAbandonedWriteTemporaries(const std::filesystem::path& directory) const;
    bool createDirectoryAtPath(const std::filesystem::path& path, bool withIntermediateDirectories,
                               std::shared_ptr<Error>* error = nullptr) const;
    // Removes a file or a directory with its contents; error 4 when nothing is there.
    bool removeItemAtPath(const std::filesystem::path& path, std::shared_ptr<Error>* error = nullptr) const;
    // NSFileCreationDate (birth time where the file system keeps it, else the change
    // time), NSFileModificationDate, NSFileSize, NSFileType.
    std::shared_ptr<Dictionary> attributesOfItemAtPath(const std::filesystem::path& path,
                                                       std::shared_ptr<Error>* error = nullptr) const;
};

}  // namespace foundation
