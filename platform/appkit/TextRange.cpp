#include "platform/appkit/TextRange.hpp"

#include <unicode/unistr.h>

namespace appkit {

std::u32string decodeUTF8(std::string_view text) {
    auto unicode = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    std::u32string result(static_cast<std::size_t>(unicode.countChar32()), U'\0');
    UErrorCode status = U_ZERO_ERROR;
    unicode.toUTF32(reinterpret_cast<UChar32*>(result.data()), static_cast<int32_t>(result.size()), status);
    return result;
}

std::string encodeUTF8(std::u32string_view text) {
    auto unicode = icu::UnicodeString::fromUTF32(reinterpret_cast<const UChar32*>(text.data()),
                                                 static_cast<int32_t>(text.size()));
    std::string result;
    unicode.toUTF8String(result);
    return result;
}

}  // namespace appkit
