#include "platform/appkit/KeyViewLoop.hpp"

#include "platform/appkit/FieldEditor.hpp"
#include "platform/appkit/Window.hpp"

#include <algorithm>
#include <functional>
#include <vector>

namespace appkit {

std::shared_ptr<View> keyViewFollowing(const Window& window, const std::shared_ptr<View>& from,
                                       KeyViewDirection direction) {
    if (!window.contentView()) return nullptr;
    std::vector<std::shared_ptr<View>> loop;
    std::function<void(const std::shared_ptr<View>&)> collect = [&](const std::shared_ptr<View>& view) {
        if (view->isHidden() || dynamic_cast<FieldEditor*>(view.get())) return;
        if (view->canBecomeKeyView() || view == from) loop.push_back(view);
        for (const auto& child : view->subviews()) collect(child);
    };
    collect(window.contentView());
    if (loop.empty()) return nullptr;
    bool forward = direction == KeyViewDirection::forward;
    auto position = std::find(loop.begin(), loop.end(), from);
    if (position == loop.end()) return forward ? loop.front() : loop.back();
    auto index = static_cast<std::size_t>(position - loop.begin());
    return loop[forward ? (index + 1) % loop.size() : (index + loop.size() - 1) % loop.size()];
}

}  // namespace appkit
