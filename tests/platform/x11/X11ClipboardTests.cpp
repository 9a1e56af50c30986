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

// Another client takes the clipboard and never answers; as it is asked, the process clock
// moves on a second, as if the wait had lasted that long.
TEST_F(X11DisplayTest, AnOwnerThatNeverAnswersCostsOneWaitForBothRequests) {
    auto pasteboard = appkit::Pasteboard::generalPasteboard();
    pasteboard->setString("mine", plainText);
    const auto changes = pasteboard->changeCount();
    auto connected = display::X11Connection::open(server.name());
    ASSERT_TRUE(connected) << connected.error();
    auto& owner = **connected;
    const xcb_window_t window = xcb_generate_id(owner.get());
    xcb_create_window(owner.get(), XCB_COPY_FROM_PARENT, window, owner.root(), 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_set_selection_owner(owner.get(), window, owner.atom("CLIPBOARD"), XCB_CURRENT_TIME);
    owner.flush();
    ASSERT_TRUE(runUntil([&] { return pasteboard->changeCount() > changes; }));

    std::atomic<int> asked = 0;
    std::atomic<bool> done = false;
    std::thread silent([&, connection = owner.get()] {
        while (!done) {
            pollfd readable{xcb_get_file_descriptor(connection), POLLIN, 0};
            ::poll(&readable, 1, 10);
            while (display::XEvent event{xcb_poll_for_event(connection)})
                if ((event->response_type & 0x7F) == XCB_SELECTION_REQUEST) {
                    ++asked;
                    foundation::Clock::advance(std::chrono::seconds(1));
                }
        }
    });
    foundation::Clock::installManual();
    EXPECT_EQ(pasteboard->stringForType(plainText), std::nullopt);
    foundation::Clock::installReal();
    done = true;
    silent.join();
    EXPECT_EQ(asked, 1);
}
