#include "platform/system/URLSession.hpp"

#include "platform/foundation/Clock.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/system/UnifiedLog.hpp"
#include "tests/platform/system/RecordingSessionDelegate.hpp"
#include "tests/support/LocalHTTPServer.hpp"
#include "tests/support/TemporaryHome.hpp"
#include "tests/support/TrustedCertificates.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

using foundation::URLSessionAuthChallengeDisposition;
using testsupport::RecordingSessionDelegate;

namespace {

// A data task of a session of its own that tells the delegate on the main queue, started.
void startDataTask(const std::string& url, const std::shared_ptr<RecordingSessionDelegate>& delegate) {
    auto made = foundation::URLRequest::requestWithURL(foundation::URL::URLWithString(url),
                                                       foundation::URLRequestCachePolicy::useProtocolCachePolicy, 5);
    foundation::URLSession::sessionWithConfiguration(foundation::URLSessionConfiguration::defaultSessionConfiguration(),
                                                     delegate, dispatch::mainQueue())
        ->dataTaskWithRequest(*made)
        ->resume();
}

// Answers the trust question the delegate holds with trust in the chain it was shown.
void trustHeldChallenge(RecordingSessionDelegate& delegate) {
    delegate.heldChallenge(URLSessionAuthChallengeDisposition::useCredential,
                           foundation::URLCredential::credentialForTrust(delegate.challengedTrust));
}

class URLSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        http_.server().Post("/echo", [](const httplib::Request& request, httplib::Response& response) {
            std::string contentType = request.has_header("Content-Type") ? request.get_header_value("Content-Type") : "(none)";
            response.status = 201;
            response.set_header("X-Received-Type", contentType);
            response.set_header("X-Received-Token", request.get_header_value("X-Token"));
            response.set_content("got:" + request.body, "text/plain");
        });
        http_.server().Get("/file", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("file contents", "text/plain");
        });
        http_.server().Post("/see-other", [](const httplib::Request&, httplib::Response& response) {
            response.status = 303;
            response.set_header("Location", "/landing");
            response.set_content("moved", "text/plain");
        });
        http_.server().Post("/found", [](const httplib::Request&, httplib::Response& response) {
            response.status = 302;
            response.set_header("Location", "/landing");
            response.set_content("found elsewhere", "text/plain");
        });
        http_.server().Get("/loop", [](const httplib::Request&, httplib::Response& response) {
            response.status = 307;
            response.set_header("Location", "/loop");
        });
        http_.server().Get("/landing", [](const httplib::Request& request, httplib::Response& response) {
            response.set_content("landed:" + request.method + ":" + request.body, "text/plain");
        });
        http_.start();
    }

    std::shared_ptr<foundation::URLSession> makeSession(const std::shared_ptr<RecordingSessionDelegate>& delegate,
                                                        foundation::URLSessionConfiguration configuration =
                                                            foundation::URLSessionConfiguration::defaultSessionConfiguration()) {
        return foundation::URLSession::sessionWithConfiguration(std::move(configuration), delegate, dispatch::mainQueue());
    }
    static foundation::URLRequest request(const std::string& url, const std::string& method = "GET") {
        auto made = foundation::URLRequest::requestWithURL(foundation::URL::URLWithString(url));
        made->setHTTPMethod(method);
        return *made;
    }
    static void runUntilCompleted(const RecordingSessionDelegate& delegate) {
        for (int pass = 0; pass < 20 && !delegate.completed; ++pass) foundation::RunLoop::main()->runUntilIdle();
        ASSERT_TRUE(delegate.completed);
    }
    static long statusOf(const std::shared_ptr<foundation::URLSessionTask>& task) {
        auto response = std::dynamic_pointer_cast<foundation::HTTPURLResponse>(task->response());
        return response ? response->statusCode() : -1;
    }

    testsupport::LocalHTTPServer http_;
};

}  // namespace

