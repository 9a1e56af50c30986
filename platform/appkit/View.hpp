#pragma once

#include "platform/appkit/Geometry.hpp"
#include "platform/appkit/Layer.hpp"
#include "platform/appkit/Responder.hpp"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace appkit {

class Window;

enum class LayoutOrientation { horizontal, vertical };

// A rectangle of a window's content. Its frame is in the superview's coordinates, its
// bounds in its own; coordinates grow up and right unless the view is flipped (then down
// from the top). A view holds its subviews strongly and its superview and window weakly;
// the superview is its next responder. Main thread only.
class View : public Responder {
public:
    explicit View(Rect frame = {});

    const Rect& frame() const { return frame_; }
    virtual void setFrame(const Rect& frame);
    void setFrameSize(Size size) { setFrame(Rect(frame_.origin, size)); }
    void setFrameOrigin(Point origin) { setFrame(Rect(origin, frame_.size)); }
    Rect bounds() const { return Rect(Point{}, frame_.size); }
    virtual bool isFlipped() const { return false; }

    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden) { hidden_ = hidden; }
    const std::string& identifier() const { return identifier_; }
    void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }

    std::shared_ptr<View> superview() const { return superview_.lock(); }
    const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
    void addSubview(const std::shared_ptr<View>& view);
    void removeFromSuperview();
    bool isDescendantOf(const View& ancestor) const;

    std::shared_ptr<Window> window() const { return window_.lock(); }
    // Called after the view (or an ancestor) entered or left a window.
    virtual void viewDidMoveToWindow() {}

    bool wantsLayer() const { return wantsLayer_; }
    void setWantsLayer(bool wantsLayer) { wantsLayer_ = wantsLayer; }
    Layer& layer() { return layer_; }
    const Layer& layer() const { return layer_; }

    // Whether Tab may move the focus here (views that accept the focus and say yes).
    virtual bool canBecomeKeyView() const { return acceptsFirstResponder() && !hidden_; }

    // Sizes the view would like; -1 means no preference on that axis.
    static constexpr double noIntrinsicMetric = -1;
    virtual Size intrinsicContentSize() const { return {noIntrinsicMetric, noIntrinsicMetric}; }
    float contentHuggingPriority(LayoutOrientation orientation) const;
    void setContentHuggingPriority(float priority, LayoutOrientation orientation);

    // Conversion between this view and another of the same window; a null view means the
    // window's content coordinates.
    Point convertPointFromView(Point point, const View* view) const;
    Point convertPointToView(Point point, const View* view) const;
    // The deepest visible view under the point, given in the superview's coordinates.
    virtual std::shared_ptr<View> hitTest(Point pointInSuperview);

    // Offers the event to the subviews, front to back.
    bool performKeyEquivalent(const EventPtr& event) override;

    // Set by the window as views enter or leave it.
    void attachToWindow(const std::shared_ptr<Window>& window);

private:
    Point convertToWindow(Point point) const;
    Point convertFromWindow(Point point) const;
    Point toSuperview(Point point) const;
    Point fromSuperview(Point point) const;

    Rect frame_;
    bool hidden_ = false;
    bool wantsLayer_ = false;
    Layer layer_;
    std::string identifier_;
    float horizontalHugging_ = 250;
    float verticalHugging_ = 250;
    std::weak_ptr<View> superview_;
    std::weak_ptr<Window> window_;
    std::vector<std::shared_ptr<View>> subviews_;
};

using ViewPtr = std::shared_ptr<View>;

}  // namespace appkit
