#include "platform/foundation/PreferencesStore.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Data.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/NSLog.hpp"
#include "platform/foundation/PrivateFiles.hpp"
#include "platform/foundation/PropertyListSerialization.hpp"
#include "platform/foundation/UserDefaults.hpp"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace foundation {

namespace {

// A file changed within this window may change again without its size, inode or time
// telling (timestamps are coarse), so it is not served from memory.
constexpr std::int64_t settledNanoseconds = 2'000'000'000;

std::int64_t wallNanoseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// Holds the preferences folder's exclusive lock: every process takes it around its
// read-change-write, so that two writers of one domain cannot drop each other's keys. Where
// the lock cannot be had (a file system without it) the write goes ahead unguarded.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& folder)
        : descriptor_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (descriptor_ < 0) return;
        while (::flock(descriptor_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock() {
        if (descriptor_ >= 0) ::close(descriptor_);  // closing releases the lock
    }

private:
    int descriptor_;
};

}  // namespace

objc::Id copyPropertyList(const objc::Id& value) {
    if (auto dictionary = dictionaryValue(value)) {
        Dictionary::Storage entries;
        for (const auto& [key, item] : dictionary->entries()) entries.emplace(key, copyPropertyList(item));
        return Dictionary::make(std::move(entries));
    }
    if (auto array = arrayValue(value)) {
        std::vector<objc::Id> items;
        for (const auto& item : array->items()) items.push_back(copyPropertyList(item));
        return Array::make(std::move(items));
    }
    if (auto data = dataValue(value)) return Data::make(data->bytes());
    return value;  // strings, numbers and dates are immutable
}

void logIfNotWritten(const Expected<bool>& written, const std::string& domain) {
    if (!written)
        NSLog("[UserDefaults] Could not write " + PreferencesStore::pathForDomain(domain).string() + ": " +
              written.error());
}

PreferencesStore& PreferencesStore::shared() {
    static PreferencesStore store;
    return store;
}

std::filesystem::path PreferencesStore::pathForDomain(const std::string& domain) {
    auto directory = FileManager::defaultManager().homeDirectoryForCurrentUser() / "Library" / "Preferences";
    return directory / (domain == NSGlobalDomain ? std::string(".GlobalPreferences.plist") : domain + ".plist");
}

bool PreferencesStore::signatureOf(const std::filesystem::path& path, FileSignature& signature) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        signature = FileSignature{};
        return false;
    }
    signature.device = status.st_dev;
    signature.inode = status.st_ino;
    signature.size = status.st_size;
    signature.modifiedNanoseconds = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 +
                                    status.st_mtim.tv_nsec;
    return true;
}

void PreferencesStore::Cache::remember(const std::string& domain, const std::filesystem::path& path,
                                       std::shared_ptr<const Dictionary> values) {
    CachedDomain entry;
    entry.path = path;
    bool exists = signatureOf(path, entry.signature);
    entry.trusted = !exists || entry.signature.modifiedNanoseconds < wallNanoseconds() - settledNanoseconds;
    entry.values = std::move(values);
    domains[domain] = std::move(entry);
}

std::shared_ptr<const Dictionary> PreferencesStore::Cache::currentValues(const std::string& domain) {
    auto path = pathForDomain(domain);
    auto cached = domains.find(domain);
    if (cached != domains.end() && cached->second.trusted && cached->second.path == path) {
        FileSignature signature;
        signatureOf(path, signature);
        if (signature == cached->second.signature) return cached->second.values;
    }
    std::shared_ptr<const Dictionary> values;
    if (auto data = FileManager::defaultManager().contentsAtPath(path))
        values = dictionaryValue(PropertyListSerialization::propertyListWithData(*data));
    if (!values) values = Dictionary::make();
    remember(domain, path, values);
    return values;
}

std::shared_ptr<Dictionary> PreferencesStore::persistentDomain(const std::string& domain) {
    auto cache = cache_.lock();
    return dictionaryValue(copyPropertyList(std::const_pointer_cast<Dictionary>(cache->currentValues(domain))));
}

objc::Id PreferencesStore::objectForKey(const std::string& domain, const std::string& key) {
    auto cache = cache_.lock();
    return copyPropertyList(cache->currentValues(domain)->objectForKey(key));
}

Expected<bool> PreferencesStore::update(const std::string& domain,
                                        const std::function<bool(Dictionary& values)>& change) {
    auto cache = cache_.lock();
    auto path = pathForDomain(domain);
    auto& files = FileManager::defaultManager();
    createPrivateDirectory(path.parent_path());
    FolderLock otherProcesses(path.parent_path());
    files.removeAbandonedWriteTemporaries(path.parent_path());
    // Re-read first so that keys another process wrote meanwhile survive this write.
    cache->domains.erase(domain);
    auto values =
        dictionaryValue(copyPropertyList(std::const_pointer_cast<Dictionary>(cache->currentValues(domain))));
    if (!change(*values)) return false;
    std::shared_ptr<Error> error;
    auto data = PropertyListSerialization::dataWithPropertyList(values, PropertyListFormat::binary, &error);
    if (!data) return Failure{error ? error->localizedDescription() : "the values are no property list"};
    if (!files.writeData(*data, path, true, &error, NewFileAccess::ownerOnly)) {
        cache->domains.erase(domain);
        return Failure{error ? error->localizedDescription() : "the file could not be written"};
    }
    cache->remember(domain, path, values);
    return true;
}

void PreferencesStore::resetForTesting() { cache_.lock()->domains.clear(); }

}  // namespace foundation
