#include "sim/builtin_routes.h"

#include "web/gbk.h"

#include <charconv>

namespace dropship::sim {
namespace {

constexpr std::string_view kWorkbenchPath = "/seller_admin.htm";
constexpr std::string_view kExpired = "; Expires=Thu, 01 Jan 1970 00:00:00 GMT; Max-Age=0";

std::string htmlEscaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Only a path on this server: an absolute URL or "//host" would send the browser elsewhere.
std::string safeRedirect(std::string_view target) {
    const bool local = !target.empty() && target.front() == '/' && target.substr(0, 2) != "//" &&
                       target.find_first_of("\r\n\\") == std::string_view::npos;
    return local ? std::string(target) : std::string(kWorkbenchPath);
}

int intParam(const Request& request, std::string_view name, int fallback) {
    const std::string text = request.queryParam(name);
    int value = fallback;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

Response textAnswer(std::string body, int status = 200) {
    Response response;
    response.status = status;
    response.contentType = "text/plain; charset=GBK";
    response.body = std::move(body);
    return response;
}

void addLoginRoutes(SimServer& server) {
    const std::string domain = server.cookieDomain();
    server.route(
        "GET", "/login", [](const Request& r) { return loginPage(r.queryParam("redirect"), {}); }, false);
    server.route(
        "POST", "/login",
        [&server, domain](const Request& r) {
            const std::string user = r.formParam("user");
            const std::string redirect = safeRedirect(r.formParam("redirect"));
            if (!server.acceptsLogin(user, r.formParam("password")))
                return loginPage(redirect, utf8ToGbk("账户名或密码错误"));
            Response response = redirectTo(redirect);
            response.headers.emplace_back(
                "Set-Cookie", setCookieHeader("cookie2", server.createSession(user), domain, true));
            response.headers.emplace_back("Set-Cookie",
                                          setCookieHeader("_nk_", nickCookieValue(user), domain));
            return response;
        },
        false);
    server.route(
        "GET", "/logout",
        [&server, domain](const Request& r) {
            server.endSession(r);
            Response response = redirectTo("/login");
            response.headers.emplace_back("Set-Cookie", setCookieHeader("cookie2", "", domain, true) +
                                                            std::string(kExpired));
            response.headers.emplace_back("Set-Cookie",
                                          setCookieHeader("_nk_", "", domain) + std::string(kExpired));
            return response;
        },
        false);
    server.route("GET", std::string(kWorkbenchPath), [&server](const Request& r) {
        return htmlPage(
            utf8ToGbk("<!DOCTYPE html><html><head><meta charset=\"gbk\"><title>卖家中心</title></head>"
                      "<body><h1 id=\"workbench\">卖家中心</h1><span id=\"account\">") +
            htmlEscaped(server.accountOf(r)) + "</span></body></html>");
    });
}

void addTestRoutes(SimServer& server) {
    const std::string domain = server.cookieDomain();
    server.route(
        "*", "/echo",
        [](const Request& r) {
            return textAnswer(r.method + " " + r.target + "\r\n" + r.headerBlock + "\r\n\r\n" + r.body);
        },
        false);
    server.route(
        "GET", "/delay",
        [](const Request& r) {
            Response response = textAnswer("late");
            response.delay = std::chrono::milliseconds(intParam(r, "ms", 0));
            return response;
        },
        false);
    server.route(
        "GET", "/redirect-set-cookie",
        [domain](const Request& r) {
            const std::string to = r.queryParam("to");
            Response response = redirectTo(safeRedirect(to.empty() ? "/echo" : to));
            response.headers.emplace_back(
                "Set-Cookie", setCookieHeader(r.queryParam("name"), r.queryParam("value"), domain));
            return response;
        },
        false);
    server.route(
        "GET", "/zero-bytes",
        [](const Request&) {
            Response response = textAnswer(std::string(zeroBytesBody()));
            response.contentType = "application/octet-stream";
            return response;
        },
        false);
    enum class Kind { Plain, HttpOnly, Deleting };
    // The three cookie routes differ only in the attributes of the one Set-Cookie they answer.
    auto cookieRoute = [&server, domain](const char* path, Kind kind) {
        server.route(
            "GET", path,
            [domain, kind](const Request& r) {
                const bool hostOnly = r.queryParam("hostOnly") == "1" && kind != Kind::HttpOnly;
                const std::string value = kind == Kind::Deleting ? std::string() : r.queryParam("value");
                std::string header = setCookieHeader(r.queryParam("name"), value, hostOnly ? "" : domain,
                                                     kind == Kind::HttpOnly);
                if (kind == Kind::Deleting)
                    header += kExpired;
                Response response = textAnswer(kind == Kind::Deleting ? "deleted" : "set");
                response.headers.emplace_back("Set-Cookie", std::move(header));
                return response;
            },
            false);
    };
    cookieRoute("/set-cookie", Kind::Plain);
    cookieRoute("/set-httponly", Kind::HttpOnly);
    cookieRoute("/delete-cookie", Kind::Deleting);
    server.route(
        "GET", "/status",
        [](const Request& r) {
            const int code = intParam(r, "code", 200);
            return textAnswer("status " + std::to_string(code), code);
        },
        false);
}

} // namespace

Response loginPage(std::string_view redirect, std::string_view gbkError) {
    std::string page =
        utf8ToGbk("<!DOCTYPE html><html><head><meta charset=\"gbk\"><title>登录</title></head><body>"
                  "<h1 id=\"login-title\">会员登录</h1>");
    if (!gbkError.empty())
        page += "<p id=\"login-error\">" + htmlEscaped(gbkError) + "</p>";
    page += "<form id=\"login-form\" method=\"post\" action=\"/login\">"
            "<input id=\"TPL_username\" name=\"user\" type=\"text\">"
            "<input id=\"TPL_password\" name=\"password\" type=\"password\">"
            "<input type=\"hidden\" name=\"redirect\" value=\"" +
            htmlEscaped(safeRedirect(redirect)) + "\">";
    page += utf8ToGbk("<button id=\"J_SubmitStatic\" type=\"submit\">登录</button></form></body></html>");
    return htmlPage(std::move(page));
}

std::string_view zeroBytesBody() {
    static constexpr char kBody[] = "ab\0cd\0\0ef";
    return {kBody, sizeof kBody - 1};
}

void addBuiltinRoutes(SimServer& server) {
    addLoginRoutes(server);
    addTestRoutes(server);
}

} // namespace dropship::sim
