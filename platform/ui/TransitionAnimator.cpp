#include "platform/ui/TransitionAnimator.hpp"

#include "platform/appkit/AnimationContext.hpp"

#include <algorithm>

namespace ui {

void TransitionAnimator::beginPass(std::optional<Animation> animation, bool animatesArrivals) {
    animation_ = animation;
    animatesArrivals_ = animatesArrivals;
}

void TransitionAnimator::endPass() { animation_.reset(); }

void TransitionAnimator::arrive(const Identity& identity, TransitionRecord& record, ResolvedNode& resolved) {
    if (!record.seen) {
        record.seen = true;
        double start = 1;
        if (auto leaving = leaving_.find(identity); leaving != leaving_.end()) {
            // Back before it finished leaving: it returns from where it stands.
            start = *leaving->second.presence;
            leaving_.erase(leaving);
        } else if (animation_ && animatesArrivals_) {
            start = 0;
        }
        *record.presence = start;
        if (start < 1) {
            std::weak_ptr<double> weakPresence = record.presence;
            animate(start, 1, [weakPresence](double value, bool) {
                auto presence = weakPresence.lock();
                if (presence) *presence = value;
                return presence != nullptr;
            });
        }
    }
    resolved.presence = *record.presence;
    record.lastResolved = resolved;
}

void TransitionAnimator::leave(const Identity& identity, const TransitionRecord& record) {
    if (!animation_ || !record.lastResolved || identity.isRoot()) return;
    std::size_t index = static_cast<std::size_t>(-1);  // an explicit id: after its siblings
    if (const auto* position = std::get_if<Identity::Position>(identity.last())) index = position->index;
    auto presence = std::make_shared<double>(*record.presence);
    leaving_[identity] = Leaving{identity.parent(), index, *record.lastResolved, presence};
    std::weak_ptr<TransitionAnimator> weakSelf = weak_from_this();
    animate(*presence, 0, [weakSelf, identity, presence](double value, bool finished) {
        auto self = weakSelf.lock();
        if (!self) return false;
        auto leaving = self->leaving_.find(identity);
        // A node that came back, or left again since, belongs to another animation.
        if (leaving == self->leaving_.end() || leaving->second.presence != presence) return false;
        *presence = value;
        if (finished) self->leaving_.erase(leaving);
        return true;
    });
}

void TransitionAnimator::insertLeaving(const Identity& parent, ResolvedNode& resolved) const {
    for (const auto& [identity, leaving] : leaving_) {
        if (leaving.parent != parent) continue;
        ResolvedNode shown = leaving.node;
        shown.presence = *leaving.presence;
        std::size_t at = std::min(leaving.index, resolved.children.size());
        resolved.children.insert(resolved.children.begin() + static_cast<std::ptrdiff_t>(at), std::move(shown));
    }
}

void TransitionAnimator::animate(double from, double to, std::function<bool(double value, bool finished)> step) {
    Animation animation = animation_.value_or(Animation{});
    auto invalidate = invalidate_;
    appkit::AnimationContext::runAnimationGroup([&](appkit::AnimationContext& context) {
        context.duration = animation.duration;
        context.timingFunction = animation.timing;
        appkit::AnimationContext::animate([from, to, step, invalidate](double progress) {
            if (step(from + (to - from) * progress, progress >= 1)) invalidate();
        });
    });
}

}  // namespace ui
