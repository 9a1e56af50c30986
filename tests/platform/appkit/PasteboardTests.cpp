#include "platform/appkit/Pasteboard.hpp"

#include <gtest/gtest.h>

namespace {

TEST(Pasteboard, ClearingRemovesEveryTypeAndEachChangeIsCounted) {
    auto pasteboard = appkit::Pasteboard::generalPasteboard();
    EXPECT_EQ(pasteboard, appkit::Pasteboard::generalPasteboard());
    EXPECT_FALSE(pasteboard->stringForType(appkit::NSPasteboardTypeString));

    EXPECT_TRUE(pasteboard->setString("first", appkit::NSPasteboardTypeString));
    EXPECT_TRUE(pasteboard->setString("<b>first</b>", "public.html"));
    EXPECT_TRUE(pasteboard->setString("second", appkit::NSPasteboardTypeString));
    EXPECT_EQ(pasteboard->stringForType(appkit::NSPasteboardTypeString), "second");
    EXPECT_EQ(pasteboard->changeCount(), 3);

    EXPECT_EQ(pasteboard->clearContents(), 4);
    EXPECT_FALSE(pasteboard->stringForType(appkit::NSPasteboardTypeString));
    EXPECT_FALSE(pasteboard->stringForType("public.html"));
}

}  // namespace
