#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// Orders header names without regard to ASCII case, so "content-type" and "Content-Type"
// name one field, as HTTP says.
struct CaseInsensitiveLess {
    using is_transparent = void;
    bool operator()(std::string_view left, std::string_view right) const;
};

// HTTP header fields by name; a field set again under any spelling replaces the old value
// and keeps the spelling of the last write. A value type; not shared between threads.
class HTTPHeaderFields {
public:
    using Storage = std::map<std::string, std::string, CaseInsensitiveLess>;

    HTTPHeaderFields() = default;
    HTTPHeaderFields(std::initializer_list<std::pair<const std::string, std::string>> fields);

    std::optional<std::string> valueForField(std::string_view name) const;
    void setValue(std::string value, const std::string& name);
    void removeField(std::string_view name);
    void clear() { fields_.clear(); }

    // Whether a field can go on the wire as it stands: its name an HTTP token, its value free
    // of CR, LF and NUL. A line break (or a colon in a name) would let the text add fields of
    // its own choosing; NUL would cut the field short.
    static bool isSendable(std::string_view name, std::string_view value);
    bool allSendable() const;

    const Storage& fields() const { return fields_; }
    bool empty() const { return fields_.empty(); }
    std::size_t size() const { return fields_.size(); }

private:
    Storage fields_;
};

}  // namespace foundation
