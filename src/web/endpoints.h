#pragma once
// Where each role of the marketplace and the wholesale site lives. Every role is an origin
// (scheme, host and optional port, no trailing slash), so tests and the demo can put the local
// simulator behind plain http on loopback.

#include <string>

namespace dropship {

struct Endpoints {
    std::string sellerWorkbench = "https://myseller.taobao.com";
    std::string sellerTrade = "https://trade.taobao.com";
    std::string buyerTrade = "https://buyertrade.taobao.com";
    std::string logisticsTrace = "https://detail.i56.taobao.com";
    std::string consign = "https://wuliu.taobao.com";
    std::string wholesaleTrade = "https://trade.1688.com";
    std::string cookieDomain = "taobao.com"; // root domain the marketplace sets its cookies for
};

} // namespace dropship
