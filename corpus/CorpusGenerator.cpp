#include "corpus/CorpusGenerator.hpp"

#include <nlohmann/json.hpp>
#include <plist/plist.h>
#include <stb_image_write.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace corpus {

namespace {

constexpr std::array sites = {
    "gitforge",     "askanswers",        "openwiki",  "videohall",   "essays",    "forumhub",    "dailypaper",
    "developer.webdocs", "docs.pylang", "news.startupboard", "preprints", "designboard", "wikispace", "teamtracker",
    "gitdepot",     "langreference",     "systems-lang", "orchestrator", "bigstore", "broadcast"};
constexpr std::array tlds = {"com", "org", "io", "dev", "net", "co.uk"};
constexpr std::array words = {
    "project",  "notes",   "release",   "guide",    "tutorial", "design",   "review",   "budget",    "travel",
    "recipe",   "kitchen", "garden",    "invoice",  "meeting",  "roadmap",  "api",      "reference", "performance",
    "security", "testing", "deploy",    "pipeline", "weekly",   "report",   "analysis", "dashboard", "profile",
    "settings", "archive", "summary",   "pricing",  "calendar", "holiday",  "museum",   "concert",   "podcast",
    "episode",  "paper",   "benchmark", "database", "compiler", "keyboard", "shortcut", "bookmark",  "browser"};
constexpr std::array folders = {"Work",     "Projects", "Reading",  "Recipes", "Travel",  "Dev",
                                "Tools",    "Research", "Finance",  "Music",   "Archive", "Inbox",
                                "Shopping", "Design",   "Learning", "Home"};
// Japanese (Kanji, Katakana and Hiragana), Chinese and Korean words.
constexpr std::array cjkWords = {
    "東京",       "天気",       "予報",         "プロジェクト", "計画書",   "ひらがな",     "れんしゅう", "レシピ",
    "和食",       "会議",       "メモ",         "週次",         "北京",     "旅游",         "指南",       "数据库",
    "性能",       "优化",       "한국어",       "학습",         "자료",     "ブックマーク", "管理",       "きょう",
    "ニュース",   "設計",       "レビュー",     "予算",         "旅行",     "料理",         "請求書",     "ロードマップ",
    "参考",       "安全",       "テスト",       "週報",         "分析",     "ダッシュボード", "設定",     "アーカイブ",
    "要約",       "価格",       "カレンダー",   "博物館",       "コンサート", "ポッドキャスト", "論文",   "キーボード",
    "ショートカット", "ブラウザ", "ぷろじぇくと", "めも",       "しりょう", "개발",         "뉴스",       "项目"};
constexpr std::array fullWidthTitles = {"ＧｉｔＨｕｂ　Ｎｏｔｅｓ", "Ｐｒｏｊｅｃｔ　Ｐｌａｎ", "ＡＰＩ　Ｇｕｉｄｅ"};

std::string jsonString(const std::string& text) { return nlohmann::json(text).dump(); }

class Generator {
public:
    Generator(const CorpusOptions& options, std::ofstream* lines)
        : options_(options), random_(options.seed), lines_(lines) {}

    std::size_t below(std::size_t limit) { return std::uniform_int_distribution<std::size_t>(0, limit - 1)(random_); }
    template <class List>
    std::string pick(const List& list) {
        return list[below(list.size())];
    }
    std::string capitalized(std::string word) {
        if (!word.empty() && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 'a' + 'A');
        return word;
    }

    std::string title() {
        std::size_t kind = below(100);
        if (kind < options_.cjkPercent) {
            std::string text = pick(cjkWords);
            for (std::size_t extra = below(3) + 1; extra > 0; --extra) text.append(below(2) ? " " : "").append(pick(cjkWords));
            return text;
        }
        if (kind == 99) return pick(fullWidthTitles);
        std::string text = capitalized(pick(words));
        for (std::size_t extra = below(std::max(options_.titleWords, 2u) - 1) + 1; extra > 0; --extra) text.append(" ").append(capitalized(pick(words)));
        if (below(3) == 0) text.append(" - ").append(capitalized(pick(sites)));
        return text;
    }

    std::string url() {
        std::string text = "https://" + pick(sites) + "." + pick(tlds) + "/";
        for (std::size_t segments = below(3) + 1; segments > 0; --segments) text += pick(words) + "/";
        return text + std::to_string(serial_);
    }

