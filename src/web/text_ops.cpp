#include "web/text_ops.h"

#include "web/gbk.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace dropship {
namespace {

constexpr auto npos = std::string_view::npos;

char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Whether part stands at pos of text (pos on a character boundary), ignoring the case of ASCII
// letters. Double-byte characters compare exactly, so a trail byte that happens to be a letter is
// never folded.
bool matchesFolded(std::string_view text, std::size_t pos, std::string_view part) {
    if (text.size() - pos < part.size())
        return false;
    for (std::size_t i = 0; i < part.size();) {
        const std::size_t length = gbkCharLength(part, i);
        if (length == 1) {
            if (foldAscii(text[pos + i]) != foldAscii(part[i]))
                return false;
        } else if (text.substr(pos + i, 2) != part.substr(i, 2)) {
            return false;
        }
        i += length;
    }
    return true;
}

// Case-insensitive counterpart of gbkFind: same boundary rule, from must be a boundary.
std::size_t gbkFindFolded(std::string_view text, std::string_view part, std::size_t from) {
    if (part.empty() || part.size() > text.size())
        return npos;
    const char lower = foldAscii(part[0]);
    const bool letter = lower >= 'a' && lower <= 'z';
    const char upper = letter ? static_cast<char>(lower - ('a' - 'A')) : lower;
    // Next known positions of either case of the first byte, so the text is scanned only once.
    std::size_t nextLower = 0;
    std::size_t nextUpper = 0;
    bool lowerKnown = false;
    bool upperKnown = false;
    std::size_t boundary = from;
    std::size_t pos = from;
    while (pos + part.size() <= text.size()) {
        if (!lowerKnown || (nextLower != npos && nextLower < pos)) {
            nextLower = text.find(lower, pos);
            lowerKnown = true;
        }
        if (letter && (!upperKnown || (nextUpper != npos && nextUpper < pos))) {
            nextUpper = text.find(upper, pos);
            upperKnown = true;
        }
        const std::size_t hit = letter ? std::min(nextLower, nextUpper) : nextLower;
        if (hit == npos || hit + part.size() > text.size())
            return npos;
        while (boundary < hit)
            boundary += gbkCharLength(text, boundary);
        if (boundary == hit && matchesFolded(text, hit, part))
            return hit;
        pos = boundary == hit ? hit + 1 : boundary;
    }
    return npos;
}

std::size_t findFrom(std::string_view text, std::string_view part, std::size_t from, bool ignoreCase) {
    return ignoreCase ? gbkFindFolded(text, part, from) : gbkFind(text, part, from);
}

std::size_t findLastIndex(std::string_view text, std::string_view part, bool ignoreCase) {
    std::size_t last = npos;
    std::size_t from = 0;
    while (true) {
        const std::size_t hit = findFrom(text, part, from, ignoreCase);
        if (hit == npos)
            return last;
        last = hit;
        from = hit + gbkCharLength(text, hit);
    }
}

std::string replaceEvery(std::string_view text, std::string_view part, std::string_view replacement,
                         bool ignoreCase) {
    std::string out;
    std::size_t from = 0;
    while (!part.empty()) {
        const std::size_t hit = findFrom(text, part, from, ignoreCase);
        if (hit == npos)
            break;
        out.append(text.substr(from, hit - from));
        out.append(replacement);
        from = hit + part.size();
    }
    out.append(text.substr(from));
    return out;
}

int toPosition(std::size_t index) {
    return index == npos ? -1 : static_cast<int>(index) + 1;
}

int hexDigit(char c) {
    // The lookup in "0123456789ABCDEF" after upper-casing the character.
    static constexpr std::string_view digits = "0123456789ABCDEF";
    const std::size_t at = digits.find(c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c);
    return at == npos ? -1 : static_cast<int>(at);
}

// Value of count hexadecimal digits at text[pos], or -1 when any of them is missing.
long hexValue(std::string_view text, std::size_t pos, std::size_t count) {
    if (pos + count > text.size())
        return -1;
    long value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int digit = hexDigit(text[pos + i]);
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// The UTF-16 code unit of an escape at text[pos] ("%uXXXX", "\uXXXX" or "%XX") and its length,
// or a length of 0 when no escape starts there.
std::pair<std::uint32_t, std::size_t> escapeAt(std::string_view text, std::size_t pos) {
    const char c = text[pos];
    const bool wide = pos + 1 < text.size() && text[pos + 1] == 'u';
    if (c == '%' || (c == '\\' && wide)) {
        if (wide) {
            if (const long value = hexValue(text, pos + 2, 4); value >= 0)
                return {static_cast<std::uint32_t>(value), 6};
        }
        if (c == '%') {
            if (const long value = hexValue(text, pos + 1, 2); value >= 0)
                return {static_cast<std::uint32_t>(value), 3};
        }
    }
    return {0, 0};
}

bool isHighSurrogate(std::uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(std::uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Length of the blank character at text[pos] (a boundary), or 0 when it is not blank.
std::size_t blankLength(std::string_view text, std::size_t pos) {
    const char c = text[pos];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
        return 1;
    if (text.substr(pos, 2) == "\xA1\xA1") // full-width space
        return 2;
    return 0;
}

} // namespace

int findText(std::string_view text, std::string_view part, int start, bool ignoreCase) {
    if (start < 1)
        start = 1;
    if (static_cast<std::size_t>(start) > text.size())
        return -1;
    return toPosition(findFrom(text, part, static_cast<std::size_t>(start) - 1, ignoreCase));
}

int findLast(std::string_view text, std::string_view part, bool ignoreCase) {
    return toPosition(findLastIndex(text, part, ignoreCase));
}

std::string textBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker,
                        bool ignoreCase) {
    // "#引号" lets callers write a double quote inside a marker.
    static constexpr std::string_view quoteWord = "#\xD2\xFD\xBA\xC5";
    const std::string start = replaceAll(startMarker, quoteWord, "\"");
    const std::string end = replaceAll(endMarker, quoteWord, "\"");
    const std::size_t startHit = findFrom(text, start, 0, ignoreCase);
    if (startHit == npos)
        return {};
    const std::string_view rest = text.substr(startHit + start.size());
    const std::size_t endHit = findFrom(rest, end, 0, ignoreCase);
    if (endHit == npos)
        return {};
    return std::string(rest.substr(0, endHit));
}

std::string textAfterLast(std::string_view text, std::string_view marker) {
    const std::size_t hit = findLastIndex(text, marker, false);
    if (hit == npos)
        return {};
    return std::string(text.substr(hit + marker.size()));
}

std::string replaceAll(std::string_view text, std::string_view part, std::string_view replacement) {
    return replaceEvery(text, part, replacement, false);
}

std::string replaceMarkers(std::string_view text,
                           std::initializer_list<std::pair<std::string_view, std::string_view>> pairs) {
    std::string current(text);
    for (const auto& [marker, replacement] : pairs)
        current = replaceEvery(current, marker, replacement, true);
    return current;
}

std::vector<std::string> splitText(std::string_view text, std::string_view separator) {
    std::vector<std::string> pieces;
    for (const std::string_view piece : gbkSplit(text, separator))
        pieces.emplace_back(piece);
    return pieces;
}

std::string trimBlanks(std::string_view text) {
    std::size_t begin = npos;
    std::size_t end = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t blank = blankLength(text, pos);
        const std::size_t length = blank > 0 ? blank : gbkCharLength(text, pos);
        if (blank == 0) {
            if (begin == npos)
                begin = pos;
            end = pos + length;
        }
        pos += length;
    }
    if (begin == npos)
        return {};
    return std::string(text.substr(begin, end - begin));
}

std::string urlDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        if (text[pos] == '%') {
            if (const long value = hexValue(text, pos + 1, 2); value >= 0) {
                out.push_back(static_cast<char>(value));
                pos += 2;
                continue;
            }
        }
        out.push_back(text[pos]);
    }
    return out;
}

