#include "platform/appkit/Appearance.hpp"
#include "platform/appkit/Color.hpp"
#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/UserDefaults.hpp"

#include <gtest/gtest.h>

using namespace appkit;

TEST(Color, RoleColoursResolveDifferentlyForLightAndDark) {
    auto light = Color::labelColor().resolved(Appearance::light);
    auto dark = Color::labelColor().resolved(Appearance::dark);
    EXPECT_LT(light.red, 0.5);
    EXPECT_GT(dark.red, 0.5);
    EXPECT_EQ(Color::whiteColor().resolved(Appearance::dark), Color::whiteColor().resolved(Appearance::light));
}

TEST(Color, OpacityMultipliesTheAlphaOfFixedAndRoleColours) {
    EXPECT_DOUBLE_EQ(Color::blackColor().opacity(0.08).resolved(Appearance::light).alpha, 0.08);
    double base = Color::separatorColor().resolved(Appearance::light).alpha;
    EXPECT_DOUBLE_EQ(Color::separatorColor().withAlphaComponent(0.5).resolved(Appearance::light).alpha, base * 0.5);
    EXPECT_TRUE(Color::clearColor().isClear());
    EXPECT_FALSE(Color::labelColor().opacity(0).isClear());  // a role is resolved only when drawn
}

TEST(Appearance, FollowsThePlatformSetting) {
    EXPECT_EQ(systemAppearance(), Appearance::light);
    auto defaults = foundation::UserDefaults::standardUserDefaults();
    auto settings = std::make_shared<foundation::Dictionary>();
    settings->setObject(foundation::String::make("Dark"), "AppleInterfaceStyle");
    defaults->setPersistentDomain(settings, foundation::NSGlobalDomain);
    EXPECT_EQ(systemAppearance(), Appearance::dark);
}
