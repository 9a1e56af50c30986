#pragma once

#include "platform/appkit/View.hpp"
#include "platform/ui/Node.hpp"

#include <memory>
#include <typeindex>

namespace ui {

// The type-erased face of a hosted AppKit view, as the host drives it.
class RepresentableBase {
public:
    virtual ~RepresentableBase() = default;
    virtual std::shared_ptr<void> makeCoordinatorErased() = 0;
    virtual std::shared_ptr<appkit::View> makeViewErased(const std::shared_ptr<void>& coordinator,
                                                         const EnvironmentValues& environment) = 0;
    virtual void updateViewErased(const std::shared_ptr<appkit::View>& view, const std::shared_ptr<void>& coordinator,
                                  const EnvironmentValues& environment) = 0;
};

// A declarative view that hosts an AppKit view: the host calls makeCoordinator() and
// makeNSView once per identity, then updateNSView after every evaluation; the view and
// coordinator survive re-evaluation and go away with the identity. Main thread only.
template <class ViewType, class CoordinatorType>
class NSViewRepresentable : public RepresentableBase {
public:
    struct Context {
        std::shared_ptr<CoordinatorType> coordinator;
        EnvironmentValues environment;
    };

    virtual std::shared_ptr<CoordinatorType> makeCoordinator() = 0;
    virtual std::shared_ptr<ViewType> makeNSView(Context& context) = 0;
    virtual void updateNSView(const std::shared_ptr<ViewType>& view, Context& context) = 0;

    std::shared_ptr<void> makeCoordinatorErased() final { return makeCoordinator(); }
    std::shared_ptr<appkit::View> makeViewErased(const std::shared_ptr<void>& coordinator,
                                                 const EnvironmentValues& environment) final {
        Context context{std::static_pointer_cast<CoordinatorType>(coordinator), environment};
        return makeNSView(context);
    }
    void updateViewErased(const std::shared_ptr<appkit::View>& view, const std::shared_ptr<void>& coordinator,
                          const EnvironmentValues& environment) final {
        Context context{std::static_pointer_cast<CoordinatorType>(coordinator), environment};
        updateNSView(std::static_pointer_cast<ViewType>(view), context);
    }
};

template <class RepresentableType>
Node representable(std::shared_ptr<RepresentableType> value) {
    return Node::make(NodeKind::representable, RepresentableData{std::move(value), typeid(RepresentableType)});
}

}  // namespace ui
