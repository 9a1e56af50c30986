#pragma once

#include "platform/objc/Object.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// A URL in the RFC 3986 sense, or a file URL made from a path. Immutable.
class URL final : public objc::Object {
public:
    // Nil when the text is empty or not a valid URL reference (characters outside the
    // allowed set, a bad percent escape, a malformed scheme or port).
    static std::shared_ptr<URL> URLWithString(std::string_view text);
    // A "file://" URL for an absolute path (percent-encoded as needed).
    static std::shared_ptr<URL> fileURLWithPath(std::string_view path);

    const std::string& absoluteString() const { return text_; }
    const std::optional<std::string>& scheme() const { return scheme_; }
    // The host, without brackets for IPv6 literals; nullopt when the URL has no authority.
    const std::optional<std::string>& host() const { return host_; }
    const std::optional<int>& port() const { return port_; }
    // The percent-decoded path.
    std::string path() const;
    const std::optional<std::string>& query() const { return query_; }
    const std::optional<std::string>& fragment() const { return fragment_; }
    bool isFileURL() const;

    std::string lastPathComponent() const;
    std::shared_ptr<URL> URLByAppendingPathComponent(std::string_view component) const;

    std::string description() const override { return text_; }
    bool isEqual(const objc::Object& other) const override;
    std::size_t hash() const override;

    explicit URL(std::string text);

private:
    bool parse();
    std::string schemeAndAuthority() const;

    std::string text_;
    std::optional<std::string> scheme_;
    std::optional<std::string> host_;
    std::optional<int> port_;
    std::string rawPath_;
    std::optional<std::string> query_;
    std::optional<std::string> fragment_;
};

std::shared_ptr<URL> urlValue(const objc::Id& object);

// Percent-encodes every byte outside the unreserved set and the given extra characters.
std::string percentEncode(std::string_view text, std::string_view alsoAllowed);
// Decodes %XX escapes; malformed escapes are kept as written.
std::string percentDecode(std::string_view text);

}  // namespace foundation
