#include "app/shell/SearchField.hpp"

#include "platform/appkit/FieldEditor.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/Dispatch.hpp"

namespace kestrelvault {

namespace {

void run(const SearchField::Callback& callback) {
    if (callback) callback();
}

constexpr std::uint16_t keyCodeC = 8;
constexpr std::uint16_t keyCodeDownArrow = 125;
constexpr std::uint16_t keyCodeUpArrow = 126;
constexpr std::uint64_t commandOnly = 0x100000;
constexpr std::uint64_t commandAndShift = 0x120000;

}  // namespace

bool CustomSearchField::performKeyEquivalent(const appkit::EventPtr& event) {
    if (event->type() != appkit::EventType::keyDown) return appkit::TextField::performKeyEquivalent(event);
    auto coordinator = std::dynamic_pointer_cast<SearchFieldCoordinator>(delegate());
    switch (event->keyCode()) {
    case keyCodeC: {
        auto modifiers = event->modifierFlags().rawValue & appkit::ModifierFlags::deviceIndependentFlagsMask;
        if (modifiers == commandOnly) {
            auto editor = currentEditor();
            if (editor && editor->selectedRange().length > 0) return appkit::TextField::performKeyEquivalent(event);
            if (coordinator) run(coordinator->onCopyURL);
            return true;
        }
        if (modifiers == commandAndShift) {
            if (coordinator) run(coordinator->onCopyMarkdown);
            return true;
        }
        return appkit::TextField::performKeyEquivalent(event);
    }
    case keyCodeUpArrow:
        if (coordinator) run(coordinator->onArrowUp);
        return true;
    case keyCodeDownArrow:
        if (coordinator) run(coordinator->onArrowDown);
        return true;
    default:
        return appkit::TextField::performKeyEquivalent(event);
    }
}

SearchField::SearchField(ui::Binding<std::string> text, Callback onArrowDown, Callback onArrowUp, Callback onEscape,
                         Callback onReturn, Callback onCopyURL, Callback onCopyMarkdown)
    : text(std::move(text)), onArrowDown(std::move(onArrowDown)), onArrowUp(std::move(onArrowUp)),
      onEscape(std::move(onEscape)), onReturn(std::move(onReturn)), onCopyURL(std::move(onCopyURL)),
      onCopyMarkdown(std::move(onCopyMarkdown)) {}

std::shared_ptr<SearchFieldCoordinator> SearchField::makeCoordinator() {
    return std::make_shared<SearchFieldCoordinator>(*this);
}

std::shared_ptr<CustomSearchField> SearchField::makeNSView(Context& context) {
    auto field = std::make_shared<CustomSearchField>();
    field->setDelegate(context.coordinator);
    field->setFont(appkit::Font::systemFontOfSize(24, appkit::Font::Weight::regular));
    field->setBordered(false);
    field->setDrawsBackground(false);
    field->setFocusRingType(appkit::FocusRingType::none);
    auto bundle = foundation::Bundle::mainBundle();
    field->setPlaceholderString(bundle ? bundle->localizedStringForKey("search_bookmarks_placeholder", placeholderFallback)
                                       : std::string(placeholderFallback));
    field->cell()->setSendsActionOnEndEditing(false);
    context.coordinator->updateFromParent(*this);
    // By the next turn of the main queue the field sits in its window.
    std::weak_ptr<CustomSearchField> weakField = field;
    dispatch::mainQueue()->async([weakField] {
        auto field = weakField.lock();
        if (!field) return;
        if (auto window = field->window()) window->makeFirstResponder(field);
    });
    return field;
}

void SearchField::updateNSView(const std::shared_ptr<CustomSearchField>& field, Context& context) {
    auto query = text.get();
    if (field->stringValue() != query) field->setStringValue(query);
    context.coordinator->updateFromParent(*this);
}

SearchFieldCoordinator::SearchFieldCoordinator(SearchField parent) : parent(std::move(parent)) {}

void SearchFieldCoordinator::updateFromParent(const SearchField& view) {
    onArrowDown = view.onArrowDown;
    onArrowUp = view.onArrowUp;
    onEscape = view.onEscape;
    onReturn = view.onReturn;
    onCopyURL = view.onCopyURL;
    onCopyMarkdown = view.onCopyMarkdown;
}

void SearchFieldCoordinator::controlTextDidChange(const foundation::Notification& notification) {
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
