#include "sdk/utilities/ZULNetworkURLSession.hpp"

#include "platform/foundation/RunLoop.hpp"
#include "tests/sdk/utilities/NetworkTestSupport.hpp"
#include "tests/support/TemporaryHome.hpp"

#include <gtest/gtest.h>

using testsupport::RecordingNetworkLogger;

namespace {

class Fetcher : public testsupport::LoggingFixture {
protected:
    void SetUp() override {
        LoggingFixture::SetUp();
        logger_ = RecordingNetworkLogger::make();
        fetcher_ = ZULNetworkURLSession::initWithNetworkLoggerDelegate(logger_);
    }
    std::vector<std::int64_t> codes() const {
        std::vector<std::int64_t> received;
        for (const auto& line : logger_->lines()) received.push_back(line.code);
        return received;
    }

    std::shared_ptr<RecordingNetworkLogger> logger_;
    std::shared_ptr<ZULNetworkURLSession> fetcher_;
};

}  // namespace

TEST_F(Fetcher, SessionIdentifiersAreUniqueAndNameTheirTemporaryFile) {
    auto other = ZULNetworkURLSession::initWithNetworkLoggerDelegate(nullptr);
    EXPECT_NE(fetcher_->sessionID(), other->sessionID());
    EXPECT_TRUE(fetcher_->sessionID().starts_with("com.zul.network.background-upload-"));
    EXPECT_EQ(fetcher_->sessionID().size(), std::string("com.zul.network.background-upload-").size() + 36);
    auto file = fetcher_->temporaryFilePathWithSessionID("abc");
    EXPECT_EQ(file->path(), std::string(std::getenv("HOME")) +
                                "/Library/Application Support/ZUL/Network/ZULNetworkTemporaryDirectory/ZULUpload_temp_abc");
}

TEST_F(Fetcher, SystemCompletionHandlersAreCheckedStoredAndRunOnceOnTheMainQueue) {
    fetcher_->addSystemCompletionHandler(nullptr, "id");
    fetcher_->addSystemCompletionHandler([] {}, "");
    int first = 0;
    int second = 0;
    bool onMain = false;
    fetcher_->addSystemCompletionHandler([&] { ++first; }, "id");
    fetcher_->addSystemCompletionHandler(
        [&] {
            ++second;
            onMain = dispatch::isMainThread();
        },
        "id");
    EXPECT_EQ(codes(), (std::vector<std::int64_t>{901009, 901010, 901011}));
    EXPECT_EQ(logger_->lines()[2].level, 4);

    fetcher_->callSystemCompletionHandler("id");
    fetcher_->callSystemCompletionHandler("id");
    runMainLoop();
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    EXPECT_TRUE(onMain);
}

TEST_F(Fetcher, RelaunchedSessionsAreKeptOnlyForTheirOwnIdentifiers) {
    int called = 0;
    ZULNetworkURLSession::handleEventsForBackgroundURLSessionID("com.example.other-session", [&] { ++called; });
    EXPECT_EQ(ZULNetworkURLSession::sessionIDToFetcherMap().lock()->count("com.example.other-session"), 0u);

    const std::string identifier = "com.zul.network.background-upload-relaunched";
    ZULNetworkURLSession::handleEventsForBackgroundURLSessionID(identifier, [&] { ++called; });
    fetcher_->callSystemCompletionHandler(identifier);
    runMainLoop();
    EXPECT_EQ(called, 1);

    // A mapped fetcher is the one handed out for its identifier.
    ZULNetworkURLSession::setSessionInFetcherMap(fetcher_, fetcher_->sessionID());
    EXPECT_EQ(ZULNetworkURLSession::fetcherWithSessionIdentifier(fetcher_->sessionID()), fetcher_);
    EXPECT_EQ(ZULNetworkURLSession::fetcherWithSessionIdentifier("com.example.unknown"), nullptr);
}

