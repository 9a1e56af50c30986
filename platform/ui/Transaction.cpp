#include "platform/ui/Transaction.hpp"

#include "platform/foundation/ThreadChecker.hpp"

#include <vector>

namespace ui {

namespace {
std::vector<Animation> animations;
}

void withAnimation(Animation animation, const std::function<void()>& changes) {
    dispatch::checkMainThread();
    animations.push_back(animation);
    changes();
    animations.pop_back();
}

std::optional<Animation> currentAnimation() {
    if (animations.empty()) return std::nullopt;
    return animations.back();
}

}  // namespace ui
