#include "sdk/utilities/ZULNetwork.hpp"

#include "platform/foundation/Clock.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/Null.hpp"
#include "platform/foundation/Number.hpp"
#include "sdk/utilities/ZULNSData+zlib.hpp"
#include "tests/sdk/utilities/NetworkTestSupport.hpp"
#include "tests/support/FileModes.hpp"
#include "tests/support/LocalHTTPServer.hpp"
#include "tests/support/TemporaryHome.hpp"
#include "tests/support/TrustedCertificates.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sys/xattr.h>

using foundation::Data;
using foundation::Error;
using foundation::HTTPURLResponse;
using foundation::String;
using foundation::URL;
using testsupport::RecordingNetworkLogger;

namespace {

void writeFile(const std::filesystem::path& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
}

// What the server saw of one request.
struct ReceivedRequest {
    std::string method;
    std::string path;
    std::string body;  // inflated by the server when the request says gzip
    std::map<std::string, std::string> headers;
};

// What the caller's handler was given, and where it ran. The handler may run on another
// queue: its fields are published by the store to `called`.
struct Outcome {
    std::atomic<bool> called{false};
    std::atomic<int> calls{0};
    std::shared_ptr<HTTPURLResponse> response;
    std::shared_ptr<Data> data;
    std::shared_ptr<Error> error;
    std::string queueLabel;
    bool uploadInProgressWhenCalled = true;

    long status() const { return response ? response->statusCode() : -1; }
    std::string body() const { return data ? std::string(data->view()) : std::string("(nil)"); }
};

class Network : public testsupport::LoggingFixture {
protected:
    void SetUp() override {
        LoggingFixture::SetUp();
        std::filesystem::remove_all(networkDirectory());
        auto record = [this](const httplib::Request& request) {
            ReceivedRequest received{request.method, request.path, request.body, {}};
            for (const auto& [name, value] : request.headers) received.headers[name] = value;
            received_.lock()->push_back(std::move(received));
        };
        http_.server().Post("/upload", [record](const httplib::Request& request, httplib::Response& response) {
            record(request);
            response.set_content("ok", "text/plain");
        });
        http_.server().Post("/fail", [](const httplib::Request&, httplib::Response& response) {
            response.status = 500;
            response.set_content("broken", "text/plain");
        });
        http_.server().Post("/found", [](const httplib::Request&, httplib::Response& response) {
            response.status = 302;
            response.set_header("Location", "/landing");
            response.set_content("found-body", "text/plain");
        });
        http_.server().Post("/see-other", [](const httplib::Request&, httplib::Response& response) {
            response.status = 303;
            response.set_header("Location", "/landing");
        });
        http_.server().Get("/landing", [record](const httplib::Request& request, httplib::Response& response) {
            record(request);
            response.set_content("landed", "text/plain");
        });
        http_.server().Get("/download", [record](const httplib::Request& request, httplib::Response& response) {
            record(request);
            response.set_content("downloaded", "text/plain");
        });
        http_.start();
        network_ = ZULNetwork::initWithReachabilityHost("localhost");
        ASSERT_NE(network_, nullptr);
    }
    void TearDown() override {
        network_.reset();
        runMainLoop();
        LoggingFixture::TearDown();
    }

    std::shared_ptr<URL> url(const std::string& path) const { return URL::URLWithString(http_.url(path)); }

    // A handler that records its call into the outcome.
    ZULNetwork::CompletionHandler recordInto(Outcome& outcome) {
        return [&outcome, network = std::weak_ptr<ZULNetwork>(network_)](std::shared_ptr<HTTPURLResponse> response,
                                                                          std::shared_ptr<Data> data,
                                                                          std::shared_ptr<Error> error) {
            outcome.response = std::move(response);
            outcome.data = std::move(data);
            outcome.error = std::move(error);
            outcome.queueLabel = dispatch::currentQueueLabel();
            if (auto strong = network.lock()) outcome.uploadInProgressWhenCalled = strong->hasUploadInProgress();
            ++outcome.calls;
            outcome.called = true;
        };
    }
    static void runUntilCalled(const Outcome& outcome) {
        for (int pass = 0; pass < 20 && !outcome.called; ++pass) runMainLoop();
        ASSERT_TRUE(outcome.called);
    }
    std::vector<ReceivedRequest> received() { return received_.copy(); }
    // An address on which nothing listens any more.
    static std::string closedAddress() {
        testsupport::LocalHTTPServer closed;
        closed.start();
        return closed.url("/upload");
    }
    static std::filesystem::path networkDirectory() {
        return std::filesystem::path(std::getenv("HOME")) / "Library" / "Application Support" / "ZUL" / "Network" /
               "ZULNetworkTemporaryDirectory";
    }

