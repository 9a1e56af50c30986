#pragma once

#include "platform/objc/Object.hpp"

#include <filesystem>
#include <memory>

namespace security {

// A file-based keychain: the SQLite file that queries naming it (kSecUseKeychain,
// kSecMatchSearchList) read and write instead of the default keychains. Immutable.
class SecKeychain final : public objc::Object {
public:
    explicit SecKeychain(std::filesystem::path path);
    static std::shared_ptr<SecKeychain> openAtPath(std::filesystem::path path);

    const std::filesystem::path& path() const { return path_; }
    std::string description() const override;

private:
    std::filesystem::path path_;
};

using SecKeychainRef = std::shared_ptr<SecKeychain>;

}  // namespace security
