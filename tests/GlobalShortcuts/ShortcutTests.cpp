#include "GlobalShortcuts/Key.hpp"
#include "GlobalShortcuts/ModifierFlagsConversion.hpp"
#include "GlobalShortcuts/Shortcut.hpp"
#include "platform/appkit/Application.hpp"
#include "platform/carbon/TextInputSources.hpp"
#include "platform/foundation/ProcessInfo.hpp"
#include "tests/GlobalShortcuts/ShortcutsTestSupport.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <unordered_set>

namespace {

using GlobalShortcuts::Key;
using GlobalShortcuts::Shortcut;
using appkit::ModifierFlags;
using shortcutstest::ShortcutsTest;

constexpr std::int64_t command = 0x100;
constexpr std::int64_t shift = 0x200;
constexpr std::int64_t option = 0x800;
constexpr std::int64_t control = 0x1000;

TEST(Key, ConstantsCarryTheirCarbonCodes) {
    EXPECT_EQ(Key::space.rawValue, 49);
    EXPECT_EQ(Key::f12.rawValue, 111);
    EXPECT_EQ(Key::upArrow.rawValue, 126);
    EXPECT_EQ(Key::downArrow.rawValue, 125);
    EXPECT_EQ(Key::a.rawValue, 0);
    EXPECT_EQ(Key::keypadPlus.rawValue, 69);
    // Every constant names its own key.
    std::set<std::int64_t> distinct(GlobalShortcuts::keyCodeTable.begin(), GlobalShortcuts::keyCodeTable.end());
    EXPECT_EQ(distinct.size(), 113u);
    for (std::int64_t unnamed : {10, 52, 66, 68, 70, 77, 93, 94, 95, 102, 104, 108, 110, 112, 127})
        EXPECT_EQ(distinct.count(unnamed), 0u) << unnamed;
    // Keys without a constant are keys all the same.
    EXPECT_EQ(Key(10), Key(10));
    EXPECT_NE(Key(200), Key(201));
}

TEST(Shortcut, ConstructionNormalisesModifiersButDecodingKeepsThem) {
    EXPECT_EQ(Shortcut(49, 0x700).carbonModifiers, 0x300);
    EXPECT_EQ(Shortcut(49, 0x7FFFFFFF).carbonModifiers, command | shift | option | control | 0x20000);
    auto decoded = Shortcut::decodeJSON(R"({"carbonKeyCode":49,"carbonModifiers":1792})");
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->carbonModifiers, 0x700);
    EXPECT_EQ(Shortcut(Key::space, ModifierFlags(ModifierFlags::command | ModifierFlags::shift)),
              Shortcut(49, 768));
}

TEST(Shortcut, EncodesBothMembersInOrderAndRoundTrips) {
    Shortcut toggle(Key::space, ModifierFlags(ModifierFlags::command | ModifierFlags::shift));
    EXPECT_EQ(toggle.encodeJSON(), R"({"carbonKeyCode":49,"carbonModifiers":768})");
    EXPECT_EQ(Shortcut::decodeJSON(toggle.encodeJSON()), toggle);
    EXPECT_EQ(Shortcut::decodeJSON(R"({"carbonModifiers":256,"carbonKeyCode":0,"extra":true})"), Shortcut(0, 256));
}

TEST(Shortcut, DecodingRefusesAnythingButTwoIntegerMembers) {
    for (const char* text : {"", "nope", "[49, 768]", "49", R"({"carbonKeyCode":49})",
                             R"({"carbonKeyCode":"49","carbonModifiers":768})",
                             R"({"carbonKeyCode":49.5,"carbonModifiers":768})",
                             R"({"carbonKeyCode":49,"carbonModifiers":null})", R"({"carbonKeyCode":49,)"}) {
        auto decoded = Shortcut::decodeJSON(text);
        ASSERT_FALSE(decoded) << text;
        EXPECT_FALSE(decoded.error().empty()) << text;
    }
}

TEST(Shortcut, EqualMembersAreEqualAndHashAlike) {
    std::unordered_set<Shortcut> set{Shortcut(49, 768), Shortcut(49, 768), Shortcut(49, 256), Shortcut(48, 768)};
    EXPECT_EQ(set.size(), 3u);
    EXPECT_EQ(std::hash<Shortcut>()(Shortcut(49, 768)), std::hash<Shortcut>()(Shortcut(49, 768)));
}

