#pragma once
// The one place where login state lives. Every HTTP request of every thread and both embedded
// browsers see the same cookies: the store wraps a libcurl share handle (CURL_LOCK_DATA_COOKIE), so
// all easy handles attached to it use one cookie engine, and the browser bridge mirrors this store
// into QWebEngineCookieStore and back.
//
// Design:
// - Cookie identity is (name, domain, path). domain is ".example.localhost" for a domain cookie
//   and the bare host for a host-only cookie, as libcurl and Chromium write it.
// - Changes that HTTP answers make inside libcurl are found by comparing the engine's cookie list
//   with the last known list after each transfer (syncAfterTransfer, called by the HTTP client);
//   they are reported to listeners as Source::Http. set/remove report their own change with the
//   Source the caller gives, so the browser bridge can skip what it wrote itself (Source::Browser).
// - Writes of Source::Api model the platform's script-level cookie call: they may not replace or
//   delete an HttpOnly cookie and may not create one; such a write is refused (returns false) and
//   leaves the store as it was. Http and Browser writes may do both.
// - A write is also refused when the name is empty or holds "=", ";", blanks or control bytes, the
//   value holds ";" or control bytes, or the domain/path is empty or malformed.
// - An expiry in the past deletes the cookie (a set with such an expiry is a remove).
// - Expired cookies are never returned or sent. Ports play no part (cookies are per host).
// - Listeners run on the thread that made the change, after the store's own lock is released;
//   calls are serialised, so a listener sees changes in the order they were made. A listener may
//   call back into the store.
// - Thread-safe throughout. The store must outlive every HTTP client that uses it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

typedef void CURLSH; // NOLINT: libcurl's own declaration of the share handle type

namespace dropship {

struct Cookie {
    std::string name;
    std::string value;
    std::string domain; // ".example.localhost" (domain cookie) or "seller.example.localhost"
    std::string path = "/";
    bool secure = false;
    bool httpOnly = false;
    std::int64_t expires = 0; // unix seconds; 0 = session cookie

    bool isDomainCookie() const { return !domain.empty() && domain.front() == '.'; }
    bool sameIdentity(const Cookie& other) const {
        return name == other.name && domain == other.domain && path == other.path;
    }
    bool operator==(const Cookie&) const = default;
};

class CookieStore {
  public:
    enum class Source { Http, Browser, Api };
    using Listener = std::function<void(const Cookie& cookie, bool removed, Source source)>;
    using ListenerId = std::uint64_t;

    CookieStore();
    ~CookieStore();
    CookieStore(const CookieStore&) = delete;
    CookieStore& operator=(const CookieStore&) = delete;

    // Adds or replaces the cookie with the same identity. False when refused (see above).
    bool set(const Cookie& cookie, Source source);
    // Removes the cookie with that identity. False when refused or when there is none.
    bool remove(const std::string& name, const std::string& domain, const std::string& path, Source source);
    // Every live cookie, HttpOnly ones included, in the order they first appeared.
    std::vector<Cookie> all() const;
    // The cookies a request to url would carry (host, path and scheme rules of RFC 6265), longest
    // path first, then oldest first. includeHttpOnly false leaves out HttpOnly cookies, as a
    // script-level read does.
    std::vector<Cookie> cookiesFor(std::string_view url, bool includeHttpOnly = true) const;

    ListenerId addListener(Listener listener);
    void removeListener(ListenerId id);

    // For HTTP clients: the share handle to attach with CURLOPT_SHARE, and the call after each
    // transfer that reports what the answer changed.
    CURLSH* share() const;
    void syncAfterTransfer();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Whether a cookie may be sent to host (domain rules only, no path or scheme).
bool cookieDomainMatches(std::string_view cookieDomain, std::string_view host);

} // namespace dropship
