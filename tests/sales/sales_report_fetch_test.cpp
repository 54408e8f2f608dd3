// The sales fetch against the simulator: apply, polls, download and the rows they give.

#include "sales/sales_report_fetch.h"
#include "sales_sim_fixture.h"

namespace dropship {
namespace {

using sim::SalesSimState;
using ApplyAnswer = SalesSimState::ApplyAnswer;
using Kind = test::RecordingNotices::Entry::Kind;

const std::string kApply = "POST /trade/itemlist/list_export_order.htm?";
const std::string kPoll = "GET /trade/itemlist/list_export_order.htm";
// The first link of the export list, "&amp;" entities as the page writes them.
const std::string kDownload = "GET /trade/itemlist/export_order_download.htm?id=1001&amp;sign=5f3a";

std::vector<sim::SalesReportRow> threeOrders() {
    return {{"1593000000000001", "", "张三", "浙江省 杭州市 文三路1号", "", "13800001111",
             "2016-01-28 09:05:07", "T恤 白色"},
            {"1593000000000002", "周末送", "李四", "江苏省 南京市 中山路2号", "025-66668888", "",
             "2016-01-28 10:15:00", "帆布鞋"},
            {"1593000000000003", "", "王五", "广东省 深圳市 深南大道3号", "", "13900002222",
             "2016-01-28 11:20:30", "保温杯"}};
}

class SalesReportFetch : public test::SalesSimTest {
  protected:
    void fetch() {
        JobContext job = context({"2016-01-01 00:00:00", "2016-01-28 09:05:07", false});
        fetchSalesReport(endpoints, http, job);
    }
};

TEST_F(SalesReportFetch, ReportReadyAfterThreePollsIsAppendedAfterTheRowsThere) {
    sales.appendRow();
    sales.appendRow();
    state.setReportRows(threeOrders());
    state.setPollsBeforeReady(2);
    fetch();

    const std::vector<std::string> expected{kApply, kPoll, kPoll, kPoll, kDownload};
    EXPECT_EQ(requestLines(), expected);
    const std::string form =
        "auctionType=0&close=0&pageNum=1&pageSize=15&queryMore=true&rxAuditFlag=0&rxHasSendFlag=0&rxOldFlag=0"
        "&rxSendFlag=0&rxSuccessflag=0&showQueryTag=true&tradeTag=0&useCheckcode=false&useOrderInfo=false"
        "&errorCheckcode=false&action=itemlist%2FExportOrderAction&prePageNo=1&buyerNick=&dateBegin="
        "1451577600000"
        "&dateEnd=1453943107000&logisticsService=&orderStatus=PAID&queryOrder=desc&rateStatus=&refund="
        "&sellerNick=&tabCode=waitSend&event_submit_do_apply_export=1";
    ASSERT_FALSE(server.requests().empty());
    EXPECT_EQ(server.requests().front().body, form);
    EXPECT_EQ(pacer.waits(), (std::vector<long long>{2000, 2000, 2000}));

    ASSERT_EQ(sales.rowCount(), 5);
    EXPECT_EQ(rowText(2),
              (std::vector<std::string>{"3", "2016-01-28 09:05:07", "1593000000000001", "T恤 白色", "张三",
                                        "13800001111", "浙江省 杭州市 文三路1号", "", "", "", "", "", ""}));
    EXPECT_EQ(rowText(3)[SalesColumn::No], "4");
    EXPECT_EQ(rowText(3)[SalesColumn::Mobile], "025-66668888");
    EXPECT_EQ(rowText(3)[SalesColumn::Message], "周末送");
    EXPECT_EQ(rowText(4)[SalesColumn::No], "5");

    // The apply answer goes to the clipboard first; the only box is the closing reminder.
    const auto entries = notices.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].kind, Kind::Clipboard);
    EXPECT_NE(entries[0].text.find("申请已提交"), std::string::npos) << entries[0].text;
    EXPECT_EQ(entries[1].kind, Kind::Reminder);
    EXPECT_EQ(entries[1].text, "提取完成");
}

struct RefusalCase {
    const char* name;
    ApplyAnswer answer;
    std::string notice;
};

class SalesReportRefusal : public SalesReportFetch, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(SalesReportRefusal, ShowsItsNoticeAndNothingFollows) {
    state.setApplyAnswer(GetParam().answer);
    state.setReportRows(threeOrders());
    fetch();
    EXPECT_EQ(requestLines(), std::vector<std::string>{kApply});
    EXPECT_EQ(sales.rowCount(), 0);
    EXPECT_TRUE(pacer.waits().empty());
    const auto entries = notices.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].kind, Kind::Clipboard);
    EXPECT_EQ(entries[1].kind, Kind::Reminder);
    EXPECT_EQ(entries[1].text, GetParam().notice);
}

