#include "platform/foundation/Bundle.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/DirectoryBundle.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/PreferencesStore.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/UserDefaults.hpp"

#include <algorithm>
#include <cstdlib>

namespace foundation {

namespace {

struct MainBundleState {
    std::optional<std::filesystem::path> pathForTesting;
    std::shared_ptr<Bundle> bundle;
};

Guarded<MainBundleState>& mainBundleState() {
    static Guarded<MainBundleState> state;
    return state;
}

// "ja_JP.UTF-8" gives "ja"; "C" and "POSIX" name no language.
std::optional<std::string> languageOfEnvironment() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value) continue;
        std::string locale = value;
        locale = locale.substr(0, locale.find_first_of(".@"));
        if (locale == "C" || locale == "POSIX" || locale.empty()) return std::nullopt;
        return locale.substr(0, locale.find('_'));
    }
    return std::nullopt;
}

}  // namespace

std::shared_ptr<Bundle> Bundle::mainBundle() {
    auto state = mainBundleState().lock();
    if (!state->bundle) {
        std::filesystem::path path;
        if (state->pathForTesting) {
            path = *state->pathForTesting;
        } else {
            std::error_code failure;
            auto executable = std::filesystem::read_symlink("/proc/self/exe", failure);
            path = failure ? std::filesystem::current_path(failure) : mainBundlePathForExecutable(executable);
        }
        state->bundle = std::make_shared<DirectoryBundle>(path);
    }
    return state->bundle;
}

void Bundle::setMainBundlePathForTesting(std::optional<std::filesystem::path> path) {
    auto state = mainBundleState().lock();
    state->pathForTesting = std::move(path);
    state->bundle.reset();
}

std::shared_ptr<Bundle> Bundle::bundleWithPath(const std::filesystem::path& path) {
    std::error_code failure;
    if (path.empty() || !std::filesystem::is_directory(path, failure)) return nullptr;
    return std::make_shared<DirectoryBundle>(path);
}

std::filesystem::path Bundle::mainBundlePathForExecutable(const std::filesystem::path& executable) {
    auto macOS = executable.parent_path();
    auto contents = macOS.parent_path();
    auto application = contents.parent_path();
    if (macOS.filename() == "MacOS" && contents.filename() == "Contents" && application.extension() == ".app")
        return application;
    return executable.parent_path();
}

std::vector<std::string> preferredLanguages() {
    std::vector<std::string> languages;
    auto add = [&](const std::string& language) {
        if (!language.empty() && std::find(languages.begin(), languages.end(), language) == languages.end())
            languages.push_back(language);
    };
    if (auto configured = arrayValue(PreferencesStore::shared().objectForKey(NSGlobalDomain, "AppleLanguages")))
        for (const auto& item : configured->items())
            if (auto language = stringValue(item)) add(*language);
    if (auto language = languageOfEnvironment()) add(*language);
    return languages;
}

}  // namespace foundation