TEST(Shortcut, FromEventDropsTheFunctionFlagAndRefusesNonKeyEvents) {
    auto keyDown = appkit::Event::keyEvent(appkit::EventType::keyDown, {},
                                           ModifierFlags(ModifierFlags::function | ModifierFlags::command |
                                                         ModifierFlags::numericPad),
                                           0, 0, {"\uF708", "\uF708", false, 96});
    auto fromKey = Shortcut::fromEvent(*keyDown);
    ASSERT_TRUE(fromKey);
    EXPECT_EQ(*fromKey, Shortcut(96, command));
    auto keyUp = appkit::Event::keyEvent(appkit::EventType::keyUp, {}, ModifierFlags(ModifierFlags::option), 0, 0,
                                         {"a", "a", false, 0});
    EXPECT_EQ(Shortcut::fromEvent(*keyUp), Shortcut(0, option));
    auto click = appkit::Event::mouseEvent(appkit::EventType::leftMouseUp, {}, ModifierFlags(ModifierFlags::command),
                                           0, 0, 1);
    EXPECT_FALSE(Shortcut::fromEvent(*click));
}

TEST(ModifierFlags, SymbolsAndDeclarativeModifiers) {
    using GlobalShortcuts::symbolicRepresentation;
    EXPECT_EQ(symbolicRepresentation(ModifierFlags(ModifierFlags::command | ModifierFlags::shift)), "⇧⌘");
    EXPECT_EQ(symbolicRepresentation(ModifierFlags(ModifierFlags::function | ModifierFlags::control)),
              "⌃\U0001F310\uFE0E");
    EXPECT_EQ(symbolicRepresentation(ModifierFlags(ModifierFlags::capsLock)), "");
    auto modifiers = GlobalShortcuts::toEventModifiers(
        ModifierFlags(ModifierFlags::capsLock | ModifierFlags::numericPad | ModifierFlags::function |
                      ModifierFlags::help | ModifierFlags::command));
    EXPECT_EQ(modifiers.rawValue, ui::EventModifiers::capsLock | ui::EventModifiers::numericPad |
                                      ui::EventModifiers::command | 64);
    EXPECT_EQ(GlobalShortcuts::carbonModifiers(ModifierFlags(ModifierFlags::capsLock | ModifierFlags::numericPad)), 0);
}

class ShortcutText : public ShortcutsTest {};

TEST_F(ShortcutText, DescriptionShowsSymbolsThenTheKey) {
    struct Case {
        Shortcut shortcut;
        const char* expected;
    };
    const Case cases[] = {
        {Shortcut(49, command | shift), "⇧⌘Space"},
        {Shortcut(0, control | option | shift | command), "⌃⌥⇧⌘A"},
        {Shortcut(96, 0), "F5"},
        {Shortcut(83, 0), "1\u20E3"},
        {Shortcut(71, command), "⌘\u2612\u20E3"},
        {Shortcut(114, 0), "?\u20DD"},
        {Shortcut(126, option), "⌥↑"},
        {Shortcut(6, command), "⌘Z"},
        {Shortcut(42, command), "⌘\\"},
        {Shortcut(10, command), "⌘\uFFFD"},  // no such key on the US layout
        {Shortcut(300, 0), "\uFFFD"},
        {Shortcut(-1, 0), "\uFFFD"},
        {Shortcut(0x10000 + 6, command), "⌘\uFFFD"},  // wider than the 16-bit key code
    };
    for (const auto& entry : cases) EXPECT_EQ(entry.shortcut.description(), entry.expected) << entry.expected;
}

TEST_F(ShortcutText, DescriptionFollowsTheCurrentLayout) {
    setPlatformSettings(carbon::kGermanKeyboardLayoutID);
    EXPECT_EQ(Shortcut(6, command).description(), "⌘Y");
    EXPECT_EQ(Shortcut(16, command).description(), "⌘Z");
    EXPECT_EQ(Shortcut(41, command).description(), "⌘Ö");
    EXPECT_EQ(Shortcut(27, command).description(), "⌘Ss");  // capitalized as a word
    EXPECT_EQ(Shortcut(24, command).description(), "⌘\uFFFD");  // a dead key types nothing
    EXPECT_EQ(Shortcut(49, command | shift).description(), "⇧⌘Space");

    setPlatformSettings(carbon::kUSKeyboardLayoutID);
    EXPECT_EQ(Shortcut(6, command).description(), "⌘Z");
}

TEST_F(ShortcutText, KeyWithTwoCharactersOrNoLayoutHasNoCharacter) {
    auto layout = std::make_shared<carbon::UCKeyboardLayout>("Ligatures");
    layout->key(0, "ae").key(1, "e\u0301");
    carbon::TextInputSources::registerInputSourceForTesting(
        std::make_shared<const carbon::TISInputSource>(carbon::TISInputSource{"com.example.ligatures", layout}));
    carbon::TextInputSources::registerInputSourceForTesting(
        std::make_shared<const carbon::TISInputSource>(carbon::TISInputSource{"com.example.palette", nullptr}));

    setPlatformSettings("com.example.ligatures");
    EXPECT_FALSE(Shortcut::keyToCharacter(0));
    EXPECT_EQ(Shortcut(0, command).description(), "⌘\uFFFD");
    EXPECT_EQ(Shortcut::keyToCharacter(1), "e\u0301");  // one character of two code points

    setPlatformSettings("com.example.palette");
    EXPECT_FALSE(Shortcut::keyToCharacter(0));
    setPlatformSettings("com.example.missing");
    EXPECT_FALSE(Shortcut::keyToCharacter(0));
    EXPECT_EQ(Shortcut(96, 0).description(), "F5");
}

