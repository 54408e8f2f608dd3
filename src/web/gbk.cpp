#include "web/gbk.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>

namespace dropship {
namespace {

// A conversion descriptor per thread and direction: opening one costs far more than converting a
// short cell, and iconv descriptors must not be shared between threads.
class Converter {
  public:
    Converter(const char* from, const char* to) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_cd; }

  private:
    iconv_t m_cd;
};

// Converts one run of non-ASCII input; an unconvertible or invalid character becomes one "?" and
// the conversion goes on after it. GBK input skips a whole double-byte character at once so that
// a broken pair never produces two question marks.
void convertRun(iconv_t cd, std::string_view input, bool inputIsGbk, std::string& out) {
    char buffer[4096];
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (rc != static_cast<std::size_t>(-1) || errno == E2BIG)
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
}

// ASCII is the same in both encodings, so ASCII runs are copied and only the runs between them go
// through iconv; marketplace pages are mostly ASCII markup.
std::string convert(std::string_view input, const Converter& converter, bool inputIsGbk) {
    std::string out;
    out.reserve(input.size() + input.size() / 2);
    std::size_t pos = 0;
    while (pos < input.size()) {
        std::size_t runEnd = pos;
        while (runEnd < input.size() && static_cast<unsigned char>(input[runEnd]) < 0x80)
            ++runEnd;
        out.append(input.substr(pos, runEnd - pos));
        pos = runEnd;
        if (pos == input.size())
            break;
        // A non-ASCII run: in GBK a trail byte may be ASCII, so walk whole characters.
        while (runEnd < input.size() && static_cast<unsigned char>(input[runEnd]) >= 0x80)
            runEnd += inputIsGbk ? gbkCharLength(input, runEnd) : 1;
        if (runEnd > input.size())
            runEnd = input.size();
        const std::string_view run = input.substr(pos, runEnd - pos);
        if (converter.valid())
            convertRun(converter.get(), run, inputIsGbk, out);
        else
            out.append(run.size(), '?');
        pos = runEnd;
    }
    return out;
}

// Whether all eight bytes of word lie in 0x81..0xFE: every top bit set, and no byte 0x80 or 0xFF.
bool allInLeadRange(std::uint64_t word) {
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    const auto hasZeroByte = [](std::uint64_t value) { return ((value - kOnes) & ~value & kHigh) != 0; };
    return (word & kHigh) == kHigh && !hasZeroByte(word ^ kHigh) && !hasZeroByte(~word);
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
    thread_local const Converter converter("GBK", "UTF-8");
    return convert(gbk, converter, true);
}

std::string utf8ToGbk(std::string_view utf8) {
    if (isAscii(utf8))
        return std::string(utf8);
    thread_local const Converter converter("UTF-8", "GBK");
    return convert(utf8, converter, false);
}

std::size_t gbkFind(std::string_view text, std::string_view needle, std::size_t from) {
    if (needle.empty() || needle.size() > text.size())
        return std::string_view::npos;
    // Walk character boundaries from the start: a match is only valid where a character begins.
    std::size_t boundary = from;
    while (boundary + needle.size() <= text.size()) {
        const std::size_t hit = text.find(needle, boundary);
        if (hit == std::string_view::npos || onCharacterBoundary(text, boundary, hit))
            return hit;
        // The hit began on the second byte of a character, so the next byte starts one.
        boundary = hit + 1;
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
