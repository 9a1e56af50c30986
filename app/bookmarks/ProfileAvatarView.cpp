#include "app/bookmarks/ProfileAvatarView.hpp"

#include "app/bookmarks/ProfileAvatarResolver.hpp"

#include <unicode/brkiter.h>
#include <unicode/unistr.h>

#include <memory>

namespace kestrelvault {

std::string ProfileAvatarView::firstCharacter(const std::string& name) {
    if (name.empty()) return {};
    auto text = icu::UnicodeString::fromUTF8(name);
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> characters(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) return {};
    characters->setText(text);
    int32_t end = characters->following(0);
    if (end == icu::BreakIterator::DONE) end = text.length();
    std::string first;
    text.tempSubString(0, end).toUTF8String(first);
    return first;
}

ui::Node ProfileAvatarView::body() {
    if (auto picture = ProfileAvatarResolver::shared()->avatar(browser, profileDirectory))
        return ui::Image(picture).resizable().scaledToFill().frame(size, size).clipShape({ui::ShapeKind::circle});
    return ui::Text(firstCharacter(displayName))
        .font(ui::Font::systemFontOfSize(size * 0.56, ui::Font::Weight::bold))
        .foregroundColor(ui::Color::whiteColor())
        .frame(size, size)
        .background(ui::Circle().fill(ui::Color::systemGrayColor()));
}

}  // namespace kestrelvault
