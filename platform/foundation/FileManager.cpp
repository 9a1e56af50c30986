#include "platform/foundation/FileManager.hpp"

#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"

#include <fmt/format.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

namespace {

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (descriptor_ >= 0) ::close(descriptor_);
    }
    int get() const { return descriptor_; }
    // Closes now and reports whether the close succeeded (a late write error shows here).
    bool close() {
        int result = ::close(descriptor_);
        descriptor_ = -1;
        return result == 0;
    }

private:
    int descriptor_;
};

enum class Operation { read, write, remove, list };

std::int64_t codeFor(Operation operation, int error) {
    switch (operation) {
    case Operation::read:
    case Operation::list:
        if (error == ENOENT || error == ENOTDIR) return NSFileReadNoSuchFileError;
        if (error == EACCES || error == EPERM) return NSFileReadNoPermissionError;
        if (error == EFBIG) return NSFileReadTooLargeError;
        return NSFileReadUnknownError;
    case Operation::write:
        if (error == ENOENT) return NSFileNoSuchFileError;
        if (error == EACCES || error == EPERM || error == EROFS) return NSFileWriteNoPermissionError;
        if (error == EEXIST) return NSFileWriteFileExistsError;
        return NSFileWriteUnknownError;
    case Operation::remove:
        if (error == ENOENT) return NSFileNoSuchFileError;
        if (error == EACCES || error == EPERM || error == EROFS) return NSFileWriteNoPermissionError;
        return NSFileWriteUnknownError;
    }
    return NSFileReadUnknownError;
}

std::string describe(std::int64_t code, Operation operation, const std::filesystem::path& path) {
    std::string name = "\u201c" + path.filename().string() + "\u201d";
    switch (code) {
    case NSFileReadNoSuchFileError:
        return "The file " + name + " couldn\u2019t be opened because there is no such file.";
    case NSFileReadNoPermissionError:
        return "The file " + name + " couldn\u2019t be opened because you don\u2019t have permission to view it.";
    case NSFileReadTooLargeError:
        return "The file " + name + " couldn\u2019t be opened because it is too large.";
    case NSFileNoSuchFileError:
        return operation == Operation::remove ? name + " couldn\u2019t be removed."
                                              : "The file " + name + " couldn\u2019t be saved because there is no such folder.";
    case NSFileWriteNoPermissionError:
        return operation == Operation::remove
                   ? name + " couldn\u2019t be removed because you don\u2019t have permission to access it."
                   : "You don\u2019t have permission to save the file " + name + ".";
    case NSFileWriteFileExistsError:
        return "The file " + name + " couldn\u2019t be saved because a file with the same name already exists.";
    case NSFileWriteUnknownError:
        return operation == Operation::remove ? name + " couldn\u2019t be removed."
                                              : "The file " + name + " couldn\u2019t be saved.";
    default:
        return "The file " + name + " couldn\u2019t be opened.";
    }
}

bool fail(std::shared_ptr<Error>* error, Operation operation, const std::filesystem::path& path, int posixError) {
    if (error) {
        auto code = codeFor(operation, posixError);
        auto underlying = Error::withDescription(NSPOSIXErrorDomain, posixError, std::strerror(posixError));
        *error = Error::make(NSCocoaErrorDomain, code,
                             Dictionary::make({{NSFilePathErrorKey, String::make(path.string())},
                                               {NSLocalizedDescriptionKey, String::make(describe(code, operation, path))},
                                               {NSUnderlyingErrorKey, underlying}}));
    }
    return false;
}

bool writeAll(int descriptor, const Data& data) {
    const auto* bytes = data.bytes().data();
    std::size_t remaining = data.length();
    while (remaining > 0) {
        ssize_t written = ::write(descriptor, bytes, remaining);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += written;
        remaining -= static_cast<std::size_t>(written);
    }
    return true;
}

constexpr std::string_view temporaryMarker = ".kvtmp.";

std::filesystem::path temporarySibling(const std::filesystem::path& path) {
    static std::atomic<std::uint64_t> counter{0};
    return path.parent_path() / fmt::format(".{}{}{}.{}", path.filename().string(), temporaryMarker, ::getpid(),
                                            counter.fetch_add(1));
}

