#include "app/shell/SearchField.hpp"

#include "app/shell/SearchFieldCoordinator.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/Dispatch.hpp"

namespace kestrelvault {

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

}  // namespace kestrelvault
