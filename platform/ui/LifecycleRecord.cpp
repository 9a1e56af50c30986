#include "platform/ui/LifecycleRecord.hpp"

namespace ui {

void LifecycleRecord::update(const Lifecycle& lifecycle, PendingActions& pending) {
    if (!appeared_) {
        appeared_ = true;
        if (lifecycle.onAppear) pending.push_back(lifecycle.onAppear);
        if (lifecycle.task) {
            auto token = std::make_shared<CancellationToken>();
            task_ = token;
            pending.push_back([work = lifecycle.task, token] {
                if (!token->isCancelled()) work(token);
            });
        }
    }
    if (lifecycle.onChange) {
        const auto& watch = *lifecycle.onChange;
        if (lastWatch_ && lastWatch_->type == watch.type && !watch.equal(lastWatch_->value.get(), watch.value.get()))
            pending.push_back([watch] { watch.action(watch.value.get()); });
        lastWatch_ = watch;
    }
    if (lifecycle.onDisappear) onDisappear_ = lifecycle.onDisappear;
    if (lifecycle.onReceive && lifecycle.notificationName) observe(lifecycle);
}

void LifecycleRecord::observe(const Lifecycle& lifecycle) {
    // One observation for the node's life; each evaluation only swaps the handler it calls.
    if (!receiveHandler_) receiveHandler_ = std::make_shared<std::function<void(const foundation::Notification&)>>();
    *receiveHandler_ = lifecycle.onReceive;
    if (receiveToken_) return;
    std::weak_ptr<std::function<void(const foundation::Notification&)>> weakHandler = receiveHandler_;
    receiveToken_ = foundation::NotificationCenter::defaultCenter()->addObserver(
        *lifecycle.notificationName, nullptr, nullptr, [weakHandler](const foundation::Notification& note) {
            if (auto handler = weakHandler.lock(); handler && *handler) (*handler)(note);
        });
}

void LifecycleRecord::release(PendingActions& pending) {
    if (onDisappear_) pending.push_back(std::exchange(onDisappear_, nullptr));
    if (task_) task_->cancel();
    receiveToken_.reset();
}

}  // namespace ui
