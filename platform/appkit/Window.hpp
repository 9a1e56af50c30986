#pragma once

#include "platform/appkit/Application.hpp"
#include "platform/appkit/Color.hpp"
#include "platform/appkit/View.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace appkit {

class FieldEditor;
class Screen;

// Platform notification names a window posts, with itself as object.
inline constexpr const char* NSWindowDidBecomeKeyNotification = "NSWindowDidBecomeKeyNotification";
inline constexpr const char* NSWindowDidResignKeyNotification = "NSWindowDidResignKeyNotification";
inline constexpr const char* NSWindowDidBecomeMainNotification = "NSWindowDidBecomeMainNotification";
inline constexpr const char* NSWindowDidResignMainNotification = "NSWindowDidResignMainNotification";
inline constexpr const char* NSWindowWillCloseNotification = "NSWindowWillCloseNotification";

// Style mask bits with the platform's values.
namespace WindowStyleMask {
inline constexpr std::uint64_t borderless = 0;
inline constexpr std::uint64_t titled = 1 << 0;
inline constexpr std::uint64_t closable = 1 << 1;
inline constexpr std::uint64_t miniaturizable = 1 << 2;
inline constexpr std::uint64_t resizable = 1 << 3;
inline constexpr std::uint64_t utilityWindow = 1 << 4;
inline constexpr std::uint64_t nonactivatingPanel = 1 << 7;
inline constexpr std::uint64_t fullSizeContentView = 1 << 15;
}  // namespace WindowStyleMask

// Collection behaviour bits with the platform's values: how the window takes part in
// spaces and full-screen; kept for the window's owner, the headless server has neither.
namespace WindowCollectionBehavior {
inline constexpr std::uint64_t canJoinAllSpaces = 1 << 0;
inline constexpr std::uint64_t fullScreenAuxiliary = 1 << 8;
}  // namespace WindowCollectionBehavior

enum class WindowTitleVisibility { visible = 0, hidden = 1 };

// Window levels with the platform's values.
namespace WindowLevel {
inline constexpr int normal = 0;
inline constexpr int floating = 3;
inline constexpr int modalPanel = 8;
inline constexpr int statusBar = 25;
inline constexpr int popUpMenu = 101;
}  // namespace WindowLevel

// A window of the application: a frame in screen coordinates (y up), one content view that
// fills its content area (the frame less a 28-point title bar when titled), a first
// responder, key and main status, and a place in the window list while visible. Key events
// go to the view tree's key equivalents first, then to the first responder. Made with
// make() (it must be shared); main thread only; kept alive by the window list while
// visible and by its owner otherwise.
class Window : public Responder {
public:
    static constexpr double titleBarHeight = 28;

    static std::shared_ptr<Window> make(Rect contentRect, std::uint64_t styleMask);
    // Windows and panels of any subclass are made through this, so that they are shared
    // before they get their content view and join the window list.
    template <class WindowType, class... Arguments>
    static std::shared_ptr<WindowType> make(Arguments&&... arguments) {
        auto window = std::make_shared<WindowType>(std::forward<Arguments>(arguments)...);
        window->didInitialize();
        return window;
    }
    Window(Rect contentRect, std::uint64_t styleMask);

    std::uint64_t styleMask() const { return styleMask_; }
    void setStyleMask(std::uint64_t styleMask);
    const Rect& frame() const { return frame_; }
    // Moves and resizes; the content view follows the content area. With animate, the
    // change runs over the current animation context's duration.
    void setFrame(const Rect& frame, bool display, bool animate = false);
    Rect contentRectForFrameRect(const Rect& frame) const;
    Rect frameRectForContentRect(const Rect& contentRect) const;
    void setContentSize(Size size);
    // Centres the window on its screen's visible frame.
    void center();
    std::shared_ptr<Screen> screen() const;

