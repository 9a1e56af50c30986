#include "app/shell/CustomSearchField.hpp"

#include "app/shell/SearchFieldCoordinator.hpp"
#include "platform/appkit/FieldEditor.hpp"
#include "platform/foundation/ThreadChecker.hpp"

namespace kestrelvault {

namespace {

constexpr std::uint16_t keyCodeC = 8;
constexpr std::uint16_t keyCodeDownArrow = 125;
constexpr std::uint16_t keyCodeUpArrow = 126;
constexpr std::uint64_t commandOnly = 0x100000;
constexpr std::uint64_t commandAndShift = 0x120000;

}  // namespace

bool CustomSearchField::performKeyEquivalent(const appkit::EventPtr& event) {
    dispatch::checkMainThread();
    if (event->type() != appkit::EventType::keyDown) return appkit::TextField::performKeyEquivalent(event);
    auto coordinator = std::dynamic_pointer_cast<SearchFieldCoordinator>(delegate());
    switch (event->keyCode()) {
    case keyCodeC: {
        auto modifiers = event->modifierFlags().rawValue & appkit::ModifierFlags::deviceIndependentFlagsMask;
        if (modifiers == commandOnly) {
            auto editor = currentEditor();
            if (editor && editor->selectedRange().length > 0) return appkit::TextField::performKeyEquivalent(event);
            if (coordinator) SearchFieldCoordinator::run(coordinator->onCopyURL);
            return true;
        }
        if (modifiers == commandAndShift) {
            if (coordinator) SearchFieldCoordinator::run(coordinator->onCopyMarkdown);
            return true;
        }
        return appkit::TextField::performKeyEquivalent(event);
    }
    case keyCodeUpArrow:
        if (coordinator) SearchFieldCoordinator::run(coordinator->onArrowUp);
        return true;
    case keyCodeDownArrow:
        if (coordinator) SearchFieldCoordinator::run(coordinator->onArrowDown);
        return true;
    default:
        return appkit::TextField::performKeyEquivalent(event);
    }
}

}  // namespace kestrelvault
