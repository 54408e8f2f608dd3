#include "model/list_scan.h"

#include "web/gbk.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dropship {
namespace {

constexpr char kSeparator[] = "\xA1\xFB\xA1\xFA";
constexpr std::size_t kSeparatorSize = sizeof kSeparator - 1;
constexpr std::size_t kLineEndSize = 2;

} // namespace

inline ListTokenScanner::Found ListTokenScanner::take(std::size_t candidate) {
    if (candidate < m_boundary) // inside the token found last
        return Found::Nothing;
    const char* const bytes = m_text.data();
    const std::size_t rest = m_text.size() - candidate;
    const bool lineEnd = bytes[candidate] == '\r';
    if (lineEnd ? rest < kLineEndSize || bytes[candidate + 1] != '\n'
                : rest < kSeparatorSize || std::memcmp(bytes + candidate, kSeparator, kSeparatorSize) != 0)
        return Found::Nothing;
    if (!onCharacterBoundary(m_text, m_boundary, candidate)) {
        m_boundary = candidate + 1; // the candidate was the second byte of a character
        return Found::Nothing;
    }
    m_boundary = candidate + (lineEnd ? kLineEndSize : kSeparatorSize);
    return lineEnd ? Found::LineEnd : Found::Separator;
}

void ListTokenScanner::endAt(std::size_t nul) {
    m_text = m_text.substr(0, nul);
}

std::size_t ListTokenScanner::next(std::span<Token> out) {
    const char* const bytes = m_text.data();
    std::size_t count = 0;
    while (count < out.size() && m_position < m_text.size()) {
#if defined(__SSE2__)
        if (m_text.size() - m_position >= 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + m_position));
            const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('\xA1')),
                                              _mm_cmpeq_epi8(block, _mm_set1_epi8('\r')));
            auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
            const std::size_t blockStart = m_position;
            m_position += 16;
            if (const auto nuls =
                    static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_setzero_si128())))) {
                const auto nul = static_cast<unsigned>(__builtin_ctz(nuls));
                endAt(blockStart + nul);
                mask &= (1u << nul) - 1;
            }
            while (mask != 0) {
                const std::size_t candidate = blockStart + static_cast<std::size_t>(__builtin_ctz(mask));
                mask &= mask - 1;
                const Found found = take(candidate);
                if (found == Found::Nothing)
                    continue;
                out[count++] = {candidate, found == Found::LineEnd};
                if (count == out.size()) {
                    m_position = candidate + 1;
                    break;
                }
                // Skip the candidates inside the token just found (the separator's second A1).
                const std::size_t covered = m_boundary - blockStart;
                mask = covered >= 16 ? 0 : mask & (~0u << covered);
            }
            continue;
        }
#endif
        const std::size_t candidate = m_position++;
        if (bytes[candidate] == '\0') {
            endAt(candidate);
            break;
        }
        if (bytes[candidate] != '\xA1' && bytes[candidate] != '\r')
            continue;
        if (const Found found = take(candidate); found != Found::Nothing)
            out[count++] = {candidate, found == Found::LineEnd};
    }
    return count;
}

} // namespace dropship
