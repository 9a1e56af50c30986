#include "platform/foundation/PrivateFiles.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

namespace {

constexpr mode_t privateDirectoryMode = 0700;
constexpr mode_t privateFileMode = 0600;

bool fail(std::shared_ptr<Error>* error, const std::filesystem::path& path, int posixError) {
    if (error)
        *error = Error::withDescription(NSPOSIXErrorDomain, posixError,
                                        path.string() + ": " + std::strerror(posixError));
    return false;
}

// Takes group and other access away from what the descriptor names, when it is ours.
void restrictToOwner(int descriptor, const struct stat& status) {
    if (status.st_uid == ::geteuid() && (status.st_mode & 077) != 0) ::fchmod(descriptor, status.st_mode & 0700);
}

// Opens the last component without following a link, checks its kind and restricts it.
bool openOwnItem(const std::filesystem::path& path, int flags, bool wantDirectory, std::shared_ptr<Error>* error) {
    int descriptor = ::open(path.c_str(), flags | O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return fail(error, path, errno);
    struct stat status {};
    int failure = 0;
    if (::fstat(descriptor, &status) != 0)
        failure = errno;
    else if (wantDirectory ? !S_ISDIR(status.st_mode) : !S_ISREG(status.st_mode))
        failure = wantDirectory ? ENOTDIR : EINVAL;
    else
        restrictToOwner(descriptor, status);
    ::close(descriptor);
    return failure == 0 || fail(error, path, failure);
}

}  // namespace

bool createPrivateDirectory(const std::filesystem::path& path, std::shared_ptr<Error>* error) {
    std::filesystem::path partial;
    for (const auto& component : path) {
        partial /= component;
        if (::mkdir(partial.c_str(), privateDirectoryMode) == 0)
            ::chmod(partial.c_str(), privateDirectoryMode);  // a umask may have taken owner bits
        else if (errno != EEXIST)
            return fail(error, partial, errno);
    }
    return openOwnItem(path, O_DIRECTORY, true, error);
}

bool preparePrivateFile(const std::filesystem::path& path, std::shared_ptr<Error>* error) {
    if (!createPrivateDirectory(path.parent_path(), error)) return false;
    int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, privateFileMode);
    if (descriptor >= 0) {
        ::fchmod(descriptor, privateFileMode);
        ::close(descriptor);
        return true;
    }
    if (errno != EEXIST) return fail(error, path, errno);
    return openOwnItem(path, 0, false, error);
}

}  // namespace foundation
