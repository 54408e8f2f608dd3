#include "web/gbk.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace dropship {
namespace {

// One conversion with iconv; an unconvertible or invalid input character becomes one "?" and the
// conversion goes on after it. GBK inputs skip a whole double-byte character at once so that a
// broken pair never produces two question marks.
std::string convert(std::string_view input, const char* from, const char* to, bool inputIsGbk) {
    std::string out;
    if (input.empty())
        return out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(input.size(), '?');
    out.reserve(input.size() * 3 / 2 + 4);
    char buffer[4096];
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (rc != static_cast<std::size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL: skip one input character and emit "?".
        std::size_t skip = 1;
        if (inputIsGbk) {
            skip = gbkCharLength(std::string_view(in, inLeft), 0);
        } else {
            const auto lead = static_cast<unsigned char>(*in);
            skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            // Do not swallow ASCII that follows a truncated sequence.
            for (std::size_t i = 1; i < skip && i < inLeft; ++i) {
                if ((static_cast<unsigned char>(in[i]) & 0xC0) != 0x80) {
                    skip = i;
                    break;
                }
            }
        }
        if (skip > inLeft)
            skip = inLeft;
        in += skip;
        inLeft -= skip;
        out.push_back('?');
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, sizeof buffer - outLeft);
    iconv_close(cd);
    return out;
}

} // namespace

bool isAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

std::string gbkToUtf8(std::string_view gbk) {
    // Pure ASCII needs no conversion, and many cells and answers are plain ASCII.
    if (isAscii(gbk))
        return std::string(gbk);
    return convert(gbk, "GBK", "UTF-8", true);
}

std::string utf8ToGbk(std::string_view utf8) {
    if (isAscii(utf8))
        return std::string(utf8);
    return convert(utf8, "UTF-8", "GBK", false);
}

std::size_t gbkFind(std::string_view text, std::string_view needle, std::size_t from) {
    if (needle.empty() || needle.size() > text.size())
        return std::string_view::npos;
    // Walk character boundaries from the start: a match is only valid where a character begins.
    std::size_t pos = from;
    while (pos + needle.size() <= text.size()) {
        const std::size_t hit = text.find(needle, pos);
        if (hit == std::string_view::npos)
            return hit;
        while (pos < hit)
            pos += gbkCharLength(text, pos);
        if (pos == hit)
            return hit;
        // The hit began in the middle of a character: continue after that character.
    }
    return std::string_view::npos;
}

std::vector<std::string_view> gbkSplit(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> pieces;
    if (text.empty())
        return pieces;
    if (separator.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t hit = gbkFind(text, separator, start);
        if (hit == std::string_view::npos)
            break;
        pieces.push_back(text.substr(start, hit - start));
        start = hit + separator.size();
    }
    if (start < text.size())
        pieces.push_back(text.substr(start));
    return pieces;
}

} // namespace dropship
