#pragma once
// Regular-expression matching over GBK pages with the dialect and options of the script engines
// the marketplace readers were written for (ECMAScript): case-insensitive, multi-line and global
// unless told otherwise, "." stops at CR and LF, \d \s \w are ASCII classes.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dropship {

class PatternMatcher {
  public:
    PatternMatcher();
    ~PatternMatcher();
    PatternMatcher(PatternMatcher&&) noexcept;
    PatternMatcher& operator=(PatternMatcher&&) noexcept;

    // Finds the matches of pattern (GBK text) in gbkSubject, replacing those of the last run.
    // global = false keeps only the first match. A pattern that does not compile finds nothing.
    void run(std::string_view pattern, std::string_view gbkSubject, bool caseSensitive = false,
             bool multiLine = true, bool global = true);

    int matchCount() const;
    // GBK text captured by group (1-based) of match (1-based); empty for a group that took no part
    // and for numbers out of range.
    std::string groupText(int match, int group) const;

  private:
    struct Compiled;
    std::unique_ptr<Compiled> compiled_; // kept while the same pattern and options are run again
    std::string subject_;                // UTF-8
    std::size_t groupCount_ = 0;
    std::vector<std::size_t> offsets_; // per match: start and end of each group 0..groupCount_
};

} // namespace dropship
