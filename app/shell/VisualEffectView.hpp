#pragma once

#include "platform/appkit/VisualEffectView.hpp"
#include "platform/objc/Object.hpp"
#include "platform/ui/Representable.hpp"

namespace kestrelvault {

// The search panel's translucent backdrop: one popover-material effect view, blending with
// what lies behind the window, always active. Updating it changes nothing. A value; the
// host keeps the effect view per identity. Main thread only.
class VisualEffectView : public ui::NSViewRepresentable<appkit::VisualEffectView, objc::Object> {
public:
    std::shared_ptr<objc::Object> makeCoordinator() override { return nullptr; }
    std::shared_ptr<appkit::VisualEffectView> makeNSView(Context& context) override;
    void updateNSView(const std::shared_ptr<appkit::VisualEffectView>&, Context&) override {}
};

}  // namespace kestrelvault
