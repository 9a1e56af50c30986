#pragma once

#include "platform/objc/Object.hpp"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// A random (version 4) universally unique identifier.
class UUID final : public objc::Object {
public:
    UUID();
    explicit UUID(std::array<std::uint8_t, 16> bytes);
    static std::shared_ptr<UUID> make() { return std::make_shared<UUID>(); }
    // Parses "E621E1F8-C36C-495A-93FC-0C247A3E6E5F" in either case; nullopt when malformed.
    static std::shared_ptr<UUID> fromString(std::string_view text);

    const std::array<std::uint8_t, 16>& bytes() const { return bytes_; }
    // Upper-case, 8-4-4-4-12.
    std::string UUIDString() const;

    std::string description() const override { return UUIDString(); }
    bool isEqual(const objc::Object& other) const override;
    std::size_t hash() const override;

private:
    std::array<std::uint8_t, 16> bytes_;
};

}  // namespace foundation
