#include "platform/appkit/Alert.hpp"

#include "platform/appkit/ModalSession.hpp"
#include "platform/appkit/TextField.hpp"
#include "platform/appkit/WindowList.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <algorithm>

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

std::shared_ptr<TextField> label(const std::string& text, Font font, Rect frame) {
    auto field = std::make_shared<TextField>(frame);
    field->setStringValue(text);
    field->setEditable(false);
    field->setBordered(false);
    field->setDrawsBackground(false);
    field->setFont(font);
    field->setAlignment(TextAlignment::center);
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
    double height = 20 + 64 + 12 + 40 + (informativeText_.empty() ? 0 : 40) + buttonsHeight + 20;
    auto panel = Window::make<AlertPanel>(Rect(0, 0, panelWidth, height), std::static_pointer_cast<Alert>(shared_from_this()));
    panel->setLevel(WindowLevel::modalPanel);
    auto content = panel->contentView();
    double y = height - 20 - 64 - 12 - 40;
    content->addSubview(label(messageText_, Font::systemFontOfSize(13, Font::Weight::bold), Rect(16, y, panelWidth - 32, 40)));
    if (!informativeText_.empty()) {
        y -= 40;
        content->addSubview(label(informativeText_, Font::systemFontOfSize(11), Rect(16, y, panelWidth - 32, 40)));
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

void Alert::respond(ModalResponse response) {
    auto keepAlive = shared_from_this();
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
