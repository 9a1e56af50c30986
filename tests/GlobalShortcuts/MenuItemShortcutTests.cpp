#include "GlobalShortcuts/MenuItem+Shortcut.hpp"
#include "GlobalShortcuts/ShortcutStorage.hpp"
#include "platform/foundation/ProcessInfo.hpp"
#include "tests/GlobalShortcuts/ShortcutsTestSupport.hpp"

#include <gtest/gtest.h>

namespace {

using namespace GlobalShortcuts;
using appkit::ModifierFlags;

const Shortcut shiftCommandK(40, 0x300);
const Shortcut optionF5(96, 0x800);

class MenuItemShortcut : public shortcutstest::ShortcutsTest {
protected:
    // What the menu shows: key equivalent, modifier mask, automatic localization.
    void expectShows(const std::string& key, std::uint64_t mask, bool automatic) {
        EXPECT_EQ(item->keyEquivalent(), key);
        EXPECT_EQ(item->keyEquivalentModifierMask(), ModifierFlags(mask));
        EXPECT_EQ(item->allowsAutomaticKeyEquivalentLocalization(), automatic);
    }
    std::shared_ptr<appkit::MenuItem> item = appkit::MenuItem::make("Open Search", nullptr, "o");
};

TEST_F(MenuItemShortcut, ABoundItemFollowsEveryChangeOfItsNameOneTurnLater) {
    Name search("search"), other("other");
    setShortcut(item, search);
    expectShows("", 0, true);
    search.setShortcut(shiftCommandK);
    expectShows("", 0, true);
    runUntilIdle();
    expectShows("k", ModifierFlags::shift | ModifierFlags::command, false);
    other.setShortcut(optionF5);  // another Name
    runUntilIdle();
    expectShows("k", ModifierFlags::shift | ModifierFlags::command, false);

    setShortcut(item, optionF5);  // applied once; the binding stays
    expectShows("\uF708", ModifierFlags::option, false);
    search.setShortcut(std::nullopt);
    runUntilIdle();
    expectShows("", 0, true);

    setShortcut(item, other);  // now only the second Name
    expectShows("\uF708", ModifierFlags::option, false);
    search.setShortcut(shiftCommandK);
    runUntilIdle();
    expectShows("\uF708", ModifierFlags::option, false);

    setShortcut(item, std::optional<Name>());
    expectShows("", 0, true);
    other.setShortcut(shiftCommandK);
    runUntilIdle();
    expectShows("", 0, true);
    setShortcut(item, std::optional<Name>());  // unbinding an unbound item
    expectShows("", 0, true);
}

TEST_F(MenuItemShortcut, BeforeTwelveTheAutomaticLocalizationIsLeftAloneAndTheBindingEndsWithTheItem) {
    foundation::ProcessInfo::setOperatingSystemVersionForTesting(foundation::OperatingSystemVersion{11, 7, 0});
    item->setAllowsAutomaticKeyEquivalentLocalization(false);
    Name search("search", shiftCommandK);
    setShortcut(item, search);
    expectShows("k", ModifierFlags::shift | ModifierFlags::command, false);
    setShortcut(item, std::optional<Shortcut>());
    expectShows("", 0, false);
    std::weak_ptr<appkit::MenuItem> weakItem = item;
    item.reset();
    EXPECT_TRUE(weakItem.expired());  // the binding does not keep it
    search.setShortcut(optionF5);
    runUntilIdle();
}

}  // namespace
