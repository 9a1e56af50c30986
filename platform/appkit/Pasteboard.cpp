#include "platform/appkit/Pasteboard.hpp"

namespace appkit {

namespace {
std::shared_ptr<Pasteboard>& generalInstance() {
    static std::shared_ptr<Pasteboard> instance = std::make_shared<Pasteboard>();
    return instance;
}

PasteboardServer*& installedServer() {
    static PasteboardServer* server = nullptr;
    return server;
}
}  // namespace

std::shared_ptr<Pasteboard> Pasteboard::generalPasteboard() { return generalInstance(); }

void Pasteboard::resetForTesting() { generalInstance() = std::make_shared<Pasteboard>(); }

void Pasteboard::setServer(PasteboardServer* server) { installedServer() = server; }

PasteboardServer* Pasteboard::server() { return installedServer(); }

std::int64_t Pasteboard::clearContents() {
    values_.clear();
    didChange();
    return changeCount_;
}

bool Pasteboard::setString(std::string text, const std::string& type) {
    values_[type] = std::move(text);
    didChange();
    return true;
}

std::optional<std::string> Pasteboard::stringForType(const std::string& type) const {
    if (auto* server = installedServer(); heldByOtherApplication_ && server) return server->stringFromOtherApplication(type);
    auto found = values_.find(type);
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

void Pasteboard::didChange() {
    heldByOtherApplication_ = false;
    ++changeCount_;
    if (auto* server = installedServer(); server && this == generalInstance().get()) server->generalPasteboardDidChange(*this);
}

void Pasteboard::takenByOtherApplication() {
    values_.clear();
    heldByOtherApplication_ = true;
    ++changeCount_;
}

}  // namespace appkit
