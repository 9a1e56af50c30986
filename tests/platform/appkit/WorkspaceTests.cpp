#include "platform/appkit/Workspace.hpp"
#include "tests/support/PNGBytes.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

std::filesystem::path home() { return std::getenv("HOME"); }

std::string infoPlist(const std::string& identifier, const std::string& icon = "") {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
        "<key>CFBundleIdentifier</key><string>" +
        identifier + "</string>";
    if (!icon.empty()) text += "<key>CFBundleIconFile</key><string>" + icon + "</string>";
    return text + "</dict></plist>";
}

class WorkspaceLookup : public ::testing::Test {
protected:
    void SetUp() override {
        appkit::Workspace::setApplicationRootsForTesting(std::vector{home() / "Applications", home() / "System"});
    }

    void write(const std::filesystem::path& relative, const std::string& contents) {
        auto full = home() / relative;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream(full, std::ios::binary) << contents;
    }
};

TEST_F(WorkspaceLookup, FindsApplicationsByBundleIdentifierInRootOrder) {
    write("System/Browser.app/Contents/Info.plist", infoPlist("com.example.browser"));
    write("Applications/Browser.app/Contents/Info.plist", infoPlist("com.example.browser"));
    write("Applications/Other.app/Contents/Info.plist", infoPlist("com.example.other"));
    write("Applications/NotABundle/Contents/Info.plist", infoPlist("com.example.hidden"));
    write("Applications/Broken.app/Contents/Info.plist", "not a plist");
    auto workspace = appkit::Workspace::sharedWorkspace();
    auto url = workspace->URLForApplicationWithBundleIdentifier("com.example.browser");
    ASSERT_NE(url, nullptr);
    EXPECT_EQ(url->path(), (home() / "Applications/Browser.app").string());
    EXPECT_EQ(workspace->URLForApplicationWithBundleIdentifier("com.example.hidden"), nullptr);
    EXPECT_EQ(workspace->URLForApplicationWithBundleIdentifier("COM.EXAMPLE.BROWSER"), nullptr);
    EXPECT_EQ(workspace->URLForApplicationWithBundleIdentifier(""), nullptr);
}

TEST_F(WorkspaceLookup, IconsComeFromTheBundleOrAreGeneric) {
    write("Applications/Icon.app/Contents/Info.plist", infoPlist("com.example.icon", "AppIcon"));
    write("Applications/Icon.app/Contents/Resources/AppIcon.png", testsupport::pngBytes(3, 2, 0x11223344));
    write("Applications/Plain.app/Contents/Info.plist", infoPlist("com.example.plain"));
    write("Applications/Bad.app/Contents/Info.plist", infoPlist("com.example.bad", "AppIcon.icns"));
    write("Applications/Bad.app/Contents/Resources/AppIcon.icns", "icns data");
    auto workspace = appkit::Workspace::sharedWorkspace();
    auto icon = workspace->iconForFile(home() / "Applications/Icon.app");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->width(), 3);
    EXPECT_EQ(icon->pixel(2, 1), 0x11223344u);
    EXPECT_EQ(workspace->iconForFile(home() / "Applications/Plain.app"), appkit::Workspace::genericApplicationIcon());
    EXPECT_EQ(workspace->iconForFile(home() / "Applications/Bad.app"), appkit::Workspace::genericApplicationIcon());
    EXPECT_EQ(workspace->iconForFile(home() / "nothing"), appkit::Workspace::genericApplicationIcon());
}

TEST_F(WorkspaceLookup, IconNamesThatCouldLeaveTheBundlesResourcesNameNoIcon) {
    write("Elsewhere/icon.png", testsupport::pngBytes(3, 2, 0x11223344));
    auto outside = (home() / "Elsewhere/icon.png").string();
    write("Applications/Odd.app/Contents/Resources" + outside, testsupport::pngBytes(5, 1, 0x11223344));
    write("Applications/Odd.app/Contents/Resources/sub/icon.png", testsupport::pngBytes(5, 1, 0x11223344));
    auto workspace = appkit::Workspace::sharedWorkspace();
    for (const std::string& name : {outside, std::string("../../../../Elsewhere/icon.png"), std::string("sub/icon.png")}) {
        write("Applications/Odd.app/Contents/Info.plist", infoPlist("com.example.odd", name));
        EXPECT_EQ(workspace->iconForFile(home() / "Applications/Odd.app"), appkit::Workspace::genericApplicationIcon()) << name;
    }
}

TEST(WorkspaceRoots, DefaultToTheHomeAndSystemApplicationFolders) {
    EXPECT_EQ(appkit::Workspace::applicationRoots(),
              (std::vector<std::filesystem::path>{home() / "Applications", "/Applications"}));
}

}  // namespace
