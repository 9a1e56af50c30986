#include "GlobalShortcuts/RecorderCocoa/RecorderCocoa.hpp"

#include "GlobalShortcuts/AlertSheetCompletion.hpp"
#include "GlobalShortcuts/CarbonGlobalShortcuts.hpp"
#include "GlobalShortcuts/FunctionKeys.hpp"
#include "GlobalShortcuts/HandlerDispatch.hpp"
#include "GlobalShortcuts/ModifierFlagsConversion.hpp"
#include "GlobalShortcuts/ResourceBundle.hpp"
#include "GlobalShortcuts/ShortcutStorage.hpp"
#include "platform/appkit/Alert.hpp"
#include "platform/appkit/FieldEditor.hpp"
#include "platform/appkit/ModalSession.hpp"
#include "platform/appkit/SystemBeep.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/display/KeyCombination.hpp"
#include "platform/foundation/Format.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/ProcessInfo.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace GlobalShortcuts {

namespace {

using appkit::ModifierFlags;

// Key down, left mouse up and right mouse up.
constexpr appkit::EventTypeMask recordedEvents = 0x414;
// The device-independent flags without caps lock and numeric pad: a key has "no
// modifiers" when none of these is set.
constexpr std::uint64_t modifiersThatCount = 0xFFDE0000;
// The same without shift and function: one of these must be set unless the key is F1…F35.
constexpr std::uint64_t modifiersThatMayStandAlone = 0xFF5C0000;
// A mouse up this close to the control still counts as inside it.
constexpr double mouseSlop = 3;

[[noreturn]] void stopProcess(const char* message) {
    std::fprintf(stderr, "Fatal error: %s\n", message);
    std::fflush(stderr);
    std::abort();
}

}  // namespace

std::shared_ptr<RecorderCocoa> RecorderCocoa::make(Name name, OnChange onChange) {
    dispatch::checkMainThread();
    auto recorder = std::make_shared<RecorderCocoa>(Passkey{}, std::move(name), std::move(onChange));
    recorder->finishConstruction();
    return recorder;
}

void RecorderCocoa::initWithFrame(appkit::Rect) {
    stopProcess("Use of unimplemented initializer 'initWithFrame:' for class 'GlobalShortcuts.RecorderCocoa'");
}

void RecorderCocoa::initWithCoder(const objc::Id&) { stopProcess("init(coder:) has not been implemented"); }

RecorderCocoa::RecorderCocoa(Passkey, Name name, OnChange onChange)
    : SearchField(appkit::Rect(0, 0, minimumWidth, 24)), onChange_(std::move(onChange)), shortcutName_(std::move(name)) {}

// The steps that need the control to be shared: it is its own delegate and observes weakly.
void RecorderCocoa::finishConstruction() {
    setDelegate(self());
    setPlaceholderString(localizedString("record_shortcut"));
    setAlignment(appkit::TextAlignment::center);
    searchCell()->setSearchButtonCell(nullptr);
    setWantsLayer(true);
    setContentHuggingPriority(750, appkit::LayoutOrientation::vertical);
    setContentHuggingPriority(750, appkit::LayoutOrientation::horizontal);
    cancelButton_ = searchCell()->cancelButtonCell();
    refreshStringValue();
    std::weak_ptr<RecorderCocoa> weakSelf = self();
    shortcutsNameChangeObserver_ = foundation::NotificationCenter::defaultCenter()->addObserver(
        shortcutByNameDidChange, nullptr, nullptr, [weakSelf](const foundation::Notification& notification) {
            auto self = weakSelf.lock();
            if (self && announcesChange(notification, self->shortcutName_)) self->refreshStringValue();
        });
}

std::shared_ptr<RecorderCocoa> RecorderCocoa::self() {
    return std::static_pointer_cast<RecorderCocoa>(shared_from_this());
}

void RecorderCocoa::setShortcutName(Name name) {
    dispatch::checkMainThread();
    bool changed = name.rawValue() != shortcutName_.rawValue();
    shortcutName_ = std::move(name);
    if (!changed) return;
    refreshStringValue();
    if (!foundation::ProcessInfo::isOperatingSystemAtLeastVersion({12, 0, 0})) {
        std::weak_ptr<RecorderCocoa> weakSelf = self();
        dispatch::mainQueue()->async([weakSelf] {
            if (auto self = weakSelf.lock()) self->blur();
        });
    }
}

appkit::Size RecorderCocoa::intrinsicContentSize() const {
    return {minimumWidth, SearchField::intrinsicContentSize().height};
}

void RecorderCocoa::refreshStringValue() {
    auto shortcut = getShortcut(shortcutName_);
    setStringValue(shortcut ? shortcut->description() : "");
    applyCancelButtonRule();
}

