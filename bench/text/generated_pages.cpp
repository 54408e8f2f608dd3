#include "generated_pages.h"

#include "web/gbk.h"

#include <string_view>

namespace dropship::bench {
namespace {

std::string digits(long long value, int width) {
    std::string text = std::to_string(value);
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<std::size_t>(width - static_cast<int>(text.size())), '0');
    return text;
}

// Item rows of an order: the bulk of a real list page.
std::string itemRows(int order) {
    std::string rows;
    for (int item = 0; item < 9; ++item) {
        rows += "  <tr class=\"item\"><td class=\"pic\"><img src=\"//img.example/bao/" +
                digits(order * 10 + item, 8) + ".jpg_80x80.jpg\"></td>\r\n";
        rows += "    <td class=\"title\"><a href=\"//detail.example/offer/" + digits(order * 7 + item, 12) +
                ".html\">2016新款韩版女装宽松显瘦中长款针织开衫毛衣外套 颜色:红色 尺码:均码</a></td>\r\n";
        rows += "    <td class=\"price\">&yen;" + std::to_string(20 + item) +
                ".50</td><td class=\"amount\">" + std::to_string(item + 1) +
                "</td><td class=\"note\">现货 48小时内发货 支持七天无理由退换</td></tr>\r\n";
    }
    return rows;
}

std::string orderBlock(int order) {
    std::string block;
    block += "<div class=\"order-item\" data-index=\"" + std::to_string(order) + "\">\r\n";
    block += "  <div class=\"head\"><span class=\"date\">下单时间：2016-01-" + digits(order % 28 + 1, 2) +
             " 09:" + digits(order % 60, 2) + ":07</span>\r\n";
    block += "  <span class=\"seller\">卖家：杭州四季青服饰批发有限公司</span></div>\r\n<table>\r\n";
    block += itemRows(order);
    block +=
        "</table>\r\n  <div class=\"id\">订单号：" + digits(2710000000000000LL + order, 16) + "</div>\r\n";
    block += "  <div class=\"label\">收货地址：</div>\r\n  <div class=\"address\">\r\n    浙江省 杭州市 "
             "西湖区 文三路 " +
             std::to_string(order) + "号 <span class=\"em\">310000</span>\r\n";
    block += "    <span class=\"em\">张三" + std::to_string(order) + "</span>\r\n    <span class=\"em\">138" +
             digits(order, 8) + "</span>\r\n  </div>\r\n";
    block += "<script>\r\nvar mailNo = \"7700" + digits(order, 9) +
             "\";\r\nvar step = 2;\r\n var cpName = \"中通快递\";\r\n</script>\r\n";
    block += "</div>\r\n";
    return block;
}

} // namespace

std::string orderPageGbk(int orders) {
    std::string page = "<html><head><meta charset=\"gbk\"><title>已买到的货品</title></head><body>\r\n";
    page += "<div class=\"pager\">共<em class=\"value\">5</em>页</div>\r\n";
    for (int order = 0; order < orders; ++order)
        page += orderBlock(order);
    page += "</body></html>\r\n";
    return utf8ToGbk(page);
}

std::string boughtOrdersGbk(int orders) {
    std::string json = "{\"error\":\"\",\"page\":{\"currentPage\":1,\"pageSize\":100,\"totalNumber\":" +
                       std::to_string(orders) + "},\"mainOrders\":[";
    for (int order = 0; order < orders; ++order) {
        if (order > 0)
            json += ",";
        const std::string tradeId = digits(1500000000000000000LL + order, 19);
        json += "{\"id\":\"" + tradeId +
                "\",\"orderInfo\":{\"createTime\":\"2016-01-28 09:" + digits(order % 60, 2) +
                ":07\",\"id\":" + tradeId + "},";
        json += "\"seller\":{\"nick\":\"四季青服饰\",\"id\":456},";
        json += "\"payInfo\":{\"actualFee\":\"" + std::to_string(30 + order) + ".50\",\"postFees\":[]},";
        json +=
            "\"subOrders\":[{\"id\":" + tradeId +
            ",\"itemInfo\":{\"title\":\"2016新款韩版女装宽松显瘦针织开衫\",\"skuText\":[{\"name\":\"颜色\","
            "\"value\":\"红色\"}]},\"priceInfo\":{\"realTotal\":\"30.50\"},\"quantity\":1}],";
        json += "\"statusInfo\":{\"text\":\"卖家已发货\",\"operations\":[";
        json += "{\"id\":\"viewDetail\",\"text\":\"订单详情\",\"url\":\"//trade.example/detail?bizOrderId=" +
                tradeId + "\"},";
        json +=
            "{\"id\":\"viewLogistic\",\"text\":\"查看物流\",\"url\":\"//trade.example/logistics?trade_id=" +
            tradeId + "&seller_id=456\"},";
        json +=
            "{\"id\":\"confirmGood\",\"text\":\"确认收货\",\"url\":\"//trade.example/confirm?biz_order_id=" +
            tradeId + "\"}]}}";
    }
    json += "]}";
    return utf8ToGbk(json);
}

std::string tracePatternA() {
    return utf8ToGbk(
        R"re(收货地址[\s|\S]*?address">\s*([\s|\S]*?)<span class="em">(.*?)</span>\s*<span class="em">(.*?)</span>\s*<span class="em">(.*?)</span>)re");
}

std::string tracePatternB() {
    return utf8ToGbk(R"re(var mailNo = "(.*?)";[\s|\S]* var cpName = "(.*?)";)re");
}

std::string listPatternR() {
    return utf8ToGbk(R"re(下单时间：(.*?)</span>[\s|\S]*?订单号：(\d{16}))re");
}

} // namespace dropship::bench
