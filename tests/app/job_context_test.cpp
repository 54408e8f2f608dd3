#include "app/jobs/job_context.h"
#include "app/jobs/scaled_pacer.h"
#include "model/order_list.h"

#include <gtest/gtest.h>
#include <vector>

namespace dropship {
namespace {

struct RecordingNotices : Notices {
    std::vector<std::string> shown;
    std::vector<std::string> clipboard;
    std::vector<std::stop_token> tokens; // what each clipboard write was given to cancel it
    void information(const std::string& text, std::stop_token) override { shown.push_back("i:" + text); }
    void reminder(const std::string& text, std::stop_token) override { shown.push_back("r:" + text); }
    void setClipboardText(const std::string& text, std::stop_token stop) override {
        clipboard.push_back(text);
        tokens.push_back(stop);
    }
};

// The context's effects before and after a stop: everything before it happens, nothing after.
TEST(JobContext, EffectsStopWithTheJob) {
    JobGate gate;
    RecordingNotices notices;
    ScaledPacer pacer(0.0);
    int enabled = 0;
    OrderList purchases(14);
    OrderList sales(13);
    JobContext context(gate, notices, pacer, purchases, sales, JobInputs{"a", "b", true}, [&] { ++enabled; });
    EXPECT_EQ(&context.purchases(), &purchases);
    EXPECT_EQ(&context.sales(), &sales);

    EXPECT_EQ(context.inputs().startTime, "a");
    EXPECT_TRUE(context.inputs().includeWholesale);
    context.information("done");
    context.reminder("hint");
    context.setClipboardText("123");
    context.enableStartButton();
    EXPECT_TRUE(context.wait(std::chrono::milliseconds(5)));

    context.stopSelf();
    EXPECT_TRUE(context.stopRequested());
    EXPECT_TRUE(context.stopToken().stop_requested());
    context.information("late");
    context.reminder("late");
    context.setClipboardText("late");
    context.enableStartButton();
    EXPECT_FALSE(context.wait(std::chrono::milliseconds(5)));

    EXPECT_EQ(notices.shown, (std::vector<std::string>{"i:done", "r:hint"}));
    EXPECT_EQ(notices.clipboard, std::vector<std::string>{"123"});
    // The write that went out before the stop carries the job's token, so a window that queues
    // it can still drop it when the stop arrives first.
    ASSERT_EQ(notices.tokens.size(), 1u);
    EXPECT_TRUE(notices.tokens[0].stop_requested());
    EXPECT_EQ(enabled, 1);
}

} // namespace
} // namespace dropship
