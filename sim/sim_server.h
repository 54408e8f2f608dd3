#pragma once
// A small marketplace simulator: a real HTTP/1.1 server on loopback that tests start in-process on
// a free port and the demo runs as `dropship-sim`. Several host names under one cookie domain
// ("seller.sim.localhost", "trade.sim.localhost", ...) all reach it, because names under
// ".localhost" resolve to 127.0.0.1 in libcurl and Chromium without resolver set-up.
//
// Include as "sim/sim_server.h"; link dropship_sim. Route files under sim/routes/*.cpp are compiled
// into the library automatically.
//
// Behaviour:
// - One thread per connection; every answer carries Content-Length and "Connection: close".
//   Request bodies are read by Content-Length (no chunked uploads).
// - Every request is recorded (method, target, header lines exactly as received, body) before it is
//   routed, so tests can compare what a client really sent byte for byte.
// - Routes are matched on method and path (query excluded). Method "*" matches any method. A route
//   registered later for the same method and path replaces the earlier one. No route: 404.
// - Log-in: GET /login shows a GBK form that POSTs "user" and "password" to /login. A good POST
//   sets the HttpOnly session cookie "cookie2" and the account cookie "_nk_" (both
//   Domain=.<cookieDomain>; Path=/) and answers 302 to /seller_admin.htm. A route registered with
//   requiresLogin answers the log-in page to a request without a valid session cookie.
//   Without accounts added, any non-empty user with a non-empty password logs in.
// - Built-in routes (no log-in needed unless said), see builtin_routes.h for their query parameters:
//   /echo, /delay, /redirect-set-cookie, /zero-bytes, /set-cookie, /set-httponly, /delete-cookie,
//   /logout; and /seller_admin.htm (log-in required: the seller workbench page).

#include "web/endpoints.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dropship::sim {

struct Request {
    std::string method;
    std::string target;                                       // as on the request line
    std::string path;                                         // target before "?"
    std::string query;                                        // target after "?", without it
    std::string host;                                         // Host header without port
    std::vector<std::pair<std::string, std::string>> headers; // in order as received
    // The header lines exactly as received, CRLF-separated, without the request line and the final
    // empty line.
    std::string headerBlock;
    std::string body;

    // Value of the named cookie of the Cookie header(s), empty when absent.
    std::string cookie(std::string_view name) const;
    // Value of the first header with that name (case-insensitive), empty when absent.
    std::string header(std::string_view name) const;
    // Value of a query parameter, percent-decoded (also "+" to blank), empty when absent.
    std::string queryParam(std::string_view name) const;
    // Value of a form field of an application/x-www-form-urlencoded body, percent-decoded.
    std::string formParam(std::string_view name) const;
};

struct Response {
    int status = 200;
    std::string contentType = "text/html; charset=GBK";
    std::vector<std::pair<std::string, std::string>> headers; // extra, e.g. Set-Cookie, Location
    std::string body;
    std::chrono::milliseconds delay{0}; // wait before answering (cut short by stop())
};

using Handler = std::function<Response(const Request&)>;

class SimServer {
  public:
    explicit SimServer(std::string cookieDomain = "sim.localhost");
    ~SimServer(); // stops
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    bool start(std::uint16_t port = 0); // 0: a free port; listens on 127.0.0.1 only
    void stop();                        // closes the listener and every connection, joins threads
    std::uint16_t port() const;
    const std::string& cookieDomain() const;
    // "http://<label>.<cookieDomain>:<port>"
    std::string origin(std::string_view hostLabel) const;

    // path without query; method "*" for any method.
    void route(std::string method, std::string path, Handler handler, bool requiresLogin = true);

    std::vector<Request> requests() const;
    void clearRequests();

    // Accounts that may log in; without any, every non-empty user/password pair is accepted.
    void addAccount(std::string user, std::string password);
    bool loggedIn(const Request&) const;
    // Opens a session for the account (GBK) without the log-in form; the token goes into "cookie2".
    std::string createSession(std::string gbkAccount);
    void endSession(const Request&);
    // Whether the user/password pair may log in (see addAccount).
    bool acceptsLogin(std::string_view user, std::string_view password) const;
    // The account (GBK) of the session the request carries, empty when not logged in.
    std::string accountOf(const Request&) const;

    // Every role pointed at this server: seller.<d>, trade.<d>, buyertrade.<d>, trace.<d>,
    // wuliu.<d>, wholesale.<d>; cookieDomain = <d>.
    Endpoints endpoints() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Route sets of other files. A file under sim/routes/ defines `void addXxxRoutes(SimServer&)` for
// tests to call, and registers it for the demo program with
//     static const bool registered = dropship::sim::registerRouteSet(&addXxxRoutes);
// dropship-sim links the whole library and installs every registered set at start.
using RouteSet = void (*)(SimServer&);
bool registerRouteSet(RouteSet routeSet);
void installRegisteredRouteSets(SimServer& server);

// Answers for route handlers.
Response htmlPage(std::string gbkBody, int status = 200);
Response redirectTo(std::string location, int status = 302);
// "name=value; Domain=.<domain>; Path=/" (+ "; HttpOnly"); an empty domain makes a host-only cookie.
std::string setCookieHeader(std::string_view name, std::string_view value, std::string_view domain,
                            bool httpOnly = false);

// The value the marketplace writes into "_nk_" for an account name given in GBK: ASCII letters and
// digits as they are, other ASCII bytes %XX, every other character as "%5Cu" + four upper-case hex
// digits of its UTF-16 code (so "张三" gives "%5Cu5F20%5Cu4E09").
std::string nickCookieValue(std::string_view gbkAccount);

} // namespace dropship::sim
