#include "app/shell/SearchFieldCoordinator.hpp"

#include "platform/foundation/ThreadChecker.hpp"

namespace kestrelvault {

void SearchFieldCoordinator::run(const SearchField::Callback& callback) {
    if (callback) callback();
}

SearchFieldCoordinator::SearchFieldCoordinator(SearchField parent) : parent(std::move(parent)) {}

void SearchFieldCoordinator::updateFromParent(const SearchField& view) {
    dispatch::checkMainThread();
    onArrowDown = view.onArrowDown;
    onArrowUp = view.onArrowUp;
    onEscape = view.onEscape;
    onReturn = view.onReturn;
    onCopyURL = view.onCopyURL;
    onCopyMarkdown = view.onCopyMarkdown;
}

void SearchFieldCoordinator::controlTextDidChange(const foundation::Notification& notification) {
    dispatch::checkMainThread();
    if (auto field = std::dynamic_pointer_cast<appkit::TextField>(notification.object))
        parent.text.set(field->stringValue());
}

bool SearchFieldCoordinator::control(const std::shared_ptr<appkit::Control>&, const std::shared_ptr<appkit::FieldEditor>&,
                                     const std::string& selector) {
    if (selector == "moveDown:") return run(onArrowDown), true;
    if (selector == "moveUp:") return run(onArrowUp), true;
    if (selector == "cancelOperation:") return run(onEscape), true;
    if (selector == "insertNewline:") return run(onReturn), true;
    return false;
}

}  // namespace kestrelvault
