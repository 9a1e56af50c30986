#include "platform/foundation/Clock.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/ui/Host.hpp"
#include "platform/ui/HostingView.hpp"
#include "platform/ui/Representable.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace ui;

namespace {

class HostTest : public ::testing::Test {
protected:
    void SetUp() override { foundation::Clock::installManual(); }
    static void settle() { ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle()); }
};

// A view with one piece of state whose binding the test keeps.
struct CounterProbe {
    std::optional<Binding<int>> binding;
    int lastShown = -1;
};

class Counter : public View {
public:
    Counter(std::string label, CounterProbe& probe) : label(std::move(label)), probe(probe) {}
    Node body() override {
        probe.binding = count.binding();
        probe.lastShown = count.get();
        return Text(label + ": " + std::to_string(count.get()));
    }
    std::string label;
    CounterProbe& probe;
    State<int> count{this, 0};
};

// Records what the host does with a hosted view.
struct RepresentableLog {
    int coordinatorsMade = 0;
    int viewsMade = 0;
    std::vector<std::string> updates;
};

class LabelRepresentable : public NSViewRepresentable<appkit::View, objc::Object> {
public:
    LabelRepresentable(std::string value, RepresentableLog& log) : value(std::move(value)), log(log) {}
    std::shared_ptr<objc::Object> makeCoordinator() override {
        ++log.coordinatorsMade;
        return std::make_shared<objc::Object>();
    }
    std::shared_ptr<appkit::View> makeNSView(Context& context) override {
        ++log.viewsMade;
        EXPECT_NE(context.coordinator, nullptr);
        return std::make_shared<appkit::View>(Rect(0, 0, 10, 10));
    }
    void updateNSView(const std::shared_ptr<appkit::View>& view, Context&) override {
        view->setIdentifier(value);
        log.updates.push_back(value);
    }
    std::string value;
    RepresentableLog& log;
};

// A hosted view whose own size the test changes behind the host's back.
class SizedView : public appkit::View {
public:
    SizedView() : appkit::View(Rect(0, 0, 1, 1)) { setContentHuggingPriority(750, appkit::LayoutOrientation::horizontal); }
    Size intrinsicContentSize() const override { return own; }
    Size own{40, 20};
};

class SizedRepresentable : public NSViewRepresentable<SizedView, objc::Object> {
public:
    explicit SizedRepresentable(std::shared_ptr<SizedView> view) : view(std::move(view)) {}
    std::shared_ptr<objc::Object> makeCoordinator() override { return std::make_shared<objc::Object>(); }
    std::shared_ptr<SizedView> makeNSView(Context&) override { return view; }
    void updateNSView(const std::shared_ptr<SizedView>&, Context&) override {}
    std::shared_ptr<SizedView> view;
};

}  // namespace

// A layout in unchanged bounds of an unchanged tree is kept, but not once a hosted view's
// own size changed: the frames would be those of the old size.
TEST_F(HostTest, ALayoutInTheSameBoundsFollowsAHostedViewsNewSize) {
    auto sized = std::make_shared<SizedView>();
    auto container = HostingView::make(HStack({representable(std::make_shared<SizedRepresentable>(sized)), Spacer(0.0)}),
                                       Rect(0, 0, 200, 50));
    EXPECT_EQ(sized->frame().width(), 40);
    sized->own = {90, 20};
    container->setFrame(Rect(0, 0, 200, 50));
    EXPECT_EQ(sized->frame().width(), 90);
    EXPECT_EQ(container->host()->lastLayout()->children.front().frame.width(), 90);
}

TEST_F(HostTest, StateSurvivesReEvaluationOfTheParentAtTheSamePosition) {
    CounterProbe probe;
    auto host = Host::make(VStack({make<Counter>("first", probe)}));
    probe.binding->set(5);
    settle();
    EXPECT_EQ(probe.lastShown, 5);

    host->setRoot(VStack({make<Counter>("renamed", probe)}));
    EXPECT_EQ(probe.lastShown, 5);
}

TEST_F(HostTest, ANewExplicitIdIsANewIdentityWithFreshState) {
    CounterProbe probe;
    auto host = Host::make(make<Counter>("c", probe).id("one"));
    probe.binding->set(3);
    settle();
    host->setRoot(make<Counter>("c", probe).id("two"));
    EXPECT_EQ(probe.lastShown, 0);
}

TEST_F(HostTest, StateFollowsItsIdWhenSiblingsMoveAndStaysWithItsPlaceWithoutOne) {
    CounterProbe first, second, plain;
    auto host = Host::make(VStack({make<Counter>("a", first).id("a"), make<Counter>("b", second).id("b")}));
    first.binding->set(1);
    second.binding->set(2);
    settle();
    // Reordered, and a view inserted before them: each keeps the state of its id.
    host->setRoot(VStack({make<Counter>("new", plain), make<Counter>("b", second).id("b"), make<Counter>("a", first).id("a")}));
    EXPECT_EQ(first.lastShown, 1);
    EXPECT_EQ(second.lastShown, 2);
    EXPECT_EQ(plain.lastShown, 0);

    // Without ids, the place is the identity: the state stays at the first place.
    CounterProbe top, bottom;
    auto byPlace = Host::make(VStack({make<Counter>("top", top), make<Counter>("bottom", bottom)}));
    top.binding->set(5);
    settle();
    byPlace->setRoot(VStack({make<Counter>("bottom", bottom), make<Counter>("top", top)}));
    EXPECT_EQ(bottom.lastShown, 5);
    EXPECT_EQ(top.lastShown, 0);
}

