#include "platform/x11/X11Window.hpp"

#include "platform/appkit/Appearance.hpp"
#include "platform/render/Renderer.hpp"

#include <cairo-xcb.h>
#include <cairo.h>
#include <xcb/shape.h>

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <typeinfo>
#include <utility>
#include <vector>

extern char* program_invocation_short_name;

namespace display {

namespace {

constexpr std::uint32_t inputMask = XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE |
                                    XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE;
constexpr std::uint32_t outputMask = XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                                     XCB_EVENT_MASK_FOCUS_CHANGE;
// Only windows that follow the pointer hear its moves: each event draws the windows again.
constexpr std::uint32_t pointerMask = XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_LEAVE_WINDOW;

// A see-through background and a bare content view: nothing that could be drawn.
bool drawsNothing(const appkit::Window& window) {
    const auto* content = window.contentView().get();
    bool bareContent = !content || (typeid(*content) == typeid(appkit::View) && content->subviews().empty());
    return !window.isOpaque() && window.backgroundColor().resolved(appkit::Appearance::light).alpha < 0.01 && bareContent;
}

}  // namespace

X11WindowKind X11Window::kindOf(const appkit::Window& window) {
    if (drawsNothing(window)) return X11WindowKind::inputOnly;
    return (window.styleMask() & appkit::WindowStyleMask::titled) ? X11WindowKind::managed : X11WindowKind::unmanaged;
}

X11Window::X11Window(X11Connection& connection, X11Visuals& visuals, const std::shared_ptr<appkit::Window>& window)
    : connection_(connection), visuals_(visuals), window_(window), kind_(kindOf(*window)) {
    create(*window);
}

X11Window::~X11Window() {
    if (surface_) cairo_surface_destroy(surface_);
    xcb_destroy_window(connection_.get(), identifier_);
    connection_.flush();
}

void X11Window::create(const appkit::Window& window) {
    identifier_ = xcb_generate_id(connection_.get());
    auto* connection = connection_.get();
    const std::uint32_t unmanaged = kind_ == X11WindowKind::managed ? 0 : 1;
    if (kind_ == X11WindowKind::inputOnly) {
        const std::uint32_t values[] = {unmanaged, inputMask};
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, identifier_, connection_.root(), 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                          XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    } else {
        visual_ = window.isOpaque() ? nullptr : visuals_.translucent();
        if (!visual_) visual_ = &visuals_.opaque();
        const std::uint32_t values[] = {0, 0, unmanaged,
                                        inputMask | outputMask | (window.acceptsMouseMovedEvents() ? pointerMask : 0),
                                        visual_->colormap};
        xcb_create_window(connection, visual_->depth, identifier_, connection_.root(), 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, visual_->type->visual_id,
                          XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK |
                              XCB_CW_COLORMAP,
                          values);
    }
    setProperties(window);
}

void X11Window::setProperties(const appkit::Window& window) {
    auto* connection = connection_.get();
    auto set = [&](xcb_atom_t property, xcb_atom_t type, std::uint8_t format, std::uint32_t count, const void* data) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, identifier_, property, type, format, count, data);
    };
    std::string instance = program_invocation_short_name;
    std::string windowClass = instance;
    if (!windowClass.empty()) windowClass[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(windowClass[0])));
    std::string classHint = instance + '\0' + windowClass + '\0';
    set(XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, static_cast<std::uint32_t>(classHint.size()), classHint.data());
    const std::uint32_t processIdentifier = static_cast<std::uint32_t>(::getpid());
    set(connection_.atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &processIdentifier);

    const bool above = window.level() >= appkit::WindowLevel::floating;
    xcb_atom_t type = connection_.atom("_NET_WM_WINDOW_TYPE_UTILITY");
    if (kind_ == X11WindowKind::managed)
        type = connection_.atom(above ? "_NET_WM_WINDOW_TYPE_DIALOG" : "_NET_WM_WINDOW_TYPE_NORMAL");
    set(connection_.atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &type);
    if (kind_ != X11WindowKind::managed) return;

    const xcb_atom_t protocols[] = {connection_.atom("WM_DELETE_WINDOW")};
    set(connection_.atom("WM_PROTOCOLS"), XCB_ATOM_ATOM, 32, 1, protocols);
    if (above) {
        const xcb_atom_t states[] = {connection_.atom("_NET_WM_STATE_ABOVE")};
        set(connection_.atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 1, states);
    }
}

void X11Window::setTitle(const std::string& title) {
    title_ = title;
    xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, identifier_, connection_.atom("_NET_WM_NAME"),
                        connection_.atom("UTF8_STRING"), 8, static_cast<std::uint32_t>(title.size()), title.data());
    xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, identifier_, XCB_ATOM_WM_NAME,
                        connection_.atom("UTF8_STRING"), 8, static_cast<std::uint32_t>(title.size()), title.data());
}

void X11Window::setOpacity(double alpha) {
    alpha_ = alpha;
    // Only a compositing manager shows it; without one the window is drawn whole.
    auto property = connection_.atom("_NET_WM_WINDOW_OPACITY");
    if (alpha >= 1) {
        xcb_delete_property(connection_.get(), identifier_, property);
        return;
    }
    const std::uint32_t opacity = static_cast<std::uint32_t>(std::lround(std::clamp(alpha, 0.0, 1.0) * 0xFFFFFFFFu));
    xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, identifier_, property, XCB_ATOM_CARDINAL, 32, 1,
                        &opacity);
}

