// Cookie texts without a store: merging, expiry texts, host reduction and the writes of setCookie.
#include "web/cookie_ops.h"
#include "web/gbk.h"

#include <gtest/gtest.h>

namespace dropship {
namespace {

struct MergeCase {
    const char* name;
    std::string oldText;
    std::string newText;
    std::string merged;
};

class MergeCookiesTest : public testing::TestWithParam<MergeCase> {};

TEST_P(MergeCookiesTest, Merges) {
    EXPECT_EQ(mergeCookies(GetParam().oldText, GetParam().newText), GetParam().merged);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeCookiesTest,
    testing::Values(MergeCase{"NewFirstThenOldOnlyNames", "a=1; b=2", "b=3; c=4", "b=3; c=4; a=1"},
                    MergeCase{"DeletedNeverSurvives", "", "x=deleted; y=2", "y=2"},
                    MergeCase{"DeletedFromOldSideToo", "x=deleted; z=1", "y=2", "y=2; z=1"},
                    MergeCase{"DuplicatesRemoved", "a=1", "a=1; a=1", "a=1"},
                    MergeCase{"BlanksInsideValuesRemoved", "", "v=a b", "v=ab"},
                    MergeCase{"FullWidthBlankRemoved", "",
                              "v=a\xA1\xA1"
                              "b",
                              "v=ab"},
                    MergeCase{"BlankBytesAcrossGbkCharactersKept", "", "v=\xB0\xA1\xA1\xB0",
                              "v=\xB0\xA1\xA1\xB0"},
                    MergeCase{"EmptyNewGivesCleanOld", "a = 1 ; b=deleted; a=1", "", "a=1"},
                    MergeCase{"BothEmpty", "", "", ""},
                    MergeCase{"ItemWithoutEqualsIsItsOwnName", "flag; a=1", "flag", "flag; a=1"},
                    MergeCase{"EmptyItemsDropped", "a=1;;", ";b=2", "b=2; a=1"},
                    MergeCase{"SameNameOtherValueInOldDropped", "a=1; c=3", "a=2", "a=2; c=3"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ExpiryCase {
    DateTime when;
    const char* text;
};

class CookieExpiryTextTest : public testing::TestWithParam<ExpiryCase> {};

TEST_P(CookieExpiryTextTest, WritesFieldsWithoutLeadingZeros) {
    EXPECT_EQ(cookieExpiryText(GetParam().when), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Dates, CookieExpiryTextTest,
                         testing::Values(ExpiryCase{{1999, 1, 1, 1, 1, 1}, "Fri, 1-Jan-1999 1:1:1 GMT"},
                                         ExpiryCase{{2024, 2, 29, 23, 59, 9}, "Thu, 29-Feb-2024 23:59:9 GMT"},
                                         ExpiryCase{{2030, 12, 31, 0, 0, 0}, "Tue, 31-Dec-2030 0:0:0 GMT"},
                                         ExpiryCase{{2016, 5, 15, 10, 30, 45},
                                                    "Sun, 15-May-2016 10:30:45 GMT"},
                                         ExpiryCase{{2023, 2, 30, 0, 0, 0}, ""}));

TEST(CookieHost, ReducesHostsAndUrls) {
    EXPECT_EQ(cookieHost("taobao.com"), "taobao.com");
    EXPECT_EQ(cookieHost("HTTPS://MySeller.TaoBao.com/x?y"), "myseller.taobao.com");
    EXPECT_EQ(cookieHost("seller.sim.localhost:8123"), "seller.sim.localhost");
    EXPECT_EQ(cookieHost("http://seller.sim.localhost:8123/"), "seller.sim.localhost");
    EXPECT_EQ(cookieHost(""), "");
    EXPECT_EQ(rootDomain("myseller.taobao.com"), "taobao.com");
    EXPECT_EQ(rootDomain("seller.sim.localhost"), "sim.localhost");
    EXPECT_EQ(rootDomain("taobao.com"), "taobao.com");
    EXPECT_EQ(rootDomain("localhost"), "localhost");
}

struct WritesCase {
    const char* name;
    std::string host;
    std::string cookie;
    std::string value;
    DateTime expiry;
    std::vector<CookieWrite> writes;
};

class CookieWritesTest : public testing::TestWithParam<WritesCase> {};

TEST_P(CookieWritesTest, WritesHostThenRootDomain) {
    const WritesCase& c = GetParam();
    EXPECT_EQ(cookieWritesFor(c.host, c.cookie, c.value, c.expiry), c.writes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CookieWritesTest,
    testing::Values(
        WritesCase{"EmptyValueDeletes",
                   "seller.taobao.com",
                   "a",
                   "",
                   {},
                   {{"http://seller.taobao.com", "a", "delete; expires=Fri, 1-Jan-1999 1:1:1 GMT; path=/"},
                    {"http://seller.taobao.com", "a",
                     "delete; expires=Fri, 1-Jan-1999 1:1:1 GMT; path=/; domain=.taobao.com"}}},
        WritesCase{"ValueWithoutExpiryIsSessionCookie",
                   "https://Seller.TaoBao.com:8443/x",
                   "b",
                   "v1",
                   {},
                   {{"http://seller.taobao.com", "b", "v1; path=/"},
                    {"http://seller.taobao.com", "b", "v1; path=/; domain=.taobao.com"}}},
        WritesCase{"ValueWithExpiry",
                   "seller.sim.localhost:9000",
                   "c",
                   "v2",
                   {2030, 12, 31, 0, 0, 0},
                   {{"http://seller.sim.localhost", "c", "v2; expires=Tue, 31-Dec-2030 0:0:0 GMT; path=/"},
                    {"http://seller.sim.localhost", "c",
                     "v2; expires=Tue, 31-Dec-2030 0:0:0 GMT; path=/; domain=.sim.localhost"}}},
        WritesCase{"UnusableHost", "", "d", "v", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace dropship
