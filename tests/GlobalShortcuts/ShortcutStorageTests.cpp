#include "GlobalShortcuts/HandlerDispatch.hpp"
#include "GlobalShortcuts/Key.hpp"
#include "GlobalShortcuts/ShortcutStorage.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "tests/GlobalShortcuts/ShortcutsTestSupport.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

namespace {

using namespace GlobalShortcuts;
using shortcutstest::ChangeRecorder;
using shortcutstest::ShortcutsTest;

const Shortcut toggleDefault(Key::space, appkit::ModifierFlags(appkit::ModifierFlags::command |
                                                               appkit::ModifierFlags::shift));
const Shortcut commandK(40, 0x100);

std::shared_ptr<foundation::UserDefaults> defaults() { return foundation::UserDefaults::standardUserDefaults(); }

objc::Id storedValue(const std::string& rawName) { return defaults()->objectForKey("GlobalShortcuts_" + rawName); }

class StoredShortcuts : public ShortcutsTest {};

TEST_F(StoredShortcuts, CreatingANameWithItsDefaultStoresRegistersAndAnnouncesIt) {
    ChangeRecorder changes;
    Name toggleSearch("toggleSearch", toggleDefault);
    auto stored = foundation::stringValue(storedValue("toggleSearch"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(Shortcut::decodeJSON(*stored), Shortcut(49, 768));
    EXPECT_EQ(liveHotKeyIds(), std::vector<unsigned>{1});
    EXPECT_EQ(changes.names(), std::vector<std::string>{"toggleSearch"});
    EXPECT_TRUE(registeredShortcuts().count(toggleDefault));
    EXPECT_EQ(toggleSearch.shortcut(), toggleDefault);

    // A later launch finds the key and writes nothing.
    Name again("toggleSearch", Shortcut(0, 0x100));
    EXPECT_EQ(changes.names().size(), 1u);
    EXPECT_EQ(again.shortcut(), toggleDefault);
}

TEST_F(StoredShortcuts, ClearingANameWithADefaultStoresFalseUntilReset) {
    Name toggleSearch("toggleSearch", toggleDefault);
    ChangeRecorder changes;
    toggleSearch.setShortcut(std::nullopt);
    auto stored = foundation::numberValue(storedValue("toggleSearch"));
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->isBoolean());
    EXPECT_FALSE(stored->boolValue());
    EXPECT_FALSE(toggleSearch.shortcut());
    EXPECT_TRUE(liveHotKeyIds().empty());
    EXPECT_TRUE(registeredShortcuts().empty());
    EXPECT_TRUE(userDefaultsContains(toggleSearch));

    Name relaunched("toggleSearch", toggleDefault);
    EXPECT_FALSE(relaunched.shortcut());

    reset(relaunched);
    EXPECT_EQ(relaunched.shortcut(), toggleDefault);
    EXPECT_EQ(liveHotKeyIds(), std::vector<unsigned>{2});
    EXPECT_EQ(changes.names(), (std::vector<std::string>{"toggleSearch", "toggleSearch"}));
}

TEST_F(StoredShortcuts, ClearingANameWithoutDefaultRemovesItsKey) {
    Name plain("plain");
    plain.setShortcut(commandK);
    EXPECT_EQ(liveHotKeyIds(), std::vector<unsigned>{1});
    ChangeRecorder changes;
    plain.setShortcut(std::nullopt);
    EXPECT_FALSE(storedValue("plain"));
    EXPECT_FALSE(userDefaultsContains(plain));
    EXPECT_TRUE(liveHotKeyIds().empty());
    EXPECT_EQ(changes.names(), std::vector<std::string>{"plain"});

    // Nothing readable: nothing written, nothing announced.
    plain.setShortcut(std::nullopt);
    EXPECT_EQ(changes.names().size(), 1u);
}

TEST_F(StoredShortcuts, UnreadableValuesReadAsNoneAndResetWithoutDefaultLeavesThem) {
    Name number("number");
    Name junk("junk");
    Name data("data");
    defaults()->setInteger(5, "GlobalShortcuts_number");
    defaults()->setString("{\"carbonKeyCode\":49}", "GlobalShortcuts_junk");
    defaults()->setObject(foundation::Data::fromString(commandK.encodeJSON()), "GlobalShortcuts_data");
    ChangeRecorder changes;
    for (const auto& name : {number, junk, data}) EXPECT_FALSE(name.shortcut()) << name.rawValue();

    reset({number, junk, data});
    number.setShortcut(std::nullopt);
    EXPECT_TRUE(changes.names().empty());
    EXPECT_TRUE(storedValue("number"));
    EXPECT_TRUE(storedValue("junk"));
    EXPECT_TRUE(storedValue("data"));
}

TEST_F(StoredShortcuts, StoringAnotherShortcutMovesTheHotKey) {
    Name toggleSearch("toggleSearch", toggleDefault);
    userDefaultsSet(commandK, toggleSearch);
    EXPECT_EQ(liveHotKeyIds(), std::vector<unsigned>{2});
    EXPECT_EQ(registeredShortcuts(), std::unordered_set<Shortcut>{commandK});
    EXPECT_EQ(toggleSearch.shortcut(), commandK);
}

TEST_F(StoredShortcuts, ResetAllForgetsEveryShortcutButKeepsClearedDefaults) {
    Name toggleSearch("toggleSearch", toggleDefault);
    Name cleared("cleared", commandK);
    Name plain("plain");
    plain.setShortcut(Shortcut(0, 0x900));
    cleared.setShortcut(std::nullopt);
    defaults()->setString("unrelated", "SomeOtherKey");

    auto names = allNames();
    EXPECT_EQ(names, (std::unordered_set<Name>{Name("toggleSearch"), Name("cleared"), Name("plain")}));
    for (const auto& name : names) EXPECT_FALSE(name.defaultShortcut()) << name.rawValue();

    ChangeRecorder changes;
    resetAll();
    auto announced = changes.names();
    std::sort(announced.begin(), announced.end());
    EXPECT_EQ(announced, (std::vector<std::string>{"plain", "toggleSearch"}));
    EXPECT_FALSE(storedValue("toggleSearch"));
    EXPECT_FALSE(storedValue("plain"));
    EXPECT_TRUE(storedValue("cleared"));
    EXPECT_TRUE(liveHotKeyIds().empty());

    // The default comes back when the application next creates the Name with it.
    Name relaunched("toggleSearch", toggleDefault);
    EXPECT_EQ(relaunched.shortcut(), toggleDefault);
}

TEST_F(StoredShortcuts, ObserversOfTheChangeSeeTheNewShortcutStoredAndRegistered) {
    Name toggleSearch("toggleSearch", toggleDefault);
    Name plain("plain");
    struct Seen {
        std::optional<Shortcut> stored;
        std::unordered_set<Shortcut> registered;
        std::vector<unsigned> live;
    };
    std::vector<Seen> seen;
    auto token = foundation::NotificationCenter::defaultCenter()->addObserver(
        shortcutByNameDidChange, nullptr, nullptr, [&](const foundation::Notification& notification) {
            auto name = objc::as<objc::Box<Name>>(notification.userInfo->objectForKey("name"));
            seen.push_back({name->value.shortcut(), registeredShortcuts(), liveHotKeyIds()});
        });
    struct Step {
        const char* what;
        std::function<void()> change;
        std::optional<Shortcut> stored;
        std::unordered_set<Shortcut> registered;
        std::vector<unsigned> live;
    };
    const Step steps[] = {
        {"store", [&] { toggleSearch.setShortcut(commandK); }, commandK, {commandK}, {2}},
        {"clear", [&] { toggleSearch.setShortcut(std::nullopt); }, std::nullopt, {}, {}},
        {"reset to the default", [&] { reset(toggleSearch); }, toggleDefault, {toggleDefault}, {3}},
        {"store without default", [&] { plain.setShortcut(commandK); }, commandK, {toggleDefault, commandK}, {3, 4}},
        {"reset without default", [&] { reset(plain); }, std::nullopt, {toggleDefault}, {3}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        seen.clear();
        step.change();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].stored, step.stored);
        EXPECT_EQ(seen[0].registered, step.registered);
        EXPECT_EQ(seen[0].live, step.live);
    }
}

TEST_F(StoredShortcuts, NamesAreEqualByRawValueAlone) {
    Name first("a", commandK);
    Name second("a", toggleDefault);
    EXPECT_EQ(first, second);
    EXPECT_EQ(std::hash<Name>()(first), std::hash<Name>()(second));
    EXPECT_EQ(second.shortcut(), commandK);  // the first default was stored
    EXPECT_EQ(userDefaultsKey(Name("")), "GlobalShortcuts_");
}

}  // namespace
