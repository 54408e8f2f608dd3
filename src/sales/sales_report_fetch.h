#pragma once
// The sales fetch: applies for the marketplace's export of the paid orders that wait for
// shipping, polls the export list until the report is generated, downloads it and appends its
// records to the sales list.

#include <string>

namespace dropship {

struct Endpoints;
class HttpClient;
class JobContext;

// The range is the job's inputs: the texts of the two sales date boxes, read when it started.
// Ends early (no further request, notice, clipboard change or row) when the job is stopped.
void fetchSalesReport(const Endpoints& endpoints, HttpClient& http, JobContext& job);

// The apply form for a date range given as the date boxes' texts.
std::string salesExportApplyForm(const std::string& beginText, const std::string& endText);

} // namespace dropship
