#include "sim/sim_server.h"
#include "web/gbk.h"

#include <cstdint>

namespace dropship::sim {
namespace {

// Code points of a UTF-8 text (the text comes from gbkToUtf8, so it is well formed).
std::vector<std::uint32_t> codePoints(std::string_view utf8) {
    std::vector<std::uint32_t> points;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::uint32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k)
            point = (point << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        points.push_back(point);
        i += length;
    }
    return points;
}

std::string hex(std::uint32_t value, int digits) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        out[static_cast<std::size_t>(i)] = kHex[value & 0xF];
    return out;
}

bool isAsciiAlnum(std::uint32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

} // namespace

Response htmlPage(std::string gbkBody, int status) {
    Response response;
    response.status = status;
    response.body = std::move(gbkBody);
    return response;
}

Response redirectTo(std::string location, int status) {
    Response response;
    response.status = status;
    response.headers.emplace_back("Location", std::move(location));
    return response;
}

std::string setCookieHeader(std::string_view name, std::string_view value, std::string_view domain,
                            bool httpOnly) {
    std::string header = std::string(name) + "=" + std::string(value);
    if (!domain.empty())
        header += "; Domain=." + std::string(domain);
    header += "; Path=/";
    if (httpOnly)
        header += "; HttpOnly";
    return header;
}

std::string nickCookieValue(std::string_view gbkAccount) {
    std::string value;
    for (std::uint32_t point : codePoints(gbkToUtf8(gbkAccount))) {
        if (isAsciiAlnum(point)) {
            value += static_cast<char>(point);
        } else if (point < 0x80) {
            value += "%" + hex(point, 2);
        } else if (point < 0x10000) {
            value += "%5Cu" + hex(point, 4);
        } else {
            const std::uint32_t offset = point - 0x10000;
            value += "%5Cu" + hex(0xD800 + (offset >> 10), 4) + "%5Cu" + hex(0xDC00 + (offset & 0x3FF), 4);
        }
    }
    return value;
}

} // namespace dropship::sim
