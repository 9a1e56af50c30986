#pragma once

#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/StringsFile.hpp"

#include <map>

namespace foundation {

// A bundle read from a directory: the application layout (Contents/Info.plist,
// Contents/Resources) when the directory has a Contents folder, else Info.plist and the
// resources at the top. The Info.plist is read at construction; string tables are read on
// first use and kept, under a lock, so the object is safe from any thread.
class DirectoryBundle final : public Bundle {
public:
    explicit DirectoryBundle(std::filesystem::path path);

    const std::filesystem::path& bundlePath() const override { return path_; }
    std::filesystem::path resourcePath() const override { return resources_; }
    std::optional<std::string> bundleIdentifier() const override;
    std::shared_ptr<Dictionary> infoDictionary() const override;
    objc::Id objectForInfoDictionaryKey(const std::string& key) const override;
    std::optional<std::filesystem::path> pathForResource(const std::string& name,
                                                         const std::string& extension) const override;
    std::string localizedStringForKey(const std::string& key, const std::string& value = "",
                                      const std::string& table = "") const override;
    std::optional<std::filesystem::path> imagePathForAsset(const std::string& name) const override;

private:
    // The localization folders to search, best first.
    std::vector<std::filesystem::path> localizationDirectories() const;
    std::shared_ptr<const StringsFile::Table> stringTable(const std::filesystem::path& file) const;

    std::filesystem::path path_;
    std::filesystem::path resources_;
    std::shared_ptr<Dictionary> info_;
    mutable Guarded<std::map<std::filesystem::path, std::shared_ptr<const StringsFile::Table>>> tables_;  // read on first use
};

}  // namespace foundation