TEST_F(HostTest, StateChangesAreCoalescedIntoOneEvaluationOnTheMainQueue) {
    CounterProbe probe;
    auto host = Host::make(make<Counter>("c", probe));
    int before = host->evaluationCount();
    probe.binding->set(1);
    probe.binding->set(2);
    EXPECT_EQ(host->evaluationCount(), before);
    settle();
    EXPECT_EQ(host->evaluationCount(), before + 1);
    EXPECT_EQ(probe.lastShown, 2);
}

TEST_F(HostTest, AHostedViewAndItsCoordinatorAreMadeOnceAndUpdatedOnEveryEvaluation) {
    RepresentableLog log;
    auto container = HostingView::make(representable(std::make_shared<LabelRepresentable>("a", log)), Rect(0, 0, 100, 100));
    auto hosted = container->subviews().at(0);
    container->host()->setRoot(representable(std::make_shared<LabelRepresentable>("b", log)));

    EXPECT_EQ(log.coordinatorsMade, 1);
    EXPECT_EQ(log.viewsMade, 1);
    EXPECT_EQ(log.updates, (std::vector<std::string>{"a", "b"}));
    ASSERT_EQ(container->subviews().size(), 1u);
    EXPECT_EQ(container->subviews()[0], hosted);
    EXPECT_EQ(hosted->identifier(), "b");

    container->host()->setRoot(EmptyView());
    EXPECT_TRUE(container->subviews().empty());
    EXPECT_EQ(hosted->superview(), nullptr);
}

TEST_F(HostTest, OnChangeRunsForChangedValuesButNotForTheFirstOrAnEqualOne) {
    std::vector<int> seen;
    auto node = [&](int value) { return Text("x").onChange<int>(value, [&](const int& changed) { seen.push_back(changed); }); };
    auto host = Host::make(node(1));
    host->setRoot(node(1));
    host->setRoot(node(2));
    host->setRoot(node(2));
    host->setRoot(node(7));
    EXPECT_EQ(seen, (std::vector<int>{2, 7}));
}

TEST_F(HostTest, AppearRunsOnceDisappearAndTaskCancellationWhenTheNodeGoesAway) {
    int appeared = 0, disappeared = 0, started = 0;
    std::shared_ptr<CancellationToken> token;
    auto shown = Text("x")
                     .onAppear([&] { ++appeared; })
                     .onDisappear([&] { ++disappeared; })
                     .task([&](std::shared_ptr<CancellationToken> given) {
                         ++started;
                         token = given;
                     });
    auto host = Host::make(VStack({shown}));
    host->setRoot(VStack({shown}));
    EXPECT_EQ(appeared, 1);
    EXPECT_EQ(started, 1);
    ASSERT_NE(token, nullptr);
    EXPECT_FALSE(token->isCancelled());

    host->setRoot(VStack({}));
    EXPECT_EQ(disappeared, 1);
    EXPECT_TRUE(token->isCancelled());
}

TEST_F(HostTest, ClosingTheHostRunsTheDisappearActionsOfWhatItShowed) {
    int disappeared = 0;
    auto host = Host::make(VStack({Text("a").onDisappear([&] { ++disappeared; }), Text("b").onDisappear([&] { ++disappeared; })}));
    host.reset();
    EXPECT_EQ(disappeared, 2);
}

TEST_F(HostTest, OnReceiveDeliversNotificationsToTheLatestHandlerWhileShown) {
    std::vector<std::string> received;
    auto node = [&](std::string tag) {
        return Text("x").onReceive("TestNotification", [&received, tag](const foundation::Notification&) {
            received.push_back(tag);
        });
    };
    auto host = Host::make(node("first"));
    host->setRoot(node("second"));
    foundation::NotificationCenter::defaultCenter()->post("TestNotification");
    host->setRoot(EmptyView());
    foundation::NotificationCenter::defaultCenter()->post("TestNotification");
    EXPECT_EQ(received, (std::vector<std::string>{"second"}));
}

namespace {

class Model : public ObservableObject {
public:
    void setValue(int newValue) {
        value = newValue;
        objectWillChange();
    }
    int value = 0;
};

class ModelView : public View {
public:
    explicit ModelView(std::shared_ptr<Model> model, int& shown) : model(this, std::move(model)), shown(shown) {}
    Node body() override {
        shown = model->value;
        return Text(std::to_string(model->value));
    }
    ObservedObject<Model> model;
    int& shown;
};

}  // namespace

