#include "platform/system/SMAppService.hpp"

#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/String.hpp"
#include "platform/system/AutostartEntry.hpp"

#include <algorithm>

namespace servicemanagement {

namespace {

void fail(std::shared_ptr<foundation::Error>* error, std::int64_t code, std::string description,
          std::shared_ptr<foundation::Error> underlying = nullptr) {
    if (!error) return;
    auto userInfo = foundation::Dictionary::make({{foundation::NSLocalizedDescriptionKey, foundation::String::make(std::move(description))}});
    if (underlying) userInfo->setObject(underlying, foundation::NSUnderlyingErrorKey);
    *error = foundation::Error::make(SMAppServiceErrorDomain, code, userInfo);
}

// Reverse-DNS identifiers only: anything else could name a file outside the folder.
bool isUsableAsFileName(const std::string& identifier) {
    return !identifier.empty() && identifier.front() != '.' &&
           std::all_of(identifier.begin(), identifier.end(), [](char character) {
               return (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z') ||
                      (character >= '0' && character <= '9') || character == '.' || character == '-' || character == '_';
           });
}

std::optional<std::string> infoString(const foundation::Bundle& bundle, const char* key) {
    auto value = foundation::stringValue(bundle.objectForInfoDictionaryKey(key));
    if (value && value->empty()) return std::nullopt;
    return value;
}

std::optional<std::filesystem::path> mainEntryPath() {
    auto bundle = foundation::Bundle::mainBundle();
    auto identifier = bundle ? bundle->bundleIdentifier() : std::nullopt;
    if (!identifier || !isUsableAsFileName(*identifier)) return std::nullopt;
    return foundation::FileManager::defaultManager().homeDirectoryForCurrentUser() / ".config" / "autostart" /
           (*identifier + ".desktop");
}

// The entry's file and whether it starts the application, nullopt when there is none.
std::optional<AutostartState> stateOfEntry(const std::filesystem::path& entry) {
    auto data = foundation::FileManager::defaultManager().contentsAtPath(entry);
    if (!data) return std::nullopt;
    return AutostartEntry::stateOf(data->view());
}

}  // namespace

std::shared_ptr<SMAppService> SMAppService::mainAppService() { return std::make_shared<SMAppService>(); }

std::optional<SMAppService::Service> SMAppService::mainService() {
    auto bundle = foundation::Bundle::mainBundle();
    auto entry = mainEntryPath();
    auto executableName = bundle ? infoString(*bundle, "CFBundleExecutable") : std::nullopt;
    if (!entry || !executableName) return std::nullopt;
    auto executable = bundle->bundlePath() / "Contents" / "MacOS" / *executableName;
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(executable, ignored)) return std::nullopt;
    auto name = infoString(*bundle, "CFBundleDisplayName");
    if (!name) name = infoString(*bundle, "CFBundleName");
    return Service{name.value_or(*executableName), executable, *entry};
}

bool SMAppService::registerAndReturnError(std::shared_ptr<foundation::Error>* error) {
    auto service = mainService();
    if (!service) {
        fail(error, kSMErrorJobNotFound, "The application's executable could not be found.");
        return false;
    }
    if (stateOfEntry(service->entry) == AutostartState::switchedOff) {
        // The user's choice in the desktop's settings stands until the user changes it there.
        fail(error, kSMErrorLaunchDeniedByUser, "The login item was switched off in the desktop's start-up settings.");
        return false;
    }
    const auto& files = foundation::FileManager::defaultManager();
    std::shared_ptr<foundation::Error> fileError;
    auto contents = foundation::Data::fromString(AutostartEntry{service->name, service->executable}.contents());
    if (!files.createDirectoryAtPath(service->entry.parent_path(), true, &fileError) ||
        !files.writeData(*contents, service->entry, true, &fileError)) {
        fail(error, kSMErrorInternalFailure, "The login item could not be written.", fileError);
        return false;
    }
    return true;
}

bool SMAppService::unregisterAndReturnError(std::shared_ptr<foundation::Error>* error) {
    auto entry = mainEntryPath();
    const auto& files = foundation::FileManager::defaultManager();
    if (!entry || !files.fileExistsAtPath(*entry)) {
        fail(error, kSMErrorJobNotFound, "The application is not registered as a login item.");
        return false;
    }
    std::shared_ptr<foundation::Error> fileError;
    if (!files.removeItemAtPath(*entry, &fileError)) {
        fail(error, kSMErrorInternalFailure, "The login item could not be removed.", fileError);
        return false;
    }
    return true;
}

SMAppServiceStatus SMAppService::status() const {
    auto service = mainService();
    if (!service) return SMAppServiceStatus::notFound;
    switch (stateOfEntry(service->entry).value_or(AutostartState::notAnEntry)) {
        case AutostartState::starts: return SMAppServiceStatus::enabled;
        case AutostartState::switchedOff: return SMAppServiceStatus::requiresApproval;
        case AutostartState::notAnEntry: return SMAppServiceStatus::notRegistered;
    }
    return SMAppServiceStatus::notRegistered;
}

}  // namespace servicemanagement
