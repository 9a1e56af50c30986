#include "platform/foundation/UUID.hpp"

#include "platform/objc/Class.hpp"

#include <functional>
#include <random>
#include <sys/random.h>

namespace foundation {

namespace {

std::array<std::uint8_t, 16> randomVersion4() {
    std::array<std::uint8_t, 16> bytes{};
    if (getrandom(bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
        std::random_device device;
        for (auto& byte : bytes) byte = static_cast<std::uint8_t>(device());
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);
    return bytes;
}

int hexValue(char character) {
    if (character >= '0' && character <= '9') return character - '0';
    if (character >= 'a' && character <= 'f') return character - 'a' + 10;
    if (character >= 'A' && character <= 'F') return character - 'A' + 10;
    return -1;
}

}  // namespace

UUID::UUID() : UUID(randomVersion4()) {}

UUID::UUID(std::array<std::uint8_t, 16> bytes) : objc::Object(objc::defineClass("NSUUID")), bytes_(bytes) {}

std::shared_ptr<UUID> UUID::fromString(std::string_view text) {
    if (text.size() != 36) return nullptr;
    std::array<std::uint8_t, 16> bytes{};
    std::size_t byte = 0;
    for (std::size_t index = 0; index < text.size();) {
        if (index == 8 || index == 13 || index == 18 || index == 23) {
            if (text[index] != '-') return nullptr;
            ++index;
            continue;
        }
        int high = hexValue(text[index]), low = hexValue(text[index + 1]);
        if (high < 0 || low < 0) return nullptr;
        bytes[byte++] = static_cast<std::uint8_t>(high * 16 + low);
        index += 2;
    }
    return std::make_shared<UUID>(bytes);
}

std::string UUID::UUIDString() const {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t index = 0; index < bytes_.size(); ++index) {
        if (index == 4 || index == 6 || index == 8 || index == 10) text += '-';
        text += digits[bytes_[index] >> 4];
        text += digits[bytes_[index] & 0xF];
    }
    return text;
}

bool UUID::isEqual(const objc::Object& other) const {
    auto* uuid = dynamic_cast<const UUID*>(&other);
    return uuid && uuid->bytes_ == bytes_;
}

std::size_t UUID::hash() const {
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(bytes_.data()), bytes_.size()));
}

}  // namespace foundation
