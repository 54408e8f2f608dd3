// The shared store: its own reads and writes, what the browser bridge sees, and answers' cookies.
#include "sim_fixture.h"

#include <ctime>
#include <tuple>

namespace dropship {
namespace {

using Source = CookieStore::Source;

struct Event {
    Cookie cookie;
    bool removed;
    Source source;
};

class CookieStoreTest : public SimFixture {
  protected:
    void SetUp() override {
        SimFixture::SetUp();
        store.addListener([this](const Cookie& c, bool removed, Source source) {
            events.push_back({c, removed, source});
        });
    }
    static Cookie cookie(std::string name, std::string value, std::string domain, std::string path = "/") {
        Cookie c;
        c.name = std::move(name);
        c.value = std::move(value);
        c.domain = std::move(domain);
        c.path = std::move(path);
        return c;
    }
    std::vector<std::string> namesFor(const std::string& url, bool httpOnly = true) const {
        std::vector<std::string> names;
        for (const Cookie& c : store.cookiesFor(url, httpOnly))
            names.push_back(c.name + "=" + c.value);
        return names;
    }
    std::vector<Event> events;
};

TEST_F(CookieStoreTest, SetReplaceRemoveAndReadBack) {
    Cookie c = cookie("a", "1", ".sim.localhost");
    c.httpOnly = true;
    c.expires = std::time(nullptr) + 3600;
    EXPECT_TRUE(store.set(c, Source::Browser));
    ASSERT_EQ(store.all().size(), 1u);
    EXPECT_EQ(store.all()[0], c);

    c.value = "2";
    EXPECT_TRUE(store.set(c, Source::Browser));
    EXPECT_EQ(store.all()[0].value, "2");
    EXPECT_TRUE(store.remove("a", ".sim.localhost", "/", Source::Browser));
    EXPECT_TRUE(store.all().empty());
    EXPECT_FALSE(store.remove("a", ".sim.localhost", "/", Source::Browser));

    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].cookie.value, "1");
    EXPECT_EQ(events[1].cookie.value, "2");
    EXPECT_TRUE(events[2].removed);
    for (const Event& e : events)
        EXPECT_EQ(e.source, Source::Browser);
}

TEST_F(CookieStoreTest, MalformedCookiesAreRefused) {
    for (const Cookie& bad : {cookie("", "v", "h.localhost"), cookie("a b", "v", "h.localhost"),
                              cookie("a=b", "v", "h.localhost"), cookie("a", "v;x", "h.localhost"),
                              cookie("a", "v\tx", "h.localhost"), cookie("a", "v", ""), cookie("a", "v", "."),
                              cookie("a", "v", "h.localhost", "nopath"), cookie("a", "v", "h.local host")})
        EXPECT_FALSE(store.set(bad, Source::Browser)) << bad.name << "|" << bad.value << "|" << bad.domain;
    EXPECT_TRUE(store.all().empty());
    EXPECT_TRUE(events.empty());
}

TEST_F(CookieStoreTest, ScriptLevelWritesCannotTouchHttpOnlyCookies) {
    Cookie secret = cookie("s", "1", ".sim.localhost");
    secret.httpOnly = true;
    EXPECT_FALSE(store.set(secret, Source::Api));
    EXPECT_TRUE(store.set(secret, Source::Http));
    EXPECT_FALSE(store.set(cookie("s", "2", ".sim.localhost"), Source::Api));
    EXPECT_FALSE(store.remove("s", ".sim.localhost", "/", Source::Api));
    ASSERT_EQ(store.all().size(), 1u);
    EXPECT_EQ(store.all()[0].value, "1");
    EXPECT_TRUE(store.remove("s", ".sim.localhost", "/", Source::Browser));
}