// The process that made a temporary sibling, from its name ".<file>.kvtmp.<pid>.<count>".
std::optional<pid_t> temporaryWriter(std::string_view name) {
    auto marker = name.rfind(temporaryMarker);
    if (!name.starts_with('.') || marker == std::string_view::npos) return std::nullopt;
    auto rest = name.substr(marker + temporaryMarker.size());
    auto dot = rest.find('.');
    if (dot == 0 || dot == std::string_view::npos || dot + 1 == rest.size()) return std::nullopt;
    auto isNumber = [](std::string_view digits) {
        return digits.find_first_not_of("0123456789") == std::string_view::npos && digits.size() <= 9;
    };
    if (!isNumber(rest.substr(0, dot)) || !isNumber(rest.substr(dot + 1))) return std::nullopt;
    return static_cast<pid_t>(std::stol(std::string(rest.substr(0, dot))));
}

mode_t creationMode(NewFileAccess access) { return access == NewFileAccess::ownerOnly ? 0600 : 0666; }

bool writeAtomically(const Data& data, const std::filesystem::path& path, std::shared_ptr<Error>* error,
                     NewFileAccess access) {
    auto temporary = temporarySibling(path);
    FileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, creationMode(access)));
    if (file.get() < 0) return fail(error, Operation::write, path, errno);
    // Keep the mode of a file that is being replaced.
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0)
        ::fchmod(file.get(), existing.st_mode & 07777);
    else if (access == NewFileAccess::ownerOnly)
        ::fchmod(file.get(), 0600);
    // Flushed before the rename so that a crash leaves the old file or the whole new one.
    if (!writeAll(file.get(), data) || ::fsync(file.get()) != 0 || !file.close() ||
        ::rename(temporary.c_str(), path.c_str()) != 0) {
        int saved = errno;
        ::unlink(temporary.c_str());
        return fail(error, Operation::write, path, saved);
    }
    return true;
}

double secondsOf(const struct statx_timestamp& timestamp) {
    return static_cast<double>(timestamp.tv_sec) + timestamp.tv_nsec / 1e9;
}

}  // namespace

FileManager& FileManager::defaultManager() {
    static FileManager manager;
    return manager;
}

std::filesystem::path FileManager::homeDirectoryForCurrentUser() const {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found) return found->pw_dir;
    return "/";
}

std::optional<std::vector<std::string>> FileManager::contentsOfDirectoryAtPath(const std::filesystem::path& path,
                                                                               std::shared_ptr<Error>* error) const {
    std::unique_ptr<DIR, int (*)(DIR*)> directory(::opendir(path.c_str()), ::closedir);
    if (!directory) {
        fail(error, Operation::list, path, errno);
        return std::nullopt;
    }
    std::vector<std::string> names;
    errno = 0;
    while (dirent* entry = ::readdir(directory.get())) {
        std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
        errno = 0;
    }
    if (errno != 0) {
        fail(error, Operation::list, path, errno);
        return std::nullopt;
    }
    return names;
}

bool FileManager::fileExistsAtPath(const std::filesystem::path& path, bool* isDirectory) const {
    struct stat status {};
    if (path.empty() || ::stat(path.c_str(), &status) != 0) return false;
    if (isDirectory) *isDirectory = S_ISDIR(status.st_mode);
    return true;
}

bool FileManager::isReadableFileAtPath(const std::filesystem::path& path) const {
    return !path.empty() && ::access(path.c_str(), R_OK) == 0;
}

std::shared_ptr<Data> FileManager::contentsAtPath(const std::filesystem::path& path,
                                                  std::shared_ptr<Error>* error) const {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        fail(error, Operation::read, path, errno);
        return nullptr;
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        fail(error, Operation::read, path, errno);
        return nullptr;
    }
    if (S_ISDIR(status.st_mode)) {
        fail(error, Operation::read, path, EISDIR);
        return nullptr;
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(S_ISREG(status.st_mode) ? static_cast<std::size_t>(status.st_size) : 0);
    std::uint8_t chunk[65536];
    while (true) {
        ssize_t count = ::read(file.get(), chunk, sizeof chunk);
        if (count < 0) {
            if (errno == EINTR) continue;
            fail(error, Operation::read, path, errno);
            return nullptr;
        }
        if (count == 0) break;
        bytes.insert(bytes.end(), chunk, chunk + count);
    }
    return Data::make(std::move(bytes));
}

