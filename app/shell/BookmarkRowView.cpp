#include "app/shell/BookmarkRowView.hpp"

#include "app/bookmarks/ProfileAvatarView.hpp"
#include "app/shell/FaviconService.hpp"
#include "platform/foundation/URL.hpp"

namespace kestrelvault {

using ui::Node;

std::optional<std::string> BookmarkRowView::faviconURL() const {
    auto url = foundation::URL::URLWithString(bookmark.url);
    if (!url || !url->host() || url->host()->empty()) return std::nullopt;
    auto base = FaviconService::baseAddress();
    if (!base) return std::nullopt;
    // A host may hold "&", "=" or "#" (sub-delimiters are legal in a host name): escaped, it
    // cannot add parameters to the request or cut it short. Ordinary host names are unchanged.
    std::string address = *base + "/s2/favicons?domain=" + foundation::percentEncode(*url->host(), ":") + "&sz=64";
    if (!foundation::URL::URLWithString(address)) return std::nullopt;
    return address;
}

Node BookmarkRowView::faviconContent(const ui::AsyncImagePhase& phase) {
    if (phase.kind == ui::AsyncImagePhase::Kind::success && phase.image)
        return ui::Image(phase.image).resizable().scaledToFit();
    return ui::Symbol("globe").font(ui::Font::systemFontOfSize(12)).foregroundColor(ui::Color::secondaryLabelColor());
}

ui::Color BookmarkRowView::selectionBackground(bool isSelected, ui::ColorScheme colorScheme) {
    if (!isSelected) return ui::Color::clearColor();
    return colorScheme == ui::ColorScheme::dark ? ui::Color::whiteColor().opacity(0.15)
                                                : ui::Color::blackColor().opacity(0.08);
}

Node BookmarkRowView::badge() const {
    std::vector<Node> layers;
    if (auto icon = appIcon(bookmark.browser)) layers.push_back(ui::Image(icon).resizable().scaledToFit().frame(28, 28));
    if (showProfileName)
        layers.push_back(ui::make<ProfileAvatarView>(bookmark.browser, bookmark.profileDirectory,
                                                     bookmark.profileDisplayName, 16.0)
                             .offset(4, 4));
    return ui::ZStack(std::move(layers), ui::Alignment::bottomTrailing())
        .frame(32.0, 32.0)
        .padding(ui::EdgeInsets{0, 0, 0, 12});
}

Node BookmarkRowView::body() {
    std::vector<Node> items;
    // The badge keeps its slot when absent, so the favicon after it keeps its identity (and
    // its loaded image) when the badge comes or goes.
    items.push_back(showBrowserIcon || showProfileName ? badge() : ui::EmptyView());
    items.push_back(ui::AsyncImage(faviconURL(), 1, faviconContent).frame(18.0, 18.0));
    std::vector<Node> lines{ui::Text(bookmark.name)
                                .font(ui::Font::systemFontOfSize(15, ui::Font::Weight::medium))
                                .foregroundColor(ui::Color::labelColor())
                                .lineLimit(1)};
    if (!bookmark.folderPath.empty())
        lines.push_back(ui::Text(bookmark.folderPath)
                            .font(ui::Font::systemFontOfSize(12))
                            .foregroundColor(ui::Color::secondaryLabelColor())
                            .lineLimit(1));
    items.push_back(ui::VStack(std::move(lines), ui::HorizontalAlignment::leading, 3.0));
    items.push_back(ui::Spacer(0.0));
    return ui::HStack(std::move(items), ui::VerticalAlignment::center, 5.0)
        .padding(ui::EdgeInsets{10, 12, 10, 14})
        .frame(ui::FlexibleFrame{.maxWidth = appkit::infinity, .alignment = ui::Alignment::leading()})
        .background(selectionBackground())
        .contentShape(ui::Shape{ui::ShapeKind::rectangle});
}

}  // namespace kestrelvault
