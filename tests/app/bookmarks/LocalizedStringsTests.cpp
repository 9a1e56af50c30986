#include "platform/foundation/PropertyListReader.hpp"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace {

std::filesystem::path resources() { return std::filesystem::path(KV_SOURCE_DIR) / "app/resources/Resources"; }

// The keys of a string table, read as the property list it is.
std::set<std::string> keysOf(const std::filesystem::path& table) {
    std::ifstream stream(table, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    std::set<std::string> keys;
    auto list = foundation::PropertyListReader::read(bytes);
    if (!list) return keys;
    plist_t root = static_cast<plist_t>(list->root.get());
    if (plist_get_node_type(root) != PLIST_DICT) return keys;
    for (const auto& [key, value] : foundation::PropertyListReader::entriesOf(root))
        if (plist_get_node_type(value) == PLIST_STRING) keys.insert(key);
    return keys;
}

TEST(LocalizedStrings, EveryApplicationKeyIsTranslatedInEveryLanguage) {
    const std::set<std::string> keys = {"safari_bookmarks_bar",
                                        "safari_bookmarks_menu",
                                        "Kestrelvault",
                                        "open_search",
                                        "settings_ellipsis",
                                        "check_for_updates",
                                        "about_kestrelvault",
                                        "quit",
                                        "welcome_window_title",
                                        "failed_to_open_bookmark",
                                        "no_bookmarks_found",
                                        "no_matching_bookmarks",
                                        "hint_open",
                                        "hint_copy",
                                        "hint_copy_markdown",
                                        "hint_close",
                                        "url_copied",
                                        "markdown_copied",
                                        "search_bookmarks_placeholder",
                                        "keyboard_shortcut_section",
                                        "general_section",
                                        "browsers_section",
                                        "open_search_label",
                                        "launch_at_login",
                                        "fuzzy_search",
                                        "full_disk_access_required",
                                        "open_settings",
                                        "coming_soon",
                                        "Firefox",
                                        "welcome_title",
                                        "welcome_description",
                                        "welcome_setup_button"};
    for (const char* language : {"en", "ja"})
        EXPECT_EQ(keysOf(resources() / (std::string(language) + ".lproj") / "Localizable.strings"), keys) << language;
}

TEST(LocalizedStrings, EveryShortcutRecorderKeyIsTranslatedInEveryLanguage) {
    const std::set<std::string> keys = {"record_shortcut",
                                        "press_shortcut",
                                        "keyboard_shortcut_used_by_menu_item",
                                        "keyboard_shortcut_disallowed",
                                        "keyboard_shortcut_used_by_system",
                                        "keyboard_shortcuts_can_be_changed",
                                        "ok",
                                        "force_use_shortcut",
                                        "space_key"};
    auto bundle = resources() / "GlobalShortcuts_GlobalShortcuts.bundle";
    for (const char* language : {"en", "ja"})
        EXPECT_EQ(keysOf(bundle / (std::string(language) + ".lproj") / "Localizable.strings"), keys) << language;
}

}  // namespace
