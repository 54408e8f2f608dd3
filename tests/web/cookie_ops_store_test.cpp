// readCookies and setCookie on the shared store, with cookies coming from simulator answers.
#include "sim_fixture.h"
#include "web/cookie_ops.h"

namespace dropship {
namespace {

Cookie browserCookie(std::string name, std::string value, std::string domain) {
    Cookie c;
    c.name = std::move(name);
    c.value = std::move(value);
    c.domain = std::move(domain);
    return c;
}

class CookieOpsTest : public SimFixture {
  protected:
    void get(const std::string& pathAndQuery) { client.httpRequest(seller() + pathAndQuery); }
    int writesSeen() const { return writes; }
    void SetUp() override {
        SimFixture::SetUp();
        store.addListener([this](const Cookie&, bool, CookieStore::Source) { ++writes; });
    }
    int writes = 0;
};

TEST_F(CookieOpsTest, ReadCookiesIncludesHttpOnlyCookiesFirst) {
    get("/set-cookie?name=plain&value=1");
    get("/set-httponly?name=secret&value=2");
    get("/set-cookie?name=mine&value=3&hostOnly=1");
    EXPECT_EQ(readCookies(store, sellerHost()), "plain=1; secret=2; mine=3");
    EXPECT_EQ(readCookies(store, "trade.sim.localhost"), "plain=1; secret=2");
    EXPECT_EQ(readCookies(store, "other.localhost"), "");
}

TEST_F(CookieOpsTest, LoginCookiesAreReadable) {
    client.httpRequest(seller() + "/login", 1, "user=%D5%C5%C8%FD&password=pw");
    const std::string text = readCookies(store, "sim.localhost");
    EXPECT_NE(text.find("_nk_=%5Cu5F20%5Cu4E09"), std::string::npos) << text;
    EXPECT_NE(text.find("cookie2="), std::string::npos) << text;
}

TEST_F(CookieOpsTest, SetCookieWritesHostAndRootDomainAndDeletes) {
    EXPECT_TRUE(setCookie(store, sellerHost(), "a", "1"));
    auto all = store.all();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].domain, "seller.sim.localhost");
    EXPECT_EQ(all[1].domain, ".sim.localhost");
    EXPECT_EQ(all[1].expires, 0);
    EXPECT_EQ(readCookies(store, sellerHost()), "a=1");
    client.httpRequest(trade() + "/echo");
    EXPECT_EQ(server.requests().back().cookie("a"), "1");

    EXPECT_TRUE(setCookie(store, "http://" + sellerHost() + "/x", "a", "", {}));
    EXPECT_TRUE(store.all().empty());
}

TEST_F(CookieOpsTest, SetCookieWithExpiryAndRefusals) {
    EXPECT_TRUE(setCookie(store, "seller.sim.localhost", "e", "v", DateTime{2037, 1, 2, 3, 4, 5}));
    ASSERT_EQ(store.all().size(), 2u);
    EXPECT_EQ(store.all()[1].expires, 2114478245); // 2037-01-02 03:04:05 read as GMT, as written
    EXPECT_TRUE(setCookie(store, "seller.sim.localhost", "e", "v", DateTime{2001, 1, 1, 0, 0, 0}));
    EXPECT_TRUE(store.all().empty());

    get("/set-httponly?name=h&value=1");
    EXPECT_FALSE(setCookie(store, "seller.sim.localhost", "h", "2"));
    EXPECT_FALSE(setCookie(store, "seller.sim.localhost", "h"));
    EXPECT_EQ(readCookies(store, "seller.sim.localhost"), "h=1");
    EXPECT_FALSE(setCookie(store, "", "x", "1"));
    EXPECT_FALSE(writeCookieData(store, "http://seller.sim.localhost", "x", "1; domain=.other.localhost"));
}

TEST_F(CookieOpsTest, DeleteAllOfAHostWithNoneWritesNothing) {
    EXPECT_TRUE(setCookie(store, sellerHost(), ""));
    EXPECT_EQ(writesSeen(), 0);
}

TEST_F(CookieOpsTest, DeleteAllOfAHostWithSeveral) {
    get("/set-cookie?name=a&value=1");
    get("/set-cookie?name=b&value=2&hostOnly=1");
    setCookie(store, "seller.sim.localhost", "c", "3");
    store.set(browserCookie("z", "9", "other.localhost"), CookieStore::Source::Browser);
    EXPECT_TRUE(setCookie(store, sellerHost(), ""));
    EXPECT_EQ(readCookies(store, sellerHost()), "");
    ASSERT_EQ(store.all().size(), 1u);
    EXPECT_EQ(store.all()[0].name, "z");
}

TEST_F(CookieOpsTest, DeleteAllEndsWhenTheStoreRefusesSome) {
    get("/set-httponly?name=first&value=1");
    get("/set-cookie?name=plain&value=2");
    store.set(browserCookie("sub", "3", ".seller.sim.localhost"), CookieStore::Source::Browser);
    get("/set-cookie?name=last&value=4");
    EXPECT_TRUE(setCookie(store, sellerHost(), ""));
    // The HttpOnly cookie cannot be deleted by a script-level write, and one set for the host's own
    // domain is neither the host cookie nor the root-domain cookie the deletion writes.
    EXPECT_EQ(readCookies(store, sellerHost()), "first=1; sub=3");
}

TEST_F(CookieOpsTest, DeleteAllOfTheCookieDomain) {
    client.httpRequest(seller() + "/login", 1, "user=tb1&password=pw");
    ASSERT_FALSE(readCookies(store, "sim.localhost").empty());
    EXPECT_TRUE(setCookie(store, "sim.localhost", ""));
    EXPECT_EQ(readCookies(store, "sim.localhost"), "cookie2=" + server.requests().back().cookie("cookie2"));
}

} // namespace
} // namespace dropship
