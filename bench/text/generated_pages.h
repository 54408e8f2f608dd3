#pragma once
// Generated marketplace pages for the text benchmarks: large enough to show how the readers scale,
// shaped like the real answers (GBK, Chinese texts, CR LF line breaks).

#include <string>

namespace dropship::bench {

// A wholesale order list page that also carries a trace page's address block and waybill script
// per order, so patterns A, B and R all find their matches: about 4 KB per order.
std::string orderPageGbk(int orders);

// A bought-orders answer with the given number of orders, 3 operations each.
std::string boughtOrdersGbk(int orders);

// The patterns of the purchase readers, as GBK texts.
std::string tracePatternA();
std::string tracePatternB();
std::string listPatternR();

} // namespace dropship::bench
