#pragma once

#include "platform/objc/Object.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

// A byte buffer; compares by content.
class Data final : public objc::Object {
public:
    Data();
    explicit Data(std::vector<std::uint8_t> bytes);
    static std::shared_ptr<Data> make(std::vector<std::uint8_t> bytes = {});
    static std::shared_ptr<Data> fromString(std::string_view text);

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::vector<std::uint8_t>& mutableBytes() { return bytes_; }
    std::size_t length() const { return bytes_.size(); }
    std::string_view view() const {
        return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()};
    }

    // "<0a1b2c3d 4e>" in groups of four bytes.
    std::string description() const override;
    bool isEqual(const objc::Object& other) const override;
    std::size_t hash() const override;

private:
    std::vector<std::uint8_t> bytes_;
};

std::shared_ptr<Data> dataValue(const objc::Id& object);

}  // namespace foundation
