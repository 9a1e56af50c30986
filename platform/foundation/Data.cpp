#include "platform/foundation/Data.hpp"

#include "platform/objc/Class.hpp"

#include <functional>

namespace foundation {

Data::Data() : objc::Object(objc::defineClass("NSData")) {}

Data::Data(std::vector<std::uint8_t> bytes) : objc::Object(objc::defineClass("NSData")), bytes_(std::move(bytes)) {}

std::shared_ptr<Data> Data::make(std::vector<std::uint8_t> bytes) { return std::make_shared<Data>(std::move(bytes)); }

std::shared_ptr<Data> Data::fromString(std::string_view text) {
    return make(std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string Data::description() const {
    static const char digits[] = "0123456789abcdef";
    std::string text = "<";
    for (std::size_t index = 0; index < bytes_.size(); ++index) {
        if (index > 0 && index % 4 == 0) text += ' ';
        text += digits[bytes_[index] >> 4];
        text += digits[bytes_[index] & 0xF];
    }
    return text + ">";
}

bool Data::isEqual(const objc::Object& other) const {
    auto* data = dynamic_cast<const Data*>(&other);
    return data && data->bytes_ == bytes_;
}

std::size_t Data::hash() const { return std::hash<std::string_view>{}(view()); }

std::shared_ptr<Data> dataValue(const objc::Id& object) { return std::dynamic_pointer_cast<Data>(object); }

}  // namespace foundation
