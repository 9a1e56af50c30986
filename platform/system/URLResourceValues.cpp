#include "platform/system/URLResourceValues.hpp"

#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"

#include <cerrno>
#include <cstring>
#include <sys/xattr.h>

namespace foundation {

namespace {

constexpr const char* backupExclusionAttribute = "user.com.apple.metadata:com_apple_backup_excludeItem";
constexpr std::string_view backupExclusionValue = "com.apple.backupd";
constexpr std::int64_t featureUnsupportedError = 3328;

std::shared_ptr<Error> fileError(const URL& url, int errorNumber) {
    std::int64_t code = errorNumber == ENOENT ? NSFileNoSuchFileError : NSFileWriteUnknownError;
    auto userInfo = Dictionary::make({{NSFilePathErrorKey, String::make(url.path())},
                                      {NSLocalizedDescriptionKey, String::make(std::strerror(errorNumber))}});
    return Error::make(NSCocoaErrorDomain, code, std::move(userInfo));
}

bool fail(std::shared_ptr<Error>* error, std::shared_ptr<Error> value) {
    if (error) *error = std::move(value);
    return false;
}

std::shared_ptr<Error> unsupported(std::string_view key) {
    return Error::withDescription(NSCocoaErrorDomain, featureUnsupportedError,
                                  "The resource value " + std::string(key) + " is not supported.");
}

}  // namespace

bool setResourceValue(const URL& url, const objc::Id& value, std::string_view key, std::shared_ptr<Error>* error) {
    auto flag = numberValue(value);
    if (key != NSURLIsExcludedFromBackupKey || !flag || !url.isFileURL()) return fail(error, unsupported(key));
    std::string path = url.path();
    int result = flag->boolValue()
                     ? ::setxattr(path.c_str(), backupExclusionAttribute, backupExclusionValue.data(),
                                  backupExclusionValue.size(), 0)
                     : ::removexattr(path.c_str(), backupExclusionAttribute);
    if (result == 0 || (!flag->boolValue() && errno == ENODATA)) return true;
    return fail(error, fileError(url, errno));
}

objc::Id getResourceValue(const URL& url, std::string_view key, std::shared_ptr<Error>* error) {
    if (key != NSURLIsExcludedFromBackupKey || !url.isFileURL()) {
        fail(error, unsupported(key));
        return nullptr;
    }
    std::string path = url.path();
    ssize_t size = ::getxattr(path.c_str(), backupExclusionAttribute, nullptr, 0);
    if (size >= 0) return Number::withBool(true);
    if (errno == ENODATA) return Number::withBool(false);
    fail(error, fileError(url, errno));
    return nullptr;
}

}  // namespace foundation
