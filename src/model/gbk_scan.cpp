#include "model/gbk_scan.h"

#include <cstring>

namespace dropship {
namespace {

// First occurrence of needle in text at or after from, ignoring character boundaries.
std::size_t findBytes(std::string_view text, std::string_view needle, std::size_t from) {
    const char* const base = text.data();
    const std::size_t lastStart = text.size() - needle.size(); // caller ensures needle fits
    while (from <= lastStart) {
        const void* hit = std::memchr(base + from, needle.front(), lastStart - from + 1);
        if (hit == nullptr)
            return std::string_view::npos;
        const auto position = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
        if (std::memcmp(base + position + 1, needle.data() + 1, needle.size() - 1) == 0)
            return position;
        from = position + 1;
    }
    return std::string_view::npos;
}

} // namespace

std::size_t findOnCharacterBoundary(std::string_view text, std::string_view needle, std::size_t from) {
    if (needle.empty() || from > text.size() || needle.size() > text.size() - from)
        return std::string_view::npos;
    std::size_t boundary = from; // a known character boundary at or before the search position
    std::size_t position = from;
    while (true) {
        const std::size_t hit = findBytes(text, needle, position);
        if (hit == std::string_view::npos)
            return hit;
        std::size_t runStart = hit;
        while (runStart > boundary && inGbkLeadRange(text[runStart - 1]))
            --runStart;
        if ((hit - runStart) % 2 == 0)
            return hit;
        // The candidate is the second byte of a character, so a character starts right after it.
        boundary = hit + 1;
        position = hit + 1;
    }
}

} // namespace dropship
