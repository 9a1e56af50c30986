#include "platform/ui/Node.hpp"

#include "platform/foundation/ProcessWide.hpp"

namespace ui {

namespace {

const std::shared_ptr<const NodeData>& emptyData() {
    static const auto data = std::make_shared<const NodeData>();
    return data;
}

std::function<void()>& openSettingsAction() {
    static std::function<void()> action;
    return action;
}

foundation::ProcessWideReset& openSettingsActionReset() {
    static foundation::ProcessWideReset reset([] { openSettingsAction() = nullptr; });
    return reset;
}

}  // namespace

Node::Node() : data_(emptyData()) {}

Node Node::make(NodeKind kind, NodePayload payload, std::vector<Node> children) {
    return Node(std::make_shared<const NodeData>(NodeData{kind, std::move(children), std::move(payload)}));
}

NodeKind Node::kind() const { return data_->kind; }
const std::vector<Node>& Node::children() const { return data_->children; }

Node Node::withPayload(NodePayload payload) const { return make(kind(), std::move(payload), children()); }

Node Node::padding(EdgeInsets insets) const { return make(NodeKind::padding, PaddingData{insets}, {*this}); }

Node Node::frame(std::optional<double> width, std::optional<double> height, Alignment alignment) const {
    return make(NodeKind::frame, FrameData{width, height, alignment}, {*this});
}

Node Node::frame(FlexibleFrame frame) const { return make(NodeKind::flexibleFrame, frame, {*this}); }

Node Node::background(Node background, Alignment alignment) const {
    return make(NodeKind::background, DecorationData{alignment}, {*this, std::move(background)});
}

Node Node::background(Color color) const { return background(Rectangle().fill(color)); }

Node Node::overlay(Node overlay, Alignment alignment) const {
    return make(NodeKind::overlay, DecorationData{alignment}, {*this, std::move(overlay)});
}

Node Node::offset(double x, double y) const { return make(NodeKind::offset, OffsetData{{x, y}}, {*this}); }

Node Node::opacity(double opacity) const { return make(NodeKind::opacity, OpacityData{opacity}, {*this}); }

Node Node::clipShape(Shape shape) const { return make(NodeKind::clip, ClipData{shape}, {*this}); }

Node Node::contentShape(Shape shape) const { return make(NodeKind::contentShape, ContentShapeData{shape}, {*this}); }

namespace {

Node environmentModifier(const Node& child, std::function<void(EnvironmentValues&)> change) {
    return Node::make(NodeKind::environment, EnvironmentData{std::move(change)}, {child});
}

}  // namespace

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

Node Node::disabled(bool disabled) const {
    return environmentModifier(*this, [disabled](EnvironmentValues& values) { values.isEnabled = values.isEnabled && !disabled; });
}

Node Node::id(std::string identifier) const {
    return make(NodeKind::identified, IdentifiedData{std::move(identifier)}, {*this});
}

Node Node::withLifecycle(Lifecycle lifecycle) const { return make(NodeKind::lifecycle, std::move(lifecycle), {*this}); }

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
    return make(NodeKind::tap, TapData{std::move(action), TapData::Kind::exclusive}, {*this});
}

Node Node::simultaneousTapGesture(std::function<void()> action) const {
    return make(NodeKind::tap, TapData{std::move(action), TapData::Kind::simultaneous}, {*this});
}

Node Node::onHover(std::function<void(bool)> action) const {
    return make(NodeKind::hover, HoverData{std::move(action)}, {*this});
}

Node Node::resizable() const {
    if (kind() != NodeKind::image) return *this;
    ImageData image = data<ImageData>();
    image.resizable = true;
    return withPayload(std::move(image));
}

Node Node::aspectRatio(ContentMode mode) const {
    if (kind() != NodeKind::image) return *this;
    ImageData image = data<ImageData>();
    image.contentMode = mode;
    return withPayload(std::move(image));
}

Node Node::fill(Color color) const {
    if (kind() != NodeKind::shape) return *this;
    ShapeData shape = data<ShapeData>();
    shape.fill = color;
    return withPayload(shape);
}

Node Node::transition(Transition transition) const { return make(NodeKind::transition, transition, {*this}); }

Node Node::keyboardShortcut(KeyboardShortcut shortcut) const {
    return make(NodeKind::keyboardShortcut, std::move(shortcut), {*this});
}

Node Node::keyboardShortcut(std::optional<KeyboardShortcut> shortcut) const {
    return keyboardShortcut(shortcut.value_or(KeyboardShortcut{KeyEquivalent{}, EventModifiers{}}));
}

Node Node::alignmentGuide(HorizontalGuide guide, std::function<double(const ViewDimensions&)> value) const {
    return make(NodeKind::alignmentGuide, AlignmentGuideData{guide, std::move(value)}, {*this});
}

Node Node::labelsHidden() const {
    return environmentModifier(*this, [](EnvironmentValues& values) { values.labelsHidden = true; });
}

Node EmptyView() { return Node(); }

Node VStack(std::vector<Node> children, HorizontalAlignment alignment, std::optional<double> spacing) {
    return Node::make(NodeKind::vstack, StackData{spacing, {alignment, VerticalAlignment::center}}, std::move(children));
}

Node HStack(std::vector<Node> children, VerticalAlignment alignment, std::optional<double> spacing) {
    return Node::make(NodeKind::hstack, StackData{spacing, {HorizontalAlignment::center, alignment}}, std::move(children));
}

Node ZStack(std::vector<Node> children, Alignment alignment) {
    return Node::make(NodeKind::zstack, ZStackData{alignment}, std::move(children));
}

Node Text(std::string text) { return Node::make(NodeKind::text, TextData{std::move(text)}); }

Node Image(std::shared_ptr<appkit::Image> image) { return Node::make(NodeKind::image, ImageData{std::move(image), false, std::nullopt}); }

Node Symbol(std::string systemName) { return Node::make(NodeKind::symbol, SymbolData{std::move(systemName)}); }

Node ShapeNode(Shape shape) { return Node::make(NodeKind::shape, ShapeData{shape, std::nullopt}); }

Node Spacer(std::optional<double> minLength) { return Node::make(NodeKind::spacer, SpacerData{minLength}); }

Node Divider() { return Node::make(NodeKind::divider, std::monostate{}); }

Node Button(Node label, std::function<void()> action) {
    return Node::make(NodeKind::button, ButtonData{std::move(action)}, {std::move(label)});
}

Node SettingsLink(Node label) { return Button(std::move(label), [] { openSettings(); }); }

void setOpenSettingsAction(std::function<void()> action) {
    openSettingsAction() = std::move(action);
    openSettingsActionReset().arm();
}

void openSettings() {
    if (auto action = openSettingsAction()) action();
}

Node Toggle(Node label, std::function<bool()> isOn, std::function<void(bool)> setOn) {
    return Node::make(NodeKind::toggle, ToggleData{std::move(isOn), std::move(setOn)}, {std::move(label)});
}

Node ScrollView(Node content, bool showsIndicators) {
    return Node::make(NodeKind::scroll, ScrollData{showsIndicators}, {std::move(content)});
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
