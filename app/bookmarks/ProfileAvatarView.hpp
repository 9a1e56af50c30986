#pragma once

#include "app/bookmarks/BrowserType.hpp"
#include "platform/ui/View.hpp"

#include <string>

namespace kestrelvault {

// A profile's picture in a circle, or the first character of its name in white on a grey
// circle when the profile has none. A value rebuilt at will; its body asks the shared
// resolver each time (a cache lookup after the first). Main thread only.
class ProfileAvatarView : public ui::View {
public:
    ProfileAvatarView(BrowserType browser, std::string profileDirectory, std::string displayName, double size)
        : browser(browser), profileDirectory(std::move(profileDirectory)), displayName(std::move(displayName)), size(size) {}

    BrowserType browser;
    std::string profileDirectory;
    std::string displayName;
    double size;

    ui::Node body() override;

    // The first user-perceived character of the name as written ("" for an empty name).
    static std::string firstCharacter(const std::string& name);
};

}  // namespace kestrelvault