TEST_F(HostTest, AChangeOfAnObservedObjectReEvaluatesTheView) {
    auto model = std::make_shared<Model>();
    int shown = -1;
    auto host = Host::make(make<ModelView>(model, shown));
    model->setValue(4);
    settle();
    EXPECT_EQ(shown, 4);
}

TEST_F(HostTest, ATapRunsTheButtonUnderThePointerAndItsSimultaneousGesture) {
    std::vector<std::string> ran;
    auto root = VStack({Button(Text("Go"), [&] { ran.push_back("button"); })
                            .simultaneousTapGesture([&] { ran.push_back("gesture"); })
                            .id("button"),
                        Text("Below").id("below")},
                       HorizontalAlignment::center, 10.0);
    auto host = Host::make(root, EnvironmentValues{});
    const auto& layout = host->layout(Rect(0, 0, 200, 200));
    const auto* button = layout.find([](const LayoutNode& node) { return node.kind() == NodeKind::text; });
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(host->tap({button->frame.midX(), button->frame.midY()}));
    EXPECT_EQ(ran, (std::vector<std::string>{"button", "gesture"}));

    ran.clear();
    EXPECT_FALSE(host->tap({1, 1}));
    EXPECT_TRUE(ran.empty());
}

TEST_F(HostTest, ClearPaintTakesNoClicksUnlessAContentShapeGivesThem) {
    struct Case {
        Color fill;
        bool contentShape;
        bool taken;
    };
    const std::vector<Case> cases = {{Color::clearColor(), false, false},
                                     {Color::clearColor(), true, true},
                                     {Color::blackColor().opacity(0.08), false, true},
                                     {Color::whiteColor(), false, true}};
    for (const auto& scenario : cases) {
        int taps = 0;
        Node area = Spacer().frame(100.0, 40.0).background(scenario.fill);
        if (scenario.contentShape) area = area.contentShape();
        auto host = Host::make(area.onTapGesture([&] { ++taps; }), EnvironmentValues{});
        host->layout(Rect(0, 0, 100, 40));
        EXPECT_EQ(host->tap({50, 20}), scenario.taken) << scenario.fill.description() << " " << scenario.contentShape;
        EXPECT_EQ(taps, scenario.taken ? 1 : 0) << scenario.fill.description() << " " << scenario.contentShape;
    }
}

namespace {

class ScriptedImageLoader : public ImageLoader {
public:
    std::shared_ptr<CancellationToken> load(const std::string& url, Completion completion) override {
        auto token = std::make_shared<CancellationToken>();
        requests.push_back({url, std::move(completion), token});
        return token;
    }
    struct Request {
        std::string url;
        Completion completion;
        std::shared_ptr<CancellationToken> token;
    };
    std::vector<Request> requests;
};

}  // namespace

TEST_F(HostTest, AnAsyncImageShowsItsPhasesAndDropsALoadWhoseAddressChanged) {
    auto loader = std::make_shared<ScriptedImageLoader>();
    ImageLoader::setSharedForTesting(loader);
    std::vector<AsyncImagePhase::Kind> phases;
    auto node = [&](std::optional<std::string> url) {
        return AsyncImage(url, 1, [&](const AsyncImagePhase& phase) {
            phases.push_back(phase.kind);
            return Text("x");
        });
    };
    auto host = Host::make(node("https://a.example/1"));
    host->setRoot(node("https://a.example/2"));
    ASSERT_EQ(loader->requests.size(), 2u);
    EXPECT_TRUE(loader->requests[0].token->isCancelled());

    loader->requests[1].completion(appkit::Image::filled(2, 2, 0xffffffff), "");
    settle();
    host->setRoot(node("https://a.example/3"));
    loader->requests[2].completion(nullptr, "gone");
    settle();
    EXPECT_EQ(phases, (std::vector<AsyncImagePhase::Kind>{AsyncImagePhase::Kind::empty, AsyncImagePhase::Kind::empty,
                                                          AsyncImagePhase::Kind::success, AsyncImagePhase::Kind::empty,
                                                          AsyncImagePhase::Kind::failure}));
}

TEST(HostDeathTest, EveryEntryPointStopsTheProcessWhenCalledOffTheMainThread) {
    auto host = Host::make(Button(Text("Go"), [] {}), EnvironmentValues{});
    host->layout(Rect(0, 0, 100, 40));
    const std::vector<std::pair<const char*, std::function<void()>>> entryPoints = {
        {"make", [] { Host::make(Text("x")); }},
        {"HostingView::make", [] { HostingView::make(Text("x")); }},
        {"setRoot", [&] { host->setRoot(Text("y")); }},
        {"update", [&] { host->update(); }},
        {"layout", [&] { host->layout(Rect(0, 0, 10, 10)); }},
        {"tap", [&] { host->tap({50, 20}); }},
        {"withAnimation", [] { withAnimation(Animation::easeOut(0.1), [] {}); }},
    };
    for (const auto& [name, call] : entryPoints)
        EXPECT_DEATH(std::thread(call).join(), "must be called on the main thread") << name;
}