TEST_F(URLSessionTest, UploadFromDataDeliversTheBodyThenCompletesWithTheStatus) {
    auto delegate = std::make_shared<RecordingSessionDelegate>();
    auto session = makeSession(delegate);
    auto upload = request(http_.url("/echo"), "POST");
    upload.setValue("secret", "X-Token");
    auto task = session->uploadTaskWithRequest(upload, foundation::Data::fromString("payload"));
    task->resume();
    runUntilCompleted(*delegate);

    EXPECT_EQ(delegate->body, "got:payload");
    EXPECT_EQ(delegate->events.back(), "complete");
    EXPECT_EQ(delegate->completionError, nullptr);
    EXPECT_EQ(statusOf(task), 201);
    auto response = std::dynamic_pointer_cast<foundation::HTTPURLResponse>(task->response());
    EXPECT_EQ(response->valueForHTTPHeaderField("x-received-token"), "secret");
    // Nothing the request did not ask for is sent on its behalf.
    EXPECT_EQ(response->valueForHTTPHeaderField("X-Received-Type"), "(none)");
    EXPECT_EQ(task->state(), foundation::URLSessionTaskState::completed);
}

TEST_F(URLSessionTest, BackgroundUploadReadsItsBodyFromTheFile) {
    testsupport::TemporaryHome home;
    auto file = home.write("upload.bin", "from the file");
    auto delegate = std::make_shared<RecordingSessionDelegate>();
    auto session = makeSession(delegate, foundation::URLSessionConfiguration::backgroundSessionConfigurationWithIdentifier("upload"));
    EXPECT_EQ(session->uploadTaskWithRequest(request(http_.url("/echo"), "POST"), foundation::Data::fromString("memory")),
              nullptr);
    auto task = session->uploadTaskWithRequest(request(http_.url("/echo"), "POST"), foundation::URL::fileURLWithPath(file.string()));
    ASSERT_NE(task, nullptr);
    task->resume();
    runUntilCompleted(*delegate);
    EXPECT_EQ(delegate->body, "got:from the file");
}

TEST_F(URLSessionTest, DownloadHandsOverAFileThatIsRemovedOnceTheDelegateReturned) {
    auto delegate = std::make_shared<RecordingSessionDelegate>();
    auto session = makeSession(delegate);
    session->downloadTaskWithRequest(request(http_.url("/file")))->resume();
    runUntilCompleted(*delegate);

    EXPECT_EQ(delegate->downloadedContents, "file contents");
    EXPECT_EQ(delegate->body, "");
    ASSERT_TRUE(delegate->downloadLocation);
    EXPECT_FALSE(std::filesystem::exists(*delegate->downloadLocation));
    EXPECT_EQ(delegate->events, (std::vector<std::string>{"download", "complete"}));
}

