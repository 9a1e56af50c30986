#include "platform/carbon/TextInputSources.hpp"

#include "platform/carbon/StandardKeyboardLayouts.hpp"
#include "platform/foundation/UserDefaults.hpp"

#include <map>
#include <mutex>

namespace carbon {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, TISInputSourceRef> sources;
    bool standardLoaded = false;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

void loadStandardSources(Registry& sources) {
    if (sources.standardLoaded) return;
    sources.standardLoaded = true;
    for (auto source : {TISInputSource{kUSKeyboardLayoutID, makeUSKeyboardLayout()},
                        TISInputSource{kGermanKeyboardLayoutID, makeGermanKeyboardLayout()}}) {
        auto identifier = source.identifier;
        sources.sources.emplace(std::move(identifier), std::make_shared<const TISInputSource>(std::move(source)));
    }
}

}  // namespace

TISInputSourceRef TextInputSources::inputSource(const std::string& identifier) {
    auto& sources = registry();
    std::lock_guard lock(sources.mutex);
    loadStandardSources(sources);
    auto found = sources.sources.find(identifier);
    return found == sources.sources.end() ? nullptr : found->second;
}

void TextInputSources::registerInputSourceForTesting(TISInputSourceRef source) {
    if (!source) return;
    auto& sources = registry();
    std::lock_guard lock(sources.mutex);
    loadStandardSources(sources);
    sources.sources[source->identifier] = std::move(source);
}

void TextInputSources::resetForTesting() {
    auto& sources = registry();
    std::lock_guard lock(sources.mutex);
    sources.sources.clear();
    sources.standardLoaded = false;
}

TISInputSourceRef TISCopyCurrentASCIICapableKeyboardLayoutInputSource() {
    auto identifier = foundation::UserDefaults::standardUserDefaults()->stringForKey(kKeyboardLayoutSetting);
    return TextInputSources::inputSource(identifier.value_or(kUSKeyboardLayoutID));
}

std::shared_ptr<const UCKeyboardLayout> TISGetInputSourceProperty(const TISInputSourceRef& source,
                                                                  UnicodeKeyLayoutDataProperty) {
    return source ? source->layoutData : nullptr;
}

}  // namespace carbon
