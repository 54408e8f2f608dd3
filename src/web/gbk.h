#pragma once
// Conversion between GBK (code page 936), the encoding of every text the marketplace sends and
// every list cell we keep, and UTF-8, the encoding of Qt, JSON and PCRE2.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dropship {

// Never fails: a byte sequence that is not valid GBK, or a character GBK cannot hold, becomes "?".
std::string gbkToUtf8(std::string_view gbk);
std::string utf8ToGbk(std::string_view utf8);
bool isAscii(std::string_view text);

// Length in bytes of the GBK character that starts at text[pos]: 2 for a lead byte (0x81..0xFE)
// followed by a byte, else 1. Scanners use it to stay on character boundaries.
inline std::size_t gbkCharLength(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    return (lead >= 0x81 && lead <= 0xFE && pos + 1 < text.size()) ? 2 : 1;
}

// Telling whether a byte position of GBK text starts a character without walking the text from
// its start. A byte outside the lead-byte range 0x81..0xFE always ends a character, so only the
// run of lead-range bytes just before the position matters: the position starts a character
// exactly when that run has even length. Digits, Latin letters and punctuation end the look-back
// at once; only runs of Chinese text are looked over, eight bytes at a time.
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

// Position of the first occurrence of needle at or after from that starts on a GBK character
// boundary, or std::string_view::npos. from must itself be a character boundary (0, or a position
// this function or a caller's own boundary walk returned), so a split over a long text stays linear.
std::size_t gbkFind(std::string_view text, std::string_view needle, std::size_t from = 0);

// Splits text at every separator found on a character boundary: the piece before each separator,
// empty pieces included, and the rest after the last separator only when it is not empty. An
// empty text has no pieces.
std::vector<std::string_view> gbkSplit(std::string_view text, std::string_view separator);

} // namespace dropship
