#include "sim/routes/sales_routes.h"

#include "sim/sim_server.h"
#include "web/gbk.h"

namespace dropship::sim {

void SalesSimState::setApplyAnswer(ApplyAnswer answer) {
    std::lock_guard lock(m_mutex);
    m_applyAnswer = answer;
}

void SalesSimState::setPollsBeforeReady(int polls) {
    std::lock_guard lock(m_mutex);
    m_pollsBeforeReady = polls;
}

void SalesSimState::setReportRows(std::vector<SalesReportRow> rows) {
    std::lock_guard lock(m_mutex);
    m_rows = std::move(rows);
}

void SalesSimState::setReportLineEnding(std::string lineEnding) {
    std::lock_guard lock(m_mutex);
    m_lineEnding = std::move(lineEnding);
}

void SalesSimState::setRawReport(std::optional<std::string> gbkReport) {
    std::lock_guard lock(m_mutex);
    m_rawReport = std::move(gbkReport);
}

void SalesSimState::setAddress(const std::string& orderNumber, SimAddressAnswer answer) {
    std::lock_guard lock(m_mutex);
    m_addresses[orderNumber] = std::move(answer);
}

void SalesSimState::setAnswerDelay(std::chrono::milliseconds delay, const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_answerDelays[path] = delay;
}

std::chrono::milliseconds SalesSimState::answerDelay(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    auto found = m_answerDelays.find(path);
    if (found == m_answerDelays.end())
        found = m_answerDelays.find(std::string());
    return found == m_answerDelays.end() ? std::chrono::milliseconds(0) : found->second;
}

int SalesSimState::applications() const {
    std::lock_guard lock(m_mutex);
    return m_applications;
}

int SalesSimState::polls() const {
    std::lock_guard lock(m_mutex);
    return m_polls;
}

int SalesSimState::downloads() const {
    std::lock_guard lock(m_mutex);
    return m_downloads;
}

SalesSimState::ApplyAnswer SalesSimState::onApply() {
    std::lock_guard lock(m_mutex);
    ++m_applications;
    m_pollsSinceApply = 0;
    return m_applyAnswer;
}

bool SalesSimState::onPollReady() {
    std::lock_guard lock(m_mutex);
    ++m_polls;
    ++m_pollsSinceApply;
    return m_pollsBeforeReady >= 0 && m_pollsSinceApply > m_pollsBeforeReady;
}

std::string SalesSimState::onDownload() {
    std::lock_guard lock(m_mutex);
    ++m_downloads;
    return m_rawReport ? *m_rawReport : salesReportText(m_rows, m_lineEnding);
}

std::optional<SimAddressAnswer> SalesSimState::addressOf(const std::string& orderNumber) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_addresses.find(orderNumber);
    if (found == m_addresses.end())
        return std::nullopt;
    return found->second;
}

