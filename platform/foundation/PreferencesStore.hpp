#pragma once

#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/Expected.hpp"
#include "platform/foundation/Guarded.hpp"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace foundation {

// The files behind the user defaults: one property list per domain under
// ~/Library/Preferences ($HOME read at each access). Reads see what other processes wrote;
// writes re-read the file, apply the change and replace it atomically. One process-wide
// instance guarded by its own lock, so safe from any thread; writes of several processes are
// serialised by a lock on the preferences folder. Values handed out are copies:
// callers may change them freely.
class PreferencesStore {
public:
    static PreferencesStore& shared();

    static std::filesystem::path pathForDomain(const std::string& domain);

    // The stored values of a domain; empty when there is no file or it cannot be read or
    // parsed (a malformed file is left as it is until the next write).
    std::shared_ptr<Dictionary> persistentDomain(const std::string& domain);
    objc::Id objectForKey(const std::string& domain, const std::string& key);
    // Applies the change to the domain's current values and writes them when the change
    // reports that it changed something; answers whether it did, or why the file could not
    // be written.
    Expected<bool> update(const std::string& domain, const std::function<bool(Dictionary& values)>& change);

    // Forgets what was read, so the next access reads the files anew.
    void resetForTesting();

private:
    struct FileSignature {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = -1;
        std::int64_t modifiedNanoseconds = 0;
        bool operator==(const FileSignature&) const = default;
    };
    struct CachedDomain {
        std::filesystem::path path;
        FileSignature signature;
        bool trusted = false;
        std::shared_ptr<const Dictionary> values;
    };
    // What was read, by domain.
    struct Cache {
        std::map<std::string, CachedDomain> domains;

        std::shared_ptr<const Dictionary> currentValues(const std::string& domain);
        void remember(const std::string& domain, const std::filesystem::path& path,
                      std::shared_ptr<const Dictionary> values);
    };

    static bool signatureOf(const std::filesystem::path& path, FileSignature& signature);

    Guarded<Cache> cache_;
};

// A write of the domain that did not happen is told on the standard log; the caller goes on,
// as the platform's defaults do.
void logIfNotWritten(const Expected<bool>& written, const std::string& domain);

// A deep copy of a property-list value, so that stored and handed-out values never share
// mutable containers or data.
objc::Id copyPropertyList(const objc::Id& value);

}  // namespace foundation
