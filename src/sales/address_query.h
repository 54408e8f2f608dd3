#pragma once
// The address query: completes sales rows that lack the recipient, the mobile number or the
// address from the marketplace's order address endpoint (JSONP).

#include <string>
#include <string_view>

namespace dropship {

struct Endpoints;
class HttpClient;
class JobContext;

// Visits every row up to the last one present when it gets there (rows appended meanwhile
// included), asks once per candidate row and paces 500 ms after each; then "查询完毕", and once
// that is closed the start button is enabled again.
// An answer that is not a usable address (failed request, login page, time-out text) leaves the
// row as it was. Ends early, writing nothing more, when the job is stopped.
void queryRecipientAddresses(const Endpoints& endpoints, HttpClient& http, JobContext& job);

struct RecipientAddress {
    std::string name;
    std::string address; // address followed directly by the postcode
    std::string mobile;  // the mobile number, or the phone number when there is none
};

// Reads one answer of the endpoint; false when it holds no address to take.
bool readRecipientAddress(std::string_view answer, RecipientAddress& out);

} // namespace dropship
