#pragma once

#include "platform/appkit/Event.hpp"
#include "platform/appkit/MenuItem.hpp"
#include "platform/foundation/Observable.hpp"
#include "platform/objc/Object.hpp"

#include <memory>
#include <string>
#include <vector>

namespace appkit {

// Posted with the menu as object when a menu starts and stops tracking.
inline constexpr const char* NSMenuDidBeginTrackingNotification = "NSMenuDidBeginTrackingNotification";
inline constexpr const char* NSMenuDidEndTrackingNotification = "NSMenuDidEndTrackingNotification";

// Which way the arrow keys move a menu's highlight.
enum class MenuHighlightStep { previous, next };

// An ordered list of items, each possibly with a submenu, and the one item drawn
// highlighted while the menu is open. Main thread only.
class Menu final : public objc::Object {
public:
    explicit Menu(std::string title = "");
    static std::shared_ptr<Menu> make(std::string title = "");

    const std::string& title() const { return title_; }
    const std::vector<std::shared_ptr<MenuItem>>& itemArray() const { return items_; }
    std::size_t numberOfItems() const { return items_.size(); }
    void addItem(std::shared_ptr<MenuItem> item);
    void removeItem(const std::shared_ptr<MenuItem>& item);
    void removeAllItems();

    // The item under the pointer or chosen with the arrow keys: an enabled item of this
    // menu, never a separator; null for none. Highlighting anything else highlights nothing.
    const std::shared_ptr<MenuItem>& highlightedItem() const { return highlighted_.get(); }
    void highlightItem(const std::shared_ptr<MenuItem>& item);
    // Highlights the nearest enabled item before or after the highlighted one, skipping
    // separators and disabled items (from none: the last or the first); at the end of the
    // menu the highlight stays where it is.
    void moveHighlight(MenuHighlightStep step);
    // Hears every change of the highlighted item.
    [[nodiscard]] foundation::ObservationToken observeHighlight(std::function<void(const std::shared_ptr<MenuItem>&)> observer);

    // Finds the enabled item (depth first, submenus included) whose key equivalent and
    // modifier mask match the key-down event and performs it. An upper-case key equivalent stands for
    // the shift key.
    bool performKeyEquivalent(const Event& event);
    // The item performKeyEquivalent would perform, or null.
    std::shared_ptr<MenuItem> itemWithKeyEquivalent(const Event& event) const;

private:
    std::string title_;
    std::vector<std::shared_ptr<MenuItem>> items_;
    foundation::Observable<std::shared_ptr<MenuItem>> highlighted_;
};

}  // namespace appkit
