#include "GlobalShortcuts/MenuItem+Shortcut.hpp"
#include "GlobalShortcuts/ShortcutStorage.hpp"
#include "platform/foundation/ProcessInfo.hpp"
#include "tests/GlobalShortcuts/ShortcutsTestSupport.hpp"

#include <gtest/gtest.h>

namespace {

using namespace GlobalShortcuts;
using MenuItemShortcut = shortcutstest::ShortcutsTest;

// After each step: what the menu shows, as key equivalent, modifier mask and automatic
// localization. Before 12.0 the localization switch is left as it was (false here).
TEST_F(MenuItemShortcut, MenuItemsFollowTheBoundNameOneTurnAfterEachChange) {
    Name search("search"), other("other", Shortcut(96, 0x800));
    auto item = appkit::MenuItem::make("Open Search", nullptr, "o");
    using Step = std::tuple<std::function<void()>, std::string, std::uint64_t, bool>;
    for (auto [step, key, mask, automatic] : {
             Step{[&] { setShortcut(item, search); }, "", 0, true},
             Step{[&] {
                      search.setShortcut(Shortcut(40, 0x300));
                      EXPECT_EQ(item->keyEquivalent(), "");  // not before the next turn
                  },
                  "k", 0x120000, false},
             Step{[&] { other.setShortcut(Shortcut(96, 0x200)); }, "k", 0x120000, false},  // another Name
             Step{[&] { setShortcut(item, Shortcut(96, 0x800)); }, "\uF708", 0x80000, false},  // once; still bound
             Step{[&] { search.setShortcut(std::nullopt); }, "", 0, true},
             Step{[&] { setShortcut(item, other); }, "\uF708", 0x20000, false},  // the second Name only
             Step{[&] { search.setShortcut(Shortcut(40, 0x300)); }, "\uF708", 0x20000, false},
             Step{[&] { setShortcut(item, std::optional<Name>()); }, "", 0, true},
             Step{[&] { other.setShortcut(Shortcut(40, 0x100)); }, "", 0, true},
             Step{[&] { setShortcut(item, std::optional<Name>()); }, "", 0, true},  // not bound
             // A change announced just before a new binding or an unbinding is not applied after it.
             Step{[&] {
                      setShortcut(item, other);
                      other.setShortcut(Shortcut(37, 0x100));
                      setShortcut(item, search);
                  },
                  "k", 0x120000, false},
             Step{[&] {
                      search.setShortcut(Shortcut(96, 0x200));
                      setShortcut(item, std::optional<Name>());
                      search.setShortcut(Shortcut(40, 0x300));
                  },
                  "", 0, true},
             Step{[&] {
                      foundation::ProcessInfo::setOperatingSystemVersionForTesting(foundation::OperatingSystemVersion{11, 7, 0});
                      item->setAllowsAutomaticKeyEquivalentLocalization(false);
                      setShortcut(item, search);
                  },
                  "k", 0x120000, false}}) {
        step();
        runUntilIdle();
        EXPECT_EQ(item->keyEquivalent() + " " + std::to_string(item->keyEquivalentModifierMask().rawValue) +
                      (item->allowsAutomaticKeyEquivalentLocalization() ? " automatic" : ""),
                  key + " " + std::to_string(mask) + (automatic ? " automatic" : ""));
    }
    std::weak_ptr<appkit::MenuItem> weakItem = item;
    item.reset();
    EXPECT_TRUE(weakItem.expired());  // the binding does not keep it
    search.setShortcut(std::nullopt);
    runUntilIdle();
}

}  // namespace
