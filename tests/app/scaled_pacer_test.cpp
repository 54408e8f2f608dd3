#include "app/jobs/scaled_pacer.h"

#include <gtest/gtest.h>
#include <thread>

namespace dropship {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(ScaledPacer, WaitsTheScaledTime) {
    ScaledPacer pacer(0.01);
    const auto start = Clock::now();
    EXPECT_TRUE(pacer.wait(3000ms, {}));
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, 30ms);
    EXPECT_LT(elapsed, 1000ms);
}

TEST(ScaledPacer, StopBeforeTheWaitReturnsAtOnce) {
    ScaledPacer pacer(1.0);
    std::stop_source stop;
    stop.request_stop();
    const auto start = Clock::now();
    EXPECT_FALSE(pacer.wait(10s, stop.get_token()));
    EXPECT_LT(Clock::now() - start, 100ms);
}

TEST(ScaledPacer, StopDuringTheWaitWakesIt) {
    ScaledPacer pacer(1.0);
    std::stop_source stop;
    std::jthread stopper([&] {
        std::this_thread::sleep_for(50ms);
        stop.request_stop();
    });
    const auto start = Clock::now();
    EXPECT_FALSE(pacer.wait(60s, stop.get_token()));
    EXPECT_LT(Clock::now() - start, 1000ms);
}

} // namespace
} // namespace dropship
