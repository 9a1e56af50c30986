#pragma once

#include "platform/ui/NodePayloads.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {

struct NodeData;

// One element of a declarative view tree: a stack, a leaf (text, image, symbol, shape,
// spacer, divider, button), a modifier wrapping one node, or a node the host expands (a
// view with a body, a hosted AppKit view, an asynchronously loaded image). Nodes are
// immutable values that share their data; modifiers return new nodes. Built and read on
// the main thread.
class Node {
public:
    Node();
    // A node of the kind with its payload (the kind's own payload type) and children.
    static Node make(NodeKind kind, NodePayload payload, std::vector<Node> children = {});

    NodeKind kind() const;
    const std::vector<Node>& children() const;
    // The payload of the node's kind; asking a node for another kind's payload is a
    // programming error (std::bad_variant_access).
    template <class Payload>
    const Payload& data() const;

    // Modifiers.
    Node padding(double all = 16) const { return padding(EdgeInsets{all, all, all, all}); }
    Node padding(EdgeInsets insets) const;
    Node paddingHorizontal(double length) const { return padding(EdgeInsets{0, length, 0, length}); }
    Node paddingVertical(double length) const { return padding(EdgeInsets{length, 0, length, 0}); }
    Node frame(std::optional<double> width, std::optional<double> height, Alignment alignment = Alignment::center()) const;
    Node frame(FlexibleFrame frame) const;
    Node background(Node background, Alignment alignment = Alignment::center()) const;
    Node background(Color color) const;
    Node overlay(Node overlay, Alignment alignment = Alignment::center()) const;
    Node offset(double x, double y) const;
    Node opacity(double opacity) const;
    Node clipShape(Shape shape) const;
    Node contentShape(Shape shape = {}) const;
    Node font(Font font) const;
    Node foregroundColor(Color color) const;
    Node lineLimit(std::optional<int> lines) const;
    Node multilineTextAlignment(TextAlignment alignment) const;
    // Letter spacing of the text below.
    Node tracking(double points) const;
    Node colorScheme(ColorScheme scheme) const;
    Node controlSize(ControlSize size) const;
    Node buttonStyle(ButtonStyle style) const;
    // With true, the buttons and toggles below are greyed and take no clicks or keys (a
    // node below a disabled one stays disabled whatever it says).
    Node disabled(bool disabled) const;
    Node id(std::string identifier) const;
    Node onAppear(std::function<void()> action) const;
    Node onDisappear(std::function<void()> action) const;
    // Runs the action with the new value when it differs from the previous evaluation's;
    // never for the first value.
    template <class T>
    Node onChange(T value, std::function<void(const T&)> action) const {
        ValueWatch watch;
        watch.value = std::make_shared<const T>(std::move(value));
        watch.type = typeid(T);
        watch.equal = [](const void* left, const void* right) {
            return *static_cast<const T*>(left) == *static_cast<const T*>(right);
        };
        watch.action = [action = std::move(action)](const void* value) { action(*static_cast<const T*>(value)); };
        Lifecycle lifecycle;
        lifecycle.onChange = std::move(watch);
        return withLifecycle(std::move(lifecycle));
    }
    // Notifications of that name from the default centre while the node is shown.
    Node onReceive(std::string notificationName, std::function<void(const foundation::Notification&)> action) const;
    // Work started when the node appears; its token is cancelled when the node goes away.
    Node task(std::function<void(std::shared_ptr<CancellationToken>)> work) const;
    // A tap (a click) on the node; a simultaneous one runs beside a button's own action.
    Node onTapGesture(std::function<void()> action) const;
    Node simultaneousTapGesture(std::function<void()> action) const;
    // Runs the action with true when the pointer comes into the node's frame, with false
    // when it leaves it (or the window).
    Node onHover(std::function<void(bool)> action) const;

    // Image modifiers (on image nodes; other nodes are returned unchanged).
    Node resizable() const;
    Node aspectRatio(ContentMode mode) const;
    Node scaledToFit() const { return aspectRatio(ContentMode::fit); }
    Node scaledToFill() const { return aspectRatio(ContentMode::fill); }
    // How the node comes and goes when its presence changes in an animated change.
    Node transition(Transition transition) const;

    // The key that presses the buttons below while their window is key.
    Node keyboardShortcut(KeyboardShortcut shortcut) const;
    // None removes any shortcut the buttons below had; the tree keeps its shape either way.
    Node keyboardShortcut(std::optional<KeyboardShortcut> shortcut) const;

    // Sets the guide of this node to a value computed from its dimensions (measured from its
    // leading edge); vertical stacks line their children up by it.
    Node alignmentGuide(HorizontalGuide guide, std::function<double(const ViewDimensions&)> value) const;
    // The controls below show no labels (a toggle only its switch).
    Node labelsHidden() const;

    // Shape modifier: the fill colour of a shape node.
    Node fill(Color color) const;

    Node withLifecycle(Lifecycle lifecycle) const;

private:
    explicit Node(std::shared_ptr<const NodeData> data) : data_(std::move(data)) {}
    Node withPayload(NodePayload payload) const;

    std::shared_ptr<const NodeData> data_;
};

// What a node holds: its kind, its children and the payload of its kind.
struct NodeData {
    NodeKind kind = NodeKind::empty;
    std::vector<Node> children;
    NodePayload payload;
};

template <class Payload>
const Payload& Node::data() const {
    return std::get<Payload>(data_->payload);
}


// Building blocks.
Node EmptyView();
Node VStack(std::vector<Node> children, HorizontalAlignment alignment = HorizontalAlignment::center,
            std::optional<double> spacing = std::nullopt);
Node HStack(std::vector<Node> children, VerticalAlignment alignment = VerticalAlignment::center,
            std::optional<double> spacing = std::nullopt);
Node ZStack(std::vector<Node> children, Alignment alignment = Alignment::center());
Node Text(std::string text);
Node Image(std::shared_ptr<appkit::Image> image);
// A system symbol ("globe", "lock.fill"), sized by the font.
Node Symbol(std::string systemName);
Node ShapeNode(Shape shape);
inline Node Rectangle() { return ShapeNode({ShapeKind::rectangle}); }
inline Node RoundedRectangle(double cornerRadius) { return ShapeNode({ShapeKind::roundedRectangle, cornerRadius}); }
inline Node Circle() { return ShapeNode({ShapeKind::circle}); }
inline Node Capsule() { return ShapeNode({ShapeKind::capsule}); }
Node Spacer(std::optional<double> minLength = std::nullopt);
Node Divider();
Node Button(Node label, std::function<void()> action);
// A switch bound to a Boolean, its label on the leading side and the switch trailing.
Node Toggle(Node label, std::function<bool()> isOn, std::function<void(bool)> setOn);
// A vertical scroll view: it takes the height it is offered and shows its content from its
// scroll offset (kept by the host for the node's identity), clipped to its frame.
Node ScrollView(Node content, bool showsIndicators = true);
// A grouped form: sections one below the other, each a header and rows on a rounded panel,
// in a scroll view.
Node Section(Node header, std::vector<Node> rows);
Node Form(std::vector<Node> sections);
// A label on the leading side and its content on the trailing side of one row.
Node LabeledContent(Node label, Node content);
// A button that opens the application's Settings window (see setOpenSettingsAction).
Node SettingsLink(Node label);
// The application's way of opening its Settings window; SettingsLink runs it.
void setOpenSettingsAction(std::function<void()> action);
// The environment's open-settings action: runs the way set above (nothing without one).
void openSettings();

}  // namespace ui
