#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/Exception.hpp"
#include "platform/foundation/String.hpp"
#include "platform/system/UnifiedLog.hpp"
#include "sdk/doderivo/ZIZAdu.hpp"
#include "sdk/utilities/ZULLogger.hpp"
#include "tests/support/ApplicationBundles.hpp"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A library that counts what Doderivo asks of it.
class CountingLibrary final : public DDVLibrary {
public:
    std::vector<DDVComponent> componentsToRegister() const override {
        ++componentRequests;
        auto make = [this](const char* protocol, DDVInstantiationTiming timing) {
            return DDVComponent{protocol, timing, [this, protocol](DDVComponentContainer&) -> objc::Id {
                                    created.push_back(protocol);
                                    return foundation::String::make(protocol);
                                }};
        };
        return {make("EagerService", DDVInstantiationTiming::alwaysEager),
                make("DefaultAppService", DDVInstantiationTiming::eagerInDefaultApp),
                make("LazyService", DDVInstantiationTiming::lazy)};
    }
    void configureWithApp(const std::shared_ptr<ZIZAdu>& app) override {
        configuredApps.push_back(app);
        createdBeforeNotification = created.size();
    }

    // Libraries register once per process: a test starts from zero counts.
    void resetCounts() {
        componentRequests = 0;
        created.clear();
        configuredApps.clear();
        createdBeforeNotification = 0;
    }

    mutable int componentRequests = 0;
    mutable std::vector<std::string> created;
    std::vector<std::shared_ptr<ZIZAdu>> configuredApps;
    std::size_t createdBeforeNotification = 0;
};

std::shared_ptr<CountingLibrary> countingLibrary() {
    static auto library = [] {
        auto instance = std::make_shared<CountingLibrary>();
        ZIZAdu::registerInternalLibrary(instance, "CountingLibrary", "1.0");
        return instance;
    }();
    return library;
}

class ZIZAduTest : public ::testing::Test {
protected:
    void SetUp() override {
        library_ = countingLibrary();
        library_->resetCounts();
    }

    void installServicePlist(const std::string& contents) {
        testsupport::installMainBundle(home_, "Kestrelvault", {{"ZadizuService-Info.plist", contents}});
    }

    // The exception configure() raised, or none.
    static std::optional<foundation::Exception> raisedBy(const std::function<void()>& call) {
        try {
            call();
        } catch (const foundation::Exception& exception) {
            return exception;
        }
        return std::nullopt;
    }

    testsupport::TemporaryHome home_;
    std::shared_ptr<CountingLibrary> library_;
    darwin::LogCapture capture_;
};

TEST_F(ZIZAduTest, ConfiguresTheDefaultAppFromTheServicePlist) {
    installServicePlist(testsupport::stringDictionaryPlist({{"APP_ID", "1:kv:macos:9"}, {"PROJECT_ID", "kv"}}));
    EXPECT_FALSE(ZIZAdu::isDefaultAppConfigured());

    ZIZAdu::configure();

    auto app = ZIZAdu::defaultApp();
    ASSERT_TRUE(app);
    EXPECT_EQ(app->name(), "__ZIZADU_DEFAULT");
    ZULLoggerFlushForTesting();
    auto lines = capture_.entriesContaining("I-COR000001");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].message, " - [DoderivoCore][I-COR000001] Configuring the default app.");
    EXPECT_EQ(lines[0].subsystem, "com.doderivo.core");
    EXPECT_EQ(app->options()->appID(), "1:kv:macos:9");
    EXPECT_EQ(app->options()->projectID(), "kv");
}

