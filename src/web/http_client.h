#pragma once
// The two request operations every marketplace request goes through. One implementation, on
// libcurl, sharing one cookie store with the embedded browsers.

#include <stop_token>
#include <string>

namespace dropship {

using Bytes = std::string; // a response body exactly as received; may hold zero bytes

class HttpClient {
public:
    virtual ~HttpClient() = default;
    // method: 0 GET, 1 POST. Empty bytes on any failure, or when stop is requested.
    virtual Bytes httpRequest(const std::string& url, int method = 0, const std::string& body = {},
                              std::stop_token stop = {}) = 0;
    // method: 1 POST, anything else GET. On time-out returns the GBK time-out text.
    virtual Bytes httpRequestTimed(const std::string& url, int method = 0, const Bytes& body = {},
                                   int timeoutSeconds = 60, std::stop_token stop = {}) = 0;
};

} // namespace dropship