    testsupport::LocalHTTPServer http_;
    std::shared_ptr<ZULNetwork> network_;
    foundation::Guarded<std::vector<ReceivedRequest>> received_;
};

}  // namespace

TEST_F(Network, PostSendsTheGzipBodyWithHeadersThatOverrideTheCallers) {
    auto payload = Data::fromString("the measurement bundle, twice: the measurement bundle");
    auto headers = foundation::Dictionary::make({{"Content-Type", String::make("text/plain")},
                                                 {"content-encoding", String::make("identity")},
                                                 {"X-Caller", String::make("kept")}});
    Outcome outcome;
    auto sessionID = network_->postURL(url("/upload"), headers, payload, nullptr, false, recordInto(outcome));
    ASSERT_TRUE(sessionID);
    EXPECT_TRUE(sessionID->starts_with("com.zul.network.background-upload-"));
    runUntilCalled(outcome);

    EXPECT_EQ(outcome.status(), 200);
    EXPECT_EQ(outcome.body(), "ok");
    EXPECT_EQ(outcome.error, nullptr);
    EXPECT_EQ(outcome.queueLabel, "com.apple.main-thread");
    auto requests = received();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].body, std::string(payload->view()));
    EXPECT_EQ(requests[0].headers["Content-Type"], "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[0].headers["Content-Encoding"], "gzip");
    EXPECT_EQ(requests[0].headers["Content-Length"], std::to_string(zul_dataByGzippingData(payload, nullptr)->length()));
    EXPECT_EQ(requests[0].headers["X-Caller"], "kept");
}

TEST_F(Network, EmptyPayloadSendsAnEmptyBodyOfLengthZero) {
    for (const auto& payload : {Data::make(), std::shared_ptr<Data>()}) {
        Outcome outcome;
        ASSERT_TRUE(network_->postURL(url("/upload"), payload, nullptr, false, recordInto(outcome)));
        runUntilCalled(outcome);
        EXPECT_EQ(outcome.error, nullptr);
    }
    auto requests = received();
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& request : requests) {
        EXPECT_EQ(request.body, "");
        EXPECT_EQ(request.headers.at("Content-Length"), "0");
        EXPECT_EQ(request.headers.at("Content-Encoding"), "gzip");
        EXPECT_EQ(request.headers.at("Content-Type"), "application/x-www-form-urlencoded");
    }
}

TEST_F(Network, CompletionRunsOnTheCallersQueue) {
    auto queue = dispatch::createQueue("com.example.network-caller");
    Outcome post;
    Outcome get;
    network_->postURL(url("/upload"), Data::fromString("x"), queue, false, recordInto(post));
    network_->getURL(url("/download"), nullptr, queue, false, recordInto(get));
    runUntilCalled(post);
    runUntilCalled(get);
    EXPECT_EQ(post.queueLabel, "com.example.network-caller");
    EXPECT_EQ(get.queueLabel, "com.example.network-caller");
}

TEST_F(Network, GetDeliversTheDownloadedBodyInEitherKindOfSession) {
    auto headers = foundation::Dictionary::make({{"If-None-Match", String::make("\"v1\"")}});
    for (bool background : {false, true}) {
        SCOPED_TRACE(background);
        Outcome outcome;
        auto sessionID = network_->getURL(url("/download"), headers, nullptr, background, recordInto(outcome));
        ASSERT_TRUE(sessionID);
        auto fetcher = ZULNetworkURLSession::sessionFromFetcherMapForSessionID(*sessionID);
        ASSERT_NE(fetcher, nullptr);
        EXPECT_EQ(fetcher->sessionConfig().isBackground(), background);
        runUntilCalled(outcome);
        EXPECT_EQ(outcome.status(), 200);
        EXPECT_EQ(outcome.body(), "downloaded");
    }
    ASSERT_EQ(received().size(), 2u);
    EXPECT_EQ(received()[0].headers["If-None-Match"], "\"v1\"");
    EXPECT_EQ(received()[0].method, "GET");
    EXPECT_EQ(received()[0].body, "");
}

