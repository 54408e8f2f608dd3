// PatternMatcher (PCRE2 with JIT) against std::regex (ECMAScript) on the same generated page.
// Both sides are timed in CPU time of the matching thread (the std::regex benchmarks report it as
// their manual time), so that the ratio holds on a machine shared with other work.
// std::regex runs in a child process on a 2 GiB thread stack: when it overflows the stack or runs too
// long, its benchmark reports that as an error and the PCRE2 runs carry no ratio.

#include "generated_pages.h"
#include "isolated_std_regex.h"
#include "web/gbk.h"
#include "web/pattern_matcher.h"

#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <map>
#include <optional>

namespace dropship::bench {
namespace {

constexpr std::chrono::seconds kStdRegexLimit{120};

struct NamedPattern {
    const char* name;
    std::string (*gbk)();
};

const std::array<NamedPattern, 3> kPatterns{
    {{"A", tracePatternA}, {"B", tracePatternB}, {"R", listPatternR}}};

const std::string& pageGbk(int orders) {
    static std::map<int, std::string> pages;
    auto [it, added] = pages.try_emplace(orders);
    if (added)
        it->second = orderPageGbk(orders);
    return it->second;
}

// Seconds per std::regex pass for a pattern and page size, or the reason it has none.
std::map<std::pair<int, int>, StdRegexOutcome>& stdRegexOutcomes() {
    static std::map<std::pair<int, int>, StdRegexOutcome> outcomes;
    return outcomes;
}

const StdRegexOutcome& stdRegexOutcome(int pattern, int orders) {
    auto& outcomes = stdRegexOutcomes();
    const auto key = std::pair{pattern, orders};
    if (const auto found = outcomes.find(key); found != outcomes.end())
        return found->second;
    const auto& named = kPatterns[static_cast<std::size_t>(pattern)];
    return outcomes[key] =
               runStdRegexIsolated(gbkToUtf8(named.gbk()), gbkToUtf8(pageGbk(orders)), 3, kStdRegexLimit);
}

void setPageCounters(benchmark::State& state, int orders, long matches) {
    state.counters["orders"] = orders;
    state.counters["page_bytes"] = static_cast<double>(pageGbk(orders).size());
    state.counters["matches"] = static_cast<double>(matches);
}

void BM_StdRegex(benchmark::State& state) {
    const int pattern = static_cast<int>(state.range(0));
    const int orders = static_cast<int>(state.range(1));
    const std::string utf8Pattern = gbkToUtf8(kPatterns[static_cast<std::size_t>(pattern)].gbk());
    const std::string utf8Page = gbkToUtf8(pageGbk(orders));
    double total = 0;
    long matches = 0;
    for (auto _ : state) {
        const StdRegexOutcome outcome = runStdRegexIsolated(utf8Pattern, utf8Page, 1, kStdRegexLimit);
        if (!outcome.finished) {
            stdRegexOutcomes()[{pattern, orders}] = outcome;
            state.SkipWithError(("std::regex " + outcome.failure).c_str());
            break;
        }
        state.SetIterationTime(outcome.secondsPerPass);
        total += outcome.secondsPerPass;
        matches = outcome.matches;
    }
    if (state.iterations() > 0 && total > 0) {
        stdRegexOutcomes()[{pattern, orders}] =
            StdRegexOutcome{true, total / static_cast<double>(state.iterations()), matches, {}};
    }
    setPageCounters(state, orders, matches);
}

void BM_PatternMatcher(benchmark::State& state) {
    const int pattern = static_cast<int>(state.range(0));
    const int orders = static_cast<int>(state.range(1));
    const std::string gbkPattern = kPatterns[static_cast<std::size_t>(pattern)].gbk();
    const std::string& page = pageGbk(orders);
    const StdRegexOutcome& reference = stdRegexOutcome(pattern, orders);
    PatternMatcher matcher;
    const double start = threadCpuSeconds();
    for (auto _ : state) {
        matcher.run(gbkPattern, page);
        benchmark::DoNotOptimize(matcher.matchCount());
    }
    const double elapsed = threadCpuSeconds() - start;
    setPageCounters(state, orders, matcher.matchCount());
    if (reference.finished && state.iterations() > 0)
        state.counters["ratio"] =
            elapsed / static_cast<double>(state.iterations()) / reference.secondsPerPass;
    else
        state.SetLabel("std::regex " + reference.failure);
}

// std::regex on a thread's usual 8 MiB stack: shows whether the large stack above was needed.
void BM_StdRegexDefaultStack(benchmark::State& state) {
    const int pattern = static_cast<int>(state.range(0));
    const int orders = static_cast<int>(state.range(1));
    const std::string utf8Pattern = gbkToUtf8(kPatterns[static_cast<std::size_t>(pattern)].gbk());
    const std::string utf8Page = gbkToUtf8(pageGbk(orders));
    long matches = 0;
    for (auto _ : state) {
        const StdRegexOutcome outcome =
            runStdRegexIsolated(utf8Pattern, utf8Page, 1, kStdRegexLimit, kDefaultStackBytes);
        if (!outcome.finished) {
            state.SkipWithError(("std::regex " + outcome.failure).c_str());
            break;
        }
        state.SetIterationTime(outcome.secondsPerPass);
        matches = outcome.matches;
    }
    setPageCounters(state, orders, matches);
}

// The share of a PatternMatcher run that is the GBK to UTF-8 conversion of the page.
void BM_PageGbkToUtf8(benchmark::State& state) {
    const std::string& page = pageGbk(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(gbkToUtf8(page));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(page.size()));
}

void patternArguments(benchmark::internal::Benchmark* b) {
    b->ArgNames({"pattern", "orders"});
    for (int pattern = 0; pattern < static_cast<int>(kPatterns.size()); ++pattern)
        for (const int orders : {50, 500})
            b->Args({pattern, orders});
}

// std::regex first, so that the PCRE2 runs find its times for their ratio.
BENCHMARK(BM_StdRegex)
    ->Apply(patternArguments)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PatternMatcher)->Apply(patternArguments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdRegexDefaultStack)
    ->Apply(patternArguments)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageGbkToUtf8)->Arg(500)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace dropship::bench
