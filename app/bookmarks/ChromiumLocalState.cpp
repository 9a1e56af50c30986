#include "app/bookmarks/ChromiumLocalState.hpp"

#include "app/bookmarks/JSONDocument.hpp"
#include "platform/foundation/FileName.hpp"

namespace kestrelvault {

std::vector<std::pair<std::string, ChromiumProfileInfo>> readChromiumProfileInfo(
    const std::filesystem::path& basePath) {
    std::vector<std::pair<std::string, ChromiumProfileInfo>> entries;
    auto document = JSONDocument::load(basePath / "Local State");
    if (!document) return entries;
    simdjson::dom::object top;
    if (document->root().get_object().get(top) != simdjson::SUCCESS) return entries;
    auto profile = objectMember(top, "profile");
    if (!profile) return entries;
    auto infoCache = objectMember(*profile, "info_cache");
    if (!infoCache) return entries;
    for (auto [key, value] : distinctMembers(*infoCache)) {
        simdjson::dom::object entry;
        if (value.get_object().get(entry) != simdjson::SUCCESS) continue;
        ChromiumProfileInfo info;
        if (auto name = stringMember(entry, "name")) info.name = std::string(*name);
        if (auto picture = stringMember(entry, "gaia_picture_file_name"))
            info.gaiaPictureFileName = std::string(*picture);
        bool useGaiaPicture = false;
        if (auto use = member(entry, "use_gaia_picture"); use && use->get_bool().get(useGaiaPicture) == simdjson::SUCCESS)
            info.useGaiaPicture = useGaiaPicture;
        if (auto icon = stringMember(entry, "avatar_icon")) info.avatarIcon = std::string(*icon);
        entries.emplace_back(std::string(key), std::move(info));
    }
    return entries;
}

std::optional<std::filesystem::path> chromiumProfileFile(const std::filesystem::path& basePath,
                                                         std::string_view directory, std::string_view fileName) {
    if (!foundation::isPlainFileName(directory) || !foundation::isPlainFileName(fileName)) return std::nullopt;
    return basePath / directory / fileName;
}

}  // namespace kestrelvault
