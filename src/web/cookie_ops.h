#pragma once
// Reading and writing the shared cookie store the way the rest of the program needs it: all
// cookies of a host as one cookie text ("name=value" items joined by "; "), writing or deleting one
// cookie for a host and its root domain, and deleting every cookie of a host.
//
// Hosts: setCookie takes a host name or a URL and reduces it to the bare host (lower-case, scheme,
// path and port dropped); readCookies reads for "http://" + its argument. Ports play no part in
// either: cookies belong to host names, not to ports, so "seller.sim.localhost:8080" and
// "seller.sim.localhost" name the same cookies. The root domain is the host's last two labels.
//
// Writes go through the store as script-level writes (CookieStore::Source::Api): they cannot create,
// replace or delete an HttpOnly cookie, which only answers and the browser may set.

#include "web/cookie_store.h"
#include "web/date_time.h"

#include <string>
#include <string_view>
#include <vector>

namespace dropship {

// Every cookie the store would send to "http://" + host, HttpOnly ones first-class: the script-level
// read merged under the full read (mergeCookies). Empty when there are none.
std::string readCookies(const CookieStore& store, std::string_view host);

// With a name: writes value (an empty value deletes) with the optional expiry and path "/", once as
// a host cookie and once for ".<root domain>"; true when the store accepted the second write.
// With an empty name: deletes every cookie of the host that can be deleted and returns true. The
// deletion ends even when the store refuses some cookie (an HttpOnly one, or one set for another
// domain): such a cookie is left and the next one is taken.
bool setCookie(CookieStore& store, std::string_view host, std::string_view name, std::string_view value = {},
               DateTime expiry = {});

// The items of newText, then those of oldText whose name newText lacks; blanks (also the GBK
// full-width blank) removed everywhere, items ending in "=deleted" dropped, exact duplicates dropped.
std::string mergeCookies(std::string_view oldText, std::string_view newText);

// "Fri, 1-Jan-1999 1:1:1 GMT": the date-time's own fields, written as they are (no zone conversion).
std::string cookieExpiryText(const DateTime& expiry);

// The platform's script-level cookie write: data is "value[; expires=...][; path=...][; domain=...]".
// A domain that does not cover the URL's host, a malformed name or an HttpOnly cookie is refused
// (false); an expiry in the past deletes.
bool writeCookieData(CookieStore& store, std::string_view url, std::string_view name, std::string_view data);

// The two writes setCookie with a name makes, in order (url, name, data); empty for a host that
// cannot be reduced.
struct CookieWrite {
    std::string url;
    std::string name;
    std::string data;
    bool operator==(const CookieWrite&) const = default;
};
std::vector<CookieWrite> cookieWritesFor(std::string_view host, std::string_view name, std::string_view value = {},
                                         DateTime expiry = {});

// Host reduction of setCookie, and the root domain of a host.
std::string cookieHost(std::string_view hostOrUrl);
std::string rootDomain(std::string_view host);

} // namespace dropship