TEST_F(ShortcutText, MenuKeyEquivalents) {
    EXPECT_EQ(Shortcut(49, command).nsMenuItemKeyEquivalent(), " ");
    EXPECT_EQ(Shortcut(122, 0).nsMenuItemKeyEquivalent(), "\uF704");
    EXPECT_EQ(Shortcut(90, 0).nsMenuItemKeyEquivalent(), "\uF717");
    EXPECT_EQ(Shortcut(36, 0).nsMenuItemKeyEquivalent(), "↩");
    EXPECT_EQ(Shortcut(40, command).nsMenuItemKeyEquivalent(), "k");
    EXPECT_FALSE(Shortcut(87, command).nsMenuItemKeyEquivalent());
    EXPECT_FALSE(Shortcut(10, command).nsMenuItemKeyEquivalent());
}

TEST_F(ShortcutText, MenuSearchReadsUpperCaseAsShiftAndSearchesSubmenus) {
    auto menu = appkit::Menu::make("Main");
    auto edit = appkit::MenuItem::make("Edit");
    auto submenu = appkit::Menu::make("Edit");
    auto upper = appkit::MenuItem::make("Upper K", nullptr, "K");
    auto lower = appkit::MenuItem::make("Lower k", nullptr, "k");
    auto bare = appkit::MenuItem::make("Bare space", nullptr, " ");
    bare->setKeyEquivalentModifierMask({});
    submenu->addItem(lower);
    submenu->addItem(upper);
    edit->setSubmenu(submenu);
    menu->addItem(edit);
    menu->addItem(bare);

    EXPECT_EQ(Shortcut(40, command | shift).menuItemWithMatchingShortcut(*menu), upper);
    EXPECT_EQ(Shortcut(40, command).menuItemWithMatchingShortcut(*menu), lower);
    EXPECT_EQ(Shortcut(49, 0).menuItemWithMatchingShortcut(*menu), bare);
    EXPECT_FALSE(Shortcut(49, command).menuItemWithMatchingShortcut(*menu));
    EXPECT_FALSE(Shortcut(40, command | option).menuItemWithMatchingShortcut(*menu));

    submenu->removeItem(upper);
    EXPECT_FALSE(Shortcut(40, command | shift).menuItemWithMatchingShortcut(*menu));  // "k" with command only

    EXPECT_FALSE(Shortcut(40, command).takenByMainMenu());
    appkit::Application::shared()->setMainMenu(menu);
    EXPECT_EQ(Shortcut(40, command).takenByMainMenu(), lower);
}

TEST_F(ShortcutText, DeclarativeShortcutExceptForKeypadKeys) {
    foundation::ProcessInfo::setOperatingSystemVersionForTesting(foundation::OperatingSystemVersion{14, 2, 0});
    auto space = Shortcut(49, command | shift).toSwiftUI();
    ASSERT_TRUE(space);
    EXPECT_EQ(space->key, ui::KeyEquivalent::space());
    EXPECT_EQ(space->modifiers.rawValue, ui::EventModifiers::command | ui::EventModifiers::shift);
    EXPECT_EQ(space->localization, ui::KeyboardShortcut::Localization::custom);

    EXPECT_EQ(Shortcut(114, 0).toSwiftUI()->key.character, "\uF746");
    EXPECT_EQ(Shortcut(0, 0x20000).toSwiftUI()->modifiers.rawValue, 64);
    EXPECT_EQ(Shortcut(40, command).toSwiftUI()->key.character, "k");
    EXPECT_FALSE(Shortcut(87, command).toSwiftUI());
    EXPECT_FALSE(Shortcut(76, 0).toSwiftUI());
    EXPECT_FALSE(Shortcut(10, command).toSwiftUI());

    foundation::ProcessInfo::setOperatingSystemVersionForTesting(foundation::OperatingSystemVersion{11, 7, 0});
    EXPECT_EQ(Shortcut(49, command).toSwiftUI()->localization, ui::KeyboardShortcut::Localization::automatic);
}

// The flag is decided once per process, so each case runs in a fresh one.
TEST(ShortcutSandbox, FlagFollowsTheContainerVariableOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("APP_SANDBOX_CONTAINER_ID", "com.kestrelvault", 1);
            bool first = Shortcut::isSandboxed();
            unsetenv("APP_SANDBOX_CONTAINER_ID");
            std::exit(first && Shortcut::isSandboxed() ? 7 : 1);
        },
        ::testing::ExitedWithCode(7), "");
    EXPECT_EXIT(
        {
            unsetenv("APP_SANDBOX_CONTAINER_ID");
            std::exit(Shortcut::isSandboxed() ? 1 : 7);
        },
        ::testing::ExitedWithCode(7), "");
}

}  // namespace