// An empty field never shows a clear button.
void RecorderCocoa::applyCancelButtonRule() {
    searchCell()->setCancelButtonCell(stringValue().empty() ? nullptr : cancelButton_);
}

// The window would otherwise pick the control as its key view when it becomes key, and
// recording would start without the user asking.
void RecorderCocoa::preventBecomingKey() {
    canBecomeKey_ = false;
    std::weak_ptr<RecorderCocoa> weakSelf = self();
    dispatch::mainQueue()->async([weakSelf] {
        if (auto self = weakSelf.lock()) self->canBecomeKey_ = true;
    });
}

// Ends the field's editing, and with it any recording.
void RecorderCocoa::blur() {
    if (auto window = this->window()) window->makeFirstResponder(nullptr);
}

void RecorderCocoa::viewDidMoveToWindow() {
    auto window = this->window();
    if (!window) {
        windowDidResignKeyObserver_.reset();
        windowDidBecomeKeyObserver_.reset();
        focusLost();
        return;
    }
    auto center = foundation::NotificationCenter::defaultCenter();
    std::weak_ptr<RecorderCocoa> weakSelf = self();
    std::weak_ptr<appkit::Window> weakWindow = window;
    windowDidResignKeyObserver_ = center->addObserver(
        appkit::NSWindowDidResignKeyNotification, window, nullptr, [weakSelf, weakWindow](const foundation::Notification&) {
            auto self = weakSelf.lock();
            auto window = weakWindow.lock();
            if (!self || !window) return;
            self->focusLost();
            window->makeFirstResponder(nullptr);
        });
    windowDidBecomeKeyObserver_ = center->addObserver(appkit::NSWindowDidBecomeKeyNotification, window, nullptr,
                                                      [weakSelf](const foundation::Notification&) {
                                                          if (auto self = weakSelf.lock()) self->preventBecomingKey();
                                                      });
    preventBecomingKey();
}

bool RecorderCocoa::becomeFirstResponder() {
    dispatch::checkMainThread();
    if (!window() || !SearchField::becomeFirstResponder()) return false;
    setPlaceholderString(localizedString("press_shortcut"));
    applyCancelButtonRule();
    setCaretColor(appkit::Color::clearColor());
    setIsPaused(true);
    announceRecording(true);
    std::weak_ptr<RecorderCocoa> weakSelf = self();
    eventMonitor_ = std::make_shared<LocalEventMonitor>(recordedEvents, [weakSelf](const appkit::EventPtr& event) {
        auto self = weakSelf.lock();
        return self ? self->handleRecordedEvent(event) : nullptr;
    });
    eventMonitor_->start();
    return true;
}

// Also runs when the control was not recording: the notification then says false again,
// unless the pause stands for another recorder that records, whose recording is not this
// control's to end.
void RecorderCocoa::focusLost() {
    bool wasRecording = eventMonitor_ != nullptr;
    eventMonitor_.reset();
    setPlaceholderString(localizedString("record_shortcut"));
    applyCancelButtonRule();
    setCaretColor(appkit::Color::labelColor());
    if (!wasRecording && isPaused()) return;
    setIsPaused(false);
    announceRecording(false);
}

void RecorderCocoa::setCaretColor(const appkit::Color& color) {
    if (auto editor = currentEditor()) editor->setInsertionPointColor(color);
}

void RecorderCocoa::announceRecording(bool isActive) {
    auto userInfo = foundation::Dictionary::make();
    userInfo->setObject(foundation::Number::withBool(isActive), "isActive");
    foundation::NotificationCenter::defaultCenter()->post(recorderActiveStatusDidChange, nullptr, userInfo);
}

void RecorderCocoa::controlTextDidChange(const foundation::Notification&) {
    auto keepAlive = self();
    bool empty = stringValue().empty();
    if (empty) {
        setShortcut(std::nullopt, shortcutName_);
        if (onChange_) onChange_(std::nullopt);
    }
    applyCancelButtonRule();
    // Emptied by its cancel button, the control keeps (or takes back) the focus and records on.
    if (empty)
        if (auto window = this->window()) window->makeFirstResponder(self());
}

void RecorderCocoa::controlTextDidEndEditing(const foundation::Notification&) { focusLost(); }

