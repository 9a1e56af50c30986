#include "platform/appkit/Alert.hpp"

#include "platform/appkit/ImageView.hpp"
#include "platform/appkit/ModalSession.hpp"
#include "platform/appkit/TextField.hpp"
#include "platform/appkit/WindowList.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <algorithm>
#include <utility>

namespace appkit {

namespace {

// The panel of an alert keeps the alert alive while it is on screen.
class AlertPanel final : public Window {
public:
    AlertPanel(Rect contentRect, std::shared_ptr<Alert> alert)
        : Window(contentRect, WindowStyleMask::titled), alert_(std::move(alert)) {}
    std::shared_ptr<Alert> alert() const { return alert_.lock(); }
    void hold(std::shared_ptr<Alert> alert) { held_ = std::move(alert); }
    void release() { held_.reset(); }
    bool canBecomeKeyWindow() const override { return true; }

private:
    std::weak_ptr<Alert> alert_;
    std::shared_ptr<Alert> held_;
};

constexpr double panelWidth = 260;
// Room for the message's two lines and the informative text's three, in the taller lines of
// Chinese and Japanese text.
constexpr double messageHeight = 40;
constexpr double informativeHeight = 52;

// Wraps within its frame: the message takes two lines, the informative text three.
std::shared_ptr<TextField> label(const std::string& text, Font font, Rect frame, int lines) {
    auto field = TextField::labelWithString(text, font, TextAlignment::center, lines);
    field->setFrame(frame);
    return field;
}

}  // namespace

std::shared_ptr<Button> Alert::addButtonWithTitle(const std::string& title) {
    dispatch::checkMainThread();
    auto button = std::make_shared<Button>(title);
    ModalResponse response = NSAlertFirstButtonReturn + static_cast<ModalResponse>(buttons_.size());
    button->setTag(static_cast<int>(response));
    std::weak_ptr<Alert> weakSelf = std::static_pointer_cast<Alert>(shared_from_this());
    button->setAction([weakSelf, response] {
        if (auto alert = weakSelf.lock()) alert->respond(response);
    });
    // The first button answers Return.
    if (buttons_.empty()) button->setKeyEquivalent("\r");
    buttons_.push_back(button);
    window_.reset();
    return button;
}

std::shared_ptr<Window> Alert::window() {
    if (!window_) buildWindow();
    return window_;
}

void Alert::buildWindow() {
    if (buttons_.empty()) addButtonWithTitle("OK");
    double buttonsHeight = 32.0 * static_cast<double>(buttons_.size());
    double height = 20 + 64 + 12 + messageHeight + (informativeText_.empty() ? 0 : informativeHeight) + buttonsHeight + 20;
    auto panel = Window::make<AlertPanel>(Rect(0, 0, panelWidth, height), std::static_pointer_cast<Alert>(shared_from_this()));
    panel->setLevel(WindowLevel::modalPanel);
    auto content = panel->contentView();
    auto iconView = std::make_shared<ImageView>(Rect((panelWidth - 64) / 2, height - 20 - 64, 64, 64));
    iconView->setImage(icon_ ? icon_ : Application::shared()->applicationIconImage());
    content->addSubview(iconView);
    double y = height - 20 - 64 - 12 - messageHeight;
    content->addSubview(
        label(messageText_, Font::systemFontOfSize(13, Font::Weight::bold), Rect(16, y, panelWidth - 32, messageHeight), 2));
    if (!informativeText_.empty()) {
        y -= informativeHeight;
        content->addSubview(label(informativeText_, Font::systemFontOfSize(11), Rect(16, y, panelWidth - 32, informativeHeight), 3));
    }
    for (const auto& button : buttons_) {
        y -= 32;
        button->setFrame(Rect(16, y + 4, panelWidth - 32, 24));
        content->addSubview(button);
    }
    window_ = panel;
}

ModalResponse Alert::runModal() {
    dispatch::checkMainThread();
    auto panel = std::static_pointer_cast<AlertPanel>(window());
    panel->hold(std::static_pointer_cast<Alert>(shared_from_this()));
    panel->center();
    modal_ = true;
    ModalResponse response = runModalForWindow(panel);
    modal_ = false;
    panel->orderOut();
    panel->release();
    return response;
}

void Alert::beginSheetModalForWindow(const std::shared_ptr<Window>& parent, std::function<void(ModalResponse)> completion) {
    dispatch::checkMainThread();
    auto panel = std::static_pointer_cast<AlertPanel>(window());
    panel->hold(std::static_pointer_cast<Alert>(shared_from_this()));
    sheetParent_ = parent;
    std::weak_ptr<AlertPanel> weakPanel = panel;
    parent->beginSheet(panel, [weakPanel, completion = std::move(completion)](ModalResponse response) {
        auto panel = weakPanel.lock();
        if (completion) completion(response);
        if (panel) panel->release();
    });
}

void Alert::showModeless(std::function<void(ModalResponse)> completion) {
    auto panel = std::static_pointer_cast<AlertPanel>(window());
    panel->hold(std::static_pointer_cast<Alert>(shared_from_this()));
    modelessCompletion_ = completion ? std::move(completion) : [](ModalResponse) {};
    panel->center();
    panel->makeKeyAndOrderFront();
}

void Alert::respond(ModalResponse response) {
    auto keepAlive = shared_from_this();
    if (auto completion = std::exchange(modelessCompletion_, nullptr)) {
        auto panel = std::static_pointer_cast<AlertPanel>(window_);
        panel->orderOut();
        panel->release();
        completion(response);
        return;
    }
    if (auto parent = sheetParent_.lock()) {
        sheetParent_.reset();
        parent->endSheet(window_, response);
        return;
    }
    if (modal_) stopModalWithCode(response);
}

std::shared_ptr<Alert> Alert::frontmostAlert() {
    for (const auto& window : WindowList::shared().orderedWindows())
        if (auto panel = std::dynamic_pointer_cast<AlertPanel>(window); panel && panel->isVisible())
            if (auto alert = panel->alert()) return alert;
    return nullptr;
}

}  // namespace appkit
