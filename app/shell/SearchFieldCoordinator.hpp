#pragma once

#include "app/shell/SearchField.hpp"
#include "platform/objc/Object.hpp"

#include <string>

namespace kestrelvault {

// The field's delegate: writes every edit through the parent's text binding and turns the
// field editor's movement and editing commands into the panel's callbacks. Made only from
// a SearchField (there is no default construction). Main thread only.
class SearchFieldCoordinator : public objc::Object, public appkit::TextFieldDelegate {
public:
    explicit SearchFieldCoordinator(SearchField parent);
    SearchFieldCoordinator() = delete;

    // Runs a callback the panel may have left empty.
    static void run(const SearchField::Callback& callback);

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
