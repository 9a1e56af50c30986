#pragma once

#include "platform/ui/Node.hpp"

#include <string>

namespace ui {

// A key into the application's own string tables (the main bundle's "Localizable" table),
// as opposed to text shown verbatim. A plain value.
struct LocalizedStringKey {
    explicit LocalizedStringKey(std::string key) : key(std::move(key)) {}
    std::string key;
};

// The key's text for the preferred language; the key itself when no table has it.
std::string localized(const LocalizedStringKey& key);
// A text showing the key's text.
Node Text(const LocalizedStringKey& key);

}  // namespace ui
