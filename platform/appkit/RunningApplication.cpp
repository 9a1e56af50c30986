#include "platform/appkit/RunningApplication.hpp"

#include "platform/appkit/Application.hpp"
#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <map>

namespace appkit {

namespace {

// The session as the window server sees it: one handle per application, and the one in front.
struct Session {
    std::shared_ptr<RunningApplication> current;
    std::map<std::string, std::shared_ptr<RunningApplication>> others;
    std::weak_ptr<RunningApplication> frontmost;
};

foundation::ProcessWide<Session>& sessionInstance() {
    static foundation::ProcessWide<Session> instance;
    return instance;
}

Session& session() { return *sessionInstance().get(); }

std::shared_ptr<RunningApplication> currentHandle() {
    auto& current = session().current;
    if (!current) {
        auto bundle = foundation::Bundle::mainBundle();
        auto identifier = bundle ? bundle->bundleIdentifier() : std::nullopt;
        current = std::make_shared<RunningApplication>(identifier.value_or(""), true);
        if (session().frontmost.expired() && session().others.empty()) session().frontmost = current;
    }
    return current;
}

ActivationServer*& installedServer() {
    static ActivationServer* server = nullptr;
    return server;
}

}  // namespace

void RunningApplication::setServer(ActivationServer* server) { installedServer() = server; }

ActivationServer* RunningApplication::server() { return installedServer(); }

std::shared_ptr<RunningApplication> RunningApplication::currentApplication() {
    dispatch::checkMainThread();
    return currentHandle();
}

std::shared_ptr<RunningApplication> RunningApplication::withBundleIdentifier(const std::string& bundleIdentifier) {
    dispatch::checkMainThread();
    auto current = currentHandle();
    if (!bundleIdentifier.empty() && bundleIdentifier == current->bundleIdentifier()) return current;
    auto& handle = session().others[bundleIdentifier];
    if (!handle) handle = std::make_shared<RunningApplication>(bundleIdentifier, false);
    return handle;
}

std::shared_ptr<RunningApplication> RunningApplication::frontmostApplication() {
    dispatch::checkMainThread();
    currentHandle();
    return session().frontmost.lock();
}

void RunningApplication::resetForTesting() { sessionInstance().reset(); }

bool RunningApplication::isActive() const { return frontmostApplication().get() == this; }

void RunningApplication::activate(ApplicationActivationOptions) {
    dispatch::checkMainThread();
    auto previous = frontmostApplication();
    if (previous.get() == this) return;
    session().frontmost = std::static_pointer_cast<RunningApplication>(shared_from_this());
    // The shared application follows its own process coming to or leaving the front.
    if (previous && previous->isCurrent_) Application::shared()->resignActive();
    if (isCurrent_)
        Application::shared()->becomeActive();
    else if (auto* server = installedServer())
        server->otherApplicationDidActivate(*this);
}

std::string RunningApplication::description() const {
    return "<RunningApplication " + (bundleIdentifier_.empty() ? std::string("(no identifier)") : bundleIdentifier_) + ">";
}

}  // namespace appkit
