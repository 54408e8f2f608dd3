#include "web/pattern_matcher.h"

#include "web/gbk.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

namespace dropship {

struct PatternMatcher::Compiled {
    std::string pattern;
    std::uint32_t options = 0;
    pcre2_code* code = nullptr;
    pcre2_match_context* context = nullptr;
    pcre2_jit_stack* jitStack = nullptr;

    Compiled() = default;
    Compiled(const Compiled&) = delete;
    Compiled& operator=(const Compiled&) = delete;
    ~Compiled() {
        pcre2_jit_stack_free(jitStack);
        pcre2_match_context_free(context);
        pcre2_code_free(code);
    }
};

namespace {

// Whether the byte is the first byte of a UTF-8 character.
bool startsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

std::uint32_t compileOptions(bool caseSensitive, bool multiLine) {
    // ALT_BSUX gives \uXXXX and \xXX their ECMAScript meaning; MATCH_UNSET_BACKREF lets a
    // reference to a group that took no part match the empty text, as ECMAScript does.
    std::uint32_t options = PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF |
                            PCRE2_NEVER_BACKSLASH_C;
    if (!caseSensitive)
        options |= PCRE2_CASELESS;
    options |= multiLine ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
    return options;
}

} // namespace

PatternMatcher::PatternMatcher() = default;
PatternMatcher::~PatternMatcher() = default;
PatternMatcher::PatternMatcher(PatternMatcher&&) noexcept = default;
PatternMatcher& PatternMatcher::operator=(PatternMatcher&&) noexcept = default;

void PatternMatcher::run(std::string_view pattern, std::string_view gbkSubject, bool caseSensitive,
                         bool multiLine, bool global) {
    offsets_.clear();
    groupCount_ = 0;
    subject_.clear();

    const std::string utf8Pattern = gbkToUtf8(pattern);
    const std::uint32_t options = compileOptions(caseSensitive, multiLine);
    if (!compiled_ || compiled_->pattern != utf8Pattern || compiled_->options != options) {
        compiled_.reset();
        auto compiled = std::make_unique<Compiled>();
        compiled->pattern = utf8Pattern;
        compiled->options = options;
        // Line breaks are CR, LF and CR LF: "." stops at either, "^" and "$" see both.
        pcre2_compile_context* compileContext = pcre2_compile_context_create(nullptr);
        pcre2_set_newline(compileContext, PCRE2_NEWLINE_ANYCRLF);
        int error = 0;
        PCRE2_SIZE errorOffset = 0;
        compiled->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(utf8Pattern.data()), utf8Pattern.size(),
                                       options, &error, &errorOffset, compileContext);
        pcre2_compile_context_free(compileContext);
        if (compiled->code == nullptr)
            return;
        compiled->context = pcre2_match_context_create(nullptr);
        // Without JIT support the interpreter matches the same, only slower.
        if (pcre2_jit_compile(compiled->code, PCRE2_JIT_COMPLETE) == 0) {
            compiled->jitStack = pcre2_jit_stack_create(32 * 1024, 8 * 1024 * 1024, nullptr);
            pcre2_jit_stack_assign(compiled->context, nullptr, compiled->jitStack);
        }
        compiled_ = std::move(compiled);
    }

    std::uint32_t captures = 0;
    pcre2_pattern_info(compiled_->code, PCRE2_INFO_CAPTURECOUNT, &captures);
    groupCount_ = captures;
    subject_ = gbkToUtf8(gbkSubject);
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(compiled_->code, nullptr);
    const auto* subject = reinterpret_cast<PCRE2_SPTR>(subject_.data());
    const std::size_t length = subject_.size();
    // The subject is valid UTF-8 once checked: later calls skip the check, which would otherwise
    // scan the rest of a large page again for every match.
    std::uint32_t matchOptions = 0;
    std::size_t offset = 0;
    while (offset <= length) {
        const int rc =
            pcre2_match(compiled_->code, subject, length, offset, matchOptions, data, compiled_->context);
        if (rc < 0)
            break;
        matchOptions = PCRE2_NO_UTF_CHECK;
        const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(data);
        for (std::size_t i = 0; i < 2 * (groupCount_ + 1); ++i)
            offsets_.push_back(vector[i]);
        if (!global)
            break;
        const std::size_t start = vector[0];
        const std::size_t end = vector[1];
        if (end > start) {
            offset = end;
            continue;
        }
        // An empty match: go on one character further, as ECMAScript does.
        offset = std::max(start, end) + 1;
        while (offset < length && !startsCharacter(subject_[offset]))
            ++offset;
    }
    pcre2_match_data_free(data);
}

int PatternMatcher::matchCount() const {
    const std::size_t perMatch = 2 * (groupCount_ + 1);
    return static_cast<int>(offsets_.size() / perMatch);
}

std::string PatternMatcher::groupText(int match, int group) const {
    if (match < 1 || match > matchCount() || group < 1 || static_cast<std::size_t>(group) > groupCount_)
        return {};
    const std::size_t at =
        (static_cast<std::size_t>(match) - 1) * 2 * (groupCount_ + 1) + 2 * static_cast<std::size_t>(group);
    const std::size_t start = offsets_[at];
    const std::size_t end = offsets_[at + 1];
    if (start == PCRE2_UNSET || end <= start)
        return {};
    return utf8ToGbk(std::string_view(subject_).substr(start, end - start));
}

} // namespace dropship
