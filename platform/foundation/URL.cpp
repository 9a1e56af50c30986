#include "platform/foundation/URL.hpp"

#include "platform/objc/Class.hpp"

#include <cctype>
#include <functional>

namespace foundation {

namespace {

bool isUnreserved(unsigned char character) {
    return std::isalnum(character) || character == '-' || character == '.' || character == '_' || character == '~';
}

bool isSubDelimiter(unsigned char character) {
    return std::string_view("!$&'()*+,;=").find(static_cast<char>(character)) != std::string_view::npos;
}

bool isHex(char character) { return std::isxdigit(static_cast<unsigned char>(character)) != 0; }

// Every character of the part is allowed by the given test or is a well-formed escape.
template <class Allowed>
bool validPart(std::string_view part, Allowed allowed) {
    for (std::size_t index = 0; index < part.size(); ++index) {
        unsigned char character = static_cast<unsigned char>(part[index]);
        if (character == '%') {
            if (index + 2 >= part.size()) return false;
            if (!isHex(part[index + 1]) || !isHex(part[index + 2])) return false;
            index += 2;
            continue;
        }
        if (!allowed(character)) return false;
    }
    return true;
}

bool pathCharacter(unsigned char character) {
    return isUnreserved(character) || isSubDelimiter(character) || character == ':' || character == '@' ||
           character == '/';
}

bool queryCharacter(unsigned char character) { return pathCharacter(character) || character == '?'; }

}  // namespace

URL::URL(std::string text) : objc::Object(objc::defineClass("NSURL")), text_(std::move(text)) {}

std::shared_ptr<URL> URL::URLWithString(std::string_view text) {
    if (text.empty()) return nullptr;
    auto url = std::make_shared<URL>(std::string(text));
    if (!url->parse()) return nullptr;
    return url;
}

std::shared_ptr<URL> URL::fileURLWithPath(std::string_view path) {
    std::string absolute(path);
    if (absolute.empty() || absolute.front() != '/') absolute = "/" + absolute;
    return URLWithString("file://" + percentEncode(absolute, "/!$&'()*+,;=:@"));
}

bool URL::parse() {
    std::string_view rest = text_;
    // Fragment and query first: they may contain characters that look like delimiters.
    if (auto hash = rest.find('#'); hash != std::string_view::npos) {
        std::string_view fragment = rest.substr(hash + 1);
        if (!validPart(fragment, queryCharacter)) return false;
        fragment_ = std::string(fragment);
        rest = rest.substr(0, hash);
    }
    if (auto question = rest.find('?'); question != std::string_view::npos) {
        std::string_view query = rest.substr(question + 1);
        if (!validPart(query, queryCharacter)) return false;
        query_ = std::string(query);
        rest = rest.substr(0, question);
    }
    // A scheme is letters, digits, "+", "-", "." before the first ":", starting with a letter.
    if (auto colon = rest.find(':'); colon != std::string_view::npos && colon > 0) {
        std::string_view candidate = rest.substr(0, colon);
        bool looksLikeScheme = std::isalpha(static_cast<unsigned char>(candidate.front())) != 0;
        for (char character : candidate)
            if (!std::isalnum(static_cast<unsigned char>(character)) && character != '+' && character != '-' &&
                character != '.')
                looksLikeScheme = false;
        if (looksLikeScheme) {
            scheme_ = std::string(candidate);
            rest = rest.substr(colon + 1);
        } else if (candidate.find('/') == std::string_view::npos) {
            return false;  // "a b:c" and the like: a colon in the first segment of a relative path
        }
    }
    if (rest.substr(0, 2) == "//") {
        rest = rest.substr(2);
        auto slash = rest.find('/');
        std::string_view authority = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
        if (auto at = authority.rfind('@'); at != std::string_view::npos) {
            if (!validPart(authority.substr(0, at), [](unsigned char character) {
                    return isUnreserved(character) || isSubDelimiter(character) || character == ':';
                }))
                return false;
            authority = authority.substr(at + 1);
        }
        std::string_view hostPart = authority;
        std::string_view portPart;
        if (!authority.empty() && authority.front() == '[') {
            auto close = authority.find(']');
            if (close == std::string_view::npos) return false;
            hostPart = authority.substr(1, close - 1);
            std::string_view after = authority.substr(close + 1);
            if (!after.empty()) {
                if (after.front() != ':') return false;
                portPart = after.substr(1);
            }
            for (char character : hostPart)
                if (!isHex(character) && character != ':' && character != '.') return false;
        } else {
            if (auto colon = authority.rfind(':'); colon != std::string_view::npos) {
                hostPart = authority.substr(0, colon);
                portPart = authority.substr(colon + 1);
            }
            if (!validPart(hostPart, [](unsigned char character) {
                    return isUnreserved(character) || isSubDelimiter(character);
                }))
                return false;
        }
        if (!portPart.empty()) {
            int port = 0;
            for (char character : portPart) {
                if (!std::isdigit(static_cast<unsigned char>(character))) return false;
                port = port * 10 + (character - '0');
                if (port > 65535) return false;
            }
            port_ = port;
        }
        host_ = percentDecode(hostPart);
    }
    if (!validPart(rest, pathCharacter)) return false;
    rawPath_ = std::string(rest);
    return true;
}

std::string URL::path() const {
    std::string decoded = percentDecode(rawPath_);
    if (decoded.size() > 1 && decoded.back() == '/') decoded.pop_back();
    return decoded;
}

bool URL::isFileURL() const { return scheme_ && *scheme_ == "file"; }

std::string URL::lastPathComponent() const {
    std::string full = path();
    if (full == "/") return full;
    auto slash = full.rfind('/');
    return slash == std::string::npos ? full : full.substr(slash + 1);
}

// "scheme://host:port" as far as the URL has them; appended piecewise, which also keeps
// GCC 12 from a false -Wrestrict on chained temporaries.
std::string URL::schemeAndAuthority() const {
    std::string text;
    if (scheme_) {
        text += *scheme_;
        text += ':';
    }
    if (host_) {
        text += "//";
        text += *host_;
        if (port_) {
            text += ':';
            text += std::to_string(*port_);
        }
    }
    return text;
}

std::shared_ptr<URL> URL::URLByAppendingPathComponent(std::string_view component) const {
    std::string base = path();
    if (base.empty() || base.back() != '/') base += '/';
    base += component;
    if (isFileURL()) return fileURLWithPath(base);
    std::string text = schemeAndAuthority();
    text += percentEncode(base, "/!$&'()*+,;=:@");
    if (query_) {
        text += '?';
        text += *query_;
    }
    return URLWithString(text);
}

bool URL::isEqual(const objc::Object& other) const {
    auto* url = dynamic_cast<const URL*>(&other);
    return url && url->text_ == text_;
}

std::size_t URL::hash() const { return std::hash<std::string>{}(text_); }

std::shared_ptr<URL> urlValue(const objc::Id& object) { return std::dynamic_pointer_cast<URL>(object); }

std::string percentEncode(std::string_view text, std::string_view alsoAllowed) {
    static const char digits[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char character : text) {
        if (isUnreserved(character) || alsoAllowed.find(static_cast<char>(character)) != std::string_view::npos) {
            encoded += static_cast<char>(character);
        } else {
            encoded += '%';
            encoded += digits[character >> 4];
            encoded += digits[character & 0xF];
        }
    }
    return encoded;
}

std::string percentDecode(std::string_view text) {
    std::string decoded;
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (text[index] == '%' && index + 2 < text.size() &&
            isHex(text[index + 1]) && isHex(text[index + 2])) {
            decoded += static_cast<char>(std::stoi(std::string(text.substr(index + 1, 2)), nullptr, 16));
            index += 2;
        } else {
            decoded += text[index];
        }
    }
    return decoded;
}

}  // namespace foundation
