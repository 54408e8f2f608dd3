#include "web/gbk.h"

#include <gtest/gtest.h>
#include <random>

namespace dropship {
namespace {

const std::string kSeparator = "\xA1\xFB\xA1\xFA";

struct BoundaryCase {
    const char* name;
    std::string text;
    std::size_t knownBoundary;
    std::size_t position;
    bool expected;
};

class OnCharacterBoundary : public testing::TestWithParam<BoundaryCase> {};

TEST_P(OnCharacterBoundary, LooksBackOverLeadRangeBytesOnly) {
    const BoundaryCase& c = GetParam();
    EXPECT_EQ(onCharacterBoundary(c.text, c.knownBoundary, c.position), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OnCharacterBoundary,
    testing::Values(BoundaryCase{"AtTheKnownBoundary", "\xB0\xA1x", 0, 0, true},
                    BoundaryCase{"AfterAscii", "ab" + kSeparator, 0, 2, true},
                    BoundaryCase{"AfterTwoChineseCharacters", "\xD5\xC5\xC8\xFD" + kSeparator, 0, 4, true},
                    BoundaryCase{"SecondByteOfACharacter", "\xB0\xA1\xFB\xA1\xFA\xA1", 0, 1, false},
                    BoundaryCase{"ThirdCharacter", "\xB0\xA1\xFB\xA1\xFA\xA1", 0, 4, true},
                    // 0xFF and 0x80 are single-byte characters and end the look-back.
                    BoundaryCase{"AfterFF", "\xB0\xFF\xA1\xFB", 0, 2, true},
                    BoundaryCase{"AfterLeadThenAscii",
                                 "\xB0"
                                 "a\xA1\xFB",
                                 0, 2, true},
                    BoundaryCase{"CountsFromTheKnownBoundary", "\xB0\xA1\xFB\xA1", 1, 3, true},
                    // A run longer than eight bytes, looked over a word at a time.
                    BoundaryCase{"LongEvenRun", std::string(18, '\xC8') + kSeparator, 0, 18, true},
                    BoundaryCase{"LongOddRun", "a" + std::string(17, '\xC8') + kSeparator, 0, 18, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Random texts made of the bytes that matter: the look-back must agree with a walk over every
// character from the start. Half the rounds use mostly lead-range bytes, so that long runs of them
// (looked over eight bytes at a time) occur often.
TEST(OnCharacterBoundaryRandom, AgreesWithAWalkOverEveryCharacter) {
    const std::string mixed = "a\r\n\xA1\xFB\xFA\xB0\x81\xFE\xFF\x80\x40";
    const std::string leadHeavy = "\xA1\xFB\xFA\xB0\x81\xFE\xC8\xD5\xA1\xFB\xFA\xFE\xFF"
                                  "a";
    std::mt19937 random(12345);
    for (int round = 0; round < 20000; ++round) {
        const std::string& alphabet = round % 2 ? leadHeavy : mixed;
        std::string text(1 + random() % 48, 'a');
        for (char& byte : text)
            byte = alphabet[random() % alphabet.size()];
        std::vector<bool> starts(text.size(), false);
        std::vector<std::size_t> boundaries;
        for (std::size_t pos = 0; pos < text.size(); pos += gbkCharLength(text, pos)) {
            starts[pos] = true;
            boundaries.push_back(pos);
        }
        const std::size_t known = boundaries[random() % boundaries.size()];
        for (std::size_t pos = known; pos < text.size(); ++pos)
            ASSERT_EQ(onCharacterBoundary(text, known, pos), starts[pos])
                << "round " << round << " at " << pos;
    }
}

} // namespace
} // namespace dropship