TEST_F(URLSessionTest, RedirectsAreTheDelegatesDecision) {
    struct Case {
        const char* path;
        RecordingSessionDelegate::RedirectAnswer answer;
        long redirectStatus;
        long finalStatus;
        const char* body;
    };
    const Case cases[] = {
        {"/see-other", RecordingSessionDelegate::RedirectAnswer::follow, 303, 200, "landed:GET:"},
        {"/found", RecordingSessionDelegate::RedirectAnswer::follow, 302, 200, "landed:GET:"},
        {"/found", RecordingSessionDelegate::RedirectAnswer::refuse, 302, 302, "found elsewhere"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(std::string(testCase.path) + " " + std::to_string(testCase.finalStatus));
        auto delegate = std::make_shared<RecordingSessionDelegate>();
        delegate->redirectAnswer = testCase.answer;
        auto session = makeSession(delegate);
        auto task = session->uploadTaskWithRequest(request(http_.url(testCase.path), "POST"), foundation::Data::fromString("body"));
        task->resume();
        runUntilCompleted(*delegate);
        EXPECT_EQ(delegate->redirectStatuses, std::vector<long>{testCase.redirectStatus});
        EXPECT_EQ(delegate->redirectMethods, std::vector<std::string>{"GET"});
        EXPECT_EQ(statusOf(task), testCase.finalStatus);
        EXPECT_EQ(delegate->body, testCase.body);
        EXPECT_EQ(delegate->completionError, nullptr);
    }
}

TEST_F(URLSessionTest, EndlessRedirectsEndWithAnError) {
    auto delegate = std::make_shared<RecordingSessionDelegate>();
    auto session = makeSession(delegate);
    session->dataTaskWithRequest(request(http_.url("/loop")))->resume();
    runUntilCompleted(*delegate);
    EXPECT_EQ(delegate->redirectStatuses.size(), 16u);
    ASSERT_NE(delegate->completionError, nullptr);
    EXPECT_EQ(delegate->completionError->code(), foundation::NSURLErrorHTTPTooManyRedirects);
}

TEST_F(URLSessionTest, AnUnreachableServerCompletesWithAWordedErrorAndTheDetailInTheLog) {
    int closedPort = 0;
    {
        testsupport::LocalHTTPServer closed;
        closed.start();
        closedPort = closed.port();
    }
    struct Case {
        std::string url;
        std::int64_t code;
        const char* description;
        std::string logged;  // the technical detail, for the log only
    };
    const Case cases[] = {
        {"http://127.0.0.1:" + std::to_string(closedPort) + "/", foundation::NSURLErrorCannotConnectToHost,
         "Could not connect to the server.", "port " + std::to_string(closedPort)},
        {"https://updates.example.invalid/latest.json", foundation::NSURLErrorCannotFindHost,
         "A server with the specified hostname could not be found.", ".invalid never resolves"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        darwin::LogCapture capture;
        auto delegate = std::make_shared<RecordingSessionDelegate>();
        auto session = makeSession(delegate);
        auto task = session->dataTaskWithRequest(request(c.url));
        task->resume();
        runUntilCompleted(*delegate);
        ASSERT_NE(delegate->completionError, nullptr);
        EXPECT_EQ(delegate->completionError->domain(), foundation::NSURLErrorDomain);
        EXPECT_EQ(delegate->completionError->code(), c.code);
        EXPECT_EQ(delegate->completionError->localizedDescription(), c.description);
        EXPECT_EQ(task->response(), nullptr);
        EXPECT_EQ(capture.entriesContaining(c.logged).size(), 1u);
    }
}

TEST_F(URLSessionTest, FinishTasksAndInvalidateLetsTheTaskEndThenReleasesTheDelegate) {
    auto delegate = std::make_shared<RecordingSessionDelegate>();
    std::weak_ptr<RecordingSessionDelegate> weakDelegate = delegate;
    auto session = makeSession(delegate);
    auto task = session->dataTaskWithRequest(request(http_.url("/file")));
    task->resume();
    session->finishTasksAndInvalidate();
    EXPECT_EQ(session->dataTaskWithRequest(request(http_.url("/file"))), nullptr);
    auto recorded = delegate;
    delegate.reset();
    runUntilCompleted(*recorded);
    EXPECT_EQ(recorded->body, "file contents");
    recorded.reset();
    EXPECT_TRUE(weakDelegate.expired());
}

TEST_F(URLSessionTest, ConfigurationHeadersGoWithEveryRequestUnlessTheRequestSetsThem) {
    auto delegate = std::make_shared<RecordingSessionDelegate>();
    auto configuration = foundation::URLSessionConfiguration::defaultSessionConfiguration();
    configuration.HTTPAdditionalHeaders.setValue("from-configuration", "X-Token");
    configuration.HTTPAdditionalHeaders.setValue("text/csv", "Content-Type");
    auto session = makeSession(delegate, configuration);
    auto upload = request(http_.url("/echo"), "POST");
    upload.setValue("from-request", "x-token");
    auto task = session->uploadTaskWithRequest(upload, foundation::Data::fromString("x"));
    task->resume();
    runUntilCompleted(*delegate);
    auto response = std::dynamic_pointer_cast<foundation::HTTPURLResponse>(task->response());
    EXPECT_EQ(response->valueForHTTPHeaderField("X-Received-Token"), "from-request");
    EXPECT_EQ(response->valueForHTTPHeaderField("X-Received-Type"), "text/csv");
}

TEST(URLSessionHeaders, FieldsThatWouldAddFieldsAreRefusedAndNothingIsSent) {
    std::atomic<int> arrivedAtOrigin = 0, arrivedElsewhere = 0;
    testsupport::LocalHTTPServer elsewhere;
    elsewhere.server().Get("/landing", [&](const httplib::Request&, httplib::Response&) { ++arrivedElsewhere; });
    elsewhere.start();
    testsupport::LocalHTTPServer origin;
    origin.server().Get("/start", [&](const httplib::Request&, httplib::Response& response) {
        ++arrivedAtOrigin;
        response.status = 307;
        response.set_header("Location", elsewhere.urlWithHost("localhost", "/landing"));
    });
    origin.start();

    const std::string injected = "1\r\nAuthorization: Bearer X";
    enum class SetBy { request, session, redirect };
    struct Case {
        SetBy setBy;
        std::string name, value;
    };
    const Case cases[] = {
        {SetBy::request, "X-Token", injected},
        {SetBy::request, "X-Token", std::string("1") + '\0' + "Authorization"},
        {SetBy::request, "X-Token\nAuthorization", "Bearer X"},
        {SetBy::request, "Authorization: Bearer X", "1"},
        {SetBy::session, "X-Token", injected},
        {SetBy::redirect, "X-Token", injected},
    };
    for (const auto& [setBy, name, value] : cases) {
        SCOPED_TRACE(name + ": " + value);
        arrivedAtOrigin = arrivedElsewhere = 0;
        auto delegate = std::make_shared<RecordingSessionDelegate>();
        auto configuration = foundation::URLSessionConfiguration::defaultSessionConfiguration();
        auto request = *foundation::URLRequest::requestWithURL(foundation::URL::URLWithString(origin.url("/start")));
        if (setBy == SetBy::request) request.setValue(value, name);
        if (setBy == SetBy::session) configuration.HTTPAdditionalHeaders.setValue(value, name);
        if (setBy == SetBy::redirect) delegate->fieldsAddedOnRedirect.setValue(value, name);
        foundation::URLSession::sessionWithConfiguration(configuration, delegate, dispatch::mainQueue())
            ->dataTaskWithRequest(request)
            ->resume();
        for (int pass = 0; pass < 20 && !delegate->completed; ++pass) foundation::RunLoop::main()->runUntilIdle();
        ASSERT_TRUE(delegate->completed);
        EXPECT_EQ(arrivedAtOrigin, setBy == SetBy::redirect ? 1 : 0);
        EXPECT_EQ(arrivedElsewhere, 0);
        ASSERT_NE(delegate->completionError, nullptr);
        EXPECT_EQ(delegate->completionError->domain(), foundation::NSURLErrorDomain);
        EXPECT_EQ(delegate->completionError->code(), foundation::NSURLErrorBadURL);
    }
}

TEST(URLSessionTrust, ServerTrustIsTheDelegatesDecision) {
    testsupport::SelfSignedCertificate certificate;
    testsupport::LocalHTTPServer https(certificate);
    https.server().Get("/secure", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("secret", "text/plain");
    });
    https.start();

    struct Case {
        std::optional<URLSessionAuthChallengeDisposition> answer;
        std::int64_t error;  // 0: completes with the body
    };
    const Case cases[] = {
        {URLSessionAuthChallengeDisposition::useCredential, 0},
        {URLSessionAuthChallengeDisposition::cancelAuthenticationChallenge, foundation::NSURLErrorCancelled},
        // The default evaluation does not know the self-signed certificate.
        {URLSessionAuthChallengeDisposition::performDefaultHandling, foundation::NSURLErrorServerCertificateUntrusted},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.error);
        auto delegate = std::make_shared<RecordingSessionDelegate>();
        delegate->challengeAnswer = testCase.answer;
        auto session = foundation::URLSession::sessionWithConfiguration(
            foundation::URLSessionConfiguration::defaultSessionConfiguration(), delegate, dispatch::mainQueue());
        auto made = foundation::URLRequest::requestWithURL(foundation::URL::URLWithString(https.urlWithHost("localhost", "/secure")));
        session->dataTaskWithRequest(*made)->resume();
        for (int pass = 0; pass < 20 && !delegate->completed; ++pass) foundation::RunLoop::main()->runUntilIdle();
        ASSERT_TRUE(delegate->completed);
        ASSERT_NE(delegate->challengedTrust, nullptr);
        EXPECT_EQ(delegate->challengedTrust->hostName(), "localhost");
        EXPECT_EQ(delegate->challengedTrust->certificates().front(), certificate.der());
        if (testCase.error == 0) {
            EXPECT_EQ(delegate->completionError, nullptr);
            EXPECT_EQ(delegate->body, "secret");
        } else {
            ASSERT_NE(delegate->completionError, nullptr);
            EXPECT_EQ(delegate->completionError->code(), testCase.error);
            EXPECT_EQ(delegate->body, "");
        }
    }
}