TEST_F(Fetcher, ReplacingAMappedFetcherDiscardsTheOldOneThroughItsLogger) {
    auto replacement = ZULNetworkURLSession::initWithNetworkLoggerDelegate(nullptr);
    ZULNetworkURLSession::setSessionInFetcherMap(fetcher_, "shared-id");
    ZULNetworkURLSession::setSessionInFetcherMap(replacement, "shared-id");
    EXPECT_EQ(ZULNetworkURLSession::sessionFromFetcherMapForSessionID("shared-id"), replacement);
    ASSERT_EQ(codes(), std::vector<std::int64_t>{901019});
    EXPECT_EQ(logger_->lines()[0].level, 6);
    EXPECT_TRUE(logger_->lines()[0].message.starts_with("Discarding session: <ZULNetworkURLSession: 0x"));

    ZULNetworkURLSession::setSessionInFetcherMap(nullptr, "shared-id");
    EXPECT_EQ(ZULNetworkURLSession::sessionFromFetcherMapForSessionID("shared-id"), nullptr);
    EXPECT_EQ(ZULNetworkURLSession::sessionIDToFetcherMap().lock()->count("shared-id"), 0u);
}

TEST_F(Fetcher, UnreadableDownloadsAreLoggedWithTheirReason) {
    testsupport::TemporaryHome home;
    auto session = foundation::URLSession::sessionWithConfiguration(
        foundation::URLSessionConfiguration::defaultSessionConfiguration(), nullptr, dispatch::mainQueue());
    auto task = session->downloadTaskWithRequest(
        *foundation::URLRequest::requestWithURL(foundation::URL::URLWithString("http://127.0.0.1/")));
    struct Case {
        std::shared_ptr<foundation::URL> location;
        std::int64_t code;
    };
    const Case cases[] = {
        {foundation::URL::fileURLWithPath(home.write("download.tmp", "bytes").string()), 0},
        {foundation::URL::fileURLWithPath((home.path() / "gone.tmp").string()), 901002},
        {foundation::URL::URLWithString("https://example.org"), 901001},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.code);
        auto before = logger_->lines().size();
        fetcher_->URLSession(session, task, testCase.location);
        auto lines = logger_->lines();
        if (testCase.code == 0) {
            EXPECT_EQ(lines.size(), before);
        } else {
            ASSERT_EQ(lines.size(), before + 1);
            EXPECT_EQ(lines.back().code, testCase.code);
            EXPECT_EQ(lines.back().level, 3);
        }
    }
}

TEST_F(Fetcher, OnlyTheRedirectsTheNetworkAllowsAreFollowed) {
    auto request = *foundation::URLRequest::requestWithURL(foundation::URL::URLWithString("http://127.0.0.1/next"));
    for (long status : {300L, 301L, 302L, 303L, 307L, 308L}) {
        SCOPED_TRACE(status);
        auto response = std::make_shared<foundation::HTTPURLResponse>(request.URL(), status, foundation::HTTPHeaderFields{});
        std::optional<std::optional<foundation::URLRequest>> answer;
        fetcher_->URLSession(nullptr, nullptr, response, request,
                             [&](std::optional<foundation::URLRequest> next) { answer = std::move(next); });
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->has_value(), status == 303 || status == 308);
    }
}

TEST_F(Fetcher, ChallengesWithoutATrustToEvaluateGetDefaultHandling) {
    using foundation::URLSessionAuthChallengeDisposition;
    struct Case {
        const char* method;
        std::vector<std::int64_t> codes;
    };
    const Case cases[] = {
        {"NSURLAuthenticationMethodHTTPBasic", {}},
        {foundation::NSURLAuthenticationMethodServerTrust, {901004}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.method);
        auto before = logger_->lines().size();
        foundation::URLProtectionSpace space;
        space.host = "127.0.0.1";
        space.authenticationMethod = testCase.method;
        std::optional<URLSessionAuthChallengeDisposition> answer;
        int answers = 0;
        fetcher_->URLSession(nullptr, nullptr, std::make_shared<foundation::URLAuthenticationChallenge>(space),
                             [&](URLSessionAuthChallengeDisposition disposition, std::shared_ptr<foundation::URLCredential>) {
                                 answer = disposition;
                                 ++answers;
                             });
        EXPECT_EQ(answers, 1);
        EXPECT_EQ(answer, URLSessionAuthChallengeDisposition::performDefaultHandling);
        auto lines = logger_->lines();
        std::vector<std::int64_t> codes;
        for (auto line = lines.begin() + static_cast<std::ptrdiff_t>(before); line != lines.end(); ++line) {
            codes.push_back(line->code);
            EXPECT_EQ(line->level, 7);
            EXPECT_EQ(line->message, "Received empty server trust for host. Host");
        }
        EXPECT_EQ(codes, testCase.codes);
    }
}
