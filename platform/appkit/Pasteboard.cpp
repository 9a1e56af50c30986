#include "platform/appkit/Pasteboard.hpp"

#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/ThreadChecker.hpp"

namespace appkit {

namespace {
foundation::ProcessWide<Pasteboard>& generalInstance() {
    static foundation::ProcessWide<Pasteboard> instance;
    return instance;
}
}  // namespace

std::shared_ptr<Pasteboard> Pasteboard::generalPasteboard() { return generalInstance().get(); }

void Pasteboard::resetForTesting() { generalInstance().reset(); }

std::int64_t Pasteboard::clearContents() {
    dispatch::checkMainThread();
    values_.clear();
    return ++changeCount_;
}

bool Pasteboard::setString(std::string text, const std::string& type) {
    dispatch::checkMainThread();
    values_[type] = std::move(text);
    ++changeCount_;
    return true;
}

std::optional<std::string> Pasteboard::stringForType(const std::string& type) const {
    dispatch::checkMainThread();
    auto found = values_.find(type);
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

}  // namespace appkit