    // One bookmark's title and URL, also written as a text line.
    std::pair<std::string, std::string> bookmark(const std::string& folderPath) {
        std::pair<std::string, std::string> made{title(), url()};
        if (lines_) *lines_ << made.first << '\t' << made.second << '\t' << folderPath << '\n';
        if (++serial_ % 50000 == 0 && options_.progress) options_.progress(serial_);
        return made;
    }

    // Appends the JSON array of `count` bookmarks in a folder tree as deep as the options say.
    void chromiumChildren(std::size_t count, std::size_t depth, const std::string& folderPath, std::string& out) {
        out += '[';
        for (bool first = true; count > 0; first = false) {
            if (!first) out += ',';
            if (depth < options_.folderDepth && count > 8 && below(4) == 0) {
                std::size_t inFolder = 1 + below(std::min<std::size_t>(count, 60));
                std::string name = pick(folders);
                out += R"({"type":"folder","name":)" + jsonString(name) + R"(,"children":)";
                chromiumChildren(inFolder, depth + 1, folderPath.empty() ? name : folderPath + "/" + name, out);
                out += '}';
                count -= inFolder;
            } else {
                auto [name, address] = bookmark(folderPath);
                out += R"({"type":"url","name":)" + jsonString(name) + R"(,"url":)" + jsonString(address) + '}';
                --count;
            }
        }
        out += ']';
    }

    plist_t safariChildren(std::size_t count, std::size_t depth, const std::string& folderPath) {
        plist_t children = plist_new_array();
        while (count > 0) {
            if (depth < options_.folderDepth && count > 8 && below(4) == 0) {
                std::size_t inFolder = 1 + below(std::min<std::size_t>(count, 60));
                std::string name = pick(folders);
                plist_t folder = plist_new_dict();
                plist_dict_set_item(folder, "WebBookmarkType", plist_new_string("WebBookmarkTypeList"));
                plist_dict_set_item(folder, "Title", plist_new_string(name.c_str()));
                plist_dict_set_item(folder, "Children", safariChildren(inFolder, depth + 1, folderPath + "/" + name));
                plist_array_append_item(children, folder);
                count -= inFolder;
            } else {
                auto [name, address] = bookmark(folderPath);
                plist_t leaf = plist_new_dict();
                plist_dict_set_item(leaf, "WebBookmarkType", plist_new_string("WebBookmarkTypeLeaf"));
                plist_dict_set_item(leaf, "URLString", plist_new_string(address.c_str()));
                plist_t uri = plist_new_dict();
                plist_dict_set_item(uri, "title", plist_new_string(name.c_str()));
                plist_dict_set_item(leaf, "URIDictionary", uri);
                plist_array_append_item(children, leaf);
                --count;
            }
        }
        return children;
    }

private:
    const CorpusOptions& options_;
    std::mt19937_64 random_;
    std::ofstream* lines_;
    std::size_t serial_ = 0;
};

void writeText(const std::filesystem::path& path, const std::string& contents) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
}

std::string propertyList(plist_t root, bool binary) {
    char* bytes = nullptr;
    uint32_t length = 0;
    if (binary)
        plist_to_bin(root, &bytes, &length);
    else
        plist_to_xml(root, &bytes, &length);
    std::string out(bytes, length);
    std::free(bytes);
    return out;
}

// A square PNG of one colour (0xRRGGBB).
std::string iconPNG(std::uint32_t rgb) {
    constexpr int side = 32;
    std::string pixels;
    for (int index = 0; index < side * side; ++index)
        for (int shift : {16, 8, 0, -1}) pixels.push_back(static_cast<char>(shift < 0 ? 0xFF : (rgb >> shift) & 0xFF));
    std::string png;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
        },
        &png, side, side, 4, pixels.data(), side * 4);
    return png;
}