void X11Window::place(const X11ScreenLayout& layout) {
    auto window = window_.lock();
    if (!window || !window->isVisible()) {
        if (mapRequested_) xcb_unmap_window(connection_.get(), identifier_);
        mapRequested_ = viewable_ = false;
        return;
    }
    auto rect = layout.toServer(window->contentRectForFrameRect(window->frame()));
    if (rect != placed_ || !mapRequested_) {
        if (kind_ == X11WindowKind::managed) {
            // Where the window goes and, unless it is resizable, that it keeps its size.
            std::uint32_t hints[18] = {};
            hints[0] = 1 | 2 | 4 | 8;  // user and program position and size
            hints[1] = std::uint32_t(std::int32_t(rect.x));
            hints[2] = std::uint32_t(std::int32_t(rect.y));
            hints[3] = rect.width;
            hints[4] = rect.height;
            if (!(window->styleMask() & appkit::WindowStyleMask::resizable)) {
                hints[0] |= 16 | 32;  // minimum and maximum size
                hints[5] = hints[7] = rect.width;
                hints[6] = hints[8] = rect.height;
            }
            xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, identifier_, XCB_ATOM_WM_NORMAL_HINTS,
                                XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
        }
        const std::uint32_t geometry[] = {std::uint32_t(std::int32_t(rect.x)), std::uint32_t(std::int32_t(rect.y)),
                                          rect.width, rect.height};
        xcb_configure_window(connection_.get(), identifier_,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                 XCB_CONFIG_WINDOW_HEIGHT,
                             geometry);
        placed_ = rect;
    }
    if (window->title() != title_) setTitle(window->title());
    if (window->alphaValue() != alpha_) setOpacity(window->alphaValue());
    if (!mapRequested_) {
        xcb_map_window(connection_.get(), identifier_);
        mapRequested_ = true;
        // The server shows a window nobody manages at once.
        if (kind_ != X11WindowKind::managed) viewable_ = true;
    }
}

void X11Window::draw() {
    auto window = window_.lock();
    if (kind_ != X11WindowKind::inputOnly && window && window->isVisible()) drawContent(*window);
}

void X11Window::drawContent(const appkit::Window& window) {
    const ServerRect& rect = placed_;
    auto canvas = std::move(spare_);
    if (canvas && canvas->width() == rect.width && canvas->height() == rect.height)
        canvas->clear();
    else
        canvas = std::make_unique<render::Canvas>(rect.width, rect.height);
    render::Renderer::drawContent(*canvas, window, appkit::systemAppearance());
    cairo_surface_flush(canvas->surface());
    bool unchanged = lastFrame_ && lastFrame_->width() == canvas->width() && lastFrame_->height() == canvas->height() &&
                     std::memcmp(cairo_image_surface_get_data(lastFrame_->surface()),
                                 cairo_image_surface_get_data(canvas->surface()),
                                 std::size_t(cairo_image_surface_get_stride(canvas->surface())) * canvas->height()) == 0;
    if (unchanged && !exposed_) {
        spare_ = std::move(canvas);
        return;
    }

    if (!surface_)
        surface_ = cairo_xcb_surface_create(connection_.get(), identifier_, visual_->type, rect.width, rect.height);
    else
        cairo_xcb_surface_set_size(surface_, rect.width, rect.height);
    cairo_t* context = cairo_create(surface_);
    cairo_set_operator(context, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(context, canvas->surface(), 0, 0);
    cairo_paint(context);
    cairo_destroy(context);
    cairo_surface_flush(surface_);
    if (!unchanged && !window.isOpaque() && visual_->depth != 32) cutToShape(*canvas);
    connection_.flush();
    spare_ = std::exchange(lastFrame_, std::move(canvas));
    exposed_ = false;
    ++framesDrawn_;
}

void X11Window::cutToShape(const render::Canvas& canvas) {
    // The window keeps the pixels drawn at least half opaque, as runs of rows: a row whose
    // runs equal the previous row's lengthens that row's rectangles.
    const unsigned char* pixels = cairo_image_surface_get_data(canvas.surface());
    const int stride = cairo_image_surface_get_stride(canvas.surface());
    std::vector<xcb_rectangle_t> rectangles;
    std::size_t previousRowStart = 0;
    for (int y = 0; y < canvas.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(pixels + std::size_t(y) * stride);
        std::size_t rowStart = rectangles.size();
        for (int x = 0; x < canvas.width();) {
            if ((row[x] >> 24) < 128) {
                ++x;
                continue;
            }
            int start = x;
            while (x < canvas.width() && (row[x] >> 24) >= 128) ++x;
            rectangles.push_back({std::int16_t(start), std::int16_t(y), std::uint16_t(x - start), 1});
        }
        std::size_t count = rectangles.size() - rowStart;
        bool sameRuns = y > 0 && count == rowStart - previousRowStart &&
                        std::equal(rectangles.begin() + std::ptrdiff_t(rowStart), rectangles.end(),
                                   rectangles.begin() + std::ptrdiff_t(previousRowStart),
                                   [](const xcb_rectangle_t& a, const xcb_rectangle_t& b) {
                                       return a.x == b.x && a.width == b.width;
                                   });
        if (sameRuns) {
            for (std::size_t index = 0; index < count; ++index) ++rectangles[previousRowStart + index].height;
            rectangles.resize(rowStart);
        } else {
            previousRowStart = rowStart;
        }
    }
    xcb_shape_rectangles(connection_.get(), XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED,
                         identifier_, 0, 0, static_cast<std::uint32_t>(rectangles.size()), rectangles.data());
}

}  // namespace display