TEST_F(Network, EmptyURLReportsErrorOneOnTheGivenQueueAndStartsNothing) {
    auto queue = dispatch::createQueue("com.example.network-errors");
    for (const auto& address : {std::shared_ptr<URL>(), URL::URLWithString("")}) {
        Outcome post;
        Outcome get;
        EXPECT_FALSE(network_->postURL(address, Data::fromString("x"), queue, false, recordInto(post)));
        EXPECT_FALSE(network_->getURL(address, nullptr, queue, false, recordInto(get)));
        EXPECT_FALSE(network_->hasUploadInProgress());
        runUntilCalled(post);
        runUntilCalled(get);
        for (const auto* outcome : {&post, &get}) {
            ASSERT_NE(outcome->error, nullptr);
            EXPECT_EQ(outcome->error->domain(), "com.zul.network.ErrorDomain");
            EXPECT_EQ(outcome->error->code(), 1);
            EXPECT_EQ(foundation::stringValue(outcome->error->userInfo()->objectForKey("Context")),
                      "Failed to create network request");
            EXPECT_EQ(outcome->response, nullptr);
            EXPECT_EQ(outcome->queueLabel, "com.example.network-errors");
        }
    }
    EXPECT_TRUE(received().empty());
}

TEST_F(Network, HeaderFieldsHoldingLineBreaksOrNulAreRefusedAndNothingIsSent) {
    for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
             {"X-Token", "a\r\nX-Injected: 1"}, {"X-Token", std::string("a\0b", 3)}, {"X-Token\nX-Injected", "1"}}) {
        auto headers = foundation::Dictionary::make({{name, String::make(value)}});
        Outcome post;
        Outcome get;
        EXPECT_FALSE(network_->postURL(url("/upload"), headers, Data::fromString("x"), nullptr, false, recordInto(post)));
        EXPECT_FALSE(network_->getURL(url("/download"), headers, nullptr, false, recordInto(get)));
        runUntilCalled(post);
        runUntilCalled(get);
        EXPECT_EQ(post.error ? post.error->code() : 0, ZULNetworkErrorCodeRequestNotStarted) << name;
        EXPECT_EQ(get.error ? get.error->code() : 0, ZULNetworkErrorCodeRequestNotStarted) << name;
    }
    EXPECT_TRUE(received().empty());
}

TEST_F(Network, ErrorsOfRequestsThatCannotBeMadeReachTheHandlerWithTheirCode) {
    auto logger = RecordingNetworkLogger::make();
    network_->setLoggerDelegate(logger);
    for (auto code : {ZULNetworkErrorCodeInvalidURL, ZULNetworkErrorCodeCompressionFailed, ZULNetworkErrorCodeRequestNotStarted}) {
        SCOPED_TRACE(code);
        Outcome outcome;
        network_->handleErrorWithCode(code, nullptr, recordInto(outcome));
        runUntilCalled(outcome);
        ASSERT_NE(outcome.error, nullptr);
        EXPECT_EQ(outcome.error->code(), code);
        EXPECT_EQ(outcome.queueLabel, "com.apple.main-thread");
        auto line = logger->lines().back();
        EXPECT_EQ(line.level, 4);
        EXPECT_EQ(line.code, 900002);
        EXPECT_EQ(line.message, "Failed to create network request. Code, error");
        ASSERT_EQ(line.contexts.size(), 2u);
        EXPECT_EQ(line.contexts[0], std::to_string(code));
    }
    network_->handleErrorWithCode(ZULNetworkErrorCodeCompressionFailed, nullptr, nullptr);
    EXPECT_EQ(logger->lines().size(), 4u);
}

// A server error and a Found arrive as answered; a See Other is followed.
TEST_F(Network, AnswersArriveWithTheirBodyAndNoErrorFollowingOnlySeeOther) {
    struct Case {
        const char* path;
        long status;
        const char* body;
    };
    for (const auto& testCase :
         {Case{"/fail", 500, "broken"}, Case{"/found", 302, "found-body"}, Case{"/see-other", 200, "landed"}}) {
        SCOPED_TRACE(testCase.path);
        Outcome outcome;
        network_->postURL(url(testCase.path), Data::fromString("x"), nullptr, false, recordInto(outcome));
        runUntilCalled(outcome);
        EXPECT_EQ(outcome.status(), testCase.status);
        EXPECT_EQ(outcome.body(), testCase.body);
        EXPECT_EQ(outcome.error, nullptr);
    }
}

