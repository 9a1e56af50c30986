#include "platform/appkit/Alert.hpp"
#include "platform/appkit/ModalSession.hpp"
#include "platform/appkit/SystemBeep.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/Dispatch.hpp"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

class AlertTest : public ::testing::Test {
protected:
    void SetUp() override { foundation::Clock::installManual(); }
};

std::shared_ptr<Alert> alertWithTwoButtons() {
    auto alert = std::make_shared<Alert>();
    alert->setMessageText("Shortcut in use");
    alert->setInformativeText("It can be changed in the settings.");
    alert->addButtonWithTitle("OK");
    alert->addButtonWithTitle("Use Anyway");
    return alert;
}

}  // namespace

TEST_F(AlertTest, AnApplicationModalAlertReturnsThePressedButtonsResponse) {
    auto alert = alertWithTwoButtons();
    dispatch::mainQueue()->async([] {
        auto shown = Alert::frontmostAlert();
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(modalWindow(), shown->window());
        shown->buttons().at(1)->performClick();
    });
    EXPECT_EQ(alert->runModal(), NSAlertSecondButtonReturn);
    EXPECT_FALSE(alert->window()->isVisible());
    EXPECT_EQ(modalWindow(), nullptr);
}

TEST_F(AlertTest, ASheetRunsItsCompletionOnceWithTheResponseAndTheModalLoopEndsWithIt) {
    auto parent = Window::make(Rect(0, 0, 400, 300), WindowStyleMask::titled);
    parent->makeKeyAndOrderFront();
    auto alert = alertWithTwoButtons();
    std::vector<ModalResponse> responses;
    alert->beginSheetModalForWindow(parent, [&](ModalResponse response) {
        responses.push_back(response);
        stopModalWithCode(response);
    });
    EXPECT_EQ(parent->attachedSheet(), alert->window());
    dispatch::mainQueue()->async([alert] { alert->buttons().at(0)->performClick(); });
    EXPECT_EQ(runModalForWindow(parent), NSAlertFirstButtonReturn);
    EXPECT_EQ(responses, (std::vector<ModalResponse>{NSAlertFirstButtonReturn}));
    EXPECT_EQ(parent->attachedSheet(), nullptr);
}

TEST_F(AlertTest, AnAlertWithoutButtonsGetsOneOkButton) {
    auto alert = std::make_shared<Alert>();
    alert->setMessageText("Done");
    alert->window();
    ASSERT_EQ(alert->buttons().size(), 1u);
    EXPECT_EQ(alert->buttons()[0]->title(), "OK");
}

TEST_F(AlertTest, AModalLoopThatNothingCanEndIsAbandonedOnTheManualClock) {
    auto alert = alertWithTwoButtons();
    EXPECT_EQ(alert->runModal(), NSModalResponseAbort);
}

TEST(SystemBeep, CountsEveryBeep) {
    beep();
    beep();
    EXPECT_EQ(beepCount(), 2);
}
