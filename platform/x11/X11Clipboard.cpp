#include "platform/x11/X11Clipboard.hpp"

#include <unicode/utf8.h>

#include <cstring>
#include <vector>

namespace display {

namespace {

// The longest a read waits for the owner's answers, all requests together.
constexpr auto answerLimit = std::chrono::seconds(1);

bool isUTF8(const std::string& text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    std::int32_t index = 0, length = static_cast<std::int32_t>(text.size());
    while (index < length) {
        UChar32 character;
        U8_NEXT(bytes, index, length, character);
        if (character < 0) return false;
    }
    return true;
}

std::optional<std::string> latin1FromUTF8(const std::string& text) {
    std::string latin1;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    std::int32_t index = 0, length = static_cast<std::int32_t>(text.size());
    while (index < length) {
        UChar32 character;
        U8_NEXT(bytes, index, length, character);
        if (character < 0 || character > 0xFF) return std::nullopt;
        latin1 += static_cast<char>(character);
    }
    return latin1;
}

std::string utf8FromLatin1(const std::string& text) {
    std::string utf8;
    for (unsigned char character : text) {
        if (character < 0x80) {
            utf8 += static_cast<char>(character);
        } else {
            utf8 += static_cast<char>(0xC0 | (character >> 6));
            utf8 += static_cast<char>(0x80 | (character & 0x3F));
        }
    }
    return utf8;
}

}  // namespace

void X11Clipboard::publish(std::optional<std::string> text) {
    xcb_atom_t clipboard = connection_.atom("CLIPBOARD");
    if (!text) {
        text_.clear();
        if (owned_) xcb_set_selection_owner(connection_.get(), XCB_NONE, clipboard, ownedSince_);
        owned_ = false;
        connection_.flush();
        return;
    }
    text_ = std::move(*text);
    ownedSince_ = connection_.lastEventTime();
    xcb_set_selection_owner(connection_.get(), window_, clipboard, ownedSince_);
    owned_ = serverOwnerIsWindow();
}

bool X11Clipboard::serverOwnerIsWindow() {
    XReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        connection_.get(), xcb_get_selection_owner(connection_.get(), connection_.atom("CLIPBOARD")), nullptr));
    return owner && owner->owner == window_;
}

bool X11Clipboard::handleSelectionClear(const xcb_selection_clear_event_t& clear) {
    if (clear.selection != connection_.atom("CLIPBOARD") || clear.owner != window_ || !owned_) return false;
    // Writing the pasteboard again gives the selection up and takes it back at once; the
    // notice of giving it up comes after, while the window owns it again.
    if (serverOwnerIsWindow()) return false;
    owned_ = false;
    text_.clear();
    return true;
}

void X11Clipboard::handleSelectionRequest(const xcb_selection_request_event_t& request) {
    // Clients from before the property field was used give none: the target names it.
    xcb_atom_t property = request.property == XCB_NONE ? request.target : request.property;
    bool served = owned_ && request.selection == connection_.atom("CLIPBOARD") && answer(request, property);
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = served ? property : XCB_NONE;
    xcb_send_event(connection_.get(), 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&notify));
    connection_.flush();
}

bool X11Clipboard::answer(const xcb_selection_request_event_t& request, xcb_atom_t property) {
    const xcb_atom_t utf8 = connection_.atom("UTF8_STRING");
    const xcb_atom_t targets = connection_.atom("TARGETS");
    const xcb_atom_t timestamp = connection_.atom("TIMESTAMP");
    const xcb_atom_t plainUTF8 = connection_.atom("text/plain;charset=utf-8");
    const xcb_atom_t plain = connection_.atom("text/plain");
    const xcb_atom_t text = connection_.atom("TEXT");
    auto put = [&](xcb_atom_t type, std::uint8_t format, std::size_t count, const void* data) {
        xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, request.requestor, property, type, format,
                            static_cast<std::uint32_t>(count), data);
    };
    if (request.target == targets) {
        const xcb_atom_t offered[] = {targets, timestamp, utf8, plainUTF8, text, XCB_ATOM_STRING, plain};
        put(XCB_ATOM_ATOM, 32, std::size(offered), offered);
        return true;
    }
    if (request.target == timestamp) {
        put(XCB_ATOM_INTEGER, 32, 1, &ownedSince_);
        return true;
    }
    std::string bytes;
    xcb_atom_t type = utf8;
    if (request.target == utf8 || request.target == plainUTF8 || request.target == text) {
        bytes = text_;
    } else if (request.target == XCB_ATOM_STRING || request.target == plain) {
        auto latin1 = latin1FromUTF8(text_);
        if (!latin1) return false;
        bytes = std::move(*latin1);
        type = request.target == plain ? plain : xcb_atom_t(XCB_ATOM_STRING);
    } else {
        return false;
    }
    // One request carries the whole text or nothing is sent.
    const std::size_t limit = std::size_t(xcb_get_maximum_request_length(connection_.get())) * 4 - 64;
    if (bytes.size() > limit) return false;
    put(type, 8, bytes.size(), bytes.data());
    return true;
}

std::optional<std::string> X11Clipboard::readFromOwner() {
    if (owned_) return text_;
    // An owner that never answers costs one wait, not one per request.
    const auto deadline = foundation::Clock::now() + answerLimit;
    if (auto text = convert(connection_.atom("UTF8_STRING"), deadline)) return isUTF8(*text) ? text : std::nullopt;
    if (foundation::Clock::now() >= deadline) return std::nullopt;
    if (auto text = convert(XCB_ATOM_STRING, deadline)) return utf8FromLatin1(*text);
    return std::nullopt;
}

std::optional<std::string> X11Clipboard::convert(xcb_atom_t target, foundation::Clock::TimePoint deadline) {
    const xcb_atom_t clipboard = connection_.atom("CLIPBOARD");
    const xcb_atom_t property = connection_.atom("KESTRELVAULT_CLIPBOARD");
    xcb_convert_selection(connection_.get(), window_, clipboard, target, property, connection_.lastEventTime());
    auto event = connection_.waitForEvent(
        [&](const xcb_generic_event_t& event) {
            if ((event.response_type & 0x7F) != XCB_SELECTION_NOTIFY) return false;
            const auto& notify = reinterpret_cast<const xcb_selection_notify_event_t&>(event);
            return notify.requestor == window_ && notify.selection == clipboard;
        },
        deadline);
    if (!event || reinterpret_cast<const xcb_selection_notify_event_t&>(*event).property == XCB_NONE)
        return std::nullopt;
    XReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_.get(), xcb_get_property(connection_.get(), 1, window_, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 24),
        nullptr));
    // Text handed over in pieces (INCR) is more than a pasteboard string is expected to be.
    if (!reply || reply->format != 8 || reply->type == connection_.atom("INCR")) return std::nullopt;
    const auto* data = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(data, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

}  // namespace display
