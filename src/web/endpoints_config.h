#pragma once
// Where the endpoints come from: the built-in marketplace hosts, a settings file, or the local
// simulator named on the command line.
//
// Settings file (INI): lines "key=value"; blank lines, lines starting with ";" or "#", and section
// headers ("[endpoints]") are skipped. Keys: sellerWorkbench, sellerTrade, buyerTrade,
// logisticsTrace, consign, wholesaleTrade (each an origin: "http[s]://host[:port]", no path) and
// cookieDomain (a bare domain). Keys that are missing keep their built-in value.
//
// Command line:
//   --endpoints FILE           (or --endpoints=FILE) read the settings file above
//   --sim-origin-base ORIGIN   (or =ORIGIN) every role on the simulator: "http://sim.localhost:8080"
//                              gives http://seller.sim.localhost:8080 etc. and cookie domain
//                              "sim.localhost"
// When both are given, the simulator wins for every role. Other arguments are left alone (they
// belong to Qt or to the application).

#include "web/endpoints.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dropship {

struct EndpointsResult {
    Endpoints endpoints;
    std::string error; // empty when everything was read; otherwise what was wrong (and defaults kept)
};

// Reads the settings file over base. A missing or unreadable file, an unknown key or a malformed
// value gives an error; the valid keys read so far still apply.
EndpointsResult loadEndpointsFile(const std::string& path, Endpoints base = {});

// Parses the options above out of args (args[0] is the program name).
EndpointsResult endpointsFromCommandLine(const std::vector<std::string>& args);

// Every role on one simulator: "<scheme>://<label>.<domain>[:<port>]" with the labels seller, trade,
// buyertrade, trace, wuliu, wholesale; port 0 leaves it out.
Endpoints simulatorEndpoints(std::string_view scheme, std::string_view cookieDomain, std::uint16_t port);

} // namespace dropship
