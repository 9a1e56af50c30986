#include "platform/render/Renderer.hpp"

#include "platform/appkit/Button.hpp"
#include "platform/appkit/FieldEditor.hpp"
#include "platform/appkit/ImageView.hpp"
#include "platform/appkit/SearchField.hpp"
#include "platform/appkit/VisualEffectView.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/appkit/WindowList.hpp"
#include "platform/render/SymbolPainter.hpp"
#include "platform/ui/Host.hpp"
#include "platform/ui/HostingView.hpp"
#include "platform/ui/Layout.hpp"
#include "platform/ui/TextLayoutCache.hpp"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

namespace render {

namespace {

using appkit::Appearance;
using appkit::Color;
using appkit::Rect;

void shapePath(cairo_t* context, const ui::Shape& shape, const Rect& rect) {
    cairo_new_path(context);
    double radius = 0;
    switch (shape.kind) {
    case ui::ShapeKind::rectangle:
        cairo_rectangle(context, rect.minX(), rect.minY(), rect.width(), rect.height());
        return;
    case ui::ShapeKind::circle: {
        double r = std::min(rect.width(), rect.height()) / 2;
        cairo_arc(context, rect.midX(), rect.midY(), r, 0, 2 * M_PI);
        return;
    }
    case ui::ShapeKind::roundedRectangle:
        radius = shape.cornerRadius;
        break;
    case ui::ShapeKind::capsule:
        radius = std::min(rect.width(), rect.height()) / 2;
        break;
    }
    radius = std::min({radius, rect.width() / 2, rect.height() / 2});
    double x0 = rect.minX(), y0 = rect.minY(), x1 = rect.maxX(), y1 = rect.maxY();
    cairo_arc(context, x1 - radius, y0 + radius, radius, -M_PI / 2, 0);
    cairo_arc(context, x1 - radius, y1 - radius, radius, 0, M_PI / 2);
    cairo_arc(context, x0 + radius, y1 - radius, radius, M_PI / 2, M_PI);
    cairo_arc(context, x0 + radius, y0 + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(context);
}

void drawText(Canvas& canvas, const std::string& text, const ui::TextStyle& style, const Rect& rect, const Color& color,
              Appearance appearance) {
    auto layout = ui::TextLayoutCache::layout(text, style);
    cairo_t* context = canvas.context();
    cairo_save(context);
    canvas.setColor(color, appearance);
    cairo_move_to(context, rect.minX(), rect.minY());
    pango_cairo_show_layout(context, layout->layout());
    cairo_restore(context);
}

ui::TextAlignment textAlignment(appkit::TextAlignment alignment) {
    switch (alignment) {
    case appkit::TextAlignment::center: return ui::TextAlignment::center;
    case appkit::TextAlignment::right: return ui::TextAlignment::trailing;
    default: return ui::TextAlignment::leading;
    }
}

// The line being edited, uncut, scrolled as little as keeps the moving end of the
// selection (a caret one point wide) inside the text area; text that fits is not scrolled.
// The editor keeps the offset and where each caret position was drawn.
void drawEditedLine(Canvas& canvas, const appkit::TextField& field, appkit::FieldEditor& editor, const std::string& value,
                    const Rect& fieldRect, const Rect& textRect, Appearance appearance) {
    constexpr double caretWidth = 1;
    ui::TextStyle oneLine;
    oneLine.font = field.font();
    auto line = ui::TextLayoutCache::layout(value, oneLine);
    auto carets = line->caretOffsets();
    double width = line->size().width, visible = std::max(textRect.width(), caretWidth);
    double focus = carets[std::min(editor.selectionFocus(), carets.size() - 1)];
    // Past 0 the line (with the caret after its end) is wider than the text area.
    double overflow = width + caretWidth - visible, offset = 0;
    if (overflow > 0)
        offset = std::clamp(std::clamp(editor.horizontalScrollOffset(), focus + caretWidth - visible, focus), 0.0, overflow);
    else if (field.alignment() == appkit::TextAlignment::center)
        offset = overflow / 2;
    else if (field.alignment() == appkit::TextAlignment::right)
        offset = overflow;
    double lineX = textRect.minX() - offset, lineY = fieldRect.midY() - line->size().height / 2;
    double lineHeight = std::max(line->size().height, field.font().pointSize);
    cairo_t* context = canvas.context();
    cairo_save(context);
    cairo_rectangle(context, textRect.minX(), fieldRect.minY(), visible, fieldRect.height());
    cairo_clip(context);
    const auto& selection = editor.selectedRange();
    auto drawLine = [&](const Color& color) {
        drawText(canvas, value, oneLine, Rect(lineX, lineY, width, line->size().height), color, appearance);
    };
    if (selection.length == 0) {
        if (!value.empty()) drawLine(field.textColor());
        canvas.fillRect(Rect(lineX + focus, lineY, caretWidth, lineHeight), editor.insertionPointColor(), appearance);
    } else {
        // As the platform draws a selection: its own background (paler while the window is
        // not key) behind glyphs in the selected-text colour, and no caret.
        double from = carets[std::min(selection.location, carets.size() - 1)];
        double to = carets[std::min(selection.end(), carets.size() - 1)];
        Rect highlight(lineX + std::min(from, to), lineY, std::abs(to - from), lineHeight);
        auto window = field.window();
        canvas.fillRect(highlight, window && window->isKeyWindow() ? Color::selectedTextBackgroundColor()
                                                                   : Color::unemphasizedSelectedTextBackgroundColor(),
                        appearance);
        cairo_save(context);
        cairo_set_fill_rule(context, CAIRO_FILL_RULE_EVEN_ODD);  // everything but the highlight
        cairo_rectangle(context, textRect.minX(), fieldRect.minY(), visible, fieldRect.height());
        cairo_rectangle(context, highlight.minX(), highlight.minY(), highlight.width(), highlight.height());
        cairo_clip(context);
        drawLine(field.textColor());
        cairo_restore(context);
        cairo_rectangle(context, highlight.minX(), highlight.minY(), highlight.width(), highlight.height());
        cairo_clip(context);
        drawLine(Color::selectedTextColor());
    }
    cairo_restore(context);
    for (double& caret : carets) caret += lineX - fieldRect.minX();
    editor.setDrawnLine(std::max(offset, 0.0), std::move(carets));
}

void drawTextField(Canvas& canvas, const appkit::TextField& field, const Rect& rect, Appearance appearance) {
    cairo_t* context = canvas.context();
    auto* search = dynamic_cast<const appkit::SearchField*>(&field);
    double leftInset = 2, rightInset = 2;
    if (search) {
        if (field.drawsBackground()) {
            canvas.setColor(field.backgroundColor(), appearance);
            shapePath(context, {ui::ShapeKind::capsule}, rect);
            cairo_fill(context);
        }
        if (field.isBordered()) {
            canvas.setColor(Color::separatorColor().withAlphaComponent(3), appearance);
            cairo_set_line_width(context, 1);
            shapePath(context, {ui::ShapeKind::capsule}, rect.insetBy(0.5, 0.5));
            cairo_stroke(context);
        }
        double iconSide = std::min(rect.height() - 6, 14.0);
        auto cell = search->searchCell();
        if (cell->searchButtonCell()) {
            canvas.setColor(Color::secondaryLabelColor(), appearance);
            cairo_set_line_width(context, 1.5);
            double r = iconSide * 0.3, cx = rect.minX() + 6 + r, cy = rect.midY() - r * 0.3;
            cairo_new_path(context);
            cairo_arc(context, cx, cy, r, 0, 2 * M_PI);
            cairo_move_to(context, cx + r * 0.7, cy + r * 0.7);
            cairo_line_to(context, cx + r * 1.6, cy + r * 1.6);
            cairo_stroke(context);
            leftInset = 6 + iconSide + 4;
        }
        if (search->showsCancelButton()) {
            Rect button = appkit::SearchField::cancelButtonFrame(rect);
            double r = button.width() / 2, cx = button.midX(), cy = button.midY();
            canvas.setColor(Color::tertiaryLabelColor(), appearance);
            cairo_new_path(context);
            cairo_arc(context, cx, cy, r, 0, 2 * M_PI);
            cairo_fill(context);
            canvas.setColor(Color::whiteColor(), appearance);
            cairo_set_line_width(context, 1.5);
            cairo_move_to(context, cx - r / 2.5, cy - r / 2.5);
            cairo_line_to(context, cx + r / 2.5, cy + r / 2.5);
            cairo_move_to(context, cx + r / 2.5, cy - r / 2.5);
            cairo_line_to(context, cx - r / 2.5, cy + r / 2.5);
            cairo_stroke(context);
            rightInset = 6 + iconSide + 4;
        }
    } else {
        if (field.drawsBackground()) canvas.fillRect(rect, field.backgroundColor(), appearance);
        if (field.isBordered()) {
            canvas.setColor(Color::separatorColor().withAlphaComponent(3), appearance);
            cairo_set_line_width(context, 1);
            cairo_rectangle(context, rect.minX() + 0.5, rect.minY() + 0.5, rect.width() - 1, rect.height() - 1);
            cairo_stroke(context);
        }
    }
    // The field being edited wears the focus ring, outside its border.
    if (field.currentEditor() && field.focusRingType() != appkit::FocusRingType::none) {
        canvas.setColor(Color::controlAccentColor().withAlphaComponent(0.5), appearance);
        cairo_set_line_width(context, 3);
        Rect ring = rect.insetBy(-1.5, -1.5);
        if (search)
            shapePath(context, {ui::ShapeKind::capsule}, ring);
        else
            cairo_rectangle(context, ring.minX(), ring.minY(), ring.width(), ring.height());
        cairo_stroke(context);
    }
    std::string value = field.stringValue();
    bool placeholder = value.empty();
    auto editor = field.currentEditor();
    ui::TextStyle style;
    style.font = field.font();
    style.width = std::max(0.0, rect.width() - leftInset - rightInset);
    if (field.maximumNumberOfLines() > 0) style.lineLimit = field.maximumNumberOfLines();
    style.alignment = textAlignment(field.alignment());
    const std::string& shown = placeholder ? field.placeholderString() : value;
    auto layout = ui::TextLayoutCache::layout(shown, style);
    Rect textRect(rect.minX() + leftInset, rect.midY() - layout->size().height / 2, *style.width, layout->size().height);
    cairo_save(context);
    cairo_rectangle(context, rect.minX(), rect.minY(), rect.width(), rect.height());
    cairo_clip(context);
    // The text being edited scrolls instead; "…" is for a field at rest.
    if (!shown.empty() && !(editor && !placeholder))
        drawText(canvas, shown, style, textRect, placeholder ? Color::tertiaryLabelColor() : field.textColor(), appearance);
    if (editor) drawEditedLine(canvas, field, *editor, value, rect, textRect, appearance);
    cairo_restore(context);
}

void drawButton(Canvas& canvas, const appkit::Button& button, const Rect& rect, Appearance appearance) {
    cairo_t* context = canvas.context();
    canvas.setColor(Color::white(appearance == Appearance::dark ? 0.35 : 1.0), appearance);
    shapePath(context, {ui::ShapeKind::roundedRectangle, 5}, rect.insetBy(0.5, 0.5));
    cairo_fill_preserve(context);
    canvas.setColor(Color::separatorColor().withAlphaComponent(3), appearance);
    cairo_set_line_width(context, 1);
    cairo_stroke(context);
    ui::TextStyle style{button.font(), rect.width(), 1, ui::TextAlignment::center};
    auto layout = ui::TextLayoutCache::layout(button.title(), style);
    drawText(canvas, button.title(), style, Rect(rect.minX(), rect.midY() - layout->size().height / 2, rect.width(), layout->size().height),
             Color::labelColor(), appearance);
}

appkit::Color materialTint(const appkit::VisualEffectView& view, Appearance appearance) {
    bool dark = appearance == Appearance::dark;
    switch (view.material()) {
    case appkit::VisualEffectView::Material::hudWindow:
        return Color::rgba(0.12, 0.12, 0.12, 0.85);
    default:
        return dark ? Color::rgba(0.17, 0.17, 0.18, 0.92) : Color::rgba(0.96, 0.96, 0.96, 0.92);
    }
}

// A view's place on the canvas from its place in the view above.
Rect childRect(const appkit::View& parent, const appkit::View& child, const Rect& parentRect) {
    const Rect& frame = child.frame();
    double x = parentRect.minX() + frame.minX() + child.layer().transform.tx;
    double y = parent.isFlipped() ? parentRect.minY() + frame.minY() + child.layer().transform.ty
                                  : parentRect.minY() + parentRect.height() - frame.maxY() - child.layer().transform.ty;
    return Rect(x, y, frame.width(), frame.height());
}

void drawTreeNode(Canvas& canvas, const ui::LayoutNode& node);

// The knob of a scroll view whose content is taller than it: a capsule at the trailing
// edge, as long as the visible share of the content and as far down as the offset.
void drawScrollIndicator(Canvas& canvas, const ui::LayoutNode& node, Appearance appearance) {
    constexpr double width = 6, inset = 2, shortest = 24;
    double visible = node.frame.height(), content = node.contentSize.height;
    if (!node.data<ui::ScrollData>().showsIndicators || content <= visible || visible <= 2 * inset) return;
    double track = visible - 2 * inset;
    double length = std::clamp(track * visible / content, std::min(shortest, track), track);
    double fraction = std::clamp(node.scrollOffset / (content - visible), 0.0, 1.0);
    Rect knob(node.frame.maxX() - inset - width, node.frame.minY() + inset + (track - length) * fraction, width, length);
    Color color = appearance == Appearance::dark ? Color::whiteColor().opacity(0.4) : Color::blackColor().opacity(0.35);
    canvas.setColor(color, appearance);
    shapePath(canvas.context(), {ui::ShapeKind::capsule}, knob);
    cairo_fill(canvas.context());
}

void drawChildren(Canvas& canvas, const ui::LayoutNode& node) {
    if (node.kind() == ui::NodeKind::background && node.children.size() == 2) {
        drawTreeNode(canvas, node.children[1]);
        drawTreeNode(canvas, node.children[0]);
        return;
    }
    for (const auto& child : node.children) drawTreeNode(canvas, child);
}

// Where a subtree may draw: the frames of its nodes, with room around them for what draws
// a little past its frame (text one point, strokes and antialiasing); none when it holds a
// hosted view, whose subviews lie wherever their own frames put them.
std::optional<Rect> drawnBounds(const ui::LayoutNode& node) {
    if (node.hostedView) return std::nullopt;
    const Rect& frame = node.frame;
    if (!std::isfinite(frame.minX()) || !std::isfinite(frame.minY()) || !std::isfinite(frame.maxX()) ||
        !std::isfinite(frame.maxY()))
        return std::nullopt;
    double x0 = frame.minX(), y0 = frame.minY(), x1 = frame.maxX(), y1 = frame.maxY();
    for (const auto& child : node.children) {
        auto bounds = drawnBounds(child);
        if (!bounds) return std::nullopt;
        x0 = std::min(x0, bounds->minX()), y0 = std::min(y0, bounds->minY());
        x1 = std::max(x1, bounds->maxX()), y1 = std::max(y1, bounds->maxY());
    }
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

// Draws into a layer painted at the alpha. The layer covers only where the subtree may
// draw, in whole points with a margin, rather than the whole canvas: nothing drawn changes
// (the layer is clear outside), but filling and compositing it cost little.
void drawFaded(Canvas& canvas, const ui::LayoutNode& node, double alpha, const std::function<void()>& draw) {
    cairo_t* context = canvas.context();
    cairo_save(context);
    if (auto bounds = drawnBounds(node)) {
        constexpr double margin = 4;
        double x0 = std::floor(bounds->minX()) - margin, y0 = std::floor(bounds->minY()) - margin;
        cairo_rectangle(context, x0, y0, std::ceil(bounds->maxX()) + margin - x0, std::ceil(bounds->maxY()) + margin - y0);
        cairo_clip(context);
    }
    cairo_push_group(context);
    draw();
    cairo_pop_group_to_source(context);
    cairo_paint_with_alpha(context, alpha);
    cairo_restore(context);
}

// The children composed as one layer and painted at the alpha.
void drawChildrenWithAlpha(Canvas& canvas, const ui::LayoutNode& node, double alpha) {
    if (alpha >= 1) return drawChildren(canvas, node);
    drawFaded(canvas, node, std::clamp(alpha, 0.0, 1.0), [&] { drawChildren(canvas, node); });
}

// A disabled control: drawn as when enabled, faded.
void drawDisabled(Canvas& canvas, const ui::LayoutNode& node) {
    auto enabled = node;
    enabled.environment.isEnabled = true;
    drawFaded(canvas, node, 0.4, [&] { drawTreeNode(canvas, enabled); });
}

void drawTreeNode(Canvas& canvas, const ui::LayoutNode& node) {
    cairo_t* context = canvas.context();
    const auto& environment = node.environment;
    Appearance appearance = ui::appearanceFor(environment.colorScheme);
    Color foreground = environment.foregroundColor.value_or(Color::labelColor());
    switch (node.kind()) {
    case ui::NodeKind::text: {
        ui::TextStyle style{ui::Layout::effectiveFont(environment), node.frame.width(), environment.lineLimit,
                            environment.multilineTextAlignment, environment.tracking};
        cairo_save(context);
        // Text may not draw beyond the lines its frame holds.
        cairo_rectangle(context, node.frame.minX(), node.frame.minY(), node.frame.width() + 1, node.frame.height() + 1);
        cairo_clip(context);
        drawText(canvas, node.data<ui::TextData>().text, style, node.frame, foreground, appearance);
        cairo_restore(context);
        return;
    }
    case ui::NodeKind::image:
        if (const auto& image = node.data<ui::ImageData>().image) canvas.drawImage(image, node.frame);
        return;
    case ui::NodeKind::symbol:
        canvas.setColor(foreground, appearance);
        drawSymbol(context, node.data<ui::SymbolData>().systemName, node.frame);
        return;
    case ui::NodeKind::shape: {
        const auto& shape = node.data<ui::ShapeData>();
        canvas.setColor(shape.fill.value_or(foreground), appearance);
        shapePath(context, shape.shape, node.frame);
        cairo_fill(context);
        return;
    }
    case ui::NodeKind::divider:
        canvas.fillRect(node.frame, Color::separatorColor(), appearance);
        return;
    case ui::NodeKind::button:
        if (!environment.isEnabled) return drawDisabled(canvas, node);
        if (environment.buttonStyle == ui::ButtonStyle::borderedProminent) {
            canvas.setColor(Color::controlAccentColor(), appearance);
            shapePath(context, {ui::ShapeKind::roundedRectangle, 6}, node.frame);
            cairo_fill(context);
        } else if (environment.buttonStyle != ui::ButtonStyle::plain) {
            canvas.setColor(Color::white(appearance == Appearance::dark ? 0.35 : 1.0), appearance);
            shapePath(context, {ui::ShapeKind::roundedRectangle, 5}, node.frame);
            cairo_fill(context);
        }
        drawChildren(canvas, node);
        return;
    case ui::NodeKind::clip:
        cairo_save(context);
        shapePath(context, node.data<ui::ClipData>().shape, node.frame);
        cairo_clip(context);
        drawChildren(canvas, node);
        cairo_restore(context);
        return;
    case ui::NodeKind::scroll:
        cairo_save(context);
        cairo_rectangle(context, node.frame.minX(), node.frame.minY(), node.frame.width(), node.frame.height());
        cairo_clip(context);
        drawChildren(canvas, node);
        drawScrollIndicator(canvas, node, appearance);
        cairo_restore(context);
        return;
    case ui::NodeKind::toggle: {
        if (!environment.isEnabled) return drawDisabled(canvas, node);
        drawChildren(canvas, node);
        const auto& toggle = node.data<ui::ToggleData>();
        bool on = toggle.isOn && toggle.isOn();
        const auto size = ui::Layout::switchSize;
        Rect track(node.frame.maxX() - size.width, node.frame.midY() - size.height / 2, size.width, size.height);
        canvas.setColor(on ? Color::controlAccentColor() : Color::systemGrayColor().opacity(0.5), appearance);
        shapePath(context, {ui::ShapeKind::capsule}, track);
        cairo_fill(context);
        double knob = size.height - 4;
        Rect knobRect(on ? track.maxX() - 2 - knob : track.minX() + 2, track.minY() + 2, knob, knob);
        canvas.setColor(Color::whiteColor(), appearance);
        shapePath(context, {ui::ShapeKind::circle}, knobRect);
        cairo_fill(context);
        return;
    }
    case ui::NodeKind::transition:
        drawChildrenWithAlpha(canvas, node, node.data<ui::Transition>().opacity ? node.presence : 1);
        return;
    case ui::NodeKind::opacity:
        drawChildrenWithAlpha(canvas, node, node.data<ui::OpacityData>().opacity);
        return;
    case ui::NodeKind::representable:
        if (node.hostedView) Renderer::drawView(canvas, *node.hostedView, node.frame, appearance);
        return;
    default:
        drawChildren(canvas, node);
        return;
    }
}

}  // namespace

void Renderer::drawTree(Canvas& canvas, const ui::LayoutNode& node) { drawTreeNode(canvas, node); }

void Renderer::drawView(Canvas& canvas, const appkit::View& view, const Rect& rect, Appearance appearance) {
    if (view.isHidden() || dynamic_cast<const appkit::FieldEditor*>(&view)) return;
    cairo_t* context = canvas.context();
    bool grouped = view.layer().opacity < 1;
    if (grouped) cairo_push_group(context);
    if (view.layer().backgroundColor) canvas.fillRect(rect, *view.layer().backgroundColor, appearance);
    if (auto* effect = dynamic_cast<const appkit::VisualEffectView*>(&view)) canvas.fillRect(rect, materialTint(*effect, appearance), appearance);
    if (auto* field = dynamic_cast<const appkit::TextField*>(&view)) drawTextField(canvas, *field, rect, appearance);
    if (auto* button = dynamic_cast<const appkit::Button*>(&view)) drawButton(canvas, *button, rect, appearance);
    if (auto* imageView = dynamic_cast<const appkit::ImageView*>(&view); imageView && imageView->image())
        canvas.drawImage(imageView->image(), imageView->imageRectIn(rect));
    if (auto* hosting = dynamic_cast<const ui::HostingView*>(&view)) {
        if (const auto& layout = hosting->host()->lastLayout()) {
            cairo_save(context);
            cairo_translate(context, rect.minX(), rect.minY());
            drawTree(canvas, *layout);
            cairo_restore(context);
        }
    } else {
        for (const auto& child : view.subviews()) drawView(canvas, *child, childRect(view, *child, rect), appearance);
    }
    if (grouped) {
        cairo_pop_group_to_source(context);
        cairo_paint_with_alpha(context, view.layer().opacity);
    }
}

std::shared_ptr<appkit::Image> Renderer::snapshot(const appkit::Window& window) {
    const Rect& frame = window.frame();
    Canvas canvas(static_cast<int>(std::ceil(frame.width())), static_cast<int>(std::ceil(frame.height())));
    Appearance appearance = appkit::systemAppearance();
    cairo_t* context = canvas.context();
    cairo_push_group(context);
    Rect content = window.contentRectForFrameRect(frame);
    double titleBar = frame.height() - content.height();
    if (titleBar > 0) {
        canvas.fillRect(Rect(0, 0, frame.width(), titleBar), Color::white(appearance == Appearance::dark ? 0.22 : 0.9), appearance);
        ui::TextStyle style{appkit::Font::systemFontOfSize(13, appkit::Font::Weight::bold), frame.width(), 1,
                            ui::TextAlignment::center};
        drawText(canvas, window.title(), style, Rect(0, (titleBar - 16) / 2, frame.width(), 16), Color::labelColor(), appearance);
    }
    cairo_save(context);
    cairo_translate(context, 0, titleBar);
    drawContent(canvas, window, appearance);
    cairo_restore(context);
    cairo_pop_group_to_source(context);
    cairo_paint_with_alpha(context, std::clamp(window.alphaValue(), 0.0, 1.0));
    return canvas.image();
}

void Renderer::drawContent(Canvas& canvas, const appkit::Window& window, Appearance appearance) {
    Rect content = window.contentRectForFrameRect(window.frame());
    if (window.isOpaque() || !window.backgroundColor().isClear())
        canvas.fillRect(Rect(0, 0, content.width(), content.height()), window.backgroundColor(), appearance);
    if (const auto& view = window.contentView()) drawView(canvas, *view, Rect(0, 0, content.width(), content.height()), appearance);
}

std::shared_ptr<appkit::Image> Renderer::screenshot(const Rect& screenFrame) {
    Canvas canvas(static_cast<int>(screenFrame.width()), static_cast<int>(screenFrame.height()));
    canvas.fillRect(Rect(0, 0, screenFrame.width(), screenFrame.height()), Color::blackColor(), Appearance::light);
    const auto& ordered = appkit::WindowList::shared().orderedWindows();
    for (auto it = ordered.rbegin(); it != ordered.rend(); ++it) {
        const auto& window = *it;
        auto image = snapshot(*window);
        const Rect& frame = window->frame();
        // Screen coordinates grow up; the canvas grows down.
        canvas.drawImage(image, Rect(frame.minX() - screenFrame.minX(), screenFrame.maxY() - frame.maxY(), frame.width(),
                                      frame.height()));
    }
    return canvas.image();
}

std::shared_ptr<appkit::Image> Renderer::renderNode(const ui::Node& root, appkit::Size size, ui::EnvironmentValues environment) {
    auto host = ui::Host::make(root, environment);
    const auto& layout = host->layout(Rect(0, 0, size.width, size.height));
    Canvas canvas(static_cast<int>(std::ceil(size.width)), static_cast<int>(std::ceil(size.height)));
    drawTree(canvas, layout);
    return canvas.image();
}

}  // namespace render
