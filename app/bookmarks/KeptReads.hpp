#pragma once

#include "app/bookmarks/FileStamp.hpp"
#include "platform/foundation/Guarded.hpp"

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <utility>

namespace kestrelvault {

// What a reader made of the files it read, each kept with the stamp the file had before it
// was read, so that a later load reads again only the files that changed. Any thread: loads
// run side by side, and what one keeps another may find. Lives as long as its reader.
template <class Kept>
class KeptReads {
public:
    struct Found {
        std::optional<FileStamp> stamp;  // now; none when the file cannot be opened for reading
        std::optional<Kept> kept;        // what was made of the file in that very state
    };

    // Take the stamp before reading the file, so that a change during the read shows as a
    // change at the next look.
    Found look(const std::filesystem::path& path) const {
        Found found{FileStamp::ofReadable(path), std::nullopt};
        auto entries = entries_.lock();
        auto entry = entries->find(path);
        if (found.stamp && entry != entries->end() && entry->second.first.isSameState(*found.stamp))
            found.kept = entry->second.second;
        return found;
    }

    // Keeps what was made of the file in the state the stamp names; a file that cannot be
    // read or has not settled keeps nothing.
    void keep(const std::filesystem::path& path, const std::optional<FileStamp>& stamp, Kept kept) {
        auto entries = entries_.lock();
        if (stamp && stamp->settled)
            entries->insert_or_assign(path, std::pair{*stamp, std::move(kept)});
        else
            entries->erase(path);
    }

    void forgetAllBut(const std::set<std::filesystem::path>& paths) {
        auto entries = entries_.lock();
        std::erase_if(*entries, [&](const auto& entry) { return !paths.count(entry.first); });
    }

private:
    foundation::Guarded<std::map<std::filesystem::path, std::pair<FileStamp, Kept>>> entries_;
};

}  // namespace kestrelvault