bool FileManager::readRegularFile(const std::filesystem::path& path, std::uint64_t limit,
                                  const std::function<char*(std::size_t)>& allocate,
                                  std::shared_ptr<Error>* error) const {
    // Opened without waiting for a writer, in case a FIFO sits at the path.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0) return fail(error, Operation::read, path, errno);
    if (!S_ISREG(status.st_mode)) return fail(error, Operation::read, path, S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
    auto size = static_cast<std::uint64_t>(status.st_size);
    if (size > limit || size > std::numeric_limits<std::size_t>::max()) return fail(error, Operation::read, path, EFBIG);
    char* bytes = allocate(static_cast<std::size_t>(size));
    for (std::uint64_t done = 0; done < size;) {
        ssize_t count = ::read(file.get(), bytes + done, static_cast<std::size_t>(size - done));
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return fail(error, Operation::read, path, errno);
        if (count == 0) return fail(error, Operation::read, path, EIO);  // cut short while being read
        done += static_cast<std::uint64_t>(count);
    }
    return true;
}

std::optional<std::string> FileManager::contentsOfRegularFile(const std::filesystem::path& path, std::uint64_t limit,
                                                              std::shared_ptr<Error>* error) const {
    std::string contents;
    auto allocate = [&](std::size_t size) {
        contents.resize(size);
        return contents.data();
    };
    if (!readRegularFile(path, limit, allocate, error)) return std::nullopt;
    return contents;
}

bool FileManager::writeData(const Data& data, const std::filesystem::path& path, bool atomically,
                            std::shared_ptr<Error>* error, NewFileAccess access) const {
    if (atomically) return writeAtomically(data, path, error, access);
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, creationMode(access)));
    if (file.get() < 0) return fail(error, Operation::write, path, errno);
    if (!writeAll(file.get(), data) || !file.close()) return fail(error, Operation::write, path, errno);
    return true;
}

void FileManager::removeAbandonedWriteTemporaries(const std::filesystem::path& directory) const {
    auto names = contentsOfDirectoryAtPath(directory);
    if (!names) return;
    for (const auto& name : *names) {
        auto writer = temporaryWriter(name);
        if (writer && *writer > 0 && ::kill(*writer, 0) != 0 && errno == ESRCH)
            ::unlink((directory / name).c_str());
    }
}

bool FileManager::createDirectoryAtPath(const std::filesystem::path& path, bool withIntermediateDirectories,
                                        std::shared_ptr<Error>* error) const {
    if (!withIntermediateDirectories) {
        if (::mkdir(path.c_str(), 0777) != 0) return fail(error, Operation::write, path, errno);
        return true;
    }
    bool isDirectory = false;
    if (fileExistsAtPath(path, &isDirectory)) return isDirectory || fail(error, Operation::write, path, EEXIST);
    std::error_code failure;
    std::filesystem::create_directories(path, failure);
    if (failure) return fail(error, Operation::write, path, failure.value());
    return true;
}

bool FileManager::removeItemAtPath(const std::filesystem::path& path, std::shared_ptr<Error>* error) const {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) return fail(error, Operation::remove, path, errno);
    std::error_code failure;
    if (S_ISDIR(status.st_mode))
        std::filesystem::remove_all(path, failure);
    else
        std::filesystem::remove(path, failure);
    if (failure) return fail(error, Operation::remove, path, failure.value());
    return true;
}

std::shared_ptr<Dictionary> FileManager::attributesOfItemAtPath(const std::filesystem::path& path,
                                                                std::shared_ptr<Error>* error) const {
    struct statx status {};
    unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, mask, &status) != 0) {
        fail(error, Operation::read, path, errno);
        return nullptr;
    }
    const char* type = NSFileTypeUnknown;
    if (S_ISDIR(status.stx_mode))
        type = NSFileTypeDirectory;
    else if (S_ISREG(status.stx_mode))
        type = NSFileTypeRegular;
    else if (S_ISLNK(status.stx_mode))
        type = NSFileTypeSymbolicLink;
    double created = (status.stx_mask & STATX_BTIME) ? secondsOf(status.stx_btime) : secondsOf(status.stx_ctime);
    return Dictionary::make({
        {NSFileCreationDate, Date::make(created)},
        {NSFileModificationDate, Date::make(secondsOf(status.stx_mtime))},
        {NSFileSize, Number::withUnsigned(status.stx_size)},
        {NSFileType, String::make(type)},
    });
}

}  // namespace foundation
