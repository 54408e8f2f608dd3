#pragma once
// Boundary-correct search in GBK text that does not walk every character. A needle found by a
// byte search is a real match only if it starts on a character boundary; whether it does follows
// from the bytes just before it: a byte outside the lead-byte range 0x81..0xFE always ends a
// character, so only the run of lead-range bytes before the candidate needs looking at, and the
// candidate is on a boundary exactly when that run has even length. Digits, Latin letters and
// punctuation stop the look-back at once; only runs of Chinese text are looked over.

#include <cstddef>
#include <string_view>

namespace dropship {

// A byte that starts a double-byte character when a character starts at it (gbkCharLength).
inline bool inGbkLeadRange(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return value >= 0x81 && value <= 0xFE;
}

// Same answers as gbkFind (web/gbk.h): the first occurrence of needle at or after from that
// starts on a character boundary, or npos. from must itself be a character boundary. Linear in
// the length of text over a whole split, like gbkFind.
std::size_t findOnCharacterBoundary(std::string_view text, std::string_view needle, std::size_t from = 0);

} // namespace dropship
