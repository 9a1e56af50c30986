#include "platform/appkit/SearchField.hpp"

#include "platform/appkit/FieldEditor.hpp"
#include "platform/foundation/ThreadChecker.hpp"

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
