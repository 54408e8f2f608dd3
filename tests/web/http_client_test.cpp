// The libcurl client against the simulator over real sockets.
#include "sim_fixture.h"
#include "web/gbk.h"

#include <chrono>
#include <thread>

namespace dropship {
namespace {

using namespace std::chrono_literals;

constexpr const char* kPlainAgent = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n";
constexpr const char* kTimedAgent =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)\r\n";
constexpr const char* kTimedAccept =
    "Accept: image/gif, image/bmp, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";

struct BlockCase {
    const char* name;
    bool timed;
    int method;
    std::string pathAndQuery; // appended to the origin, host written in upper case to show the Referer
    std::string body;
    std::string expectedMethod;
    std::string expectedBody;
};

class HeaderBlockTest : public SimFixture, public testing::WithParamInterface<BlockCase> {};

// Everything after Host and User-Agent, as the request operation composes it.
std::string expectedRest(const BlockCase& c, const std::string& url) {
    const std::string referer = "Referer: " + url + "\r\nAccept-Language: zh-cn";
    const std::string formType = "\r\nContent-Type: application/x-www-form-urlencoded";
    const std::string length = "\r\nContent-Length: " + std::to_string(c.body.size());
    if (!c.timed)
        return std::string("Accept: */*\r\n") + referer + formType + (c.method == 1 ? length : "");
    if (c.method != 1)
        return kTimedAccept + referer;
    return kTimedAccept + referer + (c.body.empty() ? length : formType + length);
}

TEST_P(HeaderBlockTest, SendsTheBlockAndBodyExactly) {
    const BlockCase& c = GetParam();
    const std::string host = "seller.sim.localhost:" + std::to_string(server.port());
    const std::string url = "http://SELLER.sim.localhost:" + std::to_string(server.port()) + c.pathAndQuery;
    const Bytes answer = c.timed ? client.httpRequestTimed(url, c.method, c.body, 5)
                                 : client.httpRequest(url, c.method, c.body);
    const auto recorded = server.requests();
    ASSERT_EQ(recorded.size(), 1u);
    const sim::Request& r = recorded.front();
    EXPECT_EQ(r.method, c.expectedMethod);
    EXPECT_EQ(r.target, c.pathAndQuery.empty() ? "/" : c.pathAndQuery);
    EXPECT_EQ(r.headerBlock,
              "Host: " + host + "\r\n" + (c.timed ? kTimedAgent : kPlainAgent) + expectedRest(c, url));
    EXPECT_EQ(r.body, c.expectedBody);
    EXPECT_EQ(answer, r.method + " " + r.target + "\r\n" + r.headerBlock + "\r\n\r\n" + r.body);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, HeaderBlockTest,
    testing::Values(BlockCase{"PlainGet", false, 0, "/echo?Q=AbC&n=1", "ignored", "GET", ""},
                    BlockCase{"PlainPost", false, 1, "/echo?x=1", "a=1&b=%D5%C5", "POST", "a=1&b=%D5%C5"},
                    BlockCase{"PlainPostEmptyBody", false, 1, "/echo", "", "POST", ""},
                    BlockCase{"PlainOtherMethodIsGet", false, 2, "/echo", "", "GET", ""},
                    BlockCase{"TimedGet", true, 0, "/echo?Q=AbC", "ignored", "GET", ""},
                    BlockCase{"TimedMethodTwoIsGet", true, 2, "/echo", "ignored", "GET", ""},
                    BlockCase{"TimedPost", true, 1, "/echo?x=1", "a=1&b=2", "POST", "a=1&b=2"},
                    BlockCase{"TimedPostEmptyBody", true, 1, "/echo", "", "POST", ""},
                    BlockCase{"PostBodyWithZeroByte", false, 1, "/echo", std::string("a\0b", 3), "POST",
                              std::string("a\0b", 3)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimFixture, UrlEndingAtTheHostRequestsTheRoot) {
    server.route(
        "GET", "/", [](const sim::Request&) { return sim::htmlPage("root"); }, false);
    EXPECT_EQ(client.httpRequest(seller()), "root");
    EXPECT_EQ(client.httpRequestTimed(seller()), "root");
    const auto recorded = server.requests();
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[0].target, "/");
    EXPECT_NE(recorded[1].headerBlock.find("Referer: " + seller() + "\r\n"), std::string::npos);
}

TEST_F(SimFixture, EmptyOrUnusableUrlSendsNothing) {
    EXPECT_EQ(client.httpRequest(""), "");
    EXPECT_EQ(client.httpRequestTimed(""), "");
    EXPECT_EQ(client.httpRequest(seller() + "/echo\r\nX-Injected: 1"), "");
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(SimFixture, ZeroBytesInTheAnswerComeBackWhole) {
    const Bytes answer = client.httpRequest(seller() + "/zero-bytes");
    EXPECT_EQ(answer, std::string("ab\0cd\0\0ef", 9));
    EXPECT_EQ(client.httpRequestTimed(seller() + "/zero-bytes"), answer);
}

TEST_F(SimFixture, ErrorStatusBodyIsReturnedAndRefusedConnectionGivesNothing) {
    EXPECT_EQ(client.httpRequest(seller() + "/status?code=500"), "status 500");
    EXPECT_EQ(client.httpRequestTimed(seller() + "/nothing-here"), "<html><body>404</body></html>");
    const std::uint16_t port = server.port();
    server.stop();
    EXPECT_EQ(client.httpRequest("http://seller.sim.localhost:" + std::to_string(port) + "/echo"), "");
    EXPECT_EQ(client.httpRequestTimed("http://seller.sim.localhost:" + std::to_string(port) + "/echo"), "");
}

TEST_F(SimFixture, RedirectSetsACookieThatLaterRequestsCarry) {
    const Bytes answer =
        client.httpRequest(seller() + "/redirect-set-cookie?name=sid&value=abc&to=/echo%3Fafter");
    const auto recorded = server.requests();
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[1].target, "/echo?after");
    EXPECT_EQ(recorded[1].cookie("sid"), "abc");
    EXPECT_NE(answer.find("GET /echo?after"), std::string::npos);

    const auto cookies = store.all();
    ASSERT_EQ(cookies.size(), 1u);
    EXPECT_EQ(cookies[0].name, "sid");
    EXPECT_EQ(cookies[0].domain, ".sim.localhost");

    server.clearRequests();
    client.httpRequestTimed(trade() + "/echo", 1, "k=v");
    ASSERT_EQ(server.requests().size(), 1u);
    const std::string block = server.requests()[0].headerBlock;
    EXPECT_EQ(block,
              "Host: trade.sim.localhost:" + std::to_string(server.port()) + "\r\n" + kTimedAgent +
                  "Cookie: sid=abc\r\n" + kTimedAccept + "Referer: " + trade() +
                  "/echo\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                  "Content-Length: 3");
}

TEST_F(SimFixture, PostRedirectedContinuesAsGetWithoutBody) {
    server.route(
        "POST", "/form", [](const sim::Request&) { return sim::redirectTo("/echo"); }, false);
    const Bytes answer = client.httpRequestTimed(seller() + "/form", 1, "a=1");
    const auto recorded = server.requests();
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[1].method, "GET");
    EXPECT_EQ(recorded[1].body, "");
    EXPECT_EQ(recorded[1].header("Content-Length"), "");
    EXPECT_NE(answer.find("GET /echo"), std::string::npos);
}

TEST_F(SimFixture, TimeOutAnswersTheTimeOutText) {
    const auto start = std::chrono::steady_clock::now();
    const Bytes answer = client.httpRequestTimed(seller() + "/delay?ms=5000", 0, {}, 1); // 200 ms here
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(
        answer,
        utf8ToGbk(
            "超时返回，指定网站不能访问，或者你的网络出现问题，你可以把参数中的＂超时＂值设置长一些。"));
    EXPECT_EQ(answer, timedOutAnswer());
    EXPECT_GE(elapsed, 190ms);
    EXPECT_LT(elapsed, 2s);
    EXPECT_EQ(client.httpRequestTimed(seller() + "/delay?ms=10", 0, {}, 1), "late");
}

// A blank in a URL is escaped on the request line; the Referer carries the URL as passed.
TEST_F(SimFixture, BlankInTheUrlIsEscapedOnTheRequestLineOnly) {
    const std::string url = seller() + "/echo?id=12 34";
    EXPECT_NE(client.httpRequest(url), "");
    const auto recorded = server.requests();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].target, "/echo?id=12%2034");
    EXPECT_EQ(recorded[0].header("Referer"), url);
}

