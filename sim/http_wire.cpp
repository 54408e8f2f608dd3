#include "sim/http_wire.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <sys/socket.h>

namespace dropship::sim {
namespace {

constexpr std::size_t kMaxHead = 1 << 20;
constexpr std::size_t kMaxBody = 64u << 20;

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The value of name in "a=1&b=2" (percent-decoded), empty when absent.
std::string encodedParam(std::string_view text, std::string_view name) {
    while (!text.empty()) {
        const std::size_t amp = text.find('&');
        const std::string_view pair = text.substr(0, amp);
        const std::size_t equals = pair.find('=');
        if (percentDecode(pair.substr(0, equals), true) == name)
            return equals == std::string_view::npos ? std::string()
                                                    : percentDecode(pair.substr(equals + 1), true);
        if (amp == std::string_view::npos)
            break;
        text.remove_prefix(amp + 1);
    }
    return {};
}

bool sendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t sent = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

const char* reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 307:
        return "Temporary Redirect";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

std::string percentDecode(std::string_view text, bool plusIsBlank) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += plusIsBlank && text[i] == '+' ? ' ' : text[i];
        }
    }
    return out;
}

std::string Request::header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (equalsNoCase(key, name))
            return value;
    return {};
}

std::string Request::cookie(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (!equalsNoCase(key, "Cookie"))
            continue;
        std::string_view rest = value;
        while (!rest.empty()) {
            const std::size_t semicolon = rest.find(';');
            const std::string_view item = trimmed(rest.substr(0, semicolon));
            const std::size_t equals = item.find('=');
            if (equals != std::string_view::npos && item.substr(0, equals) == name)
                return std::string(item.substr(equals + 1));
            if (semicolon == std::string_view::npos)
                break;
            rest.remove_prefix(semicolon + 1);
        }
    }
    return {};
}

std::string Request::queryParam(std::string_view name) const {
    return encodedParam(query, name);
}

std::string Request::formParam(std::string_view name) const {
    return encodedParam(body, name);
}

std::optional<Request> readRequest(int fd) {
    std::string data;
    std::size_t headEnd = std::string::npos;
    char buffer[16384];
    while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
        if (data.size() > kMaxHead)
            return std::nullopt;
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            return std::nullopt;
        data.append(buffer, static_cast<std::size_t>(got));
    }
    Request request;
    const std::size_t lineEnd = data.find("\r\n");
    const std::string_view line = std::string_view(data).substr(0, lineEnd);
    const std::size_t space1 = line.find(' ');
    const std::size_t space2 = line.rfind(' ');
    if (space1 == std::string_view::npos || space2 == space1)
        return std::nullopt;
    request.method = std::string(line.substr(0, space1));
    request.target = std::string(line.substr(space1 + 1, space2 - space1 - 1));
    const std::size_t question = request.target.find('?');
    request.path = request.target.substr(0, question);
    request.query = question == std::string::npos ? std::string() : request.target.substr(question + 1);
    if (headEnd > lineEnd)
        request.headerBlock = data.substr(lineEnd + 2, headEnd - lineEnd - 2);

    std::size_t contentLength = 0;
    std::string_view block = request.headerBlock;
    while (!block.empty()) {
        const std::size_t end = std::min(block.find("\r\n"), block.size());
        const std::string_view headerLine = block.substr(0, end);
        const std::size_t colon = headerLine.find(':');
        if (colon != std::string_view::npos) {
            const std::string_view name = headerLine.substr(0, colon);
            const std::string_view value = trimmed(headerLine.substr(colon + 1));
            request.headers.emplace_back(name, value);
            if (equalsNoCase(name, "Content-Length")) {
                const auto [ptr, error] =
                    std::from_chars(value.data(), value.data() + value.size(), contentLength);
                if (error != std::errc{} || ptr != value.data() + value.size() || contentLength > kMaxBody)
                    return std::nullopt;
            }
        }
        block.remove_prefix(std::min(end + 2, block.size()));
    }
    const std::string host = request.header("Host");
    const std::size_t bracket = host.rfind(']');
    const std::size_t colon = host.rfind(':');
    request.host = colon != std::string::npos && (bracket == std::string::npos || colon > bracket)
                       ? host.substr(0, colon)
                       : host;

    request.body = data.substr(headEnd + 4);
    while (request.body.size() < contentLength) {
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            return std::nullopt;
        request.body.append(buffer, static_cast<std::size_t>(got));
    }
    request.body.resize(contentLength);
    return request;
}

void writeResponse(int fd, const Response& response) {
    std::string head =
        "HTTP/1.1 " + std::to_string(response.status) + " " + reasonPhrase(response.status) + "\r\n";
    head += "Content-Type: " + response.contentType + "\r\n";
    head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    head += "Connection: close\r\n";
    for (const auto& [name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    head += "\r\n";
    if (sendAll(fd, head))
        sendAll(fd, response.body);
}

} // namespace dropship::sim
