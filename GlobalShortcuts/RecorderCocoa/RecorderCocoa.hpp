#pragma once

#include "GlobalShortcuts/LocalEventMonitor.hpp"
#include "GlobalShortcuts/Name.hpp"
#include "GlobalShortcuts/Shortcut.hpp"
#include "platform/appkit/Application.hpp"
#include "platform/appkit/SearchField.hpp"
#include "platform/appkit/TextFieldDelegate.hpp"
#include "platform/foundation/NotificationCenter.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace GlobalShortcuts {

// The control with which the user records the shortcut of one Name: a search field that
// shows the stored shortcut, with its cancel button to clear it. Becoming first responder
// starts recording: hot-key dispatch pauses, the recorder-status notification goes out
// with true, and a local monitor judges each key press (keys that end, cancel or clear
// recording; keys that may not stand alone; shortcuts of the main menu or of the system)
// until an accepted one is stored for the Name, which makes it a live hot key at once.
// Leaving the focus (or the key window, or the window) ends recording with false.
// Main thread only; made with make() and held by a view tree. Its monitor and
// observations refer to it weakly and do nothing once it is gone.
class RecorderCocoa final : public appkit::SearchField, public appkit::TextFieldDelegate {
    struct Passkey {};

public:
    using OnChange = std::function<void(std::optional<Shortcut>)>;

    // The control's width, in points.
    static constexpr double minimumWidth = 130;

    // The only way to make one: it shows the Name's stored shortcut and calls onChange
    // after the user records (the shortcut) or clears (none) one.
    static std::shared_ptr<RecorderCocoa> make(Name name, OnChange onChange = nullptr);
    // Unavailable: both stop the process.
    [[noreturn]] static void initWithFrame(appkit::Rect frame);
    [[noreturn]] static void initWithCoder(const objc::Id& coder);

    RecorderCocoa(Passkey, Name name, OnChange onChange);

    const Name& shortcutName() const { return shortcutName_; }
    // Another Name shows that Name's shortcut.
    void setShortcutName(Name name);

    bool canBecomeKeyView() const override { return canBecomeKey_; }
    appkit::Size intrinsicContentSize() const override;
    void viewDidMoveToWindow() override;
    bool becomeFirstResponder() override;
    void controlTextDidChange(const foundation::Notification& notification) override;
    void controlTextDidEndEditing(const foundation::Notification& notification) override;

private:
    void finishConstruction();
    std::shared_ptr<RecorderCocoa> self();
    void refreshStringValue();
    void applyCancelButtonRule();
    void preventBecomingKey();
    void blur();
    void focusLost();
    void setCaretColor(const appkit::Color& color);
    void announceRecording(bool isActive);
    appkit::EventPtr handleRecordedEvent(const appkit::EventPtr& event);
    void storeShortcut(const Shortcut& shortcut);
    // Ends recording, shows the alert, then records again; the answer is the alert's.
    appkit::ModalResponse refuse(const std::string& message, const std::string& informativeText = {},
                                 const std::vector<std::string>& buttons = {});
    // A warning alert; the answer is the pressed button's response.
    appkit::ModalResponse showAlert(const std::string& message, const std::string& informativeText = {},
                                    const std::vector<std::string>& buttons = {});

    OnChange onChange_;
    bool canBecomeKey_ = false;
    std::shared_ptr<LocalEventMonitor> eventMonitor_;
    std::unique_ptr<foundation::NotificationToken> shortcutsNameChangeObserver_;
    std::unique_ptr<foundation::NotificationToken> windowDidResignKeyObserver_;
    std::unique_ptr<foundation::NotificationToken> windowDidBecomeKeyObserver_;
    Name shortcutName_;
    std::shared_ptr<appkit::ButtonCell> cancelButton_;
};

}  // namespace GlobalShortcuts
