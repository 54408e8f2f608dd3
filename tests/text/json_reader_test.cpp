#include "web/gbk.h"
#include "web/json_reader.h"

#include <gtest/gtest.h>

namespace dropship {
namespace {

std::string g(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

// A bought-orders answer as the buyer trade host sends it, with three orders and GBK texts.
const std::string kBoughtOrders = g(R"({"mainOrders":[
  {"id":"2710000000000001","orderInfo":{"createTime":"2016-01-28 09:05:07"},
   "subOrders":[{"itemInfo":{"title":"儿童毛衣 红色"}}],
   "statusInfo":{"operations":[{"text":"确认收货","url":"//x/confirm"},
                               {"text":"查看物流","url":"//x/trace?trade_id=123&seller_id=456"}]}},
  {"id":2710000000000002,"orderInfo":{"createTime":"2016-01-29 10:00:00"},
   "subOrders":[{"itemInfo":{"title":"\u5F20\u4E09"}}],"statusInfo":{"operations":[]}},
  {"id":1234567890123456789012345,"orderInfo":{},"subOrders":[]}
], "page":{"currentPage":1,"totalPage":3}, "ok":true, "none":null})");

struct PathCase {
    std::string path;
    std::string expected;
};

class BoughtOrdersReadTest : public testing::TestWithParam<PathCase> {
  protected:
    void SetUp() override { ASSERT_TRUE(reader.load(kBoughtOrders)); }
    JsonReader reader;
};

TEST_P(BoughtOrdersReadTest, ReadsTextAtPath) {
    EXPECT_EQ(reader.readText(GetParam().path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BoughtOrdersReadTest,
    testing::Values(
        PathCase{"mainOrders[0].id", "2710000000000001"},
        PathCase{"mainOrders[0].orderInfo.createTime", "2016-01-28 09:05:07"},
        PathCase{"mainOrders[0].subOrders[0].itemInfo.title", g("儿童毛衣 红色")},
        PathCase{"mainOrders[0].statusInfo.operations[1].text", g("查看物流")},
        PathCase{"mainOrders[0].statusInfo.operations[1].url", "//x/trace?trade_id=123&seller_id=456"},
        // Beyond 2^53 and beyond 64 bits every digit survives.
        PathCase{"mainOrders[1].id", "2710000000000002"},
        PathCase{"mainOrders[2].id", "1234567890123456789012345"},
        PathCase{"mainOrders[1].subOrders[0].itemInfo.title", g("张三")}, PathCase{"page.totalPage", "3"},
        PathCase{"ok", "true"}, PathCase{"[\"page\"].currentPage", "1"}, PathCase{"page[\"totalPage\"]", "3"},
        // What does not resolve reads as the empty text.
        PathCase{"mainOrders[3].id", ""}, PathCase{"mainOrders[2].orderInfo.createTime", ""},
        PathCase{"mainOrders[2].subOrders[0].itemInfo.title", ""}, PathCase{"missing.deeper.still", ""},
        PathCase{"mainOrders[x]", ""}, PathCase{"mainOrders[", ""}, PathCase{"mainOrders..id", ""},
        PathCase{"mainOrders.", ""}, PathCase{"mainOrders[-1].id", ""}, PathCase{"page.totalPage.x", ""},
        // Null, objects and arrays have no text.
        PathCase{"none", ""}, PathCase{"page", ""}, PathCase{"mainOrders", ""}));

struct CountCase {
    std::string path;
    int expected;
};

class BoughtOrdersCountTest : public testing::TestWithParam<CountCase> {
  protected:
    void SetUp() override { ASSERT_TRUE(reader.load(kBoughtOrders)); }
    JsonReader reader;
};

TEST_P(BoughtOrdersCountTest, CountsMembers) {
    EXPECT_EQ(reader.count(GetParam().path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, BoughtOrdersCountTest,
                         testing::Values(CountCase{"mainOrders", 3},
                                         CountCase{"mainOrders[0].statusInfo.operations", 2},
                                         CountCase{"mainOrders[1].statusInfo.operations", 0},
                                         CountCase{"mainOrders[2].statusInfo.operations", 0},
                                         CountCase{"page", 2}, CountCase{"", 4},
                                         CountCase{"page.totalPage", 0}, CountCase{"mainOrders[0].id", 0},
                                         CountCase{"nothing", 0}));

TEST(JsonReader, RootArrayPathsStartWithBracket) {
    JsonReader reader;
    ASSERT_TRUE(reader.load(R"([{"name":"a"},{"name":"b","tags":[1,2,3]}])"));
    EXPECT_EQ(reader.readText("[1].name"), "b");
    EXPECT_EQ(reader.count("[1].tags"), 3);
    EXPECT_EQ(reader.readText("[1].tags[2]"), "3");
    EXPECT_EQ(reader.count(""), 2);
    EXPECT_EQ(reader.readText("[2].name"), "");
}

TEST(JsonReader, NumberTexts) {
    JsonReader reader;
    ASSERT_TRUE(reader.load(R"({"a":12.50,"b":0.1,"c":1e21,"d":1.5e-7,"e":100.0,"f":-0.0,"g":-42,
        "h":18446744073709551615,"i":-9223372036854775808,"j":-123456789012345678901,"k":123456.789,
        "l":0.000001,"m":123e-20,"n":1e3})"));
    EXPECT_EQ(reader.readText("a"), "12.5");
    EXPECT_EQ(reader.readText("b"), "0.1");
    EXPECT_EQ(reader.readText("c"), "1e+21");
    EXPECT_EQ(reader.readText("d"), "1.5e-7");
    EXPECT_EQ(reader.readText("e"), "100");
    EXPECT_EQ(reader.readText("f"), "0");
    EXPECT_EQ(reader.readText("g"), "-42");
    EXPECT_EQ(reader.readText("h"), "18446744073709551615");
    EXPECT_EQ(reader.readText("i"), "-9223372036854775808");
    EXPECT_EQ(reader.readText("j"), "-123456789012345678901");
    EXPECT_EQ(reader.readText("k"), "123456.789");
    EXPECT_EQ(reader.readText("l"), "0.000001");
    EXPECT_EQ(reader.readText("m"), "1.23e-18");
    EXPECT_EQ(reader.readText("n"), "1000");
}

struct LoadCase {
    std::string text;
    bool loads;
};

class JsonLoadTest : public testing::TestWithParam<LoadCase> {};

TEST_P(JsonLoadTest, LoadsOrLeavesNoRoot) {
    JsonReader reader;
    ASSERT_TRUE(reader.load(R"({"x":"before","list":[1]})"));
    EXPECT_EQ(reader.load(GetParam().text), GetParam().loads);
    if (GetParam().loads) {
        EXPECT_EQ(reader.readText("x"), "1");
    } else {
        // A failed load forgets the previous root too.
        EXPECT_EQ(reader.readText("x"), "");
        EXPECT_EQ(reader.count("list"), 0);
        EXPECT_EQ(reader.count(""), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Lenient, JsonLoadTest,
                         testing::Values(LoadCase{R"({"x":1})", true}, LoadCase{" \r\n{\"x\":1}\r\n ", true},
                                         LoadCase{"{\"x\":1};", true}, LoadCase{"{\"x\":1} ; ", true},
                                         LoadCase{"\xEF\xBB\xBF{\"x\":1}", true},
                                         LoadCase{"({\"x\":1})", true},
                                         LoadCase{"/* answer */ {\"x\": // one\n 1}", true},
                                         LoadCase{R"({"x":0,"x":1})", true}));

INSTANTIATE_TEST_SUITE_P(Unparsable, JsonLoadTest,
                         testing::Values(LoadCase{"", false}, LoadCase{"   ", false}, LoadCase{"{", false},
                                         LoadCase{"null", false}, LoadCase{"<html>login</html>", false},
                                         LoadCase{"{\"x\":1} trailing", false}, LoadCase{"{x:1}", false},
                                         LoadCase{"alert(1)", false}, LoadCase{"{\"x\":1}{\"y\":2}", false}));

TEST(JsonReader, ScalarRootLoads) {
    JsonReader reader;
    ASSERT_TRUE(reader.load("\"" + g("张三") + "\""));
    EXPECT_EQ(reader.readText(""), g("张三"));
    EXPECT_EQ(reader.count(""), 0);
}

TEST(JsonReader, CharactersGbkCannotHoldReadAsQuestionMarks) {
    JsonReader reader;
    ASSERT_TRUE(reader.load(R"({"t":"a\uD83D\uDE00b"})"));
    EXPECT_EQ(reader.readText("t"), "a?b");
}

} // namespace
} // namespace dropship
