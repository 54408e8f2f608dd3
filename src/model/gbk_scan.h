#pragma once
// Telling whether a byte position of GBK text starts a character without walking the text from
// its start. A byte outside the lead-byte range 0x81..0xFE always ends a character, so only the
// run of lead-range bytes just before the position matters: the position starts a character
// exactly when that run has even length. Digits, Latin letters and punctuation end the look-back
// at once; only runs of Chinese text are looked over, eight bytes at a time.

#include <cstddef>
#include <string_view>

namespace dropship {

// A byte that starts a double-byte character when a character starts at it (gbkCharLength).
inline bool inGbkLeadRange(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return value >= 0x81 && value <= 0xFE;
}

// The look-back of onCharacterBoundary once the byte before position is in the lead range.
bool endsLeadRangeRunOfEvenLength(std::string_view text, std::size_t knownBoundary, std::size_t position);

// Whether a character starts at position (< text.size()), given that one starts at knownBoundary
// (<= position). The look-back never goes before knownBoundary, so a scan that moves its known
// boundary forward past every match stays linear.
inline bool onCharacterBoundary(std::string_view text, std::size_t knownBoundary, std::size_t position) {
    // Most candidates follow a digit, a Latin letter or the end of the previous match.
    if (position == knownBoundary || !inGbkLeadRange(text[position - 1]))
        return true;
    return endsLeadRangeRunOfEvenLength(text, knownBoundary, position);
}

} // namespace dropship
