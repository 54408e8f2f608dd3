#pragma once
// Runs std::regex (ECMAScript) over a subject in a child process, on a thread with a large stack,
// so that a stack overflow or a run that never ends is recorded instead of ending the benchmark.

#include <chrono>
#include <cstddef>
#include <string>

namespace dropship::bench {

struct StdRegexOutcome {
    bool finished = false;
    double secondsPerPass = 0; // CPU time of the matching thread: robust on a busy machine
    long matches = 0;
    std::string failure; // why it did not finish
};

// CPU seconds the calling thread has used.
double threadCpuSeconds();

// libstdc++'s matcher recurses once per repeated character: room for a whole page.
inline constexpr std::size_t kLargeStackBytes = std::size_t{2} << 30;
// A thread's usual stack on Linux.
inline constexpr std::size_t kDefaultStackBytes = std::size_t{8} << 20;

// Same options as the pattern matcher: ECMAScript, ignoring case, multi-line; all matches.
StdRegexOutcome runStdRegexIsolated(const std::string& utf8Pattern, const std::string& utf8Subject,
                                    int passes, std::chrono::seconds limit,
                                    std::size_t stackBytes = kLargeStackBytes);

} // namespace dropship::bench