// A browser's bundle with an icon of its colour and a program that records how it was
// launched, one line per launch, in the home's launches.log.
void installApplication(const std::filesystem::path& home, const std::string& name, const std::string& identifier,
                        std::uint32_t iconColor) {
    auto contents = home / "Applications" / (name + ".app") / "Contents";
    writeText(contents / "Resources" / "icon.png", iconPNG(iconColor));
    auto program = contents / "MacOS" / name;
    writeText(program, "#!/bin/sh\necho \"" + name + " $*\" >> \"$HOME/launches.log\"\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                              std::filesystem::perms::group_exec |
                                              std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
    // Last: a bundle is complete once it names its identifier.
    plist_t info = plist_new_dict();
    plist_dict_set_item(info, "CFBundleIdentifier", plist_new_string(identifier.c_str()));
    plist_dict_set_item(info, "CFBundleExecutable", plist_new_string(name.c_str()));
    plist_dict_set_item(info, "CFBundleIconFile", plist_new_string("icon.png"));
    writeText(contents / "Info.plist", propertyList(info, false));
    plist_free(info);
}

}  // namespace

void writeCorpus(const std::filesystem::path& home, const CorpusOptions& options) {
    std::ofstream lines;
    if (options.linesPath) lines.open(*options.linesPath, std::ios::binary | std::ios::trunc);
    Generator generator(options, options.linesPath ? &lines : nullptr);
    struct Profile {
        std::string base;
        std::string directory;
        double share;
    };
    const std::vector<std::string> bases = {"Library/Application Support/Zadizu/Chrome",
                                            "Library/Application Support/BraveSoftware/Brave-Browser",
                                            "Library/Application Support/Microsoft Edge"};
    std::vector<Profile> chromium;
    double chromiumShare = (100.0 - std::min(options.safariPercent, 100u)) / 100;
    if (options.profilesPerBrowser) {
        unsigned profiles = std::max(*options.profilesPerBrowser, 1u);
        for (const auto& base : bases)
            for (unsigned profile = 0; profile < profiles; ++profile)
                chromium.push_back({base, profile == 0 ? "Default" : "Profile " + std::to_string(profile),
                                    chromiumShare / (profiles * bases.size())});
    } else {
        chromium = {{bases[0], "Default", 0.30}, {bases[0], "Profile 1", 0.15}, {bases[0], "Profile 2", 0.10},
                    {bases[1], "Default", 0.15}, {bases[2], "Default", 0.15}};
        for (auto& profile : chromium) profile.share *= chromiumShare / 0.85;
    }
    std::size_t written = 0;
    for (const auto& profile : chromium) {
        auto share = static_cast<std::size_t>(static_cast<double>(options.count) * profile.share);
        std::size_t onBar = share / 3;
        std::string out = R"({"roots":{"bookmark_bar":{"type":"folder","name":"Bookmarks bar","children":)";
        generator.chromiumChildren(onBar, 0, "", out);
        out += R"(},"other":{"type":"folder","name":"Other bookmarks","children":)";
        generator.chromiumChildren(share - onBar, 0, "", out);
        out += R"(},"synced":{"type":"folder","name":"Mobile bookmarks","children":[]}},"version":1})";
        writeText(home / profile.base / profile.directory / "Bookmarks", out);
        written += share;
    }
    writeText(home / chromium[0].base / "Local State",
              nlohmann::json{
                  {"profile",
                   {{"info_cache",
                     {{"Default", {{"name", "Personal"}, {"avatar_icon", "chrome://theme/IDR_PROFILE_AVATAR_3"}}},
                      {"Profile 1", {{"name", "Work"}}},
                      {"Profile 2", {{"name", "Side project"}}}}}}}}
                  .dump());
    plist_t safari = plist_new_dict();
    plist_t top = plist_new_array();
    plist_t bar = plist_new_dict();
    plist_dict_set_item(bar, "WebBookmarkType", plist_new_string("WebBookmarkTypeList"));
    plist_dict_set_item(bar, "Title", plist_new_string("BookmarksBar"));
    plist_dict_set_item(bar, "Children", generator.safariChildren(options.count - written, 0, "Favorites"));
    plist_array_append_item(top, bar);
    plist_dict_set_item(safari, "Children", top);
    writeText(home / "Library/Safari/Bookmarks.plist", propertyList(safari, true));
    plist_free(safari);

    installApplication(home, "Chrome", "com.zadizu.Chrome", 0x34A853);
    installApplication(home, "Brave Browser", "com.brave.Browser", 0xFB542B);
    installApplication(home, "Microsoft Edge", "com.microsoft.edgemac", 0x0F7BD8);
    installApplication(home, "Safari", "com.apple.Safari", 0x1E90FF);
    if (options.progress) options.progress(options.count);
}

}  // namespace corpus
