#pragma once
// Reads the marketplace's order export into rows of the sales list. The export is not read as
// general CSV: every record after the header line starts with ="  and the record before it ends
// with a quote, so the text is cut at quote, line feed, equals sign, quote; a record is cut at
// every comma (quotes do not protect commas, so a comma inside a title shifts the later fields).

#include <string_view>

namespace dropship {

class OrderList;
class Notices;
class JobGate;

// Appends one row per record (never updates or de-duplicates) and returns how many it appended;
// stops appending as soon as the gate is stopped. A record cut short fills what it has.
int appendSalesReportRows(std::string_view reportText, OrderList& sales, JobGate& gate);

// appendSalesReportRows, then the reminder "提取完成" (also when the report held no record),
// unless the job was stopped.
void parseSalesReport(std::string_view reportText, OrderList& sales, Notices& notices, JobGate& gate);

} // namespace dropship
