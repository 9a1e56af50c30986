#include "platform/foundation/Clock.hpp"
#include "tests/platform/x11/X11DisplayFixture.hpp"

#include <poll.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>

namespace {
const std::string plainText = appkit::NSPasteboardTypeString;
}

TEST_F(X11DisplayTest, ThePasteboardIsTheClipboardSelectionBothWays) {
    auto pasteboard = appkit::Pasteboard::generalPasteboard();
    pasteboard->clearContents();
    pasteboard->setString("[Café](https://example.com/café)", plainText);

    // What other clients read, by the target they ask for.
    struct Case {
        std::string target;
        std::string expected;
    };
    for (const auto& [target, expected] : std::vector<Case>{{"UTF8_STRING", "[Café](https://example.com/café)"},
                                                             {"STRING", "[Caf\xE9](https://example.com/caf\xE9)"},
                                                             {"text/plain;charset=utf-8", "[Café](https://example.com/café)"}}) {
        SCOPED_TRACE(target);
        auto reader = server.start({"xclip", "-selection", "clipboard", "-o", "-t", target});
        ASSERT_TRUE(reader);
        ASSERT_TRUE(runUntil([&] { return reader->finished(); }));
        EXPECT_EQ(reader->output(), expected);
    }
    auto targets = server.start({"xclip", "-selection", "clipboard", "-o", "-t", "TARGETS"});
    ASSERT_TRUE(runUntil([&] { return targets->finished(); }));
    EXPECT_NE(targets->output().find("UTF8_STRING"), std::string::npos) << targets->output();

    // Another client takes the clipboard over: the change counts, and reads go to it.
    auto changes = pasteboard->changeCount();
    auto writer = server.start({"xclip", "-selection", "clipboard", "-i", "-quiet"}, "from another application");
    ASSERT_TRUE(runUntil([&] { return pasteboard->changeCount() > changes; }));
    EXPECT_EQ(pasteboard->stringForType(plainText), "from another application");

    // Written again, the process holds it once more.
    pasteboard->clearContents();
    pasteboard->setString("https://example.com", plainText);
    EXPECT_TRUE(runUntil([&] { return writer->finished(); }));  // it lost the selection and ends
    auto reader = server.start({"xclip", "-selection", "clipboard", "-o"});
    ASSERT_TRUE(runUntil([&] { return reader->finished(); }));
    EXPECT_EQ(reader->output(), "https://example.com");
}

TEST_F(X11DisplayTest, WritingThePasteboardAgainKeepsTheClipboardServed) {
    auto pasteboard = appkit::Pasteboard::generalPasteboard();
    pasteboard->clearContents();
    pasteboard->setString("https://example.com/first", plainText);
    pasteboard->clearContents();
    pasteboard->setString("[Second](https://example.com/second)", plainText);
    auto changes = pasteboard->changeCount();

    auto reader = server.start({"xclip", "-selection", "clipboard", "-o"});
    ASSERT_TRUE(runUntil([&] { return reader->finished(); }));
    EXPECT_EQ(reader->output(), "[Second](https://example.com/second)");
    EXPECT_EQ(pasteboard->changeCount(), changes);
    EXPECT_EQ(pasteboard->stringForType(plainText), "[Second](https://example.com/second)");
}

// Another client takes the clipboard and answers each request as the case says: not at all
// (the process clock then moves on a second, as if it waited that long), or only for Latin-1.
TEST_F(X11DisplayTest, AnOwnerThatNeverAnswersCostsOneWaitForBothRequests) {
    struct Case {
        bool answersLatin1;
        std::optional<std::string> read;
        int requests;
    };
    for (const auto& [answersLatin1, read, requests] : {Case{false, std::nullopt, 1}, Case{true, "Café", 2}}) {
        SCOPED_TRACE(answersLatin1 ? "answers Latin-1" : "never answers");
        auto pasteboard = appkit::Pasteboard::generalPasteboard();
        pasteboard->clearContents();
        pasteboard->setString("mine", plainText);
        const auto changes = pasteboard->changeCount();
        xcb_connection_t* owner = xcb_connect(server.name().c_str(), nullptr);
        ASSERT_FALSE(xcb_connection_has_error(owner));
        const xcb_window_t window = xcb_generate_id(owner);
        xcb_create_window(owner, XCB_COPY_FROM_PARENT, window, xcb_setup_roots_iterator(xcb_get_setup(owner)).data->root,
                          0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        display::XReply<xcb_intern_atom_reply_t> clipboard(
            xcb_intern_atom_reply(owner, xcb_intern_atom(owner, 0, 9, "CLIPBOARD"), nullptr));
        xcb_set_selection_owner(owner, window, clipboard->atom, XCB_CURRENT_TIME);
        xcb_flush(owner);
        ASSERT_TRUE(runUntil([&] { return pasteboard->changeCount() > changes; }));

        std::atomic<int> asked = 0;
        std::atomic<bool> done = false;
        std::thread serving([&, answersLatin1 = answersLatin1] {
            while (!done) {
                pollfd readable{xcb_get_file_descriptor(owner), POLLIN, 0};
                ::poll(&readable, 1, 10);
                while (display::XEvent event{xcb_poll_for_event(owner)}) {
                    if ((event->response_type & 0x7F) != XCB_SELECTION_REQUEST) continue;
                    const auto& request = reinterpret_cast<const xcb_selection_request_event_t&>(*event);
                    ++asked;
                    if (!answersLatin1) {
                        foundation::Clock::advance(std::chrono::seconds(1));
                        continue;
                    }
                    xcb_selection_notify_event_t notify{};
                    notify.response_type = XCB_SELECTION_NOTIFY;
                    notify.requestor = request.requestor;
                    notify.selection = request.selection;
                    notify.target = request.target;
                    if (request.target == XCB_ATOM_STRING) {
                        notify.property = request.property;
                        xcb_change_property(owner, XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                                            XCB_ATOM_STRING, 8, 4, "Caf\xE9");
                    }
                    xcb_send_event(owner, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&notify));
                    xcb_flush(owner);
                }
            }
        });
        foundation::Clock::installManual();
        auto text = pasteboard->stringForType(plainText);
        foundation::Clock::installReal();
        done = true;
        serving.join();
        xcb_disconnect(owner);
        EXPECT_EQ(text, read);
        EXPECT_EQ(asked, requests);
    }
}