// A server that accepts but never answers does not hold the plain operation for ever.
TEST_F(SimFixture, SilentServerIsGivenUpAfterTheStallTimeOut) {
    CurlHttpClientOptions options;
    options.stallTimeout = std::chrono::seconds(1);
    CurlHttpClient impatient(store, options);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(impatient.httpRequest(seller() + "/delay?ms=8000"), "");
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, 900ms);
    EXPECT_LT(elapsed, 5s);
    // An answer that keeps coming within the limit is not cut.
    EXPECT_EQ(impatient.httpRequest(seller() + "/delay?ms=300"), "late");
}

TEST_F(SimFixture, WhileWaitingRunsDuringATimedRequest) {
    int calls = 0;
    CurlHttpClient pumping(store,
                           CurlHttpClientOptions{1.0, [&calls] { ++calls; }, std::chrono::milliseconds(10)});
    EXPECT_EQ(pumping.httpRequestTimed(seller() + "/delay?ms=300"), "late");
    EXPECT_GE(calls, 5);
}

// A stop request ends a slow transfer at once, for both operations.
class StopTest : public SimFixture, public testing::WithParamInterface<bool> {};

TEST_P(StopTest, StopAbortsASlowRequestAtOnce) {
    const bool timed = GetParam();
    std::stop_source stopper;
    std::chrono::steady_clock::time_point returned;
    Bytes answer = "unset";
    std::thread caller([&] {
        const std::string url = seller() + "/delay?ms=10000";
        answer = timed ? client.httpRequestTimed(url, 0, {}, 60, stopper.get_token())
                       : client.httpRequest(url, 0, {}, stopper.get_token());
        returned = std::chrono::steady_clock::now();
    });
    while (server.requests().empty())
        std::this_thread::sleep_for(5ms);
    const auto stoppedAt = std::chrono::steady_clock::now();
    stopper.request_stop();
    caller.join();
    EXPECT_EQ(answer, "");
    EXPECT_LT(returned - stoppedAt, 300ms);
    EXPECT_EQ(client.httpRequest(seller() + "/zero-bytes", 0, {}, stopper.get_token()), "");
}

INSTANTIATE_TEST_SUITE_P(Operations, StopTest, testing::Bool(),
                         [](const auto& info) { return info.param ? "Timed" : "Plain"; });

TEST_F(SimFixture, ThreadsShareOneCookieStore) {
    constexpr int kThreads = 4;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([this, t] {
            for (int i = 0; i < 5; ++i)
                client.httpRequest(server.origin(t % 2 ? "trade" : "seller") + "/set-cookie?name=c" +
                                   std::to_string(t) + "&value=" + std::to_string(i));
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(store.all().size(), static_cast<std::size_t>(kThreads));

    server.clearRequests();
    threads.clear();
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([this, t] {
            if (t % 2)
                client.httpRequestTimed(server.origin("buyertrade") + "/echo");
            else
                client.httpRequest(server.origin("wholesale") + "/echo");
        });
    for (auto& thread : threads)
        thread.join();
    const auto recorded = server.requests();
    ASSERT_EQ(recorded.size(), static_cast<std::size_t>(kThreads));
    for (const sim::Request& r : recorded)
        for (int t = 0; t < kThreads; ++t)
            EXPECT_EQ(r.cookie("c" + std::to_string(t)), "4") << r.headerBlock;
}

} // namespace
} // namespace dropship