TEST_F(CookieStoreTest, PastExpiryDeletes) {
    EXPECT_TRUE(store.set(cookie("a", "1", "seller.sim.localhost"), Source::Api));
    Cookie expired = cookie("a", "x", "seller.sim.localhost");
    expired.expires = 1000;
    EXPECT_TRUE(store.set(expired, Source::Api));
    EXPECT_TRUE(store.all().empty());
    EXPECT_TRUE(store.set(expired, Source::Api)); // nothing left to delete
}

TEST_F(CookieStoreTest, CookiesForFollowsHostPathAndSchemeRules) {
    store.set(cookie("dom", "1", ".sim.localhost"), Source::Browser);
    store.set(cookie("host", "2", "seller.sim.localhost"), Source::Browser);
    store.set(cookie("deep", "3", "seller.sim.localhost", "/trade"), Source::Browser);
    Cookie secure = cookie("sec", "4", ".sim.localhost");
    secure.secure = true;
    store.set(secure, Source::Browser);
    Cookie hidden = cookie("ho", "5", ".sim.localhost");
    hidden.httpOnly = true;
    store.set(hidden, Source::Browser);

    EXPECT_EQ(namesFor("http://seller.sim.localhost:9/"),
              (std::vector<std::string>{"dom=1", "host=2", "ho=5"}));
    EXPECT_EQ(namesFor("http://seller.sim.localhost/trade/x?y"),
              (std::vector<std::string>{"deep=3", "dom=1", "host=2", "ho=5"}));
    EXPECT_EQ(namesFor("http://seller.sim.localhost/trades"),
              (std::vector<std::string>{"dom=1", "host=2", "ho=5"}));
    EXPECT_EQ(namesFor("https://trade.sim.localhost/"), (std::vector<std::string>{"dom=1", "sec=4", "ho=5"}));
    EXPECT_EQ(namesFor("http://seller.sim.localhost/", false), (std::vector<std::string>{"dom=1", "host=2"}));
    EXPECT_EQ(namesFor("http://sim.localhost/"), (std::vector<std::string>{"dom=1", "ho=5"}));
    EXPECT_EQ(namesFor("http://othersim.localhost/"), (std::vector<std::string>{}));
    EXPECT_TRUE(cookieDomainMatches(".sim.localhost", "a.b.sim.localhost"));
    EXPECT_FALSE(cookieDomainMatches("sim.localhost", "a.sim.localhost"));
}

TEST_F(CookieStoreTest, AnswersAreReportedAsHttpChanges) {
    client.httpRequest(seller() + "/set-cookie?name=a&value=1");
    client.httpRequest(seller() + "/set-httponly?name=h&value=2");
    client.httpRequest(seller() + "/set-cookie?name=a&value=3");
    client.httpRequest(seller() + "/delete-cookie?name=a");
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(std::tie(events[0].cookie.name, events[0].cookie.value, events[0].removed),
              std::make_tuple("a", "1", false));
    EXPECT_EQ(events[0].cookie.domain, ".sim.localhost");
    EXPECT_TRUE(events[1].cookie.httpOnly);
    EXPECT_EQ(events[2].cookie.value, "3");
    EXPECT_TRUE(events[3].removed);
    for (const Event& e : events)
        EXPECT_EQ(e.source, Source::Http);
    ASSERT_EQ(store.all().size(), 1u);
    EXPECT_EQ(store.all()[0].name, "h");
}

TEST_F(CookieStoreTest, BrowserCookiesAreSentAndListenersMayCallBack) {
    std::vector<std::size_t> sizesSeen;
    store.addListener(
        [this, &sizesSeen](const Cookie&, bool, Source) { sizesSeen.push_back(store.all().size()); });
    Cookie session = cookie("cookie2", "tok", ".sim.localhost");
    session.httpOnly = true;
    store.set(session, Source::Browser);
    client.httpRequest(trade() + "/echo");
    EXPECT_EQ(server.requests().at(0).cookie("cookie2"), "tok");
    EXPECT_EQ(sizesSeen, std::vector<std::size_t>{1});
}

} // namespace
} // namespace dropship