std::string unescapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::string run; // UTF-8 of consecutive escapes, converted to GBK in one go
    for (std::size_t pos = 0; pos < text.size();) {
        auto [unit, length] = escapeAt(text, pos);
        if (length == 0) {
            if (!run.empty()) {
                out += utf8ToGbk(run);
                run.clear();
            }
            const std::size_t charLength = gbkCharLength(text, pos);
            out.append(text.substr(pos, charLength));
            pos += charLength;
            continue;
        }
        pos += length;
        std::uint32_t code = unit;
        if (isHighSurrogate(unit) && pos < text.size()) {
            const auto [low, lowLength] = escapeAt(text, pos);
            if (lowLength > 0 && isLowSurrogate(low)) {
                code = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                pos += lowLength;
            }
        }
        if (isHighSurrogate(code) || isLowSurrogate(code))
            run.push_back('?'); // half a pair is no character
        else
            appendUtf8(run, code);
    }
    if (!run.empty())
        out += utf8ToGbk(run);
    return out;
}

double textToNumber(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const auto isDigit = [&](std::size_t at) {
        return at < text.size() && text[at] >= '0' && text[at] <= '9';
    };
    // Only a digit, or a point followed by a digit, begins a number (no "inf", "nan" or hex).
    if (!isDigit(pos) && !(pos < text.size() && text[pos] == '.' && isDigit(pos + 1)))
        return 0;
    double value = 0;
    const char* first = text.data() + pos;
    const auto result = std::from_chars(first, text.data() + text.size(), value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        return 0;
    return negative ? -value : value;
}

} // namespace dropship
