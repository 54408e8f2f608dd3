// The simulator over real sockets: what it records, its log-in flow and its built-in routes.
#include "sim/sim_server.h"
#include "web/cookie_ops.h"
#include "web/cookie_store.h"
#include "web/gbk.h"
#include "web/http_client_curl.h"

#include <arpa/inet.h>
#include <chrono>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace dropship::sim {
namespace {

using namespace std::chrono_literals;

// Sends raw bytes to the server and returns everything it answers until it closes.
std::string exchangeRaw(std::uint16_t port, const std::string& bytes) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size()) &&
        ::shutdown(fd, SHUT_WR) == 0) {
        char buffer[4096];
        for (ssize_t got; (got = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
            answer.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return answer;
}

std::string bodyOf(const std::string& answer) {
    const std::size_t end = answer.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : answer.substr(end + 4);
}

class SimServerTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server.start()); }

    SimServer server;
    CookieStore store;
    CurlHttpClient client{store};
};

TEST_F(SimServerTest, RecordsRequestsExactlyAsReceived) {
    const std::string head = "POST /echo?a=1&b=%D5%C5 HTTP/1.1\r\nHost: trade.sim.localhost:1234\r\n"
                             "X-Odd:  spaced value \r\ncookie: a=1; sid=xyz\r\nContent-Length: 5";
    const std::string answer = exchangeRaw(server.port(), head + std::string("\r\n\r\nab\0cd\0", 10));
    ASSERT_EQ(server.requests().size(), 1u);
    const Request r = server.requests()[0];
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.target, "/echo?a=1&b=%D5%C5");
    EXPECT_EQ(r.path, "/echo");
    EXPECT_EQ(r.query, "a=1&b=%D5%C5");
    EXPECT_EQ(r.queryParam("b"), "\xD5\xC5");
    EXPECT_EQ(r.host, "trade.sim.localhost");
    EXPECT_EQ(r.headerBlock, head.substr(head.find("\r\n") + 2));
    ASSERT_EQ(r.headers.size(), 4u);
    EXPECT_EQ(r.headers[1], (std::pair<std::string, std::string>{"X-Odd", "spaced value"}));
    EXPECT_EQ(r.cookie("sid"), "xyz");
    EXPECT_EQ(r.header("content-length"), "5");
    EXPECT_EQ(r.body, std::string("ab\0cd", 5));
    EXPECT_EQ(answer.substr(0, answer.find("\r\n")), "HTTP/1.1 200 OK");
    EXPECT_NE(answer.find("\r\nContent-Length: "), std::string::npos);
    EXPECT_EQ(bodyOf(answer), "POST " + r.target + "\r\n" + r.headerBlock + "\r\n\r\n" + r.body);
    server.clearRequests();
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(SimServerTest, MalformedOrCutRequestsAreDropped) {
    EXPECT_EQ(exchangeRaw(server.port(), "GARBAGE\r\n\r\n"), "");
    EXPECT_EQ(exchangeRaw(server.port(), "POST /echo HTTP/1.1\r\nContent-Length: x\r\n\r\n"), "");
    EXPECT_EQ(exchangeRaw(server.port(), "POST /echo HTTP/1.1\r\nContent-Length: 10\r\n\r\nshort"), "");
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(SimServerTest, LoginFlowSetsCookiesAndOpensProtectedRoutes) {
    server.route("GET", "/trade/private.htm", [](const Request&) { return htmlPage("private"); });
    const std::string trade = server.origin("trade");
    const std::string seller = server.origin("seller");

    const std::string loginForm = client.httpRequest(trade + "/trade/private.htm");
    EXPECT_NE(loginForm.find("action=\"/login\""), std::string::npos);
    EXPECT_NE(loginForm.find("value=\"/trade/private.htm\""), std::string::npos);
    EXPECT_NE(loginForm.find(utf8ToGbk("会员登录")), std::string::npos);
    EXPECT_NE(client.httpRequest(seller + "/seller_admin.htm").find("name=\"password\""), std::string::npos);

    const std::string workbench =
        client.httpRequest(seller + "/login", 1, "user=%D5%C5%C8%FD&password=secret");
    EXPECT_NE(workbench.find(utf8ToGbk("卖家中心")), std::string::npos);
    EXPECT_NE(workbench.find("<span id=\"account\">" + utf8ToGbk("张三") + "</span>"), std::string::npos);

    const auto cookies = store.all();
    ASSERT_EQ(cookies.size(), 2u);
    EXPECT_EQ(cookies[0].name, "cookie2");
    EXPECT_TRUE(cookies[0].httpOnly);
    EXPECT_EQ(cookies[0].domain, ".sim.localhost");
    EXPECT_EQ(cookies[1].name, "_nk_");
    EXPECT_EQ(cookies[1].value, "%5Cu5F20%5Cu4E09");
    EXPECT_FALSE(cookies[1].httpOnly);
    EXPECT_EQ(cookies[1].domain, ".sim.localhost");

    EXPECT_EQ(client.httpRequest(trade + "/trade/private.htm"), "private");
    const auto recorded = server.requests();
    EXPECT_TRUE(server.loggedIn(recorded.back()));
    EXPECT_EQ(server.accountOf(recorded.back()), utf8ToGbk("张三"));
    EXPECT_EQ(recorded[recorded.size() - 2].target, "/seller_admin.htm"); // the redirect after the POST

    client.httpRequest(seller + "/logout");
    EXPECT_EQ(readCookies(store, "sim.localhost"), "");
    EXPECT_NE(client.httpRequest(trade + "/trade/private.htm"), "private");
}

TEST_F(SimServerTest, LoginKeepsToLocalRedirectsOnly) {
    server.route("GET", "/back", [](const Request&) { return htmlPage("back"); });
    const std::string seller = server.origin("seller");
    EXPECT_EQ(client.httpRequest(seller + "/login", 1, "user=a&password=b&redirect=%2Fback"), "back");
    const std::string offsite =
        client.httpRequest(seller + "/login", 1, "user=a&password=b&redirect=%2F%2Fevil.localhost%2F");
    EXPECT_NE(offsite.find("id=\"workbench\""), std::string::npos);
}

TEST_F(SimServerTest, OnlyKnownAccountsLogInOnceAccountsAreAdded) {
    const std::string seller = server.origin("seller");
    EXPECT_NE(
        client.httpRequest(seller + "/login", 1, "user=a&password=").find(utf8ToGbk("账户名或密码错误")),
        std::string::npos);
    server.addAccount("tb1", "pw");
    EXPECT_NE(client.httpRequest(seller + "/login", 1, "user=other&password=pw").find("login-error"),
              std::string::npos);
    EXPECT_TRUE(store.all().empty());
    EXPECT_NE(client.httpRequest(seller + "/login", 1, "user=tb1&password=pw").find("id=\"workbench\""),
              std::string::npos);
    EXPECT_NE(readCookies(store, "sim.localhost").find("_nk_=tb1"), std::string::npos);
}

struct NickCase {
    std::string account; // UTF-8
    std::string cookie;
};

class NickCookieValueTest : public testing::TestWithParam<NickCase> {};

TEST_P(NickCookieValueTest, EscapesAsTheMarketplaceWritesIt) {
    EXPECT_EQ(nickCookieValue(utf8ToGbk(GetParam().account)), GetParam().cookie);
}

INSTANTIATE_TEST_SUITE_P(Accounts, NickCookieValueTest,
                         testing::Values(NickCase{"张三", "%5Cu5F20%5Cu4E09"}, NickCase{"tb123", "tb123"},
                                         NickCase{"a_b c", "a%5Fb%20c"},
                                         NickCase{"小店ab", "%5Cu5C0F%5Cu5E97ab"}, NickCase{"", ""}));

TEST_F(SimServerTest, StopEndsADelayedAnswerAtOnce) {
    std::thread caller([this] { client.httpRequest(server.origin("seller") + "/delay?ms=10000"); });
    while (server.requests().empty())
        std::this_thread::sleep_for(5ms);
    const auto start = std::chrono::steady_clock::now();
    server.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    caller.join();
}

TEST_F(SimServerTest, UnknownPathsAnswer404AndRoutesMayBeReplaced) {
    const std::string seller = server.origin("seller");
    EXPECT_EQ(client.httpRequest(seller + "/nope"), "<html><body>404</body></html>");
    server.route(
        "GET", "/nope", [](const Request&) { return htmlPage("one"); }, false);
    server.route(
        "GET", "/nope", [](const Request&) { return htmlPage("two"); }, false);
    EXPECT_EQ(client.httpRequest(seller + "/nope"), "two");
    server.route(
        "GET", "/throws", [](const Request&) -> Response { throw std::runtime_error("x"); }, false);
    EXPECT_EQ(client.httpRequest(seller + "/throws"), "<html><body>500</body></html>");
    EXPECT_EQ(client.httpRequest(seller + "/status?code=403"), "status 403");
}

TEST_F(SimServerTest, EndpointsNameEveryRoleOnThisServer) {
    const Endpoints e = server.endpoints();
    const std::string port = ":" + std::to_string(server.port());
    EXPECT_EQ(e.sellerWorkbench, "http://seller.sim.localhost" + port);
    EXPECT_EQ(e.sellerTrade, server.origin("trade"));
    EXPECT_EQ(e.buyerTrade, "http://buyertrade.sim.localhost" + port);
    EXPECT_EQ(e.logisticsTrace, "http://trace.sim.localhost" + port);
    EXPECT_EQ(e.consign, "http://wuliu.sim.localhost" + port);
    EXPECT_EQ(e.wholesaleTrade, "http://wholesale.sim.localhost" + port);
    EXPECT_EQ(e.cookieDomain, "sim.localhost");
    for (const std::string& origin : {e.sellerWorkbench, e.buyerTrade, e.logisticsTrace, e.wholesaleTrade})
        EXPECT_EQ(client.httpRequest(origin + "/zero-bytes").size(), 9u) << origin;
}

TEST(SimServerDomain, OtherCookieDomain) {
    SimServer server("shop.localhost");
    ASSERT_TRUE(server.start());
    CookieStore store;
    CurlHttpClient client(store);
    client.httpRequest(server.origin("seller") + "/login", 1, "user=x&password=y");
    ASSERT_EQ(store.all().size(), 2u);
    EXPECT_EQ(store.all()[1].domain, ".shop.localhost");
    EXPECT_EQ(server.endpoints().cookieDomain, "shop.localhost");
}

} // namespace
} // namespace dropship::sim