TEST_F(Network, RedirectedGetDoesNotAnnounceTheUploadsBody) {
    Outcome outcome;
    network_->postURL(url("/see-other"), Data::fromString("a payload long enough to matter"), nullptr, false,
                      recordInto(outcome));
    runUntilCalled(outcome);
    EXPECT_EQ(outcome.status(), 200);
    auto requests = received();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].path, "/landing");
    // A length without a body leaves a strict server waiting for bytes that never come.
    EXPECT_EQ(requests[0].headers.count("Content-Length"), 0u);
}

TEST_F(Network, CredentialFieldsStayWithTheOriginTheyWereMeantFor) {
    testsupport::LocalHTTPServer other;
    other.server().Post("/elsewhere", [this](const httplib::Request&, httplib::Response& response) {
        response.status = 303;
        response.set_header("Location", http_.urlWithHost("localhost", "/landing"));  // another host and port
    });
    other.start();
    auto headers = foundation::Dictionary::make({{"Authorization", String::make("Bearer t")}, {"Cookie", String::make("s=1")},
                                                 {"Proxy-Authorization", String::make("Basic cA==")},
                                                 {"X-Caller", String::make("kept")}});
    for (const auto& start : {other.url("/elsewhere"), http_.url("/see-other")}) {
        Outcome outcome;
        network_->postURL(URL::URLWithString(start), headers, Data::fromString("x"), nullptr, false, recordInto(outcome));
        runUntilCalled(outcome);
    }
    auto requests = received();
    ASSERT_EQ(requests.size(), 2u);
    for (const char* field : {"Authorization", "Cookie", "Proxy-Authorization"}) {
        EXPECT_EQ(requests[0].headers.count(field), 0u) << field << " went to another origin";
        EXPECT_EQ(requests[1].headers.count(field), 1u) << field << " is kept within the origin";
    }
    EXPECT_EQ(requests[0].headers["X-Caller"], "kept");
}

TEST_F(Network, UnreachableServerReportsThePlatformError) {
    auto logger = RecordingNetworkLogger::make();
    network_->setLoggerDelegate(logger);
    Outcome outcome;
    network_->postURL(URL::URLWithString(closedAddress()), Data::fromString("x"), nullptr, false, recordInto(outcome));
    runUntilCalled(outcome);
    ASSERT_NE(outcome.error, nullptr);
    EXPECT_EQ(outcome.error->domain(), foundation::NSURLErrorDomain);
    EXPECT_EQ(outcome.response, nullptr);
    EXPECT_EQ(outcome.calls, 1);
    auto lines = logger->lines();
    ASSERT_EQ(lines.size(), 2u);  // the start, then the failure
    EXPECT_EQ(lines[1].level, 3);
    EXPECT_EQ(lines[1].code, 901017);
    EXPECT_EQ(lines[1].message, "Encounter network error. Code, error");
    ASSERT_EQ(lines[1].contexts.size(), 2u);
    EXPECT_EQ(lines[1].contexts[0], std::to_string(outcome.error->code()));
    EXPECT_EQ(lines[1].contexts[1], outcome.error->description());
}