INSTANTIATE_TEST_SUITE_P(
    ApplyAnswers, SalesReportRefusal,
    ::testing::Values(
        RefusalCase{"NoOrders", ApplyAnswer::NoOrders, "待发货0条"},
        RefusalCase{"NoPermission", ApplyAnswer::NoPermission, "子帐户没有权限  要开通导出订单权限才能使用"},
        RefusalCase{"TooSoon", ApplyAnswer::TooSoon, "每次提取需要控制在 5 分钟以上，请稍后尝试"},
        // Both markers in one page: the permission refusal is tested first.
        RefusalCase{"PermissionBeforeTooSoon", ApplyAnswer::PermissionAndTooSoon,
                    "子帐户没有权限  要开通导出订单权限才能使用"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SalesReportFetch, MarkerAtTheVeryStartIsNoRefusal) {
    state.setApplyAnswer(ApplyAnswer::TooSoonAtStart);
    state.setReportRows(threeOrders());
    fetch();
    EXPECT_EQ(requestLines(), (std::vector<std::string>{kApply, kPoll, kDownload}));
    EXPECT_EQ(sales.rowCount(), 3);
    EXPECT_EQ(notices.reminders(), std::vector<std::string>{"提取完成"});
    ASSERT_EQ(notices.clipboard().size(), 1u);
    EXPECT_EQ(notices.clipboard()[0].rfind("两次报表申请需要控制在", 0), 0u);
}

TEST_F(SalesReportFetch, ReportNeverReadyGivesUpAfterTenPolls) {
    state.setPollsBeforeReady(-1);
    state.setReportRows(threeOrders());
    fetch();
    std::vector<std::string> expected{kApply};
    expected.insert(expected.end(), 10, kPoll);
    EXPECT_EQ(requestLines(), expected); // the empty link is not sent anywhere
    EXPECT_EQ(pacer.waits(), std::vector<long long>(10, 2000));
    EXPECT_EQ(sales.rowCount(), 0);
    EXPECT_EQ(notices.reminders(), std::vector<std::string>{"提取完成"});
}

TEST_F(SalesReportFetch, WithoutSessionEveryAnswerIsTheLoginPage) {
    // The log-in page is neither a refusal nor "being generated" and holds no link: one poll, an
    // empty link, no row; the clipboard shows the user what the marketplace said.
    logOut();
    fetch();
    EXPECT_EQ(requestLines(), (std::vector<std::string>{kApply, kPoll}));
    EXPECT_EQ(state.applications(), 0);
    EXPECT_EQ(sales.rowCount(), 0);
    ASSERT_EQ(notices.clipboard().size(), 1u);
    EXPECT_NE(notices.clipboard()[0].find("会员登录"), std::string::npos);
    EXPECT_EQ(notices.reminders(), std::vector<std::string>{"提取完成"});
}

TEST_F(SalesReportFetch, TruncatedDownloadKeepsTheWholeRecords) {
    std::string report = sim::salesReportText(threeOrders());
    report.resize(report.find("\xcd\xf5\xce\xe5")); // cut inside the third record, before "王五"
    state.setRawReport(report);
    fetch();
    ASSERT_EQ(sales.rowCount(), 3);
    EXPECT_EQ(rowText(1)[SalesColumn::Recipient], "李四");
    EXPECT_EQ(rowText(2)[SalesColumn::OrderNumber], "1593000000000003");
    EXPECT_EQ(rowText(2)[SalesColumn::Recipient], "");
    EXPECT_EQ(notices.reminders(), std::vector<std::string>{"提取完成"});
}

TEST_F(SalesReportFetch, StopAtAWaitEndsTheFetch) {
    state.setPollsBeforeReady(5);
    state.setReportRows(threeOrders());
    pacer.beforeWait = [this](int number) {
        if (number == 2)
            gate.requestStop();
    };
    fetch();
    EXPECT_EQ(requestLines(), (std::vector<std::string>{kApply, kPoll}));
    EXPECT_EQ(sales.rowCount(), 0);
    EXPECT_TRUE(notices.reminders().empty());
}

TEST_F(SalesReportFetch, StopDuringTheDownloadLeavesNoRowAndNoNotice) {
    state.setReportRows(threeOrders());
    state.setAnswerDelay(std::chrono::milliseconds(1500), sim::kSalesDownloadPath);
    stopDuringRequest(3, [this] { fetch(); });
    EXPECT_EQ(requestLines(), (std::vector<std::string>{kApply, kPoll, kDownload}));
    EXPECT_EQ(sales.rowCount(), 0);
    EXPECT_TRUE(notices.reminders().empty());
}

TEST_F(SalesReportFetch, StopDuringTheApplyChangesNothing) {
    state.setAnswerDelay(std::chrono::milliseconds(1500));
    stopDuringRequest(1, [this] { fetch(); });
    EXPECT_EQ(requestLines(), std::vector<std::string>{kApply});
    EXPECT_TRUE(notices.entries().empty());
    EXPECT_TRUE(pacer.waits().empty());
}

} // namespace
} // namespace dropship
