#include "isolated_std_regex.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <pthread.h>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

namespace dropship::bench {
namespace {

struct Job {
    const std::string* pattern;
    const std::string* subject;
    int passes;
    double secondsPerPass = 0;
    long matches = 0;
};

void* runJob(void* argument) {
    auto* job = static_cast<Job*>(argument);
    const std::regex re(*job->pattern, std::regex::ECMAScript | std::regex::icase | std::regex::multiline);
    const double start = threadCpuSeconds();
    for (int pass = 0; pass < job->passes; ++pass) {
        long matches = 0;
        for (auto it = std::sregex_iterator(job->subject->begin(), job->subject->end(), re);
             it != std::sregex_iterator(); ++it)
            ++matches;
        job->matches = matches;
    }
    job->secondsPerPass = (threadCpuSeconds() - start) / job->passes;
    return nullptr;
}

struct Report {
    double secondsPerPass;
    long matches;
};

[[noreturn]] void runChild(int output, const std::string& pattern, const std::string& subject, int passes,
                           std::size_t stackBytes) {
    Job job{&pattern, &subject, passes};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, stackBytes);
    pthread_t thread;
    if (pthread_create(&thread, &attributes, runJob, &job) != 0)
        _exit(3);
    pthread_join(thread, nullptr);
    const Report report{job.secondsPerPass, job.matches};
    const bool written = write(output, &report, sizeof report) == static_cast<ssize_t>(sizeof report);
    _exit(written ? 0 : 4);
}

} // namespace

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

StdRegexOutcome runStdRegexIsolated(const std::string& utf8Pattern, const std::string& utf8Subject,
                                    int passes, std::chrono::seconds limit, std::size_t stackBytes) {
    StdRegexOutcome outcome;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        outcome.failure = "no pipe";
        return outcome;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        runChild(pipeEnds[1], utf8Pattern, utf8Subject, passes, stackBytes);
    }
    close(pipeEnds[1]);
    if (child < 0) {
        close(pipeEnds[0]);
        outcome.failure = "no child process";
        return outcome;
    }
    pollfd readable{pipeEnds[0], POLLIN, 0};
    const int ready = poll(&readable, 1, static_cast<int>(limit.count() * 1000));
    Report report{};
    const bool reported =
        ready > 0 && read(pipeEnds[0], &report, sizeof report) == static_cast<ssize_t>(sizeof report);
    close(pipeEnds[0]);
    if (ready == 0)
        kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    if (reported) {
        outcome.finished = true;
        outcome.secondsPerPass = report.secondsPerPass;
        outcome.matches = report.matches;
    } else if (ready == 0) {
        outcome.failure = "did not finish within " + std::to_string(limit.count()) + " s";
    } else if (WIFSIGNALED(status)) {
        outcome.failure = std::string("crashed: ") + strsignal(WTERMSIG(status));
    } else {
        outcome.failure = "exited with status " + std::to_string(WEXITSTATUS(status));
    }
    return outcome;
}

} // namespace dropship::bench