TEST_F(Network, LoggedAddressesLeaveOutTheQuery) {
    auto address = closedAddress();
    network_->setIsDebugModeEnabled(true);
    testing::internal::CaptureStderr();
    Outcome outcome;
    network_->postURL(URL::URLWithString(address + "?api_key=secret"), Data::fromString("x"), nullptr, false,
                      recordInto(outcome));
    runUntilCalled(outcome);
    std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(logged("NSErrorFailingURLKey=" + address + ","), 1u);
    EXPECT_EQ(logged("secret"), 0u);
    EXPECT_NE(printed.find("Uploading data. Host: " + address + "\n"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("secret"), std::string::npos) << printed;
}

TEST_F(Network, AnAnswerThatInflatesPastTheLimitFailsWithoutItsResponse) {
    testsupport::LocalHTTPServer server;
    server.server().Get("/inflating", [](const httplib::Request&, httplib::Response& response) {
        // 20 MiB of zeros travel as about 20 KB of gzip.
        auto body = zul_dataByGzippingData(Data::make(std::vector<std::uint8_t>(20 << 20)), nullptr);
        response.set_header("Content-Encoding", "gzip");
        response.set_content(std::string(body->view()), "application/octet-stream");
    });
    server.start();
    Outcome outcome;
    network_->getURL(URL::URLWithString(server.url("/inflating")), nullptr, nullptr, false, recordInto(outcome));
    runUntilCalled(outcome);
    EXPECT_EQ(outcome.error ? outcome.error->code() : 0, foundation::NSURLErrorDataLengthExceedsMaximum);
    EXPECT_EQ(outcome.response, nullptr);
    EXPECT_EQ(outcome.data, nullptr);
}

TEST_F(Network, UploadIsInProgressFromTheStartUntilTheHandlerIsAboutToRun) {
    EXPECT_FALSE(network_->hasUploadInProgress());
    Outcome post;
    Outcome get;
    auto postID = network_->postURL(url("/upload"), Data::fromString("x"), nullptr, false, recordInto(post));
    ASSERT_TRUE(postID);
    EXPECT_TRUE(network_->hasUploadInProgress());
    auto getID = network_->getURL(url("/download"), nullptr, nullptr, false, recordInto(get));
    ASSERT_TRUE(getID);
    runUntilCalled(post);
    runUntilCalled(get);
    // Whichever finished second saw the map empty.
    EXPECT_TRUE(!post.uploadInProgressWhenCalled || !get.uploadInProgressWhenCalled);
    EXPECT_FALSE(network_->hasUploadInProgress());
    // The fetchers are gone from the process-wide map too.
    EXPECT_EQ(ZULNetworkURLSession::sessionFromFetcherMapForSessionID(*postID), nullptr);
    EXPECT_EQ(ZULNetworkURLSession::sessionIDToFetcherMap().lock()->count(*postID), 0u);
    EXPECT_EQ(ZULNetworkURLSession::sessionIDToFetcherMap().lock()->count(*getID), 0u);
}

TEST_F(Network, ZeroTimeoutMeansSixtySeconds) {
    struct Case {
        double field;
        double expected;
    };
    for (const auto& testCase : {Case{0, 60}, Case{12.5, 12.5}}) {
        network_->setTimeoutInterval(testCase.field);
        Outcome outcome;
        auto sessionID = network_->postURL(url("/upload"), Data::fromString("x"), nullptr, false, recordInto(outcome));
        ASSERT_TRUE(sessionID);
        auto fetcher = ZULNetworkURLSession::sessionFromFetcherMapForSessionID(*sessionID);
        ASSERT_NE(fetcher, nullptr);
        EXPECT_EQ(fetcher->request()->timeoutInterval(), testCase.expected);
        EXPECT_EQ(fetcher->request()->cachePolicy(), foundation::URLRequestCachePolicy::reloadIgnoringLocalCacheData);
        EXPECT_EQ(fetcher->sessionConfig().timeoutIntervalForRequest, testCase.expected);
        EXPECT_EQ(fetcher->sessionConfig().timeoutIntervalForResource, testCase.expected);
        runUntilCalled(outcome);
    }
}

TEST_F(Network, BackgroundUploadGoesThroughATemporaryFileRemovedAfterwards) {
    testsupport::ScopedUmask umask(022);
    auto payload = Data::fromString("background payload");
    Outcome outcome;
    auto sessionID = network_->postURL(url("/upload"), payload, nullptr, true, recordInto(outcome));
    ASSERT_TRUE(sessionID);
    auto file = networkDirectory() / ("ZULUpload_temp_" + *sessionID);
    ASSERT_TRUE(std::filesystem::exists(file));
    auto contents = testsupport::readFile(file);
    EXPECT_EQ(contents, std::string(zul_dataByGzippingData(payload, nullptr)->view()));
    EXPECT_EQ(testsupport::permissionsOf(file), 0600);
    EXPECT_EQ(testsupport::permissionsOf(networkDirectory()), 0700);
    EXPECT_GT(::getxattr(file.c_str(), "user.com.apple.metadata:com_apple_backup_excludeItem", nullptr, 0), 0);
    EXPECT_GT(::getxattr(networkDirectory().c_str(), "user.com.apple.metadata:com_apple_backup_excludeItem", nullptr, 0), 0);
    auto fetcher = ZULNetworkURLSession::sessionFromFetcherMapForSessionID(*sessionID);
    ASSERT_NE(fetcher, nullptr);
    EXPECT_EQ(fetcher->sessionConfig().identifier, *sessionID);

    runUntilCalled(outcome);
    EXPECT_EQ(outcome.status(), 200);
    ASSERT_EQ(received().size(), 1u);
    EXPECT_EQ(received()[0].body, "background payload");
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(Network, ANetworkDirectoryLeftOpenIsClosedAndALinkInItsPlaceIsNotWrittenThrough) {
    testsupport::ScopedUmask umask(022);
    auto elsewhere = networkDirectory().parent_path() / "elsewhere";
    std::filesystem::create_directories(elsewhere);
    for (bool linked : {false, true}) {
        std::filesystem::remove_all(networkDirectory());
        if (linked)
            std::filesystem::create_directory_symlink(elsewhere, networkDirectory());
        else
            std::filesystem::create_directories(networkDirectory());  // 0755, as an earlier version left it
        Outcome outcome;
        network_->postURL(url("/upload"), Data::fromString("x"), nullptr, true, recordInto(outcome));
        EXPECT_TRUE(std::filesystem::is_empty(elsewhere)) << linked;
        EXPECT_EQ(testsupport::permissionsOf(linked ? elsewhere : networkDirectory()), linked ? 0755 : 0700);
        runUntilCalled(outcome);
        EXPECT_EQ(outcome.status(), 200);
    }
}

TEST_F(Network, UnwritableNetworkDirectoryFallsBackToAnUploadFromMemory) {
    // A file where the directory should be: it cannot be created.
    std::filesystem::remove_all(networkDirectory());
    std::filesystem::create_directories(networkDirectory().parent_path());
    writeFile(networkDirectory(), "in the way");
    auto logger = RecordingNetworkLogger::make();
    network_->setLoggerDelegate(logger);
    Outcome outcome;
    auto sessionID = network_->postURL(url("/upload"), Data::fromString("fallback"), nullptr, true, recordInto(outcome));
    ASSERT_TRUE(sessionID);
    EXPECT_FALSE(ZULNetworkURLSession::sessionFromFetcherMapForSessionID(*sessionID)->sessionConfig().isBackground());
    runUntilCalled(outcome);
    EXPECT_EQ(outcome.status(), 200);
    EXPECT_EQ(received().at(0).body, "fallback");
    EXPECT_TRUE(logger->received(901015));
}

TEST_F(Network, TemporaryFilesMoreThanAnHourFromNowAreRemovedAtTheNextPost) {
    std::filesystem::create_directories(networkDirectory());
    const double realNow = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    struct Case {
        double clockOffset;  // seconds between the process clock and the file's creation
        bool removed;
    };
    for (const auto& testCase : {Case{30 * 60, false}, Case{2 * 3600, true}, Case{-2 * 3600, true}}) {
        SCOPED_TRACE(testCase.clockOffset);
        auto stale = networkDirectory() / "ZULUpload_temp_left-over";
        writeFile(stale, "old");
        auto folder = networkDirectory() / "kept-folder";
        std::filesystem::create_directories(folder);
        foundation::Clock::installManual(realNow + testCase.clockOffset);
        Outcome outcome;
        ASSERT_TRUE(network_->postURL(url("/upload"), Data::fromString("x"), nullptr, false, recordInto(outcome)));
        EXPECT_EQ(std::filesystem::exists(stale), !testCase.removed);
        EXPECT_TRUE(std::filesystem::exists(folder));  // only files are cleaned up
        runUntilCalled(outcome);
        foundation::Clock::installReal();
    }
}

TEST_F(Network, TaskEndingWithNeitherResponseNorErrorReportsCodeFiveOnce) {
    Outcome outcome;
    auto sessionID = network_->getURL(url("/download"), nullptr, nullptr, false, recordInto(outcome));
    ASSERT_TRUE(sessionID);
    auto fetcher = ZULNetworkURLSession::sessionFromFetcherMapForSessionID(*sessionID);
    ASSERT_NE(fetcher, nullptr);
    // A task that never produced a response ends without an error.
    auto idle = foundation::URLSession::sessionWithConfiguration(
        foundation::URLSessionConfiguration::defaultSessionConfiguration(), nullptr, dispatch::mainQueue());
    auto task = idle->dataTaskWithRequest(*foundation::URLRequest::requestWithURL(url("/download")));
    fetcher->URLSession(idle, task, std::shared_ptr<Error>());
    runUntilCalled(outcome);
    runMainLoop();
    EXPECT_EQ(outcome.calls, 1);
    ASSERT_NE(outcome.error, nullptr);
    EXPECT_EQ(outcome.error->code(), 5);
    EXPECT_EQ(foundation::stringValue(outcome.error->userInfo()->objectForKey("Context")),
              "Network Error: Empty network response");
}

TEST_F(Network, NothingIsReportedOnceTheNetworkIsGone) {
    Outcome outcome;
    ASSERT_TRUE(network_->postURL(url("/upload"), Data::fromString("x"), nullptr, false, recordInto(outcome)));
    network_.reset();
    for (int pass = 0; pass < 3; ++pass) runMainLoop();
    EXPECT_FALSE(outcome.called);
    EXPECT_EQ(received().size(), 1u);
}

TEST_F(Network, ReachabilityReportsSetTheConnectedFlagAndTellTheDelegate) {
    runMainLoop();
    EXPECT_TRUE(network_->isNetworkConnected());  // localhost, reported by the real checker

    auto delegate = testsupport::RecordingReachabilityDelegate::make();
    network_->setReachabilityDelegate(delegate);
    struct Case {
        ZULReachabilityStatus status;
        bool connected;
    };
    for (const auto& testCase : {Case{0, false}, Case{2, true}, Case{1, false}, Case{3, true}}) {
        network_->reachability(nullptr, testCase.status);
        EXPECT_EQ(network_->isNetworkConnected(), testCase.connected);
    }
    EXPECT_EQ(delegate->changes, 4);
}

TEST(NetworkCreation, EmptyReachabilityHostGivesNoNetwork) {
    darwin::LogCapture capture;
    EXPECT_EQ(ZULNetwork::initWithReachabilityHost(""), nullptr);
    ZULLoggerFlushForTesting();
    EXPECT_EQ(capture.entriesContaining("[I-REA902001] Invalid host specified").size(), 1u);
}

TEST_F(Network, LoggerDelegateMustAnswerAllThreeOperations) {
    auto accepted = RecordingNetworkLogger::make();
    network_->setLoggerDelegate(accepted);
    // Neither an object missing one operation nor nil (which answers none) replaces it.
    network_->setLoggerDelegate(RecordingNetworkLogger::make(RecordingNetworkLogger::Selectors::missingOne));
    network_->setLoggerDelegate(nullptr);
    EXPECT_EQ(network_->loggerDelegate(), accepted);
    EXPECT_EQ(logged("[ZULNetwork][I-NET900002] Cannot set the network logger delegate: delegate does not conform to the "
                     "network logger protocol."),
              2u);
}

TEST_F(Network, LoggerDelegateReceivesTheLinesInsteadOfTheLog) {
    auto logger = RecordingNetworkLogger::make();
    network_->setLoggerDelegate(logger);
    testing::internal::CaptureStderr();
    network_->ZULNetwork_logWithLevel(kZULNetworkLogLevelInfo, kZULNetworkMessageCodeNetwork000, String::make("info"));
    Outcome post;
    network_->postURL(url("/upload"), Data::fromString("x"), nullptr, false, recordInto(post));
    runUntilCalled(post);
    Outcome get;
    network_->getURL(url("/download"), nullptr, nullptr, false, recordInto(get));
    runUntilCalled(get);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    auto lines = logger->lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].message, "info");
    struct Case {
        std::size_t index;
        std::int64_t code;
        const char* message;
        const char* path;
    };
    for (const auto& testCase : {Case{1, 900000, "Uploading data. Host", "/upload"},
                                 Case{2, 900001, "Downloading data. Host", "/download"}}) {
        SCOPED_TRACE(testCase.message);
        EXPECT_EQ(lines[testCase.index].level, 7);
        EXPECT_EQ(lines[testCase.index].code, testCase.code);
        EXPECT_EQ(lines[testCase.index].message, testCase.message);
        EXPECT_EQ(lines[testCase.index].contexts, std::vector<std::string>{http_.url(testCase.path)});
    }
}