appkit::EventPtr RecorderCocoa::handleRecordedEvent(const appkit::EventPtr& event) {
    auto keepAlive = self();
    auto flags = event->modifierFlags().rawValue;
    bool noModifiers = (flags & modifiersThatCount) == 0;

    if (event->type() == appkit::EventType::leftMouseUp || event->type() == appkit::EventType::rightMouseUp) {
        auto location = convertPointFromView(event->locationInWindow(), nullptr);
        if (!bounds().insetBy(-mouseSlop, -mouseSlop).contains(location)) {
            blur();
            return event;  // the click reaches its target
        }
    }
    if (!event->isKeyEvent()) return nullptr;

    auto special = event->specialKey();
    if (noModifiers && special == appkit::SpecialKey::tab) {
        blur();
        return event;  // the focus moves on as usual
    }
    if (noModifiers && event->keyCode() == Key::escape.rawValue) {
        blur();
        return nullptr;
    }
    // Forward Delete carries the function flag, as every key of the function-key range does:
    // that flag alone must not keep it from clearing like Delete and Backspace.
    bool noModifiersButFunction = (flags & modifiersThatCount & ~ModifierFlags::function) == 0;
    if (noModifiersButFunction && (special == appkit::SpecialKey::delete_ || special == appkit::SpecialKey::deleteForward ||
                                   special == appkit::SpecialKey::backspace)) {
        if (auto button = searchCell()->cancelButtonCell()) button->performClick();
        return nullptr;
    }
    if ((flags & modifiersThatMayStandAlone) == 0 && !(special && functionKeys().contains(*special))) {
        appkit::beep();
        return nullptr;
    }
    // A key without a code could be neither shown nor held as a hot key: like an event that
    // gives no shortcut, it is refused.
    auto shortcut = Shortcut::fromEvent(*event);
    if (!shortcut || shortcut->carbonKeyCode == display::unnamedKeyCode) {
        appkit::beep();
        return nullptr;
    }

    if (appkit::Application::shared()->mainMenu())
        if (auto item = shortcut->takenByMainMenu()) {
            refuse(foundation::format(localizedString("keyboard_shortcut_used_by_menu_item"), item->title()));
            return nullptr;
        }
    auto version = foundation::ProcessInfo::operatingSystemVersion();
    auto carbonFlags = modifierFlagsFromCarbon(shortcut->carbonModifiers).rawValue;
    constexpr std::uint64_t optionAndItsPeers = ModifierFlags::capsLock | ModifierFlags::control | ModifierFlags::option |
                                                ModifierFlags::command | ModifierFlags::function;
    if (version.majorVersion == 15 && version.minorVersion <= 1 && Shortcut::isSandboxed() &&
        (carbonFlags & optionAndItsPeers) == ModifierFlags::option) {
        refuse(localizedString("keyboard_shortcut_disallowed"));
        return nullptr;
    }
    bool isF12Alone = shortcut->carbonKeyCode == Key::f12.rawValue && shortcut->carbonModifiers == 0;
    if (!isF12Alone) {
        auto system = CarbonGlobalShortcuts::systemShortcuts();
        if (std::find(system.begin(), system.end(), *shortcut) != system.end() &&
            refuse(localizedString("keyboard_shortcut_used_by_system"), localizedString("keyboard_shortcuts_can_be_changed"),
                   {localizedString("ok"), localizedString("force_use_shortcut")}) != appkit::NSAlertSecondButtonReturn)
            return nullptr;
    }
    storeShortcut(*shortcut);
    return nullptr;
}

void RecorderCocoa::storeShortcut(const Shortcut& shortcut) {
    setStringValue(shortcut.description());
    searchCell()->setCancelButtonCell(cancelButton_);
    userDefaultsSet(shortcut, shortcutName_);
    if (onChange_) onChange_(shortcut);
    blur();
}

appkit::ModalResponse RecorderCocoa::refuse(const std::string& message, const std::string& informativeText,
                                            const std::vector<std::string>& buttons) {
    blur();
    auto response = showAlert(message, informativeText, buttons);
    // The window may have closed while the alert was up: recording on there, unseen, would
    // keep hot keys paused and take the keys meant for other windows.
    if (auto window = this->window(); window && window->isVisible()) window->makeFirstResponder(self());
    return response;
}

appkit::ModalResponse RecorderCocoa::showAlert(const std::string& message, const std::string& informativeText,
                                               const std::vector<std::string>& buttons) {
    auto alert = std::make_shared<appkit::Alert>();
    alert->setMessageText(message);
    alert->setAlertStyle(appkit::Alert::Style::warning);
    if (!informativeText.empty()) alert->setInformativeText(informativeText);
    for (const auto& title : buttons) alert->addButtonWithTitle(title);
    if (auto window = this->window()) {
        // The sheet's completion stops the modal session run here for the same window.
        alert->beginSheetModalForWindow(window, alertSheetCompletion);
        return appkit::runModalForWindow(window);
    }
    return alert->runModal();
}

}  // namespace GlobalShortcuts
