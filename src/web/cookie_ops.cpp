#include "web/cookie_ops.h"

#include "web/gbk.h"
#include "web/http_target.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <curl/curl.h>
#include <set>
#include <vector>

namespace dropship {
namespace {

constexpr std::string_view kFullWidthBlank = "\xA1\xA1";

std::string withoutBlanks(std::string_view text) {
    std::string out;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = gbkCharLength(text, pos);
        const std::string_view character = text.substr(pos, length);
        if (character != " " && character != kFullWidthBlank)
            out += character;
        pos += length;
    }
    return out;
}

std::string_view itemName(std::string_view item) {
    return item.substr(0, item.find('='));
}

std::string joinItems(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : "; ") + item;
    return text;
}

std::string cookieText(const std::vector<Cookie>& cookies) {
    std::vector<std::string> items;
    for (const Cookie& c : cookies)
        items.push_back(c.name + "=" + c.value);
    return joinItems(items);
}

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The names of the cookies readCookies(host) returns, in order; items without "=" end the list,
// as they cannot name a cookie to delete.
std::vector<std::string> namesOf(std::string_view text) {
    std::vector<std::string> names;
    for (std::string_view item : gbkSplit(text, "; ")) {
        if (item.find('=') == std::string_view::npos)
            break;
        names.emplace_back(itemName(item));
    }
    return names;
}

void deleteAllCookies(CookieStore& store, const std::string& host) {
    std::set<std::string> refused; // names a deletion pass left in place
    for (;;) {
        const std::vector<std::string> before = namesOf(readCookies(store, host));
        const auto next = std::find_if(before.begin(), before.end(),
                                       [&](const std::string& name) { return !refused.contains(name); });
        if (next == before.end())
            return;
        const std::string name = *next;
        setCookie(store, host, name);
        const std::vector<std::string> after = namesOf(readCookies(store, host));
        if (std::find(after.begin(), after.end(), name) != after.end())
            refused.insert(name);
    }
}

} // namespace

std::string mergeCookies(std::string_view oldText, std::string_view newText) {
    const std::string oldClean = withoutBlanks(oldText);
    const std::string newClean = withoutBlanks(newText);
    std::vector<std::string_view> items;
    std::set<std::string_view> newNames;
    for (std::string_view item : gbkSplit(newClean, ";")) {
        if (!item.empty()) {
            items.push_back(item);
            newNames.insert(itemName(item));
        }
    }
    for (std::string_view item : gbkSplit(oldClean, ";"))
        if (!item.empty() && !newNames.contains(itemName(item)))
            items.push_back(item);
    std::vector<std::string> kept;
    for (std::string_view item : items) {
        const bool deleted = item.size() >= 8 && item.substr(item.size() - 8) == "=deleted";
        if (!deleted && std::find(kept.begin(), kept.end(), item) == kept.end())
            kept.emplace_back(item);
    }
    return joinItems(kept);
}

std::string readCookies(const CookieStore& store, std::string_view host) {
    const std::string url = "http://" + std::string(host);
    const std::string scriptRead = cookieText(store.cookiesFor(url, false));
    const std::string fullRead = cookieText(store.cookiesFor(url, true));
    return mergeCookies(scriptRead, fullRead);
}

std::string cookieExpiryText(const DateTime& expiry) {
    using namespace std::chrono;
    static constexpr std::array<const char*, 7> kWeekdays = {"Sun, ", "Mon, ", "Tue, ", "Wed, ",
                                                             "Thu, ", "Fri, ", "Sat, "};
    static constexpr std::array<const char*, 12> kMonths = {"Jan-", "Feb-", "Mar-", "Apr-", "May-", "Jun-",
                                                            "Jul-", "Aug-", "Sep-", "Oct-", "Nov-", "Dec-"};
    const year_month_day date{year{expiry.year}, month{static_cast<unsigned>(expiry.month)},
                              day{static_cast<unsigned>(expiry.day)}};
    if (!date.ok() || expiry.month < 1 || expiry.month > 12)
        return {};
    const unsigned weekdayIndex = weekday{sys_days{date}}.c_encoding();
    return std::string(kWeekdays[weekdayIndex]) + std::to_string(expiry.day) + "-" +
           kMonths[expiry.month - 1] + std::to_string(expiry.year) + " " + std::to_string(expiry.hour) + ":" +
           std::to_string(expiry.minute) + ":" + std::to_string(expiry.second) + " GMT";
}

std::string cookieHost(std::string_view hostOrUrl) {
    const auto target = httpTarget(hostOrUrl);
    return target ? target->host : std::string();
}

std::string rootDomain(std::string_view host) {
    const std::size_t last = host.rfind('.');
    if (last == std::string_view::npos || last == 0)
        return std::string(host);
    const std::size_t before = host.rfind('.', last - 1);
    return std::string(before == std::string_view::npos ? host : host.substr(before + 1));
}

bool writeCookieData(CookieStore& store, std::string_view url, std::string_view name, std::string_view data) {
    const auto target = httpTarget(url);
    if (!target)
        return false;
    Cookie cookie;
    cookie.name = std::string(name);
    cookie.domain = target->host;
    bool first = true;
    for (std::string_view part : gbkSplit(data, ";")) {
        if (first) {
            cookie.value = trimmed(part);
            first = false;
            continue;
        }
        const std::size_t equals = part.find('=');
        const std::string key = lowerAscii(trimmed(part.substr(0, equals)));
        const std::string value =
            equals == std::string_view::npos ? std::string() : trimmed(part.substr(equals + 1));
        if (key == "expires") {
            const time_t when = curl_getdate(value.c_str(), nullptr);
            if (when != -1)
                cookie.expires = when > 0 ? static_cast<std::int64_t>(when) : 1;
        } else if (key == "path" && !value.empty()) {
            cookie.path = value;
        } else if (key == "domain" && !value.empty()) {
            const std::string bare = lowerAscii(value.front() == '.' ? value.substr(1) : value);
            if (!cookieDomainMatches("." + bare, target->host))
                return false;
            cookie.domain = "." + bare;
        } else if (key == "secure") {
            cookie.secure = true;
        } else if (key == "httponly") {
            cookie.httpOnly = true;
        }
    }
    return store.set(cookie, CookieStore::Source::Api);
}

std::vector<CookieWrite> cookieWritesFor(std::string_view host, std::string_view name, std::string_view value,
                                         DateTime expiry) {
    const std::string reduced = cookieHost(host);
    if (reduced.empty())
        return {};
    std::string data(value);
    if (data.empty()) {
        data = "delete";
        expiry = DateTime{1999, 1, 1, 1, 1, 1};
    }
    if (!expiry.isEmpty())
        data += "; expires=" + cookieExpiryText(expiry);
    data += "; path=/";
    const std::string url = "http://" + reduced;
    return {{url, std::string(name), data}, {url, std::string(name), data + "; domain=." + rootDomain(reduced)}};
}

bool setCookie(CookieStore& store, std::string_view host, std::string_view name, std::string_view value,
               DateTime expiry) {
    if (name.empty()) {
        if (const std::string reduced = cookieHost(host); !reduced.empty())
            deleteAllCookies(store, reduced);
        return true;
    }
    bool accepted = false;
    for (const CookieWrite& write : cookieWritesFor(host, name, value, expiry))
        accepted = writeCookieData(store, write.url, write.name, write.data);
    return accepted;
}

} // namespace dropship
