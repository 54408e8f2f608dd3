#pragma once
// Where a request goes, taken from the URL as the caller built it: scheme, host, port and the object
// path that goes on the request line.

#include <optional>
#include <string>
#include <string_view>

namespace dropship {

struct HttpTarget {
    bool secure = false;    // https
    std::string host;       // lower-case, without port
    int port = 80;          // written in the URL, else 443 for https and 80 for http
    bool portGiven = false; // the URL names the port
    std::string objectPath; // from the first "/" after the host, query included, as passed; "/" if none
};

// Rules: a URL beginning with "https://" (any case) is secure, one beginning with "http://" is plain,
// one without a scheme is taken as plain http; any other scheme is refused. The host ends at the first
// "/", "?" or "#"; a ":digits" suffix is the port (1-65535). Refused (nullopt): an empty URL, an empty
// host, a malformed port, and any control byte or blank in the URL (they would split the request line
// or inject header lines).
std::optional<HttpTarget> httpTarget(std::string_view url);

// The URL the transfer really uses: scheme, host, the port when the caller wrote one, object path.
std::string effectiveUrl(const HttpTarget& target);

// The path part of the object path (before "?" and "#"), for cookie path matching.
std::string_view requestPath(std::string_view objectPath);

} // namespace dropship
