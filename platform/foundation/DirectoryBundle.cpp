#include "platform/foundation/DirectoryBundle.hpp"

#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/NSLog.hpp"
#include "platform/foundation/PropertyListSerialization.hpp"
#include "platform/foundation/String.hpp"

#include <algorithm>

namespace foundation {

namespace {

// Names that stay inside the folder they are looked up in.
bool isContainedName(const std::string& name) {
    if (name.empty()) return false;
    std::filesystem::path path(name);
    if (path.is_absolute()) return false;
    for (const auto& component : path)
        if (component == ".." || component == ".") return false;
    return true;
}

bool isRegularFile(const std::filesystem::path& path) {
    bool isDirectory = false;
    return FileManager::defaultManager().fileExistsAtPath(path, &isDirectory) && !isDirectory;
}

bool isDirectoryAt(const std::filesystem::path& path) {
    bool isDirectory = false;
    return FileManager::defaultManager().fileExistsAtPath(path, &isDirectory) && isDirectory;
}

// "zh-Hans-CN" gives "zh-Hans-CN", "zh-Hans", "zh"; "pt_BR" gives "pt_BR", "pt".
std::vector<std::string> languageCandidates(const std::string& language) {
    std::vector<std::string> candidates{language};
    auto shorter = language;
    while (true) {
        auto separator = shorter.find_last_of("-_");
        if (separator == std::string::npos || separator == 0) break;
        shorter.resize(separator);
        candidates.push_back(shorter);
    }
    return candidates;
}

bool looksLikePropertyList(std::string_view text) {
    if (text.starts_with("bplist")) return true;
    auto start = text.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    return start != std::string_view::npos && text.substr(start).starts_with("<");
}

}  // namespace

DirectoryBundle::DirectoryBundle(std::filesystem::path path) : path_(std::move(path)) {
    bool applicationLayout = isDirectoryAt(path_ / "Contents");
    resources_ = applicationLayout ? path_ / "Contents" / "Resources" : path_;
    auto infoPath = applicationLayout ? path_ / "Contents" / "Info.plist" : path_ / "Info.plist";
    if (auto data = FileManager::defaultManager().contentsAtPath(infoPath))
        info_ = dictionaryValue(PropertyListSerialization::propertyListWithData(*data));
    if (!info_) info_ = Dictionary::make();
}

std::optional<std::string> DirectoryBundle::bundleIdentifier() const {
    return stringValue(info_->objectForKey("CFBundleIdentifier"));
}

std::shared_ptr<Dictionary> DirectoryBundle::infoDictionary() const { return dictionaryValue(info_->copy()); }

objc::Id DirectoryBundle::objectForInfoDictionaryKey(const std::string& key) const { return info_->objectForKey(key); }

std::vector<std::filesystem::path> DirectoryBundle::localizationDirectories() const {
    auto languages = preferredLanguages();
    if (auto region = stringValue(info_->objectForKey("CFBundleDevelopmentRegion"))) languages.push_back(*region);
    languages.push_back("en");
    std::vector<std::filesystem::path> directories;
    for (const auto& language : languages) {
        for (const auto& candidate : languageCandidates(language)) {
            if (!isContainedName(candidate)) continue;
            auto directory = resources_ / (candidate + ".lproj");
            if (std::find(directories.begin(), directories.end(), directory) == directories.end() &&
                isDirectoryAt(directory))
                directories.push_back(directory);
        }
    }
    return directories;
}

std::optional<std::filesystem::path> DirectoryBundle::pathForResource(const std::string& name,
                                                                      const std::string& extension) const {
    auto fileName = extension.empty() ? name : name + "." + extension;
    if (!isContainedName(fileName)) return std::nullopt;
    if (isRegularFile(resources_ / fileName)) return resources_ / fileName;
    for (const auto& directory : localizationDirectories())
        if (isRegularFile(directory / fileName)) return directory / fileName;
    return std::nullopt;
}

std::shared_ptr<const StringsFile::Table> DirectoryBundle::stringTable(const std::filesystem::path& file) const {
    auto tables = tables_.lock();
    if (auto found = tables->find(file); found != tables->end()) return found->second;
    auto table = std::make_shared<StringsFile::Table>();
    if (auto data = FileManager::defaultManager().contentsAtPath(file)) {
        if (looksLikePropertyList(data->view())) {
            if (auto entries = dictionaryValue(PropertyListSerialization::propertyListWithData(*data)))
                for (const auto& [key, value] : entries->entries())
                    if (auto text = stringValue(value)) table->emplace(key, *text);
        } else {
            if (auto parsed = StringsFile::parse(data->view()))
                *table = std::move(*parsed);
            else
                NSLog("[Bundle] Ignoring malformed string table " + file.string() + ": " + parsed.error());
        }
    }
    tables->emplace(file, table);
    return table;
}

std::string DirectoryBundle::localizedStringForKey(const std::string& key, const std::string& value,
                                                   const std::string& table) const {
    auto fileName = (table.empty() ? std::string("Localizable") : table) + ".strings";
    std::string fallback = value.empty() ? key : value;
    if (!isContainedName(fileName)) return fallback;
    // The best localization that has the table decides; a key missing there is not looked
    // up in other languages.
    for (const auto& directory : localizationDirectories()) {
        if (!isRegularFile(directory / fileName)) continue;
        auto strings = stringTable(directory / fileName);
        auto found = strings->find(key);
        return found == strings->end() ? fallback : found->second;
    }
    return fallback;
}

std::optional<std::filesystem::path> DirectoryBundle::imagePathForAsset(const std::string& name) const {
    if (!isContainedName(name)) return std::nullopt;
    auto file = resources_ / "Assets" / (name + ".png");
    if (!isRegularFile(file)) return std::nullopt;
    return file;
}

}  // namespace foundation
