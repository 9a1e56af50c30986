#include "platform/ui/MenuView.hpp"

#include <map>
#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace ui {

namespace {

std::string keyName(const std::string& key) {
    static const std::map<std::string, std::string> names = {
        {" ", "Space"},       {"\r", "↩"},          {"\x1b", "⎋"},         {"\t", "⇥"},
        {"\x08", "⌫"},        {"\uF728", "⌦"},      {"\uF700", "↑"},       {"\uF701", "↓"},
        {"\uF702", "←"},      {"\uF703", "→"},      {"\uF729", "↖"},       {"\uF72B", "↘"},
        {"\uF72C", "⇞"},      {"\uF72D", "⇟"},
    };
    if (auto found = names.find(key); found != names.end()) return found->second;
    std::string upper;
    icu::UnicodeString::fromUTF8(key).toUpper(icu::Locale::getRoot()).toUTF8String(upper);
    return upper;
}

Node itemRow(const std::shared_ptr<appkit::Menu>& menu, const std::shared_ptr<appkit::MenuItem>& item,
             const std::function<void(std::shared_ptr<appkit::MenuItem>)>& onChoose) {
    bool highlighted = item == menu->highlightedItem();
    auto label = HStack({Text(item->title()), Spacer(24),
                         Text(MenuView::keyEquivalentText(*item))
                             .foregroundColor(highlighted ? Color::selectedMenuItemTextColor()
                                                          : Color::secondaryLabelColor())})
                     .paddingHorizontal(9)
                     .paddingVertical(3)
                     .frame(FlexibleFrame{.maxWidth = appkit::infinity, .alignment = Alignment::leading()});
    if (highlighted)
        label = label.foregroundColor(Color::selectedMenuItemTextColor())
                    .background(RoundedRectangle(4).fill(Color::selectedMenuItemColor()));
    std::weak_ptr<appkit::MenuItem> weakItem = item;
    std::weak_ptr<appkit::Menu> weakMenu = menu;
    // The highlight stands 5 points in from the panel's edges, as the platform draws it.
    return Button(label.paddingHorizontal(5).contentShape(),
                  [weakItem, onChoose] {
                      if (auto chosen = weakItem.lock(); chosen && onChoose) onChoose(chosen);
                  })
        .buttonStyle(ButtonStyle::plain)
        .disabled(!item->isEnabled())
        .onHover([weakItem, weakMenu](bool inside) {
            auto item = weakItem.lock();
            auto menu = weakMenu.lock();
            if (!item || !menu) return;
            if (inside)
                menu->highlightItem(item);  // a disabled item highlights nothing
            else if (menu->highlightedItem() == item)
                menu->highlightItem(nullptr);
        });
}

}  // namespace

std::string MenuView::keyEquivalentText(const appkit::MenuItem& item) {
    if (item.keyEquivalent().empty()) return "";
    auto key = item.keyEquivalent();
    auto mask = item.keyEquivalentModifierMask();
    // An upper-case key equivalent stands for the shift key.
    if (auto lower = appkit::lowercasedKeyEquivalent(key); lower != key) mask = mask.adding(appkit::ModifierFlags::shift);
    std::string text;
    if (mask.contains(appkit::ModifierFlags::control)) text += "⌃";
    if (mask.contains(appkit::ModifierFlags::option)) text += "⌥";
    if (mask.contains(appkit::ModifierFlags::shift)) text += "⇧";
    if (mask.contains(appkit::ModifierFlags::command)) text += "⌘";
    return text + keyName(appkit::lowercasedKeyEquivalent(key));
}

Node MenuView::body() {
    std::vector<Node> rows;
    const auto& items = menu->itemArray();
    for (std::size_t index = 0; index < items.size(); ++index) {
        if (items[index]->isSeparatorItem())
            rows.push_back(Divider().paddingHorizontal(10).paddingVertical(5).id("item-" + std::to_string(index)));
        else
            rows.push_back(itemRow(menu, items[index], onChoose).id("item-" + std::to_string(index)));
    }
    return VStack(std::move(rows), HorizontalAlignment::leading, 0.0)
        .paddingVertical(5)
        .frame(FlexibleFrame{.minWidth = 180.0})
        .background(ZStack({RoundedRectangle(6).fill(Color::separatorColor()),
                            RoundedRectangle(5.5).fill(Color::windowBackgroundColor()).padding(0.5)}));
}

}  // namespace ui
