#pragma once
// The HttpClient on libcurl. Every transfer attaches to the one CookieStore, so requests send the
// login session the browsers established and every Set-Cookie of every answer lands there.
//
// What goes on the wire (header lines after the request line, in this order):
//   Host: <host>[:<port>]                      (added by libcurl; port only when the URL names one)
//   User-Agent: <the operation's user agent>
//   Cookie: ...                                (from the store, only when it holds cookies for the URL)
//   the operation's header block               (Referer = the caller's URL exactly as passed)
//   Content-Length: <n>                        (POST only, added by libcurl; 0 for an empty body)
// No Accept-Encoding, no Expect, no conditional headers, no proxy. Redirects are followed (a 301/302/
// 303 after a POST continues as GET); certificates are checked.
//
// httpRequestTimed runs the transfer on a worker thread while the caller waits. A time-out or a stop
// request does not kill that thread: the transfer is aborted (libcurl's wait is woken at once), its
// handles are freed by the worker, its late result is dropped, and the caller returns at once. The
// destructor aborts and joins workers that are still winding down.

#include "web/cookie_store.h"
#include "web/http_client.h"

#include <chrono>
#include <functional>
#include <memory>

namespace dropship {

struct CurlHttpClientOptions {
    // Time-out of httpRequestTimed = seconds x 1000 x timeoutScale milliseconds; tests shrink it.
    double timeoutScale = 1.0;
    // Called on the waiting thread of httpRequestTimed about every waitSlice, e.g. to keep a window
    // responsive while a request from the GUI thread is under way.
    std::function<void()> whileWaiting;
    std::chrono::milliseconds waitSlice{20};
    // A connection that cannot be made, or an answer that delivers no byte, for this long is given
    // up (an empty answer), as the platform's own HTTP stack does after a minute; without it a
    // silent server would hold a job's row until the user presses stop.
    std::chrono::seconds stallTimeout{60};
};

class CurlHttpClient : public HttpClient {
  public:
    explicit CurlHttpClient(CookieStore& store, CurlHttpClientOptions options = {});
    ~CurlHttpClient() override;
    CurlHttpClient(const CurlHttpClient&) = delete;
    CurlHttpClient& operator=(const CurlHttpClient&) = delete;

    // An empty or unusable URL (see web/http_target.h) answers empty bytes without sending anything.
    Bytes httpRequest(const std::string& url, int method = 0, const std::string& body = {},
                      std::stop_token stop = {}) override;
    // A time-out of 0 or below counts as the default 60 seconds.
    Bytes httpRequestTimed(const std::string& url, int method = 0, const Bytes& body = {},
                           int timeoutSeconds = 60, std::stop_token stop = {}) override;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The GBK text httpRequestTimed answers when its time-out passes.
const Bytes& timedOutAnswer();

} // namespace dropship
