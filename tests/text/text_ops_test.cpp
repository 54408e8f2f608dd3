#include "web/gbk.h"
#include "web/text_ops.h"

#include <gtest/gtest.h>

namespace dropship {
namespace {

std::string g(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

// "\x81\x41" is one GBK character whose trail byte is the letter "A".
const std::string kTrailA = "\x81\x41";

struct FindCase {
    std::string text;
    std::string part;
    int start;
    bool ignoreCase;
    int expected;
};

class FindTextTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindTextTest, FindsFirstOccurrence) {
    const FindCase& c = GetParam();
    EXPECT_EQ(findText(c.text, c.part, c.start, c.ignoreCase), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindTextTest,
    testing::Values(FindCase{"abcabc", "bc", 1, false, 2}, FindCase{"abcabc", "bc", 3, false, 5},
                    FindCase{"abcabc", "BC", 1, false, -1}, FindCase{"abcabc", "BC", 1, true, 2},
                    FindCase{"xABc", "abC", 1, true, 2}, FindCase{"abc", "", 1, false, -1},
                    FindCase{"abc", "c", 4, false, -1}, FindCase{"abc", "a", 0, false, 1},
                    FindCase{"abc", "abcd", 1, false, -1},
                    // A match must begin on a character: the trail byte "A" is not the letter A.
                    FindCase{kTrailA, "A", 1, false, -1}, FindCase{kTrailA, "a", 1, true, -1},
                    FindCase{kTrailA + "xa", "A", 1, true, 4},
                    // Trail bytes compare exactly even when they are letters.
                    FindCase{kTrailA, "\x81\x61", 1, true, -1}, FindCase{kTrailA, kTrailA, 1, true, 1},
                    FindCase{g("订单号：12"), g("号："), 1, false, 5}));

struct FindLastCase {
    std::string text;
    std::string part;
    bool ignoreCase;
    int expected;
};

class FindLastTest : public testing::TestWithParam<FindLastCase> {};

TEST_P(FindLastTest, FindsLastOccurrence) {
    const FindLastCase& c = GetParam();
    EXPECT_EQ(findLast(c.text, c.part, c.ignoreCase), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindLastTest,
    testing::Values(FindLastCase{"a=1&x=2&x=3", "x=", false, 9}, FindLastCase{"aaa", "aa", false, 2},
                    FindLastCase{"abc", "z", false, -1}, FindLastCase{"ABCabc", "abc", true, 4},
                    FindLastCase{"abcABC", "abc", false, 1}, FindLastCase{"abc" + kTrailA, "A", false, -1}));

struct BetweenCase {
    std::string text;
    std::string start;
    std::string end;
    bool ignoreCase;
    std::string expected;
};

class TextBetweenTest : public testing::TestWithParam<BetweenCase> {};

TEST_P(TextBetweenTest, CutsBetweenMarkers) {
    const BetweenCase& c = GetParam();
    EXPECT_EQ(textBetween(c.text, c.start, c.end, c.ignoreCase), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, TextBetweenTest,
                         testing::Values(BetweenCase{"trade_id=123&x=1", "trade_id=", "&", true, "123"},
                                         BetweenCase{"trade_id=123&x=1", "TRADE_ID=", "&", true, "123"},
                                         BetweenCase{"trade_id=123&x=1", "TRADE_ID=", "&", false, ""},
                                         BetweenCase{"x=1&trade_id=123", "trade_id=", "&", true, ""},
                                         BetweenCase{"a=1", "b=", "&", true, ""},
                                         // The end marker is looked for after the start marker only.
                                         BetweenCase{"&a=1&b=2", "a=", "&", true, "1"},
                                         BetweenCase{"<i id=\"42\">", g("id=#引号"), g("#引号"), true, "42"},
                                         BetweenCase{g("收件人：张三，"), g("收件人："), g("，"), true,
                                                     g("张三")},
                                         BetweenCase{"_nk_=abc; t=1", "_nk_=", ";", true, "abc"}));

TEST(TextAfterLast, TakesTextAfterLastMarker) {
    EXPECT_EQ(textAfterLast("a=1&seller_id=7&seller_id=8", "seller_id="), "8");
    EXPECT_EQ(textAfterLast("a=1&seller_id=7&x=2", "seller_id="), "7&x=2");
    EXPECT_EQ(textAfterLast("a=1", "seller_id="), "");
    EXPECT_EQ(textAfterLast("a=1&seller_id=", "seller_id="), "");
    EXPECT_EQ(textAfterLast("SELLER_ID=9", "seller_id="), ""); // case-sensitive
}

struct ReplaceCase {
    std::string text;
    std::string part;
    std::string replacement;
    std::string expected;
};

class ReplaceAllTest : public testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceAllTest, ReplacesEveryOccurrence) {
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(replaceAll(c.text, c.part, c.replacement), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReplaceAllTest,
                         testing::Values(ReplaceCase{"a-b-c", "-", "+", "a+b+c"},
                                         ReplaceCase{"aaa", "aa", "b", "ba"},
                                         ReplaceCase{"abc", "", "x", "abc"},
                                         ReplaceCase{"aBc", "b", "x", "aBc"},
                                         ReplaceCase{"tId={tId}&t={tId}", "{tId}", "12", "tId=12&t=12"},
                                         ReplaceCase{g("手机：86-138"), "86-", "", g("手机：138")},
                                         ReplaceCase{kTrailA + "A", "A", "b", kTrailA + "b"}));

TEST(ReplaceMarkers, AppliesPairsInOrderIgnoringCase) {
    EXPECT_EQ(replaceMarkers("Hello World", {{"hello", "Hi"}, {"WORLD", "There"}}), "Hi There");
    EXPECT_EQ(replaceMarkers("abc", {{"a", "b"}, {"b", "c"}}), "ccc");
    EXPECT_EQ(replaceMarkers("abc", {}), "abc");
    EXPECT_EQ(replaceMarkers(kTrailA + "a", {{"a", "-"}}), kTrailA + "-");
}

TEST(SplitText, KeepsInnerEmptyPiecesAndDropsEmptyTail) {
    using V = std::vector<std::string>;
    EXPECT_EQ(splitText("a,,b,", ","), (V{"a", "", "b"}));
    EXPECT_EQ(splitText("", ","), V{});
    EXPECT_EQ(splitText("ab", ","), V{"ab"});
    const std::string sep = g("←→");
    EXPECT_EQ(splitText(g("张三") + sep + sep + "x" + sep, sep), (V{g("张三"), "", "x"}));
}

struct TrimCase {
    std::string text;
    std::string expected;
};

class TrimBlanksTest : public testing::TestWithParam<TrimCase> {};

TEST_P(TrimBlanksTest, RemovesOuterBlanks) {
    EXPECT_EQ(trimBlanks(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, TrimBlanksTest,
                         testing::Values(TrimCase{"  a b \r\n", "a b"}, TrimCase{"\t\tx", "x"},
                                         TrimCase{"   ", ""}, TrimCase{"", ""},
                                         TrimCase{"\xA1\xA1x\xA1\xA1", "x"},
                                         // "\xA1\xA1" across two characters is no full-width space.
                                         TrimCase{"\xB0\xA1\xA1\xB0", "\xB0\xA1\xA1\xB0"},
                                         TrimCase{" \xB0\xA1\xA1", "\xB0\xA1\xA1"}));

struct DecodeCase {
    std::string text;
    std::string expected;
};

class UrlDecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(UrlDecodeTest, DecodesPercentEscapes) {
    EXPECT_EQ(urlDecode(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, UrlDecodeTest,
                         testing::Values(DecodeCase{"%5Cu5F20", "\\u5F20"}, DecodeCase{"a%2B%2b", "a++"},
                                         DecodeCase{"%E5%BC%A0", "\xE5\xBC\xA0"}, DecodeCase{"a+b", "a+b"},
                                         DecodeCase{"100%", "100%"}, DecodeCase{"%zz1", "%zz1"},
                                         DecodeCase{"%4", "%4"}, DecodeCase{"%%41", "%A"}));

class UnescapeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(UnescapeTest, ResolvesScriptEscapes) {
    EXPECT_EQ(unescapeText(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnescapeTest,
    testing::Values(DecodeCase{"\\u5F20", g("张")}, DecodeCase{urlDecode("%5Cu5F20"), g("张")},
                    DecodeCase{"%u5F20%u4E09", g("张三")}, DecodeCase{"%41%42c", "ABc"},
                    DecodeCase{"it's\r\nok\nnow\r", "it's\r\nok\nnow\r"}, DecodeCase{"\r\nx", "\r\nx"},
                    DecodeCase{g("订单") + "\\u5F20", g("订单张")}, DecodeCase{"%B7", "\xA1\xA4"}, // U+00B7
                    DecodeCase{"%zz%u12", "%zz%u12"}, DecodeCase{"\\x41\\", "\\x41\\"},
                    DecodeCase{"%uD83D%uDE00!", "?!"}, DecodeCase{"%uD800x", "?x"},
                    DecodeCase{"%u005C", "\\"},
                    // A GBK character whose trail byte is "%" stays whole.
                    DecodeCase{"\x81\x25"
                               "41",
                               "\x81\x25"
                               "41"}));

struct NumberCase {
    std::string text;
    double expected;
};

class TextToNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(TextToNumberTest, ReadsLeadingNumber) {
    EXPECT_DOUBLE_EQ(textToNumber(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, TextToNumberTest,
                         testing::Values(NumberCase{"12", 12}, NumberCase{" -3.5kg", -3.5},
                                         NumberCase{"abc", 0}, NumberCase{"", 0}, NumberCase{".5", 0.5},
                                         NumberCase{"1e3", 1000}, NumberCase{"+7", 7}, NumberCase{"inf", 0},
                                         NumberCase{"nan", 0}, NumberCase{"12.5.3", 12.5},
                                         NumberCase{"0x10", 0}, NumberCase{"-", 0}));

} // namespace
} // namespace dropship
