#include "web/endpoints_config.h"

#include "web/http_target.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <optional>

namespace dropship {
namespace {

struct RoleKey {
    std::string_view key;
    std::string Endpoints::*field;
};

constexpr std::array<RoleKey, 6> kRoles = {{
    {"sellerWorkbench", &Endpoints::sellerWorkbench},
    {"sellerTrade", &Endpoints::sellerTrade},
    {"buyerTrade", &Endpoints::buyerTrade},
    {"logisticsTrace", &Endpoints::logisticsTrace},
    {"consign", &Endpoints::consign},
    {"wholesaleTrade", &Endpoints::wholesaleTrade},
}};

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t\r") - first + 1));
}

// An origin with a scheme and nothing after the host and port.
bool isOrigin(std::string_view value) {
    const auto target = httpTarget(value);
    const bool schemeWritten = value.substr(0, 7) == "http://" || value.substr(0, 8) == "https://";
    return target && schemeWritten && value.find('/', value.find("//") + 2) == std::string_view::npos &&
           value.find_first_of("?#") == std::string_view::npos;
}

bool isDomain(std::string_view value) {
    return !value.empty() && value.front() != '.' && value.back() != '.' &&
           value.find_first_of(":/?# \t") == std::string_view::npos;
}

void addError(std::string& errors, const std::string& error) {
    errors += (errors.empty() ? "" : "\n") + error;
}

// A simulator origin base "http://sim.localhost:8080" split into scheme, domain and port.
std::optional<Endpoints> simulatorFromBase(std::string_view base) {
    const auto target = httpTarget(base);
    if (!target || !isOrigin(base))
        return std::nullopt;
    return simulatorEndpoints(target->secure ? "https" : "http", target->host,
                              target->portGiven ? static_cast<std::uint16_t>(target->port) : 0);
}

} // namespace

EndpointsResult loadEndpointsFile(const std::string& path, Endpoints base) {
    EndpointsResult result{std::move(base), {}};
    std::ifstream in(path);
    if (!in) {
        result.error = "cannot read " + path;
        return result;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string text = trimmed(line);
        if (text.empty() || text.front() == ';' || text.front() == '#' || text.front() == '[')
            continue;
        const std::size_t equals = text.find('=');
        const std::string key = trimmed(text.substr(0, equals));
        const std::string value =
            equals == std::string::npos ? std::string() : trimmed(text.substr(equals + 1));
        const std::string where = path + ":" + std::to_string(number) + ": ";
        if (key == "cookieDomain") {
            if (isDomain(value))
                result.endpoints.cookieDomain = value;
            else
                addError(result.error, where + "not a domain: " + value);
            continue;
        }
        const auto role =
            std::find_if(kRoles.begin(), kRoles.end(), [&](const RoleKey& r) { return r.key == key; });
        if (role == kRoles.end())
            addError(result.error, where + "unknown key: " + key);
        else if (!isOrigin(value))
            addError(result.error, where + "not an origin (scheme://host[:port]): " + value);
        else
            result.endpoints.*(role->field) = value;
    }
    return result;
}

EndpointsResult endpointsFromCommandLine(const std::vector<std::string>& args) {
    EndpointsResult result;
    std::optional<std::string> file;
    std::optional<std::string> simBase;
    for (std::size_t i = 1; i < args.size(); ++i) {
        for (auto [option, slot] : {std::pair{std::string_view("--endpoints"), &file},
                                    std::pair{std::string_view("--sim-origin-base"), &simBase}}) {
            const std::string& arg = args[i];
            if (arg == option) {
                if (i + 1 < args.size())
                    *slot = args[++i];
                else
                    addError(result.error, std::string(option) + " needs a value");
            } else if (arg.size() > option.size() && arg.compare(0, option.size(), option) == 0 &&
                       arg[option.size()] == '=') {
                *slot = arg.substr(option.size() + 1);
            }
        }
    }
    if (file) {
        EndpointsResult loaded = loadEndpointsFile(*file, result.endpoints);
        result.endpoints = std::move(loaded.endpoints);
        if (!loaded.error.empty())
            addError(result.error, loaded.error);
    }
    if (simBase) {
        if (auto sim = simulatorFromBase(*simBase))
            result.endpoints = std::move(*sim);
        else
            addError(result.error, "--sim-origin-base: not an origin (scheme://domain[:port]): " + *simBase);
    }
    return result;
}

Endpoints simulatorEndpoints(std::string_view scheme, std::string_view cookieDomain, std::uint16_t port) {
    const std::string suffix =
        std::string(".") + std::string(cookieDomain) + (port ? ":" + std::to_string(port) : std::string());
    auto origin = [&](std::string_view label) {
        return std::string(scheme) + "://" + std::string(label) + suffix;
    };
    Endpoints e;
    e.sellerWorkbench = origin("seller");
    e.sellerTrade = origin("trade");
    e.buyerTrade = origin("buyertrade");
    e.logisticsTrace = origin("trace");
    e.consign = origin("wuliu");
    e.wholesaleTrade = origin("wholesale");
    e.cookieDomain = std::string(cookieDomain);
    return e;
}

} // namespace dropship
