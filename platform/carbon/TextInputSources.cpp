#include "platform/carbon/TextInputSources.hpp"

#include "platform/carbon/StandardKeyboardLayouts.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/UserDefaults.hpp"

#include <map>

namespace carbon {

namespace {

using Sources = foundation::Guarded<std::map<std::string, TISInputSourceRef>>;

// The standard layouts, and those tests registered besides.
Sources& registry() {
    static foundation::ProcessWide<Sources> instance([] {
        auto sources = std::make_shared<Sources>();
        for (auto source : {TISInputSource{kUSKeyboardLayoutID, makeUSKeyboardLayout()},
                            TISInputSource{kGermanKeyboardLayoutID, makeGermanKeyboardLayout()}}) {
            auto identifier = source.identifier;
            sources->lock()->emplace(std::move(identifier), std::make_shared<const TISInputSource>(std::move(source)));
        }
        return sources;
    });
    return *instance.get();
}

}  // namespace

TISInputSourceRef TextInputSources::inputSource(const std::string& identifier) {
    auto sources = registry().lock();
    auto found = sources->find(identifier);
    return found == sources->end() ? nullptr : found->second;
}

void TextInputSources::registerInputSourceForTesting(TISInputSourceRef source) {
    if (!source) return;
    registry().lock()->insert_or_assign(source->identifier, std::move(source));
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
