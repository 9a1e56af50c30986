#pragma once

#include "platform/appkit/TextField.hpp"
#include "platform/ui/Binding.hpp"
#include "platform/ui/Representable.hpp"

#include <functional>
#include <memory>
#include <string>

namespace kestrelvault {

// The query field of the search panel: a text field that turns Command+C (without a
// selection), Shift+Command+C and the arrow keys into the panel's commands, whatever else
// its delegate and the field editor do. Main thread only.
class CustomSearchField : public appkit::TextField {
public:
    using appkit::TextField::TextField;

    bool performKeyEquivalent(const appkit::EventPtr& event) override;
};

class SearchFieldCoordinator;

// The search panel's hosted query field: the text binding is written on every edit and
// read on every update; the six callbacks are the panel's commands. A value; the host keeps
// one coordinator and one field per identity.
class SearchField : public ui::NSViewRepresentable<CustomSearchField, SearchFieldCoordinator> {
public:
    using Coordinator = SearchFieldCoordinator;
    using Callback = std::function<void()>;

    SearchField(ui::Binding<std::string> text, Callback onArrowDown, Callback onArrowUp, Callback onEscape,
                Callback onReturn, Callback onCopyURL, Callback onCopyMarkdown);

    ui::Binding<std::string> text;
    Callback onArrowDown;
    Callback onArrowUp;
    Callback onEscape;
    Callback onReturn;
    Callback onCopyURL;
    Callback onCopyMarkdown;

    std::shared_ptr<SearchFieldCoordinator> makeCoordinator() override;
    std::shared_ptr<CustomSearchField> makeNSView(Context& context) override;
    void updateNSView(const std::shared_ptr<CustomSearchField>& field, Context& context) override;

    // The placeholder when the string table has no entry.
    static constexpr const char* placeholderFallback = "ブックマーク検索";
};

// The field's delegate: writes every edit through the parent's text binding and turns the
// field editor's movement and editing commands into the panel's callbacks. Made only from
// a SearchField (there is no default construction). Main thread only.
class SearchFieldCoordinator : public objc::Object, public appkit::TextFieldDelegate {
public:
    explicit SearchFieldCoordinator(SearchField parent);
    SearchFieldCoordinator() = delete;

    // Takes the six callbacks of the current view value.
    void updateFromParent(const SearchField& view);

    void controlTextDidChange(const foundation::Notification& notification) override;
    bool control(const std::shared_ptr<appkit::Control>& control, const std::shared_ptr<appkit::FieldEditor>& textView,
                 const std::string& selector) override;

    SearchField parent;
    SearchField::Callback onArrowDown;
    SearchField::Callback onArrowUp;
    SearchField::Callback onEscape;
    SearchField::Callback onReturn;
    SearchField::Callback onCopyURL;
    SearchField::Callback onCopyMarkdown;
};

}  // namespace kestrelvault
