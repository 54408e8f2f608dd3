#pragma once
// Finds where the cells and lines of a saved list end: every separator "←→" (GBK A1FB A1FA) and
// every CR LF that starts on a GBK character boundary, in order. Candidate bytes are found
// sixteen at a time where the processor allows it and each candidate is checked by a short
// look-back (onCharacterBoundary), so a 100,000-row file is not walked character by character.
// The text ends at its first NUL byte, if any.

#include <cstddef>
#include <span>
#include <string_view>

namespace dropship {

class ListTokenScanner {
  public:
    struct Token {
        std::size_t position;
        bool lineEnd; // CR LF; otherwise the separator
    };

    explicit ListTokenScanner(std::string_view text) : m_text(text) {}

    // Fills out with the next tokens; returns how many, 0 once the text is used up.
    std::size_t next(std::span<Token> out);
    // The text up to its first NUL byte, once next() has returned 0.
    std::string_view text() const { return m_text; }

  private:
    enum class Found { Nothing, Separator, LineEnd };
    // What starts at candidate (a CR or an A1 byte); moves the known boundary past a token.
    Found take(std::size_t candidate);
    void endAt(std::size_t nul);

    std::string_view m_text;
    std::size_t m_position = 0; // next byte to look at
    std::size_t m_boundary = 0; // a character starts here; no token begins before it
};

} // namespace dropship
