#include "platform/appkit/Pasteboard.hpp"

#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/ThreadChecker.hpp"

namespace appkit {

namespace {
foundation::ProcessWide<Pasteboard>& generalInstance() {
    static foundation::ProcessWide<Pasteboard> instance;
    return instance;
}

PasteboardServer*& installedServer() {
    static PasteboardServer* server = nullptr;
    return server;
}
}  // namespace

std::shared_ptr<Pasteboard> Pasteboard::generalPasteboard() { return generalInstance().get(); }

void Pasteboard::resetForTesting() { generalInstance().reset(); }

void Pasteboard::setServer(PasteboardServer* server) { installedServer() = server; }

PasteboardServer* Pasteboard::server() { return installedServer(); }

std::int64_t Pasteboard::clearContents() {
    dispatch::checkMainThread();
    values_.clear();
    didChange();
    return changeCount_;
}

bool Pasteboard::setString(std::string text, const std::string& type) {
    dispatch::checkMainThread();
    values_[type] = std::move(text);
    didChange();
    return true;
}

std::optional<std::string> Pasteboard::stringForType(const std::string& type) const {
    dispatch::checkMainThread();
    if (auto* server = installedServer(); heldByOtherApplication_ && server) return server->stringFromOtherApplication(type);
    auto found = values_.find(type);
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

void Pasteboard::didChange() {
    heldByOtherApplication_ = false;
    ++changeCount_;
    if (auto* server = installedServer(); server && this == generalInstance().get().get()) server->generalPasteboardDidChange(*this);
}

void Pasteboard::takenByOtherApplication() {
    values_.clear();
    heldByOtherApplication_ = true;
    ++changeCount_;
}

}  // namespace appkit
