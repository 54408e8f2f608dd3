#include "model/gbk_scan.h"

#include <cstdint>
#include <cstring>

namespace dropship {
namespace {

// Whether all eight bytes of word lie in 0x81..0xFE: every top bit set, and no byte 0x80 or 0xFF.
bool allInLeadRange(std::uint64_t word) {
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    const auto hasZeroByte = [](std::uint64_t value) { return ((value - kOnes) & ~value & kHigh) != 0; };
    return (word & kHigh) == kHigh && !hasZeroByte(word ^ kHigh) && !hasZeroByte(~word);
}

} // namespace

bool endsLeadRangeRunOfEvenLength(std::string_view text, std::size_t knownBoundary, std::size_t position) {
    std::size_t runStart = position;
    while (runStart >= knownBoundary + sizeof(std::uint64_t)) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + runStart - sizeof word, sizeof word);
        if (!allInLeadRange(word))
            break;
        runStart -= sizeof word;
    }
    while (runStart > knownBoundary && inGbkLeadRange(text[runStart - 1]))
        --runStart;
    return (position - runStart) % 2 == 0;
}

} // namespace dropship
