#include "model/gbk_scan.h"
#include "web/gbk.h"

#include <gtest/gtest.h>
#include <random>

namespace dropship {
namespace {

const std::string kSeparator = "\xA1\xFB\xA1\xFA";

struct ScanCase {
    const char* name;
    std::string text;
    std::string needle;
    std::size_t from;
    std::size_t expected;
};

class FindOnCharacterBoundary : public testing::TestWithParam<ScanCase> {};

TEST_P(FindOnCharacterBoundary, FindsOnlyWhereACharacterStarts) {
    const ScanCase& c = GetParam();
    EXPECT_EQ(findOnCharacterBoundary(c.text, c.needle, c.from), c.expected);
}

constexpr auto npos = std::string_view::npos;

INSTANTIATE_TEST_SUITE_P(
    Cases, FindOnCharacterBoundary,
    testing::Values(ScanCase{"AtStart", kSeparator + "x", kSeparator, 0, 0},
                    ScanCase{"AfterAscii", "ab12" + kSeparator, kSeparator, 0, 4},
                    ScanCase{"AfterChinese", "\xD5\xC5\xC8\xFD" + kSeparator, kSeparator, 0, 4},
                    // "\xB0\xA1" "\xFB\xA1" "\xFA\xA1" are three characters; the real separator follows them.
                    ScanCase{"InsideCharactersIsNoMatch",
                             std::string("\xB0\xA1\xFB\xA1\xFA\xA1") + kSeparator, kSeparator, 0, 6},
                    ScanCase{"OnlyInsideCharacters", "\xB0\xA1\xFB\xA1\xFA\xA1", kSeparator, 0, npos},
                    ScanCase{"LineEndAfterLeadByteIsNoMatch", "a\xB0\r\nb\r\n", "\r\n", 0, 5},
                    ScanCase{"FromAKnownBoundary", "\r\nxx\r\n", "\r\n", 2, 4},
                    ScanCase{"NeedleLongerThanRest", "ab", kSeparator, 0, npos},
                    ScanCase{"FromPastTheEnd", "ab", "b", 3, npos},
                    ScanCase{"EmptyNeedle", "ab", "", 0, npos}),
    [](const auto& info) { return std::string(info.param.name); });

// Random texts made of the bytes that matter (lead bytes, separator bytes, line-end bytes,
// ASCII): the look-back must agree with a walk over every character (gbkFind) everywhere.
TEST(FindOnCharacterBoundaryRandom, AgreesWithAFullCharacterWalk) {
    const std::string alphabet = "a\r\n\xA1\xFB\xFA\xB0\x81\xFE\xFF\x80\x40";
    std::mt19937 random(12345);
    for (int round = 0; round < 20000; ++round) {
        std::string text(random() % 24, 'a');
        for (char& byte : text)
            byte = alphabet[random() % alphabet.size()];
        for (const std::string& needle : {kSeparator, std::string("\r\n"), std::string("\xA1\xFB")}) {
            for (std::size_t from = 0; from <= text.size(); from += gbkCharLength(text, from)) {
                ASSERT_EQ(findOnCharacterBoundary(text, needle, from), gbkFind(text, needle, from))
                    << "round " << round << " from " << from;
                if (from == text.size())
                    break;
            }
        }
    }
}

} // namespace
} // namespace dropship
