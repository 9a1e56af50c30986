#include "app/bookmarks/PaddedFile.hpp"

#include "platform/foundation/FileManager.hpp"
#include "platform/system/UnifiedLog.hpp"

namespace kestrelvault {

std::optional<simdjson::padded_string> readPaddedFile(const std::filesystem::path& path) {
    std::optional<simdjson::padded_string> contents;
    std::shared_ptr<foundation::Error> error;
    bool read = foundation::FileManager::defaultManager().readRegularFile(
        path, foundation::foreignFileSizeLimit,
        [&](std::size_t size) {
            contents.emplace(size);
            return contents->data();
        },
        &error);
    if (read) return contents;
    if (error && error->code() == foundation::NSFileReadTooLargeError) {
        static const auto log = darwin::os_log_create("com.kestrelvault.Kestrelvault", "BookmarkProvider");
        darwin::os_log_with_type(log, darwin::os_log_type_t::error,
                                 "Skipped " + path.string() + ": " + error->localizedDescription());
    }
    return std::nullopt;
}

}  // namespace kestrelvault
