#pragma once

#include "platform/appkit/Image.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "platform/ui/AlignmentGuide.hpp"
#include "platform/ui/KeyboardShortcut.hpp"
#include "platform/ui/Transaction.hpp"
#include "platform/ui/Types.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <typeindex>
#include <variant>

namespace ui {

class Node;
class View;
class RepresentableBase;
class ScrollViewProxy;
class CancellationToken;
struct AsyncImagePhase;

enum class NodeKind {
    empty,
    vstack,
    hstack,
    zstack,
    text,
    image,
    symbol,
    shape,
    spacer,
    divider,
    button,
    // Modifiers: one child, the modified node.
    padding,
    frame,
    flexibleFrame,
    background,  // children: content, background
    overlay,     // children: content, overlay
    offset,
    opacity,
    clip,
    environment,
    identified,
    lifecycle,
    tap,
    hover,  // tells its action when the pointer comes into its frame and leaves it
    contentShape,
    scroll,            // clips its content and shows it from its scroll offset
    toggle,            // children: the label
    keyboardShortcut,  // a shortcut for the buttons below; an empty key stands for none
    alignmentGuide,    // sets a horizontal alignment guide of its child
    // Nodes the host expands.
    component,
    representable,
    asyncImage,
    scrollReader,
    transition,  // how its child comes and goes in animated changes
};

// What each kind of node carries besides its children. A kind has one payload type (the
// empty view and the divider carry none); vertical and horizontal stacks share theirs, as
// do backgrounds and overlays. Plain values, built and read on the main thread.

enum class ShapeKind { rectangle, roundedRectangle, circle, capsule };

struct Shape {
    ShapeKind kind = ShapeKind::rectangle;
    double cornerRadius = 0;
    friend bool operator==(const Shape&, const Shape&) = default;
};

// Vertical and horizontal stacks: the spacing between children (nullopt: the standard 8)
// and the alignment across the stack's axis.
struct StackData {
    std::optional<double> spacing;
    Alignment alignment;
};

struct ZStackData {
    Alignment alignment;
};

struct TextData {
    std::string text;
};

struct ImageData {
    std::shared_ptr<appkit::Image> image;
    bool resizable = false;
    std::optional<ContentMode> contentMode;
};

struct SymbolData {
    std::string systemName;
};

struct ShapeData {
    Shape shape;
    std::optional<Color> fill;  // nullopt: the foreground colour
};

struct SpacerData {
    std::optional<double> minLength;  // nullopt: the standard 8
};

struct ButtonData {
    std::function<void()> action;
};

struct PaddingData {
    EdgeInsets insets;
};

// A fixed frame: the lengths it gives (nullopt: the child's on that axis).
struct FrameData {
    std::optional<double> width;
    std::optional<double> height;
    Alignment alignment;
};

struct FlexibleFrame {
    std::optional<double> minWidth{};
    std::optional<double> idealWidth{};
    std::optional<double> maxWidth{};
    std::optional<double> minHeight{};
    std::optional<double> idealHeight{};
    std::optional<double> maxHeight{};
    Alignment alignment = Alignment::center();
};

// Backgrounds and overlays: where the decoration sits on the content.
struct DecorationData {
    Alignment alignment;
};

struct OffsetData {
    Point offset;
};

struct OpacityData {
    double opacity = 1;
};

struct ClipData {
    Shape shape;
};

struct ContentShapeData {
    Shape shape;
};

struct EnvironmentData {
    std::function<void(EnvironmentValues&)> change;
};

// An explicit identity for the node below, in place of its position.
struct IdentifiedData {
    std::string id;
};

// A watched value of onChange: compared with the previous evaluation's by the value's own ==.
struct ValueWatch {
    std::shared_ptr<const void> value;
    std::type_index type = typeid(void);
    std::function<bool(const void* left, const void* right)> equal;
    std::function<void(const void* value)> action;
};

// Lifecycle actions attached to a node; the host runs them (see Host).
struct Lifecycle {
    std::function<void()> onAppear;
    std::function<void()> onDisappear;
    std::optional<ValueWatch> onChange;
    std::optional<std::string> notificationName;
    std::function<void(const foundation::Notification&)> onReceive;
    std::function<void(std::shared_ptr<CancellationToken>)> task;
};

// A tap gesture: an exclusive one takes the tap from the gestures and buttons around it, a
// simultaneous one runs beside them.
struct TapData {
    enum class Kind { exclusive, simultaneous };
    std::function<void()> action;
    Kind kind = Kind::exclusive;
};

// What the pointer coming over a node (true) and leaving it (false) runs.
struct HoverData {
    std::function<void(bool)> action;
};

struct ScrollData {
    bool showsIndicators = true;
};

struct ToggleData {
    std::function<bool()> isOn;
    std::function<void(bool)> setOn;
};

// A view with a body; the type tells one view type from another at the same place.
struct ComponentData {
    std::shared_ptr<View> view;
    std::type_index type = typeid(void);
};

struct RepresentableData {
    std::shared_ptr<RepresentableBase> representable;
    std::type_index type = typeid(void);
};

struct AsyncImageData {
    std::optional<std::string> url;
    double scale = 1;
    std::function<Node(const AsyncImagePhase&)> content;
};

// The guide a node sets and its value, computed from the node's dimensions.
struct AlignmentGuideData {
    HorizontalGuide guide;
    std::function<double(const ViewDimensions&)> value;
};

struct ScrollReaderData {
    std::function<Node(const ScrollViewProxy&)> content;
};

using NodePayload = std::variant<std::monostate, StackData, ZStackData, TextData, ImageData, SymbolData, ShapeData,
                                 SpacerData, ButtonData, PaddingData, FrameData, FlexibleFrame, DecorationData, OffsetData,
                                 OpacityData, ClipData, ContentShapeData, EnvironmentData, IdentifiedData, Lifecycle,
                                 TapData, HoverData, ScrollData, ToggleData, KeyboardShortcut, ComponentData, RepresentableData,
                                 AsyncImageData, ScrollReaderData, Transition, AlignmentGuideData>;

}  // namespace ui
