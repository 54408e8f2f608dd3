#include "web/gbk.h"

#include <gtest/gtest.h>

namespace dropship {
namespace {

TEST(Gbk, RoundTripsChinese) {
    const std::string utf8 = "买家订单保存←→";
    const std::string gbk = utf8ToGbk(utf8);
    EXPECT_EQ(gbk, std::string("\xC2\xF2\xBC\xD2\xB6\xA9\xB5\xA5\xB1\xA3\xB4\xE6\xA1\xFB\xA1\xFA"));
    EXPECT_EQ(gbkToUtf8(gbk), utf8);
}

TEST(Gbk, UnrepresentableBecomesQuestionMark) {
    EXPECT_EQ(utf8ToGbk("a\xF0\x9F\x98\x80z"), "a?z"); // emoji
    EXPECT_EQ(utf8ToGbk("a\xE4\xB8z"), "a?z");         // truncated UTF-8 sequence
    EXPECT_EQ(gbkToUtf8(std::string("a\xFF"
                                    "b")),
              "a?b");                                   // not a GBK byte
    EXPECT_EQ(gbkToUtf8(std::string("ab\xC2")), "ab?"); // lead byte at the end
}

TEST(Gbk, FindRespectsCharacterBoundaries) {
    // "\xA1\xFB\xA1\xFA" is the list separator; inside "\xB0\xA1\xFB\xA1\xFA" it starts at the
    // second byte of a character and must not be found there.
    const std::string text = std::string("\xB0\xA1\xFB\xA1\xFA\xA1") + "x" + "\xA1\xFB\xA1\xFA";
    EXPECT_EQ(gbkFind(text, "\xA1\xFB\xA1\xFA"), 7u);
    EXPECT_EQ(gbkFind("abc", "z"), std::string_view::npos);
}

} // namespace
} // namespace dropship

namespace dropship {
namespace {

TEST(Gbk, SplitKeepsEmptyPiecesAndDropsEmptyTail) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(gbkSplit("a,,b,", ","), (V{"a", "", "b"}));
    EXPECT_EQ(gbkSplit("a,b", ","), (V{"a", "b"}));
    EXPECT_EQ(gbkSplit("", ","), V{});
    EXPECT_EQ(gbkSplit(",", ","), V{""});
    // A separator pair inside a double-byte character is not a separator.
    const std::string sep = "\xA1\xFB\xA1\xFA";
    const std::string text = std::string("\xB0\xA1\xFB\xA1\xFA\xA1") + sep + "x";
    EXPECT_EQ(gbkSplit(text, sep), (V{"\xB0\xA1\xFB\xA1\xFA\xA1", "x"}));
}

} // namespace
} // namespace dropship
