#pragma once
// The marketplace's order export as the simulator writes it: a GBK text of a quoted header line
// and one line per order of 37 fields. The order number is written as ="..." so that spreadsheets
// keep its digits, the phone fields carry a leading apostrophe for the same reason, and every
// other field is quoted.

#include <string>
#include <string_view>
#include <vector>

namespace dropship::sim {

// One order of the export; texts are UTF-8 (the writer turns them into GBK).
struct SalesReportRow {
    std::string orderNumber;  // field 0
    std::string buyerMessage; // field 11
    std::string recipient;    // field 12
    std::string address;      // field 13
    std::string phone;        // field 15
    std::string mobile;       // field 16
    std::string orderTime;    // field 17
    std::string itemTitle;    // field 19
};

constexpr int kSalesReportFieldCount = 37;

// lineEnding: "\n" as the marketplace writes it; "\r\n" gives a report the reader cannot split.
std::string salesReportText(const std::vector<SalesReportRow>& rows, std::string_view lineEnding = "\n");

} // namespace dropship::sim
