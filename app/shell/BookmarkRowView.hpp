#pragma once

#include "app/bookmarks/Bookmark.hpp"
#include "platform/ui/AsyncImage.hpp"
#include "platform/ui/View.hpp"

#include <optional>
#include <string>

namespace kestrelvault {

// One search result: a badge for its browser and profile, the site's icon, the name and
// folder path on one line each, and the selection highlight for the colour scheme of the
// environment. Holds no state; the list rebuilds it at will. Main thread only.
class BookmarkRowView : public ui::View {
public:
    BookmarkRowView(Bookmark bookmark, bool isSelected, bool showBrowserIcon, bool showProfileName)
        : bookmark(std::move(bookmark)), isSelected(isSelected), showBrowserIcon(showBrowserIcon),
          showProfileName(showProfileName) {}

    Bookmark bookmark;
    bool isSelected;
    bool showBrowserIcon;
    bool showProfileName;

    ui::Node body() override;

    // The favicon service's address for the bookmark's host, or nullopt (no host, no service).
    std::optional<std::string> faviconURL() const;
    // The loaded image, or the globe while loading, on failure and without an address.
    static ui::Node faviconContent(const ui::AsyncImagePhase& phase);
    // Clear, or the highlight of a selected row for the colour scheme.
    ui::Color selectionBackground() const { return selectionBackground(isSelected, environment().colorScheme); }
    static ui::Color selectionBackground(bool isSelected, ui::ColorScheme colorScheme);

private:
    ui::Node badge() const;
};

}  // namespace kestrelvault
