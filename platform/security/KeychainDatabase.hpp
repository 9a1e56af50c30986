#pragma once

#include "platform/security/SecItem.hpp"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace security {

// One generic-password item as stored.
struct KeychainItem {
    std::string service;
    std::string account;
    std::string accessGroup;
    std::string accessible;
    std::vector<std::uint8_t> data;
};

// Which items a query names; an absent attribute matches any value.
struct KeychainMatch {
    std::optional<std::string> service;
    std::optional<std::string> account;
    std::optional<std::string> accessGroup;
};

// One open connection to a keychain file, closed with the object. Used by one call on one
// thread; concurrent connections (threads or processes) are serialised by SQLite's locks.
class KeychainDatabase {
public:
    // Opens (creating the file, 0600, and its directory, 0700, when missing); nullptr and
    // errSecIO when the file cannot be opened, is a symbolic link or is not a keychain.
    static std::unique_ptr<KeychainDatabase> open(const std::filesystem::path& path, OSStatus& status);
    KeychainDatabase(const KeychainDatabase&) = delete;
    KeychainDatabase& operator=(const KeychainDatabase&) = delete;
    ~KeychainDatabase();

    // At most limit items (0: all), oldest first.
    OSStatus find(const KeychainMatch& match, std::size_t limit, std::vector<KeychainItem>& items);
    OSStatus insert(const KeychainItem& item);
    // errSecItemNotFound when nothing matched.
    OSStatus update(const KeychainMatch& match, const std::optional<std::vector<std::uint8_t>>& data,
                    const std::optional<std::string>& accessible);
    OSStatus remove(const KeychainMatch& match);

private:
    explicit KeychainDatabase(sqlite3* connection) : connection_(connection) {}

    sqlite3* connection_;
};

}  // namespace security
