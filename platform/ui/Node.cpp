#include "platform/ui/Node.hpp"

namespace ui {

namespace {

const std::shared_ptr<const NodeData>& emptyData() {
    static const auto data = std::make_shared<const NodeData>();
    return data;
}

Node make(NodeData data) { return Node(std::make_shared<const NodeData>(std::move(data))); }

NodeData wrapperData(NodeKind kind, const Node& child) {
    NodeData data;
    data.kind = kind;
    data.children = {child};
    return data;
}

Node environmentModifier(const Node& child, std::function<void(EnvironmentValues&)> change) {
    auto data = wrapperData(NodeKind::environment, child);
    data.environment = std::move(change);
    return make(std::move(data));
}

std::function<void()>& openSettingsAction() {
    static std::function<void()> action;
    return action;
}

}  // namespace

Node::Node() : data_(emptyData()) {}

NodeKind Node::kind() const { return data_->kind; }
const std::vector<Node>& Node::children() const { return data_->children; }

Node Node::padding(EdgeInsets insets) const {
    auto data = wrapperData(NodeKind::padding, *this);
    data.insets = insets;
    return make(std::move(data));
}

Node Node::frame(std::optional<double> width, std::optional<double> height, Alignment alignment) const {
    auto data = wrapperData(NodeKind::frame, *this);
    data.width = width;
    data.height = height;
    data.alignment = alignment;
    return make(std::move(data));
}

Node Node::frame(FlexibleFrame frame) const {
    auto data = wrapperData(NodeKind::flexibleFrame, *this);
    data.flexibleFrame = frame;
    data.alignment = frame.alignment;
    return make(std::move(data));
}

Node Node::background(Node background, Alignment alignment) const {
    auto data = wrapperData(NodeKind::background, *this);
    data.children.push_back(std::move(background));
    data.alignment = alignment;
    return make(std::move(data));
}

Node Node::background(Color color) const { return background(Rectangle().fill(color)); }

Node Node::overlay(Node overlay, Alignment alignment) const {
    auto data = wrapperData(NodeKind::overlay, *this);
    data.children.push_back(std::move(overlay));
    data.alignment = alignment;
    return make(std::move(data));
}

Node Node::offset(double x, double y) const {
    auto data = wrapperData(NodeKind::offset, *this);
    data.offset = {x, y};
    return make(std::move(data));
}

Node Node::opacity(double opacity) const {
    auto data = wrapperData(NodeKind::opacity, *this);
    data.opacity = opacity;
    return make(std::move(data));
}

Node Node::clipShape(Shape shape) const {
    auto data = wrapperData(NodeKind::clip, *this);
    data.shape = shape;
    return make(std::move(data));
}

Node Node::contentShape(Shape shape) const {
    auto data = wrapperData(NodeKind::contentShape, *this);
    data.shape = shape;
    return make(std::move(data));
}

Node Node::font(Font font) const {
    return environmentModifier(*this, [font](EnvironmentValues& values) { values.font = font; });
}

Node Node::foregroundColor(Color color) const {
    return environmentModifier(*this, [color](EnvironmentValues& values) { values.foregroundColor = color; });
}

Node Node::lineLimit(std::optional<int> lines) const {
    return environmentModifier(*this, [lines](EnvironmentValues& values) { values.lineLimit = lines; });
}

Node Node::multilineTextAlignment(TextAlignment alignment) const {
    return environmentModifier(*this,
                               [alignment](EnvironmentValues& values) { values.multilineTextAlignment = alignment; });
}

Node Node::tracking(double points) const {
    return environmentModifier(*this, [points](EnvironmentValues& values) { values.tracking = points; });
}

Node Node::colorScheme(ColorScheme scheme) const {
    return environmentModifier(*this, [scheme](EnvironmentValues& values) { values.colorScheme = scheme; });
}

Node Node::controlSize(ControlSize size) const {
    return environmentModifier(*this, [size](EnvironmentValues& values) { values.controlSize = size; });
}

Node Node::buttonStyle(ButtonStyle style) const {
    return environmentModifier(*this, [style](EnvironmentValues& values) { values.buttonStyle = style; });
}

Node Node::id(std::string identifier) const {
    auto data = wrapperData(NodeKind::identified, *this);
    data.text = std::move(identifier);
    return make(std::move(data));
}

Node Node::withLifecycle(Lifecycle lifecycle) const {
    auto data = wrapperData(NodeKind::lifecycle, *this);
    data.lifecycle = std::move(lifecycle);
    return make(std::move(data));
}

Node Node::onAppear(std::function<void()> action) const {
    Lifecycle lifecycle;
    lifecycle.onAppear = std::move(action);
    return withLifecycle(std::move(lifecycle));
}

Node Node::onDisappear(std::function<void()> action) const {
    Lifecycle lifecycle;
    lifecycle.onDisappear = std::move(action);
    return withLifecycle(std::move(lifecycle));
}

Node Node::onReceive(std::string notificationName, std::function<void(const foundation::Notification&)> action) const {
    Lifecycle lifecycle;
    lifecycle.notificationName = std::move(notificationName);
    lifecycle.onReceive = std::move(action);
    return withLifecycle(std::move(lifecycle));
}

Node Node::task(std::function<void(std::shared_ptr<CancellationToken>)> work) const {
    Lifecycle lifecycle;
    lifecycle.task = std::move(work);
    return withLifecycle(std::move(lifecycle));
}

Node Node::onTapGesture(std::function<void()> action) const {
    auto data = wrapperData(NodeKind::tap, *this);
    data.action = std::move(action);
    return make(std::move(data));
}

Node Node::simultaneousTapGesture(std::function<void()> action) const {
    auto data = wrapperData(NodeKind::tap, *this);
    data.action = std::move(action);
    data.simultaneous = true;
    return make(std::move(data));
}

Node Node::resizable() const {
    if (kind() != NodeKind::image) return *this;
    NodeData data = *data_;
    data.resizable = true;
    return make(std::move(data));
}

Node Node::aspectRatio(ContentMode mode) const {
    if (kind() != NodeKind::image) return *this;
    NodeData data = *data_;
    data.contentMode = mode;
    return make(std::move(data));
}

Node Node::fill(Color color) const {
    if (kind() != NodeKind::shape) return *this;
    NodeData data = *data_;
    data.fill = color;
    return make(std::move(data));
}

Node EmptyView() { return Node(); }

Node VStack(std::vector<Node> children, HorizontalAlignment alignment, std::optional<double> spacing) {
    NodeData data;
    data.kind = NodeKind::vstack;
    data.children = std::move(children);
    data.alignment = {alignment, VerticalAlignment::center};
    data.spacing = spacing;
    return make(std::move(data));
}

Node HStack(std::vector<Node> children, VerticalAlignment alignment, std::optional<double> spacing) {
    NodeData data;
    data.kind = NodeKind::hstack;
    data.children = std::move(children);
    data.alignment = {HorizontalAlignment::center, alignment};
    data.spacing = spacing;
    return make(std::move(data));
}

Node ZStack(std::vector<Node> children, Alignment alignment) {
    NodeData data;
    data.kind = NodeKind::zstack;
    data.children = std::move(children);
    data.alignment = alignment;
    return make(std::move(data));
}

Node Text(std::string text) {
    NodeData data;
    data.kind = NodeKind::text;
    data.text = std::move(text);
    return make(std::move(data));
}

Node Image(std::shared_ptr<appkit::Image> image) {
    NodeData data;
    data.kind = NodeKind::image;
    data.image = std::move(image);
    return make(std::move(data));
}

Node Symbol(std::string systemName) {
    NodeData data;
    data.kind = NodeKind::symbol;
    data.text = std::move(systemName);
    return make(std::move(data));
}

Node ShapeNode(Shape shape) {
    NodeData data;
    data.kind = NodeKind::shape;
    data.shape = shape;
    return make(std::move(data));
}

Node Spacer(std::optional<double> minLength) {
    NodeData data;
    data.kind = NodeKind::spacer;
    data.minLength = minLength;
    return make(std::move(data));
}

Node Divider() {
    NodeData data;
    data.kind = NodeKind::divider;
    return make(std::move(data));
}

Node Button(Node label, std::function<void()> action) {
    NodeData data;
    data.kind = NodeKind::button;
    data.children = {std::move(label)};
    data.action = std::move(action);
    return make(std::move(data));
}

Node SettingsLink(Node label) {
    return Button(std::move(label), [] {
        if (auto action = openSettingsAction()) action();
    });
}

void setOpenSettingsAction(std::function<void()> action) { openSettingsAction() = std::move(action); }

}  // namespace ui

