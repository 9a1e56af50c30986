#include "platform/ui/MountedNode.hpp"

namespace ui {

namespace {

template <class... Visitors>
struct Overloaded : Visitors... {
    using Visitors::operator()...;
};
template <class... Visitors>
Overloaded(Visitors...) -> Overloaded<Visitors...>;

}  // namespace

void MountedNode::release(PendingActions& pending) {
    std::visit(Overloaded{[](ViewRecord& view) {
                              view.subscriptions.clear();
                              if (view.view) view.view->setInvalidationHandler(nullptr);
                              view.view.reset();
                          },
                          [](HostedViewRecord& hosted) {
                              if (hosted.view) hosted.view->removeFromSuperview();
                              hosted.view.reset();
                              hosted.coordinator.reset();
                          },
                          [&](LifecycleRecord& lifecycle) { lifecycle.release(pending); },
                          [](ImageLoadRecord& image) { image.release(); },
                          [](ScrollRecord&) {},
                          [](TransitionRecord&) {}},
               record);
}

}  // namespace ui
