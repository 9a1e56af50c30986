#include "platform/appkit/Window.hpp"

#include "platform/appkit/AnimationContext.hpp"
#include "platform/appkit/FieldEditor.hpp"
#include "platform/appkit/KeyViewLoop.hpp"
#include "platform/appkit/Screen.hpp"
#include "platform/appkit/WindowList.hpp"
#include "platform/foundation/Exception.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "platform/foundation/ThreadChecker.hpp"


namespace appkit {

namespace {
int nextWindowNumber = 1;
}

std::shared_ptr<Window> Window::make(Rect contentRect, std::uint64_t styleMask) {
    dispatch::checkMainThread();
    return make<Window>(contentRect, styleMask);
}

Window::Window(Rect contentRect, std::uint64_t styleMask)
    : styleMask_(styleMask), windowNumber_(nextWindowNumber++) {
    frame_ = frameRectForContentRect(contentRect);
}

void Window::didInitialize() {
    WindowList::shared().add(self());
    setContentView(std::make_shared<View>(Rect(0, 0, frame_.width(), contentRectForFrameRect(frame_).height())));
}

void Window::setStyleMask(std::uint64_t styleMask) {
    dispatch::checkMainThread();
    // The content area keeps its place; the frame grows or shrinks by the title bar.
    Rect content = contentRectForFrameRect(frame_);
    styleMask_ = styleMask;
    frame_ = frameRectForContentRect(content);
    layoutContentView();
}

Rect Window::contentRectForFrameRect(const Rect& frame) const {
    bool hasTitleBar = (styleMask_ & WindowStyleMask::titled) && !(styleMask_ & WindowStyleMask::fullSizeContentView);
    return hasTitleBar ? Rect(frame.minX(), frame.minY(), frame.width(), std::max(0.0, frame.height() - titleBarHeight))
                       : frame;
}

Rect Window::frameRectForContentRect(const Rect& contentRect) const {
    bool hasTitleBar = (styleMask_ & WindowStyleMask::titled) && !(styleMask_ & WindowStyleMask::fullSizeContentView);
    return hasTitleBar ? Rect(contentRect.minX(), contentRect.minY(), contentRect.width(),
                              contentRect.height() + titleBarHeight)
                       : contentRect;
}

void Window::setFrame(const Rect& frame, bool, bool animate) {
    dispatch::checkMainThread();
    if (animate) {
        std::weak_ptr<Window> weakSelf = self();
        Rect start = frame_;
        AnimationContext::animate([weakSelf, start, frame](double progress) {
            auto window = weakSelf.lock();
            if (!window) return;
            auto mix = [progress](double from, double to) { return from + (to - from) * progress; };
            window->frame_ = Rect(mix(start.minX(), frame.minX()), mix(start.minY(), frame.minY()),
                                  mix(start.width(), frame.width()), mix(start.height(), frame.height()));
            window->layoutContentView();
        });
        return;
    }
    frame_ = frame;
    layoutContentView();
}

void Window::setContentSize(Size size) {
    dispatch::checkMainThread();
    Rect content = contentRectForFrameRect(frame_);
    // The top edge stays where it is, as on the platform.
    Rect resized(content.minX(), content.maxY() - size.height, size.width, size.height);
    setFrame(frameRectForContentRect(resized), true);
}

void Window::layoutContentView() {
    if (contentView_) contentView_->setFrame(Rect(Point{}, contentRectForFrameRect(frame_).size));
}

void Window::center() {
    dispatch::checkMainThread();
    auto target = screen();
    if (!target) return;
    Rect visible = target->visibleFrame();
    frame_.origin = {visible.midX() - frame_.width() / 2, visible.midY() - frame_.height() / 2};
}

std::shared_ptr<Screen> Window::screen() const {
    Point centre{frame_.midX(), frame_.midY()};
    for (const auto& candidate : Screen::screens())
        if (candidate->frame().contains(centre)) return candidate;
    return Screen::mainScreen();
}

void Window::setContentView(std::shared_ptr<View> view) {
    dispatch::checkMainThread();
    if (contentView_) {
        contentView_->setNextResponder(nullptr);
        contentView_->attachToWindow(nullptr);
    }
    contentView_ = std::move(view);
    if (!contentView_) return;
    contentView_->setNextResponder(self());
    layoutContentView();
    contentView_->attachToWindow(self());
}

void Window::orderFront() {
    dispatch::checkMainThread();
    visible_ = true;
    WindowList::shared().add(self());
    WindowList::shared().orderFront(self());
}

void Window::orderOut() {
    dispatch::checkMainThread();
    if (!visible_) return;
    auto keepAlive = self();
    visible_ = false;
    WindowList::shared().orderOut(keepAlive);
    if (isMainWindow()) {
        WindowList::shared().setMainWindow(nullptr);
        post(NSWindowDidResignMainNotification);
    }
    if (isKeyWindow()) {
        resignKeyWindow();
        WindowList::shared().passKeyStatusOn();
    }
}

void Window::makeKeyAndOrderFront() {
    dispatch::checkMainThread();
    orderFront();
    makeKeyWindow();
    if (canBecomeMainWindow()) makeMainWindow();
}

void Window::close() {
    dispatch::checkMainThread();
    auto keepAlive = self();
    post(NSWindowWillCloseNotification);
    orderOut();
}

bool Window::isKeyWindow() const { return WindowList::shared().keyWindow().get() == this; }
bool Window::isMainWindow() const { return WindowList::shared().mainWindow().get() == this; }

bool Window::canBecomeKeyWindow() const { return (styleMask_ & WindowStyleMask::titled) != 0; }
bool Window::canBecomeMainWindow() const { return visible_ && (styleMask_ & WindowStyleMask::titled) != 0; }

void Window::makeKeyWindow() {
    dispatch::checkMainThread();
    if (isKeyWindow() || !canBecomeKeyWindow()) return;
    if (auto previous = WindowList::shared().keyWindow()) previous->resignKeyWindow();
    WindowList::shared().setKeyWindow(self());
    post(NSWindowDidBecomeKeyNotification);
}

void Window::makeMainWindow() {
    dispatch::checkMainThread();
    if (isMainWindow() || !canBecomeMainWindow()) return;
    if (auto previous = WindowList::shared().mainWindow()) {
        WindowList::shared().setMainWindow(nullptr);
        previous->post(NSWindowDidResignMainNotification);
    }
    WindowList::shared().setMainWindow(self());
    post(NSWindowDidBecomeMainNotification);
}

void Window::resignKeyWindow() {
    if (!isKeyWindow()) return;
    WindowList::shared().setKeyWindow(nullptr);
    post(NSWindowDidResignKeyNotification);
}

bool Window::makeFirstResponder(const std::shared_ptr<Responder>& responder) {
    dispatch::checkMainThread();
    auto current = firstResponder();
    if (current == responder && responder) return true;
    if (current && current.get() != this && !current->resignFirstResponder()) return false;
    firstResponder_.reset();
    if (!responder || responder.get() == this) {
        firstResponder_ = self();
        return true;
    }
    if (!responder->acceptsFirstResponder() || !responder->becomeFirstResponder()) {
        firstResponder_ = self();
        return false;
    }
    // A text field hands the role on to the field editor while it becomes first responder.
    if (!firstResponder_.lock()) firstResponder_ = responder;
    if (auto view = std::dynamic_pointer_cast<View>(responder)) lastFocusedView_ = view;
    return true;
}

std::shared_ptr<FieldEditor> Window::fieldEditor(bool create) {
    if (!fieldEditor_ && create) fieldEditor_ = std::make_shared<FieldEditor>();
    return fieldEditor_;
}

void Window::sendEvent(const EventPtr& event) {
    dispatch::checkMainThread();
    switch (event->type()) {
    case EventType::keyDown:
        if (contentView_ && contentView_->performKeyEquivalent(event)) return;
        if (auto responder = firstResponder())
            responder->keyDown(event);
        else
            keyDown(event);
        return;
    case EventType::keyUp:
        if (auto responder = firstResponder()) responder->keyUp(event);
        return;
    case EventType::leftMouseDown:
    case EventType::leftMouseUp: {
        if (!contentView_ || ignoresMouseEvents_) return;
        // The window is modal to its sheet: a click brings the sheet forward and reaches no view.
        if (attachedSheet_) {
            if (event->type() == EventType::leftMouseDown) attachedSheet_->makeKeyAndOrderFront();
            return;
        }
        auto target = contentView_->hitTest(event->locationInWindow());
        if (!target) return;
        if (event->type() == EventType::leftMouseDown) {
            if (target->acceptsFirstResponder()) makeFirstResponder(target);
            target->mouseDown(event);
        } else {
            target->mouseUp(event);
        }
        return;
    }
    case EventType::scrollWheel:
        if (!contentView_ || ignoresMouseEvents_) return;
        if (auto target = contentView_->hitTest(event->locationInWindow())) target->scrollWheel(event);
        return;
    case EventType::mouseMoved:
        if (!contentView_ || ignoresMouseEvents_ || !acceptsMouseMovedEvents_) return;
        if (auto target = contentView_->hitTest(event->locationInWindow())) target->mouseMoved(event);
        return;
    case EventType::mouseExited:
        if (contentView_) contentView_->mouseExited(event);
        return;
    default:
        return;
    }
}

void Window::keyDown(const EventPtr& event) {
    auto key = event->charactersIgnoringModifiers().value_or("");
    bool plain = event->modifierFlags()
                     .intersection(ModifierFlags::command | ModifierFlags::option | ModifierFlags::control)
                     .isEmpty();
    if (plain && (key == "\t" || key == "\x19")) {
        bool backwards = key == "\x19" || event->modifierFlags().contains(ModifierFlags::shift);
        auto from = lastFocusedView_.lock();
        if (from && from->window().get() != this) from.reset();
        if (auto next = keyViewFollowing(*this, from, backwards ? KeyViewDirection::backward : KeyViewDirection::forward)) {
            makeFirstResponder(next);
            return;
        }
    }
    Responder::keyDown(event);
}

void Window::beginSheet(const std::shared_ptr<Window>& sheet, std::function<void(ModalResponse)> completion) {
    dispatch::checkMainThread();
    if (attachedSheet_) {
        foundation::AssertionHandler::handleFailure("a window shows one sheet at a time");
        return;
    }
    attachedSheet_ = sheet;
    sheetCompletion_ = std::move(completion);
    sheet->sheetParent_ = self();
    Rect parent = frame_;
    sheet->setFrame(Rect(parent.midX() - sheet->frame().width() / 2, parent.maxY() - titleBarHeight - sheet->frame().height(),
                         sheet->frame().width(), sheet->frame().height()),
                    true);
    sheet->makeKeyAndOrderFront();
}

void Window::endSheet(const std::shared_ptr<Window>& sheet, ModalResponse returnCode) {
    dispatch::checkMainThread();
    if (!sheet || sheet != attachedSheet_) return;
    auto completion = std::exchange(sheetCompletion_, nullptr);
    attachedSheet_.reset();
    sheet->sheetParent_.reset();
    sheet->orderOut();
    // A window closed while its sheet was up leaves key status where it is.
    if (visible_) makeKeyWindow();
    if (completion) completion(returnCode);
}

bool Window::performCommand(const std::string& selector) {
    dispatch::checkMainThread();
    if (selector == "performClose:") {
        close();
        return true;
    }
    return false;
}

void Window::post(const char* name) {
    foundation::NotificationCenter::defaultCenter()->post(name, shared_from_this());
}

}  // namespace appkit
