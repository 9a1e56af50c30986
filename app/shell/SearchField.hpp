#pragma once

#include "app/shell/CustomSearchField.hpp"
#include "platform/ui/Binding.hpp"
#include "platform/ui/Representable.hpp"

#include <functional>
#include <memory>
#include <string>

namespace kestrelvault {

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

}  // namespace kestrelvault