namespace {

std::string page(std::string_view utf8Content) {
    return utf8ToGbk("<html><head><meta charset=\"gbk\"><title>导出订单</title></head><body>") +
           utf8ToGbk(utf8Content) + "</body></html>";
}

std::string applyPage(SalesSimState::ApplyAnswer answer) {
    using Answer = SalesSimState::ApplyAnswer;
    switch (answer) {
    case Answer::Accepted:
        return page("<div class=\"msg\">申请已提交，报表生成后可在导出列表下载</div>");
    case Answer::NoOrders:
        return page("<div class=\"msg\">您申请导出的数据为0条，请修改查询条件</div>");
    case Answer::NoPermission:
        return page("<div class=\"msg\">您需要联系掌柜开设此权限</div>");
    case Answer::TooSoon:
        return page("<div class=\"msg\">两次报表申请需要控制在5分钟以上</div>");
    case Answer::PermissionAndTooSoon:
        return page("<div class=\"msg\">两次报表申请需要控制在5分钟以上</div>"
                    "<div class=\"msg\">您需要联系掌柜开设此权限</div>");
    case Answer::TooSoonAtStart:
        return utf8ToGbk("两次报表申请需要控制在5分钟以上") + page("<div class=\"msg\">申请已提交</div>");
    }
    return {};
}

// The export list: the newest report first, each with its download link, the link's "&" written
// as "&amp;" the way an HTML page carries it.
std::string exportListPage(const std::string& origin) {
    const auto entry = [&](std::string_view id, std::string_view applyTime) {
        return "<tr><td>" + std::string(id) +
               "</td><td><a class=\"download\" title=\"下载订单报表\" href=\"" + origin + kSalesDownloadPath +
               "?id=" + std::string(id) + "&amp;sign=5f3a&amp;apply_time=" + std::string(applyTime) +
               "\">下载</a></td></tr>";
    };
    return page("<table>" + entry("1001", "1453954216606") + entry("1000", "1453950000000") + "</table>");
}

std::string jsonText(std::string_view utf8) {
    std::string out = "\"";
    for (const char c : utf8ToGbk(utf8)) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string addressJson(const SimAddress& a) {
    return "{\"name\":" + jsonText(a.name) + ",\"addr\":" + jsonText(a.addr) +
           ",\"post\":" + jsonText(a.post) + ",\"mobilephone\":" + jsonText(a.mobilephone) +
           ",\"phone\":" + jsonText(a.phone) + "}";
}

Response javascript(std::string body) {
    Response response;
    response.contentType = "text/javascript; charset=GBK";
    response.body = std::move(body);
    return response;
}

} // namespace

void installSalesRoutes(SimServer& server, SalesSimState& state) {
    // Every route answers after the state's delay.
    const auto route = [&server, &state](std::string method, std::string path, Handler handler) {
        server.route(std::move(method), std::move(path), [&state, handler](const Request& request) {
            Response response = handler(request);
            response.delay = state.answerDelay(request.path);
            return response;
        });
    };
    route("POST", kSalesExportPath,
          [&state](const Request&) { return htmlPage(applyPage(state.onApply())); });
    route("GET", kSalesExportPath, [&state](const Request& request) {
        if (!state.onPollReady())
            return htmlPage(page("<div class=\"tips\">正在生成订单报表，请耐心等待</div>"));
        return htmlPage(exportListPage("http://" + request.header("Host")));
    });
    route("GET", kSalesDownloadPath, [&state](const Request&) {
        Response response;
        response.contentType = "application/vnd.ms-excel; charset=GBK";
        response.body = state.onDownload();
        return response;
    });
    route("GET", kOrderAddressPath, [&state](const Request& request) {
        const std::string callback = request.queryParam("callback");
        const auto answer = state.addressOf(request.queryParam("biz_order_id"));
        if (!answer)
            return javascript(callback + "({\"success\":false,\"message\":" + jsonText("订单不存在") + "})");
        if (answer->failing) {
            Response failed = javascript({});
            failed.status = 500;
            return failed;
        }
        std::string json = "{\"address\":" + addressJson(answer->address);
        if (answer->modifyAddress)
            json += ",\"modifyAddress\":" + addressJson(*answer->modifyAddress);
        json += ",\"success\":true}";
        return javascript(callback + "(" + json + ")");
    });
}

namespace {

SalesSimState& demoState() {
    static SalesSimState demo;
    static const bool filled = [] {
        demo.setPollsBeforeReady(2);
        demo.setReportRows({
            {"1593000000000001", "", "张三", "浙江省 杭州市 西湖区 文三路1号", "", "13800001111",
             "2016-01-28 09:05:07", "夏季纯棉T恤 白色 XL"},
            {"1593000000000002", "周末送", "李四", "江苏省 南京市 鼓楼区 中山路2号", "025-66668888", "",
             "2016-01-28 10:15:00", "帆布鞋 黑色 42码"},
            {"1593000000000003", "", "", "", "", "", "2016-01-28 11:20:30", "保温杯 500ml"},
        });
        demo.setAddress(
            "1593000000000003",
            {{"王五", "广东省 深圳市 福田区 深南大道3号", "518000", "86-13900002222", ""}, std::nullopt});
        return true;
    }();
    (void)filled;
    return demo;
}

} // namespace

void addSalesRoutes(SimServer& server) {
    installSalesRoutes(server, demoState());
}

namespace {
const bool registered = registerRouteSet(&addSalesRoutes);
} // namespace

} // namespace dropship::sim
