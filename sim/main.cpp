// dropship-sim: the marketplace simulator for the demo. Prints the origin of every role and the
// option that points the application at it, then serves until interrupted.

#include "sim/sim_server.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

int main(int argc, char** argv) {
    unsigned long port = 0;
    std::string domain = "sim.localhost";
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--port" && i + 1 < argc) {
            char* end = nullptr;
            port = std::strtoul(argv[++i], &end, 10);
            if (*end != '\0' || port > 65535) {
                std::fprintf(stderr, "dropship-sim: bad port %s\n", argv[i]);
                return 2;
            }
        } else if (arg == "--domain" && i + 1 < argc) {
            domain = argv[++i];
        } else {
            std::fprintf(stderr, "usage: dropship-sim [--port N] [--domain D]\n");
            return 2;
        }
    }
    // Block the stop signals before any thread starts, so only sigwait below receives them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    dropship::sim::SimServer server(domain);
    dropship::sim::installRegisteredRouteSets(server);
    if (!server.start(static_cast<std::uint16_t>(port))) {
        std::fprintf(stderr, "dropship-sim: cannot listen on 127.0.0.1:%lu\n", port);
        return 1;
    }
    const dropship::Endpoints e = server.endpoints();
    std::printf("sellerWorkbench %s\nsellerTrade     %s\nbuyerTrade      %s\nlogisticsTrace  %s\n"
                "consign         %s\nwholesaleTrade  %s\ncookieDomain    %s\n",
                e.sellerWorkbench.c_str(), e.sellerTrade.c_str(), e.buyerTrade.c_str(),
                e.logisticsTrace.c_str(), e.consign.c_str(), e.wholesaleTrade.c_str(),
                e.cookieDomain.c_str());
    std::printf("log-in page     %s/login\napplication     --sim-origin-base http://%s:%u\n",
                e.sellerWorkbench.c_str(), domain.c_str(), server.port());
    std::fflush(stdout);
    int received = 0;
    sigwait(&signals, &received);
    server.stop();
    return 0;
}