    int level() const { return level_; }
    void setLevel(int level) { level_ = level; }
    double alphaValue() const { return alphaValue_; }
    void setAlphaValue(double alpha) { alphaValue_ = alpha; }
    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }
    const std::string& identifier() const { return identifier_; }
    void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }
    const Color& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(Color color) { backgroundColor_ = color; }
    bool isOpaque() const { return opaque_; }
    void setOpaque(bool opaque) { opaque_ = opaque; }
    bool hasShadow() const { return hasShadow_; }
    void setHasShadow(bool hasShadow) { hasShadow_ = hasShadow; }
    bool ignoresMouseEvents() const { return ignoresMouseEvents_; }
    void setIgnoresMouseEvents(bool ignores) { ignoresMouseEvents_ = ignores; }
    // Whether the pointer's moves over the window reach the view under it (off by default,
    // as on the platform); set before the window is first shown.
    bool acceptsMouseMovedEvents() const { return acceptsMouseMovedEvents_; }
    void setAcceptsMouseMovedEvents(bool accepts) { acceptsMouseMovedEvents_ = accepts; }
    int windowNumber() const { return windowNumber_; }
    std::uint64_t collectionBehavior() const { return collectionBehavior_; }
    void setCollectionBehavior(std::uint64_t behavior) { collectionBehavior_ = behavior; }
    // Title-bar looks and dragging by the background, kept for the window's owner.
    WindowTitleVisibility titleVisibility() const { return titleVisibility_; }
    void setTitleVisibility(WindowTitleVisibility visibility) { titleVisibility_ = visibility; }
    bool titlebarAppearsTransparent() const { return titlebarAppearsTransparent_; }
    void setTitlebarAppearsTransparent(bool transparent) { titlebarAppearsTransparent_ = transparent; }
    bool isMovableByWindowBackground() const { return movableByWindowBackground_; }
    void setMovableByWindowBackground(bool movable) { movableByWindowBackground_ = movable; }

    const std::shared_ptr<View>& contentView() const { return contentView_; }
    void setContentView(std::shared_ptr<View> view);

    bool isVisible() const { return visible_; }
    void orderFront();
    void orderFrontRegardless() { orderFront(); }
    void orderOut();
    void makeKeyAndOrderFront();
    // Posts the will-close notification, then orders the window out.
    void close();

    bool isKeyWindow() const;
    bool isMainWindow() const;
    virtual bool canBecomeKeyWindow() const;
    virtual bool canBecomeMainWindow() const;
    void makeKeyWindow();
    void makeMainWindow();
    void resignKeyWindow();

    std::shared_ptr<Responder> firstResponder() const { return firstResponder_.lock(); }
    // Asks the current first responder to resign and the new one to accept; null makes the
    // window itself the first responder. False when either refuses.
    bool makeFirstResponder(const std::shared_ptr<Responder>& responder);
    // The window's shared field editor, made on first use (with create) for the text
    // fields of this window.
    std::shared_ptr<FieldEditor> fieldEditor(bool create);
    // For a text field taking the focus: its field editor stands in as first responder.
    void assignFieldEditorAsFirstResponder(const std::shared_ptr<Responder>& editor) { firstResponder_ = editor; }

    // Key events: the view tree's key equivalents, then the first responder; mouse events:
    // the view under the pointer.
    virtual void sendEvent(const EventPtr& event);
    // Reached when the window itself is first responder: Tab and Shift+Tab move the focus
    // along the key-view loop from the view that held it last; other keys go on.
    void keyDown(const EventPtr& event) override;

    // Sheets: one attached at a time; the completion runs once with the code given to endSheet.
    const std::shared_ptr<Window>& attachedSheet() const { return attachedSheet_; }
    std::shared_ptr<Window> sheetParent() const { return sheetParent_.lock(); }
    void beginSheet(const std::shared_ptr<Window>& sheet, std::function<void(ModalResponse)> completion);
    void endSheet(const std::shared_ptr<Window>& sheet, ModalResponse returnCode);

protected:
    bool performCommand(const std::string& selector) override;

private:
    void didInitialize();
    void layoutContentView();
    std::shared_ptr<Window> self() { return std::static_pointer_cast<Window>(shared_from_this()); }
    void post(const char* name);

    std::uint64_t styleMask_;
    Rect frame_;
    int level_ = WindowLevel::normal;
    double alphaValue_ = 1;
    std::string title_;
    std::string identifier_;
    Color backgroundColor_ = Color::windowBackgroundColor();
    bool opaque_ = true;
    bool hasShadow_ = true;
    bool ignoresMouseEvents_ = false;
    bool acceptsMouseMovedEvents_ = false;
    std::uint64_t collectionBehavior_ = 0;
    WindowTitleVisibility titleVisibility_ = WindowTitleVisibility::visible;
    bool titlebarAppearsTransparent_ = false;
    bool movableByWindowBackground_ = false;
    bool visible_ = false;
    int windowNumber_;
    std::shared_ptr<View> contentView_;
    std::weak_ptr<Responder> firstResponder_;
    std::weak_ptr<View> lastFocusedView_;
    std::shared_ptr<FieldEditor> fieldEditor_;
    std::shared_ptr<Window> attachedSheet_;
    std::weak_ptr<Window> sheetParent_;
    std::function<void(ModalResponse)> sheetCompletion_;
};

using WindowPtr = std::shared_ptr<Window>;

}  // namespace appkit
