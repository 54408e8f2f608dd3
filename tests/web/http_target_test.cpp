#include "web/http_target.h"

#include <gtest/gtest.h>

namespace dropship {
namespace {

struct TargetCase {
    const char* url;
    bool secure;
    const char* host;
    int port;
    const char* objectPath;
};

class HttpTargetTest : public testing::TestWithParam<TargetCase> {};

TEST_P(HttpTargetTest, DerivesSchemeHostPortAndObjectPath) {
    const TargetCase& c = GetParam();
    const auto target = httpTarget(c.url);
    ASSERT_TRUE(target.has_value()) << c.url;
    EXPECT_EQ(target->secure, c.secure);
    EXPECT_EQ(target->host, c.host);
    EXPECT_EQ(target->port, c.port);
    EXPECT_EQ(target->objectPath, c.objectPath);
}

INSTANTIATE_TEST_SUITE_P(
    Urls, HttpTargetTest,
    testing::Values(TargetCase{"https://trade.taobao.com", true, "trade.taobao.com", 443, "/"},
                    TargetCase{"https://trade.taobao.com/", true, "trade.taobao.com", 443, "/"},
                    TargetCase{"http://trade.taobao.com", false, "trade.taobao.com", 80, "/"},
                    TargetCase{"HTTPS://Trade.TaoBao.com/A/B.htm?X=Y&z=1", true, "trade.taobao.com", 443,
                               "/A/B.htm?X=Y&z=1"},
                    TargetCase{"http://seller.sim.localhost:8123/echo?a=1", false, "seller.sim.localhost",
                               8123, "/echo?a=1"},
                    TargetCase{"https://h.example:8443/p", true, "h.example", 8443, "/p"},
                    TargetCase{"http://h.example?q=1", false, "h.example", 80, "/?q=1"},
                    TargetCase{"h.example/x", false, "h.example", 80, "/x"},
                    TargetCase{"http://h.example/go?u=https://other.example/", false, "h.example", 80,
                               "/go?u=https://other.example/"}));

TEST(HttpTargetRefusals, UnusableUrlsGiveNothing) {
    for (const char* url : {"", "http://", "http://:80/", "http://h.example:/", "http://h.example:99999/",
                            "http://h.example:8a/", "ftp://h.example/", "http://h.ex ample/a",
                            "http://h.example/\r\nX-Injected: 1"})
        EXPECT_FALSE(httpTarget(url).has_value()) << url;
}

TEST(HttpTargetUrl, EffectiveUrlKeepsAWrittenPortOnly) {
    EXPECT_EQ(effectiveUrl(*httpTarget("HTTP://A.Example:81/P?q")), "http://a.example:81/P?q");
    EXPECT_EQ(effectiveUrl(*httpTarget("https://a.example")), "https://a.example/");
    EXPECT_EQ(requestPath("/a/b?c=/d#e"), "/a/b");
    // A blank in the path or query is escaped for the request line only.
    const auto blank = httpTarget("http://h.example/a b?id=1 2");
    ASSERT_TRUE(blank.has_value());
    EXPECT_EQ(blank->objectPath, "/a b?id=1 2");
    EXPECT_EQ(effectiveUrl(*blank), "http://h.example/a%20b?id=1%202");
}

} // namespace
} // namespace dropship