TEST_F(ZIZAduTest, MissingOrInvalidServicePlistRaisesWithWhereToDownloadOne) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"no plist", std::nullopt},
        {"not a property list", std::string("APP_ID = 1")},
        {"an array, not a dictionary",
         std::string("<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>x</string></array></plist>")},
    };
    for (const auto& [label, contents] : cases) {
        SCOPED_TRACE(label);
        ZIZAdu::resetForTesting();
        testsupport::TemporaryHome home;
        std::map<std::string, std::string> resources;
        if (contents) resources["ZadizuService-Info.plist"] = *contents;
        testsupport::installMainBundle(home, "Kestrelvault", resources);

        auto exception = raisedBy([] { ZIZAdu::configure(); });
        ASSERT_TRUE(exception);
        EXPECT_EQ(exception->name(), "com.doderivo.core");
        EXPECT_NE(exception->reason().find("could not find a valid ZadizuService-Info.plist in your project."),
                  std::string::npos);
        EXPECT_NE(exception->reason().find("Please download one from https://"), std::string::npos);
        EXPECT_FALSE(ZIZAdu::isDefaultAppConfigured());
    }
}

TEST_F(ZIZAduTest, ASecondConfigurationRaisesAndKeepsTheFirstApp) {
    installServicePlist(testsupport::stringDictionaryPlist({{"APP_ID", "first"}}));
    ZIZAdu::configure();
    auto first = ZIZAdu::defaultApp();

    auto exception = raisedBy([] { ZIZAdu::configure(); });

    ASSERT_TRUE(exception);
    EXPECT_EQ(exception->name(), "com.doderivo.core");
    EXPECT_EQ(exception->reason(), "Default app has already been configured.");
    EXPECT_EQ(ZIZAdu::defaultApp(), first);
    EXPECT_EQ(library_->configuredApps.size(), 1u);
}

TEST_F(ZIZAduTest, AnApplicationExtensionMayConfigureAgainWithoutEffect) {
    home_.write("Widget.appex/Contents/Info.plist",
                testsupport::stringDictionaryPlist({{"CFBundleIdentifier", "com.kestrelvault.widget"}}));
    home_.write("Widget.appex/Contents/Resources/ZadizuService-Info.plist",
                testsupport::stringDictionaryPlist({{"APP_ID", "widget"}}));
    foundation::Bundle::setMainBundlePathForTesting(home_.path() / "Widget.appex");
    ZIZAdu::configure();
    auto first = ZIZAdu::defaultApp();

    EXPECT_FALSE(raisedBy([] { ZIZAdu::configure(); }));
    EXPECT_EQ(ZIZAdu::defaultApp(), first);
}

TEST_F(ZIZAduTest, EagerComponentsAreMadeBeforeLibrariesAreToldAndLazyOnesOnRequest) {
    installServicePlist(testsupport::stringDictionaryPlist({{"APP_ID", "1"}}));
    int requestsBefore = library_->componentRequests;

    ZIZAdu::configure();

    EXPECT_EQ(library_->componentRequests, requestsBefore + 1);
    std::vector<std::string> eager = {"DefaultAppService", "EagerService"};
    auto created = library_->created;
    std::sort(created.begin(), created.end());
    EXPECT_EQ(created, eager);
    EXPECT_EQ(library_->createdBeforeNotification, 2u);
    ASSERT_EQ(library_->configuredApps.size(), 1u);
    EXPECT_EQ(library_->configuredApps[0], ZIZAdu::defaultApp());

    auto app = ZIZAdu::defaultApp();
    auto lazy = app->container().instanceForProtocol("LazyService");
    EXPECT_EQ(foundation::stringValue(lazy), "LazyService");
    EXPECT_EQ(app->container().instanceForProtocol("LazyService"), lazy);  // made once
    EXPECT_EQ(library_->created.size(), 3u);
    EXPECT_EQ(app->container().instanceForProtocol("UnknownService"), nullptr);
}

TEST_F(ZIZAduTest, TheShippedServicePlistConfiguresTheApplication) {
    auto shipped = testsupport::readFile(std::filesystem::path(KV_SOURCE_DIR) / "app" / "resources" / "Resources" /
                                         "ZadizuService-Info.plist");
    ASSERT_TRUE(shipped);
    installServicePlist(*shipped);

    ZIZAdu::configure();

    ASSERT_TRUE(ZIZAdu::isDefaultAppConfigured());
    EXPECT_TRUE(ZIZAdu::defaultApp()->options()->appID().has_value());
}

}  // namespace
