#include "platform/appkit/ModalSession.hpp"

#include "platform/appkit/Window.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/RunLoop.hpp"

#include <optional>
#include <vector>

namespace appkit {

namespace {
struct Session {
    std::shared_ptr<Window> window;
    std::optional<long> code;
};
std::vector<Session*> sessions;
}  // namespace

long runModalForWindow(const std::shared_ptr<Window>& window) {
    Session session{window, std::nullopt};
    sessions.push_back(&session);
    if (window && !window->isVisible()) window->makeKeyAndOrderFront();
    auto loop = foundation::RunLoop::main();
    while (!session.code) {
        loop->run(foundation::NSModalPanelRunLoopMode);
        // On the manual clock the loop returns when nothing is left to do; a modal loop
        // that nothing can end any more is abandoned rather than spun for ever.
        if (!session.code && foundation::Clock::isManual() && dispatch::isIdle()) session.code = NSModalResponseAbort;
    }
    sessions.pop_back();
    return *session.code;
}

void stopModalWithCode(long code) {
    if (sessions.empty()) return;
    sessions.back()->code = code;
    foundation::RunLoop::main()->stop();
}

void stopModal() { stopModalWithCode(NSModalResponseStop); }

std::shared_ptr<Window> modalWindow() { return sessions.empty() ? nullptr : sessions.back()->window; }

}  // namespace appkit
