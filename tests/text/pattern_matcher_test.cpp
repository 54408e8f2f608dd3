#include "web/gbk.h"
#include "web/pattern_matcher.h"
#include "web/text_ops.h"

#include <gtest/gtest.h>

namespace dropship {
namespace {

std::string g(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

// Group 1 of every match of the last run.
std::vector<std::string> firstGroups(const PatternMatcher& matcher) {
    std::vector<std::string> groups;
    for (int i = 1; i <= matcher.matchCount(); ++i)
        groups.push_back(matcher.groupText(i, 1));
    return groups;
}

struct OptionCase {
    std::string name;
    std::string pattern;
    std::string subject;
    bool caseSensitive;
    bool multiLine;
    bool global;
    std::vector<std::string> expected; // group 1 of each match
};

class PatternOptionTest : public testing::TestWithParam<OptionCase> {};

TEST_P(PatternOptionTest, MatchesLikeScriptRegExp) {
    const OptionCase& c = GetParam();
    PatternMatcher matcher;
    matcher.run(c.pattern, c.subject, c.caseSensitive, c.multiLine, c.global);
    EXPECT_EQ(firstGroups(matcher), c.expected);
}

using V = std::vector<std::string>;

INSTANTIATE_TEST_SUITE_P(
    Cases, PatternOptionTest,
    testing::Values(
        OptionCase{"IgnoresCaseByDefault", "(abc)", "ABC abc", false, true, true, V{"ABC", "abc"}},
        OptionCase{"CaseSensitiveOnRequest", "(abc)", "ABC abc", true, true, true, V{"abc"}},
        OptionCase{"DotStopsAtLineBreaks", "(a.c)", "a\nc a\rc abc", false, true, true, V{"abc"}},
        OptionCase{"ClassSpansLines", "(a[\\s|\\S]c)", "a\nc a\rc", false, true, true, V{"a\nc", "a\rc"}},
        OptionCase{"MultiLineAnchors", "^(\\w+)$", "one\r\ntwo\nthree", false, true, true,
                   V{"one", "two", "three"}},
        OptionCase{"SingleLineAnchors", "^(\\w+)$", "one\r\ntwo", false, false, true, V{}},
        OptionCase{"DollarIsEndOnly", "(x)$", "x\n", false, false, true, V{}},
        OptionCase{"FirstMatchOnly", "(\\d)", "1 2 3", false, true, false, V{"1"}},
        OptionCase{"EmptyMatchesAdvance", "(a*?)", "aa", false, true, true, V{"", "", ""}},
        OptionCase{"EmptyAndLongMatches", "(a*)", "baaa", false, true, true, V{"", "aaa", ""}},
        OptionCase{"EmptyMatchAdvancesWholeCharacter", "(x?)", g("张"), false, true, true, V{"", ""}},
        OptionCase{"DigitIsAscii", "(\\d+)", g("１２3"), false, true, true, V{"3"}},
        OptionCase{"NonCapturingAndLazy", "(?:<b>)?(.+?)</b>", "<b>x</b><b>y</b>", false, true, true,
                   V{"x", "y"}},
        OptionCase{"CountedRepetition", "(\\d{3})", "12345678", false, true, true, V{"123", "456"}},
        OptionCase{"ScriptUnicodeEscape", "(\\u5F20.)", g("张三"), false, true, true, V{g("张三")}},
        OptionCase{"ChineseText", g("订单号：(\\d+)"), g("订单号：123 订单号：45"), false, true, true,
                   V{"123", "45"}},
        OptionCase{"NoMatch", "(a)(b)", "xyz", false, true, true, V{}},
        OptionCase{"UnbalancedParenthesis", "(abc", "abc", false, true, true, V{}},
        OptionCase{"ReversedRange", "([z-a])", "abc", false, true, true, V{}},
        OptionCase{"EmptySubject", "(a*)", "", false, true, true, V{""}}),
    [](const testing::TestParamInfo<OptionCase>& info) { return info.param.name; });

TEST(PatternMatcher, UnsetOptionalGroupIsEmpty) {
    PatternMatcher matcher;
    matcher.run("(a)?(b)", "b");
    ASSERT_EQ(matcher.matchCount(), 1);
    EXPECT_EQ(matcher.groupText(1, 1), "");
    EXPECT_EQ(matcher.groupText(1, 2), "b");
}

TEST(PatternMatcher, NumbersOutOfRangeGiveEmptyText) {
    PatternMatcher matcher;
    matcher.run("(a)(b)", "ab ab");
    ASSERT_EQ(matcher.matchCount(), 2);
    EXPECT_EQ(matcher.groupText(2, 2), "b");
    for (const auto& [match, group] : {std::pair{0, 1}, {3, 1}, {1, 0}, {1, 3}, {-1, -1}})
        EXPECT_EQ(matcher.groupText(match, group), "") << match << "," << group;
}

TEST(PatternMatcher, RunReplacesPreviousMatches) {
    PatternMatcher matcher;
    matcher.run("(a)", "aaa");
    EXPECT_EQ(matcher.matchCount(), 3);
    matcher.run("(b)", "aaa");
    EXPECT_EQ(matcher.matchCount(), 0);
    EXPECT_EQ(matcher.groupText(1, 1), "");
    matcher.run("(a", "aaa");
    EXPECT_EQ(matcher.matchCount(), 0);
    matcher.run("(a)", "xa"); // the same pattern again after a failed compile
    EXPECT_EQ(firstGroups(matcher), V{"a"});
}

// Trace page of the logistics host: address block and waybill script.
const std::string kTracePatternA = g(
    R"re(收货地址[\s|\S]*?address">\s*([\s|\S]*?)<span class="em">(.*?)</span>\s*<span class="em">(.*?)</span>\s*<span class="em">(.*?)</span>)re");
const std::string kTracePatternB = g(R"re(var mailNo = "(.*?)";[\s|\S]* var cpName = "(.*?)";)re");
const std::string kTracePage = g(R"(<html><head><meta charset="gbk"></head><body>
<div class="label">收货地址：</div>
<div class="address">
   浙江省 杭州市 西湖区 文三路 100号 <span class="em">310000</span>
   <span class="em">张三</span>
   <SPAN CLASS="em">13812345678</SPAN>
</div>
<script>
var mailNo = "7700123456789";
var step = 2;
 var cpName = "中通快递";
</script></body></html>)");

TEST(TracePagePatterns, AddressBlock) {
    PatternMatcher matcher;
    matcher.run(kTracePatternA, kTracePage);
    ASSERT_EQ(matcher.matchCount(), 1);
    EXPECT_EQ(trimBlanks(matcher.groupText(1, 1)), g("浙江省 杭州市 西湖区 文三路 100号"));
    EXPECT_EQ(matcher.groupText(1, 2), "310000");
    EXPECT_EQ(matcher.groupText(1, 3), g("张三"));
    EXPECT_EQ(matcher.groupText(1, 4), "13812345678");
}

TEST(TracePagePatterns, Waybill) {
    PatternMatcher matcher;
    matcher.run(kTracePatternB, kTracePage);
    ASSERT_EQ(matcher.matchCount(), 1);
    EXPECT_EQ(matcher.groupText(1, 1), "7700123456789");
    EXPECT_EQ(matcher.groupText(1, 2), g("中通快递"));
}

TEST(TracePagePatterns, PageWithoutWaybillHasNoMatch) {
    PatternMatcher matcher;
    matcher.run(kTracePatternB, g("<script>var mailNo = \"77\";</script>"));
    EXPECT_EQ(matcher.matchCount(), 0);
    EXPECT_EQ(matcher.groupText(1, 2), "");
}

// Order list of the wholesale site: pager and orders.
const std::string kListPatternP = g(R"re("value">(\d*?)</em>页)re");
const std::string kListPatternR = g(R"re(下单时间：(.*?)</span>[\s|\S]*?订单号：(\d{16}))re");
const std::string kListPage = g(R"(<div class="pager">共<em class="value">3</em>页</div>
<div class="order"><span class="date">下单时间：2016-01-28 09:05:07</span>
  <div class="id">订单号：1234567890123456</div></div>
<div class="order"><span class="date">下单时间：2016-01-29 10:00:00</span>
  <div class="id">订单号：123456789012345</div></div>
<div class="order"><span class="date">下单时间：2016-01-30 11:00:00</span>
  <div class="id">订单号：98765432109876543</div></div>)");

TEST(OrderListPatterns, PageCount) {
    PatternMatcher matcher;
    matcher.run(kListPatternP, kListPage);
    ASSERT_GE(matcher.matchCount(), 1);
    EXPECT_EQ(textToNumber(matcher.groupText(1, 1)), 3);
}

TEST(OrderListPatterns, OrdersWithSixteenDigitNumbers) {
    PatternMatcher matcher;
    matcher.run(kListPatternR, kListPage);
    // The 15-digit order has no match of its own: its time pairs with the next 16 digits, cut
    // from the 17-digit number.
    ASSERT_EQ(matcher.matchCount(), 2);
    EXPECT_EQ(matcher.groupText(1, 1), "2016-01-28 09:05:07");
    EXPECT_EQ(matcher.groupText(1, 2), "1234567890123456");
    EXPECT_EQ(matcher.groupText(2, 1), "2016-01-29 10:00:00");
    EXPECT_EQ(matcher.groupText(2, 2), "9876543210987654");
}

// Order detail of the wholesale site: receiver, waybill and carrier.
const std::string kDetailPatternC = g(
    R"re(收货人：(?:<span>)?(.*?)(?:</span>)?</li>\s*<li>收货地址：(?:<span>)?(.*?)(?:</span>)?</li>\s*<li>手机：(?:<span>)?(.*?)(?:</span>)?</li>\s*<li>电话：(?:<span>)?(.*?)(?:</span>)?</li>)re");
const std::string kDetailPatternD = g(R"re(billNO="(.*?)")re");
const std::string kDetailPatternE = g(R"re(请咨询&nbsp;(.*?)&nbsp)re");

struct ReceiverCase {
    std::string name;
    std::string page;
    V groups; // groups 1 to 4 of C
};

class ReceiverBlockTest : public testing::TestWithParam<ReceiverCase> {};

TEST_P(ReceiverBlockTest, ReadsReceiver) {
    PatternMatcher matcher;
    matcher.run(kDetailPatternC, replaceAll(GetParam().page, "86-", ""));
    ASSERT_EQ(matcher.matchCount(), 1);
    V groups;
    for (int group = 1; group <= 4; ++group)
        groups.push_back(matcher.groupText(1, group));
    EXPECT_EQ(groups, GetParam().groups);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ReceiverBlockTest,
    testing::Values(
        ReceiverCase{"WithSpans",
                     g("<ul><li>收货人：<span>李四</span></li>\r\n  <li>收货地址：<span>广东省 深圳市 "
                       "南山区</span></li>"
                       "<li>手机：<span>13912345678</span></li> <li>电话：<span></span></li></ul>"),
                     V{g("李四"), g("广东省 深圳市 南山区"), "13912345678", ""}},
        ReceiverCase{
            "WithoutSpansAndPhoneOnly",
            g("<li>收货人：王五</li><li>收货地址：北京市</li><li>手机：</li>\n<li>电话：86-010-1234567</li>"),
            V{g("王五"), g("北京市"), "", "010-1234567"}}),
    [](const testing::TestParamInfo<ReceiverCase>& info) { return info.param.name; });

TEST(OrderDetailPatterns, WaybillAndCarrier) {
    const std::string page =
        g(R"(<a billNo="YT1234567890" href="#">物流</a> 请咨询&nbsp;圆通速递&nbsp;电话)");
    PatternMatcher matcher;
    matcher.run(kDetailPatternD, page);
    ASSERT_EQ(matcher.matchCount(), 1);
    EXPECT_EQ(matcher.groupText(1, 1), "YT1234567890");
    matcher.run(kDetailPatternE, page);
    ASSERT_EQ(matcher.matchCount(), 1);
    EXPECT_EQ(matcher.groupText(1, 1), g("圆通速递"));
}

} // namespace
} // namespace dropship