TEST_F(Network, WithoutDelegateDebugModeDecidesWhichLevelsArePrinted) {
    struct Case {
        bool debugMode;
        std::int64_t level;
        const char* printed;  // nullptr: nothing
    };
    const Case cases[] = {
        {false, 3, "<Zadizu/Utilities/Network/ERROR> line"},
        {false, 4, "<Zadizu/Utilities/Network/WARNING> line"},
        {false, 5, nullptr},
        {false, 6, "<Zadizu/Utilities/Network/INFO> line"},
        {false, 7, nullptr},
        {true, 5, "<Zadizu/Utilities/Network/(null)> line"},
        {true, 6, "<Zadizu/Utilities/Network/INFO> line"},
        {true, 7, "<Zadizu/Utilities/Network/DEBUG> line"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(std::to_string(testCase.debugMode) + " " + std::to_string(testCase.level));
        network_->setIsDebugModeEnabled(testCase.debugMode);
        testing::internal::CaptureStderr();
        network_->ZULNetwork_logWithLevel(static_cast<ZULNetworkLogLevel>(testCase.level),
                                          kZULNetworkMessageCodeNetwork000, String::make("line"));
        std::string printed = testing::internal::GetCapturedStderr();
        if (!testCase.printed) {
            EXPECT_EQ(printed, "");
            continue;
        }
        ASSERT_FALSE(printed.empty());
        EXPECT_EQ(printed.substr(printed.find("] ") + 2), std::string(testCase.printed) + "\n");
    }
}

TEST_F(Network, PrintedLinesCarryTheirContextsAndNameMissingMessages) {
    struct Case {
        std::shared_ptr<String> message;
        std::shared_ptr<foundation::Array> contexts;
        const char* printed;
    };
    const Case cases[] = {
        {String::make("Failed"), foundation::Array::make({String::make("a"), foundation::Null::null(), foundation::Number::withInteger(4)}),
         "<Zadizu/Utilities/Network/ERROR> Failed: a, (nil), 4"},
        {nullptr, nullptr, "<Zadizu/Utilities/Network/ERROR> (Message was nil)"},
        {String::make(""), foundation::Array::make(), "<Zadizu/Utilities/Network/ERROR> (Message was empty)"},
    };
    for (const auto& testCase : cases) {
        testing::internal::CaptureStderr();
        network_->ZULNetwork_logWithLevel(kZULNetworkLogLevelError, kZULNetworkMessageCodeURLSession017, testCase.message,
                                          testCase.contexts);
        std::string printed = testing::internal::GetCapturedStderr();
        EXPECT_EQ(printed.substr(printed.find("] ") + 2), std::string(testCase.printed) + "\n");
    }
    // The single-context form wraps its context; without one there is no list.
    testing::internal::CaptureStderr();
    network_->ZULNetwork_logWithLevel(kZULNetworkLogLevelError, kZULNetworkMessageCodeURLSession017, String::make("one"),
                                      objc::Id(String::make("ctx")));
    network_->ZULNetwork_logWithLevel(kZULNetworkLogLevelError, kZULNetworkMessageCodeURLSession017, String::make("none"),
                                      objc::Id());
    std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_NE(printed.find("> one: ctx\n"), std::string::npos);
    EXPECT_NE(printed.find("> none\n"), std::string::npos);
    // The same line goes to the unified log under the network's code.
    EXPECT_EQ(logged("[ZULNetwork][I-NET901017] <Zadizu/Utilities/Network/ERROR> Failed: a, (nil), 4"), 1u);
}

TEST_F(Network, SelfSignedServerIsRefusedAndATrustedOneAnswers) {
    testsupport::SelfSignedCertificate certificate;
    testsupport::LocalHTTPServer https(certificate);
    https.server().Post("/upload", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("secure ok", "text/plain");
    });
    https.start();
    auto logger = RecordingNetworkLogger::make();
    network_->setLoggerDelegate(logger);
    auto secureURL = URL::URLWithString(https.urlWithHost("localhost", "/upload"));

    Outcome refused;
    network_->postURL(secureURL, Data::fromString("x"), nullptr, false, recordInto(refused));
    runUntilCalled(refused);
    ASSERT_NE(refused.error, nullptr);
    EXPECT_EQ(refused.error->code(), foundation::NSURLErrorCancelled);
    EXPECT_EQ(refused.response, nullptr);
    struct TrustLine {
        std::int64_t code;
        std::int64_t level;
        std::string message;
        std::vector<std::string> contexts;
        bool operator==(const TrustLine&) const = default;
    };
    std::vector<TrustLine> trustLines;
    for (const auto& line : logger->lines())
        if (line.code >= 901004 && line.code <= 901008)
            trustLines.push_back({line.code, line.level, line.message, line.contexts});
    const std::string address = secureURL->absoluteString();
    const std::string untrusted = std::to_string(security::errSecNotTrusted);
    EXPECT_EQ(trustLines, (std::vector<TrustLine>{
                              {901006, 7, "Received SSL challenge for host. Host", {address}},
                              {901008, 3, "Cannot evaluate server trust. Error, host", {untrusted, address}},
                              {901007, 7, "Cancelling authentication challenge for host. Host", {address}},
                          }));
    EXPECT_TRUE(logger->received(901017));

    testsupport::TrustedCertificate trustedCertificate(certificate.der());
    Outcome trusted;
    network_->postURL(secureURL, Data::fromString("x"), nullptr, false, recordInto(trusted));
    runUntilCalled(trusted);
    EXPECT_EQ(trusted.error, nullptr);
    EXPECT_EQ(trusted.status(), 200);
    EXPECT_EQ(trusted.body(), "secure ok");
}
