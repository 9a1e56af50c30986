#pragma once

#include "platform/foundation/Error.hpp"

#include <filesystem>
#include <memory>

namespace foundation {

// Folders and files that hold secrets or history (the keychain, the analytics database,
// preferences, upload temporaries) are for their owner alone: folders 0700, files 0600,
// whatever the umask. Stateless; any thread. Errors are NSPOSIXErrorDomain errors.

// Creates the folder and its missing parents with mode 0700. The folder itself, when it
// exists already, loses group and other access (parents are left alone: they may be shared);
// a symbolic link or a non-directory in its place is refused.
bool createPrivateDirectory(const std::filesystem::path& path, std::shared_ptr<Error>* error = nullptr);

// Makes sure a private file exists before a library opens it by name: created exclusively
// with mode 0600 in a private folder, or, when it exists, a regular file (a symbolic link is
// refused, never followed) that loses group and other access.
bool preparePrivateFile(const std::filesystem::path& path, std::shared_ptr<Error>* error = nullptr);

}  // namespace foundation
