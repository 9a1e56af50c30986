#pragma once

#include "platform/appkit/View.hpp"
#include "platform/ui/Host.hpp"

namespace ui {

// An AppKit view showing a declarative tree: it owns the host, lays the tree out in its
// bounds (top-left origin) whenever its frame changes or the tree updates, and holds the
// hosted AppKit views as subviews. Clicks go to the tree's buttons and gestures unless a
// hosted view takes them. Main thread only.
class HostingView : public appkit::View {
public:
    static std::shared_ptr<HostingView> make(Node root, Rect frame = {},
                                               EnvironmentValues environment = Host::defaultEnvironment());

    const std::shared_ptr<Host>& host() const { return host_; }
    bool isFlipped() const override { return true; }
    void setFrame(const Rect& frame) override;
    // The size the tree wants when nothing is proposed.
    Size fittingSize() const;
    void layoutTree();

    void mouseUp(const appkit::EventPtr& event) override;
    // The tree's hover actions follow the pointer.
    void mouseMoved(const appkit::EventPtr& event) override;
    void mouseExited(const appkit::EventPtr& event) override;
    // Scrolls the tree's scroll view under the pointer.
    void scrollWheel(const appkit::EventPtr& event) override;
    // Hosted views first, then the keyboard shortcuts of the tree's buttons.
    bool performKeyEquivalent(const appkit::EventPtr& event) override;

    explicit HostingView(Rect frame);

private:
    std::shared_ptr<Host> host_;
};

}  // namespace ui
