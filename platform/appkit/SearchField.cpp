#include "platform/appkit/SearchField.hpp"

#include "platform/appkit/FieldEditor.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <algorithm>

namespace appkit {

SearchField::SearchField(Rect frame) : TextField(frame, std::make_shared<SearchFieldCell>()) {
    wireCancelButton(searchCell()->cancelButtonCell());
}

void SearchField::wireCancelButton(const std::shared_ptr<ButtonCell>& cell) {
    // The cell may outlive the field (an owner may keep it to put it back later): the
    // click reaches the field only while the field's lifetime marker is alive.
    cell->setAction([this, alive = std::weak_ptr<int>(lifetime_)]() {
        if (alive.lock()) clearByCancelButton();
    });
}

bool SearchField::showsCancelButton() const {
    return searchCell()->cancelButtonCell() && !stringValue().empty();
}

Rect SearchField::cancelButtonFrame(const Rect& bounds) {
    double side = std::min(bounds.height() - 6, 14.0);
    return Rect(bounds.maxX() - 6 - side, bounds.midY() - side / 2, side, side);
}

std::shared_ptr<View> SearchField::hitTest(Point pointInSuperview) {
    auto hit = TextField::hitTest(pointInSuperview);
    if (!hit || !showsCancelButton()) return hit;
    Point local = convertPointFromView(pointInSuperview, superview().get());
    if (cancelButtonFrame(bounds()).contains(local)) return std::static_pointer_cast<View>(shared_from_this());
    return hit;
}

void SearchField::mouseDown(const EventPtr& event) {
    if (showsCancelButton() && cancelButtonFrame(bounds()).contains(convertPointFromView(event->locationInWindow(), nullptr))) {
        auto button = searchCell()->cancelButtonCell();
        button->performClick();
        return;
    }
    TextField::mouseDown(event);
}

void SearchField::clearByCancelButton() {
    dispatch::checkMainThread();
    if (stringValue().empty()) return;
    if (auto editor = currentEditor()) {
        editor->selectAll();
        editor->insertText("");
        return;
    }
    setStoredString("");
    notify(NSControlTextDidChangeNotification);
}

}  // namespace appkit
