#include "sim/routes/sales_report_writer.h"

#include "web/gbk.h"

#include <array>

namespace dropship::sim {
namespace {

// The export's column captions, in field order.
constexpr std::array<std::string_view, kSalesReportFieldCount> kCaptions{
    "订单编号",     "买家会员名",   "买家支付宝账号", "买家应付货款",     "买家应付邮费",
    "买家支付积分", "总金额",       "返点积分",       "买家实际支付金额", "买家实际支付积分",
    "订单状态",     "买家留言",     "收货人姓名",     "收货地址",         "运送方式",
    "联系电话",     "联系手机",     "订单创建时间",   "订单付款时间",     "宝贝标题",
    "宝贝种类",     "物流单号",     "物流公司",       "订单备注",         "宝贝总数量",
    "店铺Id",       "店铺名称",     "订单关闭原因",   "卖家服务费",       "买家服务费",
    "发票抬头",     "是否手机订单", "分阶段订单信息", "特权订金订单id",   "是否上传合同照片",
    "是否上传小票", "是否代付"};

std::string quoted(std::string_view utf8) {
    return "\"" + utf8ToGbk(utf8) + "\"";
}

std::string recordLine(const SalesReportRow& row) {
    std::array<std::string, kSalesReportFieldCount> fields;
    fields[1] = quoted("buyer_" + row.orderNumber);
    fields[2] = quoted("buyer@example.com");
    fields[3] = "\"25.00\"";
    fields[4] = "\"0.00\"";
    fields[5] = "\"0\"";
    fields[6] = "\"25.00\"";
    fields[7] = "\"0\"";
    fields[8] = "\"25.00\"";
    fields[9] = "\"0\"";
    fields[10] = quoted("买家已付款，等待卖家发货");
    fields[11] = quoted(row.buyerMessage);
    fields[12] = quoted(row.recipient);
    fields[13] = quoted(row.address);
    fields[14] = quoted("快递");
    fields[15] = quoted(row.phone.empty() ? std::string() : "'" + row.phone);
    fields[16] = quoted(row.mobile.empty() ? std::string() : "'" + row.mobile);
    fields[17] = quoted(row.orderTime);
    fields[18] = quoted(row.orderTime);
    fields[19] = quoted(row.itemTitle);
    fields[20] = "\"1\"";
    for (int i = 21; i < kSalesReportFieldCount; ++i)
        fields[i] = "\"\"";
    std::string line = "=\"" + row.orderNumber + "\"";
    for (int i = 1; i < kSalesReportFieldCount; ++i) {
        line += ',';
        line += fields[i];
    }
    return line;
}

} // namespace

std::string salesReportText(const std::vector<SalesReportRow>& rows, std::string_view lineEnding) {
    std::string text;
    for (std::size_t i = 0; i < kCaptions.size(); ++i) {
        text += i == 0 ? "" : ",";
        text += quoted(kCaptions[i]);
    }
    for (const SalesReportRow& row : rows) {
        text += lineEnding;
        text += recordLine(row);
    }
    text += lineEnding;
    return text;
}

} // namespace dropship::sim