TEST(URLSessionTrust, DefaultHandlingAcceptsATrustedCertificate) {
    testsupport::SelfSignedCertificate certificate;
    testsupport::TrustedCertificate trusted(certificate.der());
    testsupport::LocalHTTPServer https(certificate);
    https.server().Get("/secure", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("secret", "text/plain");
    });
    https.start();
    auto delegate = std::make_shared<RecordingSessionDelegate>();
    auto session = foundation::URLSession::sessionWithConfiguration(
        foundation::URLSessionConfiguration::defaultSessionConfiguration(), delegate, dispatch::mainQueue());
    session->dataTaskWithRequest(*foundation::URLRequest::requestWithURL(foundation::URL::URLWithString(https.url("/secure"))))
        ->resume();
    for (int pass = 0; pass < 20 && !delegate->completed; ++pass) foundation::RunLoop::main()->runUntilIdle();
    ASSERT_TRUE(delegate->completed);
    EXPECT_EQ(delegate->completionError, nullptr);
    EXPECT_EQ(delegate->body, "secret");
}

TEST(URLSessionTrust, AnUnansweredChallengeHoldsUpNoOtherTransfer) {
    testsupport::SelfSignedCertificate certificate;
    testsupport::LocalHTTPServer https(certificate);
    testsupport::LocalHTTPServer http;
    for (auto* server : {&https, &http}) {
        server->server().Get("/", [](const httplib::Request&, httplib::Response& response) { response.set_content("ok", "text/plain"); });
        server->start();
    }
    auto waiting = std::make_shared<RecordingSessionDelegate>();
    waiting->holdChallenges = true;
    auto other = std::make_shared<RecordingSessionDelegate>();
    startDataTask(https.url("/"), waiting);
    startDataTask(http.url("/"), other);
    for (int pass = 0; pass < 20 && !other->completed; ++pass) foundation::RunLoop::main()->runUntilIdle();
    EXPECT_EQ(other->body, "ok");
    ASSERT_TRUE(waiting->heldChallenge);
    EXPECT_FALSE(waiting->completed) << "the other load finished while the question was open";

    trustHeldChallenge(*waiting);
    for (int pass = 0; pass < 20 && !waiting->completed; ++pass) foundation::RunLoop::main()->runUntilIdle();
    EXPECT_EQ(waiting->body, "ok");
}

