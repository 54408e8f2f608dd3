#include "web/http_target.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace dropship {
namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char lower, char anyCase) {
               return std::tolower(static_cast<unsigned char>(anyCase)) == lower;
           });
}

// CR, LF and the other control bytes would split the request line or the Referer line into new
// header lines, so such a URL is never sent.
bool hasControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

std::optional<HttpTarget> httpTarget(std::string_view url) {
    if (url.empty() || hasControl(url))
        return std::nullopt;
    HttpTarget target;
    std::string_view rest = url;
    if (startsWithNoCase(url, "https://")) {
        target.secure = true;
        rest.remove_prefix(8);
    } else if (startsWithNoCase(url, "http://")) {
        rest.remove_prefix(7);
    } else if (url.find("://") != std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t hostEnd = std::min(rest.find_first_of("/?#"), rest.size());
    std::string_view hostPort = rest.substr(0, hostEnd);
    const std::size_t bracket = hostPort.rfind(']');
    const std::size_t colon = hostPort.rfind(':');
    target.port = target.secure ? 443 : 80;
    if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
        const std::string_view digits = hostPort.substr(colon + 1);
        int port = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
        if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size() || port < 1 ||
            port > 65535)
            return std::nullopt;
        target.port = port;
        target.portGiven = true;
        hostPort = hostPort.substr(0, colon);
    }
    if (hostPort.empty() || hostPort.find(' ') != std::string_view::npos)
        return std::nullopt;
    target.host = lowerAscii(hostPort);
    const std::string_view path = rest.substr(hostEnd);
    if (path.empty() || path.front() != '/')
        target.objectPath = "/" + std::string(path);
    else
        target.objectPath = std::string(path);
    return target;
}

std::string effectiveUrl(const HttpTarget& target) {
    std::string url = target.secure ? "https://" : "http://";
    url += target.host;
    if (target.portGiven)
        url += ":" + std::to_string(target.port);
    // A blank cannot stand in the request line; an order number pasted with one still reaches the
    // server, escaped as a browser would.
    for (const char c : target.objectPath) {
        if (c == ' ')
            url += "%20";
        else
            url += c;
    }
    return url;
}

std::string_view requestPath(std::string_view objectPath) {
    return objectPath.substr(0, std::min(objectPath.find_first_of("?#"), objectPath.size()));
}

} // namespace dropship
