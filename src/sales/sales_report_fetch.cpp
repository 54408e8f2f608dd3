#include "sales/sales_report_fetch.h"

#include "app/jobs/job_context.h"
#include "sales/answer_text.h"
#include "sales/sales_report_parser.h"
#include "web/date_time_text.h"
#include "web/endpoints.h"
#include "web/gbk.h"
#include "web/http_client.h"
#include "web/text_ops.h"

#include <array>
#include <chrono>

namespace dropship {
namespace {

constexpr std::string_view kApplyPath = "/trade/itemlist/list_export_order.htm?";
constexpr std::string_view kPollPath = "/trade/itemlist/list_export_order.htm";
constexpr int kMaxPolls = 10;
constexpr std::chrono::milliseconds kPollInterval{2000};
constexpr int kPost = 1;
constexpr int kGet = 0;
constexpr int kDefaultTimeoutSeconds = 60;

// The apply answer's refusals, in the order they are tested, with the reminder each one shows.
struct Refusal {
    std::string marker;
    std::string notice;
};
const std::array<Refusal, 3>& refusals() {
    static const std::array<Refusal, 3> table{{
        {utf8ToGbk("您申请导出的数据为0条"), utf8ToGbk("待发货0条")},
        {utf8ToGbk("您需要联系掌柜开设此权限"), utf8ToGbk("子帐户没有权限  要开通导出订单权限才能使用")},
        {utf8ToGbk("两次报表申请需要控制在"), utf8ToGbk("每次提取需要控制在 5 分钟以上，请稍后尝试")},
    }};
    return table;
}

// The marketplace puts the refusal inside its page, never at its very start; a marker at
// position 1 is not taken as a refusal.
const Refusal* findRefusal(std::string_view applyAnswer) {
    for (const Refusal& refusal : refusals()) {
        if (findText(applyAnswer, refusal.marker) > 1)
            return &refusal;
    }
    return nullptr;
}

} // namespace

std::string salesExportApplyForm(const std::string& beginText, const std::string& endText) {
    std::string form =
        "auctionType=0&close=0&pageNum=1&pageSize=15&queryMore=true&rxAuditFlag=0&rxHasSendFlag=0"
        "&rxOldFlag=0&rxSendFlag=0&rxSuccessflag=0&showQueryTag=true&tradeTag=0&useCheckcode=false"
        "&useOrderInfo=false&errorCheckcode=false&action=itemlist%2FExportOrderAction&prePageNo=1"
        "&buyerNick=&dateBegin=";
    form += millisecondTimeText(textToDateTime(beginText));
    form += "&dateEnd=";
    // The end is sent as entered: no end-of-day time is added.
    form += millisecondTimeText(textToDateTime(endText));
    form += "&logisticsService=&orderStatus=PAID&queryOrder=desc&rateStatus=&refund=&sellerNick="
            "&tabCode=waitSend&event_submit_do_apply_export=1";
    return form;
}

void fetchSalesReport(const Endpoints& endpoints, HttpClient& http, JobContext& job) {
    const std::stop_token stop = job.stopToken();
    const std::string exportPage = endpoints.sellerTrade + std::string(kApplyPath);
    const std::string form = salesExportApplyForm(job.inputs().startTime, job.inputs().endTime);
    const Bytes applyAnswer = http.httpRequestTimed(exportPage, kPost, form, kDefaultTimeoutSeconds, stop);
    if (job.stopRequested())
        return;
    const std::string applyText(answerText(applyAnswer));
    job.setClipboardText(applyText);
    if (const Refusal* refusal = findRefusal(applyText)) {
        job.reminder(refusal->notice);
        return;
    }

    static const std::string generating = utf8ToGbk("正在生成订单报表，请耐心等待");
    static const std::string linkStart = utf8ToGbk("下载订单报表\" href=\"");
    const std::string listPage = endpoints.sellerTrade + std::string(kPollPath);
    std::string link;
    for (int poll = 0; poll < kMaxPolls; ++poll) {
        if (!job.wait(kPollInterval))
            return;
        const Bytes pollAnswer = http.httpRequestTimed(listPage, kGet, {}, kDefaultTimeoutSeconds, stop);
        if (job.stopRequested())
            return;
        const std::string_view pollText = answerText(pollAnswer);
        if (findText(pollText, generating) == -1) {
            // Only the first link of the page counts; its "&amp;" entities stay as written.
            link = textBetween(pollText, linkStart, "&amp;apply_time");
            break;
        }
    }

    // An empty link (no report within the polls) has nothing to download and yields no row.
    const Bytes report =
        link.empty() ? Bytes{} : http.httpRequestTimed(link, kGet, {}, kDefaultTimeoutSeconds, stop);
    if (job.stopRequested())
        return;
    parseSalesReport(answerText(report), job.sales(), job.notices(), job.gate());
}

} // namespace dropship
