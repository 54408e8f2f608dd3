#pragma once
// Text operations over GBK byte strings, as the readers of marketplace answers use them.
// Positions are 1-based byte positions, -1 means "not found". Searches only match where a GBK
// character begins, and ignoring case folds the 26 ASCII letters of single-byte characters only.

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dropship {

// Position of the first occurrence of part at or after start (a position on a character boundary,
// such as 1 or a found position plus a length), or -1. An empty part is never found.
int findText(std::string_view text, std::string_view part, int start = 1, bool ignoreCase = false);
int findLast(std::string_view text, std::string_view part, bool ignoreCase = false);

// The text after the first start marker up to the first end marker after it; empty when either
// marker is missing. "#引号" inside a marker stands for a double quote.
std::string textBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker,
                        bool ignoreCase = true);
// Everything after the last occurrence of marker (case-sensitive); empty when it is missing.
std::string textAfterLast(std::string_view text, std::string_view marker);

// Every occurrence replaced, left to right, case-sensitive.
std::string replaceAll(std::string_view text, std::string_view part, std::string_view replacement);
// Each pair replaces all occurrences of its marker, ignoring ASCII case, in the order given.
std::string replaceMarkers(std::string_view text,
                           std::initializer_list<std::pair<std::string_view, std::string_view>> pairs);

// Pieces between separators; empty pieces stay, a separator at the end gives no empty last piece.
std::vector<std::string> splitText(std::string_view text, std::string_view separator);
// Without leading and trailing blanks: spaces, tabs, CR, LF and full-width spaces.
std::string trimBlanks(std::string_view text);

// Every "%" with two hexadecimal digits becomes that byte; a "%" without them stays as it is.
// No character set conversion: escaped UTF-8 stays UTF-8 bytes.
std::string urlDecode(std::string_view text);
// Resolves the escapes of JavaScript's unescape ("%XX", "%uXXXX") and "\uXXXX" into GBK text.
// Everything else, line breaks and apostrophes included, stays as it is. Nothing is evaluated.
std::string unescapeText(std::string_view text);

// The leading decimal number of the text (blanks before it allowed), 0 when there is none.
double textToNumber(std::string_view text);

} // namespace dropship