TEST(URLSessionTrust, TheAnswerOrTheTimeoutWhicheverComesFirstDecides) {
    using namespace std::chrono_literals;
    foundation::Clock::installManual();
    testsupport::SelfSignedCertificate certificate;
    testsupport::LocalHTTPServer https(certificate);
    https.server().Get("/", [](const httplib::Request&, httplib::Response& response) { response.set_content("ok", "text/plain"); });
    https.start();
    for (bool answerFirst : {true, false}) {
        SCOPED_TRACE(answerFirst ? "answered, then the timeout passed" : "timed out, then answered");
        auto delegate = std::make_shared<RecordingSessionDelegate>();
        delegate->holdChallenges = true;
        startDataTask(https.url("/"), delegate);
        for (int pass = 0; pass < 20 && !delegate->heldChallenge; ++pass) foundation::RunLoop::main()->runUntilIdle();
        ASSERT_TRUE(delegate->heldChallenge);
        if (answerFirst) trustHeldChallenge(*delegate);
        foundation::Clock::advance(6s);
        foundation::RunLoop::main()->runUntilIdle();
        if (!answerFirst) trustHeldChallenge(*delegate);
        for (int pass = 0; pass < 20 && !delegate->completed; ++pass) foundation::RunLoop::main()->runUntilIdle();
        ASSERT_TRUE(delegate->completed);
        EXPECT_EQ(delegate->body, answerFirst ? "ok" : "");
        EXPECT_EQ(delegate->completionError ? delegate->completionError->code() : 0,
                  answerFirst ? 0 : foundation::NSURLErrorCancelled);
    }
}