namespace ui {

Node Node::keyboardShortcut(KeyboardShortcut shortcut) const {
    NodeData data;
    data.kind = NodeKind::keyboardShortcut;
    data.children = {*this};
    data.shortcut = std::move(shortcut);
    return Node(std::make_shared<const NodeData>(std::move(data)));
}

Node Node::alignmentGuide(HorizontalGuide guide, std::function<double(const ViewDimensions&)> value) const {
    auto data = wrapperData(NodeKind::alignmentGuide, *this);
    data.guide = guide;
    data.guideValue = std::move(value);
    return make(std::move(data));
}

Node Node::labelsHidden() const {
    return environmentModifier(*this, [](EnvironmentValues& values) { values.labelsHidden = true; });
}

Node Node::keyboardShortcut(std::optional<KeyboardShortcut> shortcut) const {
    return keyboardShortcut(shortcut.value_or(KeyboardShortcut{KeyEquivalent{}, EventModifiers{}}));
}

Node Toggle(Node label, std::function<bool()> isOn, std::function<void(bool)> setOn) {
    NodeData data;
    data.kind = NodeKind::toggle;
    data.children = {std::move(label)};
    data.isOn = std::move(isOn);
    data.setOn = std::move(setOn);
    return Node(std::make_shared<const NodeData>(std::move(data)));
}

Node ScrollView(Node content, bool showsIndicators) {
    NodeData data;
    data.kind = NodeKind::scroll;
    data.children = {std::move(content)};
    data.showsIndicators = showsIndicators;
    return Node(std::make_shared<const NodeData>(std::move(data)));
}

Node Section(Node header, std::vector<Node> rows) {
    std::vector<Node> padded;
    for (std::size_t index = 0; index < rows.size(); ++index) {
        if (index > 0) padded.push_back(Divider().opacity(0.5));
        padded.push_back(rows[index].paddingVertical(6).paddingHorizontal(10).frame(
            FlexibleFrame{.maxWidth = appkit::infinity, .alignment = Alignment::leading()}));
    }
    return VStack({header.font(Font::systemFontOfSize(13, Font::Weight::semibold))
                       .foregroundColor(Color::secondaryLabelColor())
                       .padding(EdgeInsets{0, 8, 0, 0}),
                   VStack(std::move(padded), HorizontalAlignment::leading, 0.0)
                       .background(RoundedRectangle(8).fill(Color::separatorColor().opacity(0.5)))},
                  HorizontalAlignment::leading, 6.0);
}

Node Form(std::vector<Node> sections) {
    // A grouped form scrolls when its sections are taller than the room it is given.
    return ScrollView(VStack(std::move(sections), HorizontalAlignment::leading, 16.0).padding(20));
}

Node LabeledContent(Node label, Node content) {
    return HStack({std::move(label), Spacer(), std::move(content)}, VerticalAlignment::center);
}

}  // namespace ui

namespace ui {

Node Node::transition(Transition transition) const {
    NodeData data;
    data.kind = NodeKind::transition;
    data.children = {*this};
    data.transition = transition;
    return Node(std::make_shared<const NodeData>(std::move(data)));
}

}  // namespace ui
