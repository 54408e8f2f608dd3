#pragma once
// Column layouts of the two order lists, named after their captions.

namespace dropship {

namespace SalesColumn {
enum : int {
    No = 0,           // NO
    OrderTime,        // 下单时间
    OrderNumber,      // 订单号
    ItemTitle,        // 商品标题
    Recipient,        // 收件人
    Mobile,           // 手机号
    Address,          // 收货地址
    WaybillNumber,    // 快递单号
    Carrier,          // 快递公司
    Status,           // 状态
    ShippingResult,   // 发货成功否
    Scanned,          // 已扫
    Message,          // 留言
    Count
};
}

namespace PurchaseColumn {
enum : int {
    No = 0,           // NO
    OrderTime,        // 下单时间
    Source,           // 淘宝阿里单: "淘宝" or "阿里"
    OrderNumber,      // 订单号
    ItemTitle,        // 商品标题
    Recipient,        // 收件人
    Mobile,           // 手机号
    Address,          // 收货地址
    WaybillNumber,    // 快递单号
    Carrier,          // 快递公司
    Status,           // 状态
    Unused,           // no caption; never written
    TraceAddress,     // no caption; logistics trace page of a Taobao purchase
    AccountName,      // 账户名
    Count
};
}

} // namespace dropship
