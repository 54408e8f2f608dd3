// dropship-desk: the drop-shipping desk, one window.
//
// Options: --endpoints FILE, --sim-origin-base ORIGIN (see web/endpoints_config.h); the list files
// live in the current working folder.

#include "app/browser_wiring.h"
#include "app/main_window.h"
#include "app/sales_wiring.h"
#include "app/termination_watcher.h"
#include "web/endpoints_config.h"
#include "web/http_client_curl.h"

#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    const std::vector<std::string> args(argv, argv + argc);
    const dropship::EndpointsResult endpoints = dropship::endpointsFromCommandLine(args);
    if (!endpoints.error.empty()) {
        // Running against the real marketplace when the user asked for other hosts would be worse
        // than not starting.
        std::fprintf(stderr, "dropship-desk: %s\n", endpoints.error.c_str());
        return 2;
    }

    // The embedded browsers share their GL context with the window.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    dropship::prepareBrowserEngine();
    QApplication application(argc, argv);

    // The cookie store and the HTTP client live as long as anything uses them: a job thread that
    // has not ended within the window's grace period at close keeps them through its routine's
    // copy of http.
    struct Network {
        dropship::CookieStore cookies;
        dropship::CurlHttpClient http{cookies};
    };
    const auto network = std::make_shared<Network>();
    const std::shared_ptr<dropship::HttpClient> http(network, &network->http);
    dropship::CookieStore& cookies = network->cookies;
    dropship::BrowserWiring browsers(cookies);

    dropship::AppConfig config;
    config.endpoints = endpoints.endpoints;
    browsers.install(config);
    dropship::TerminationWatcher termination;
    dropship::MainWindow window(std::move(config));
    dropship::wireSalesJobs(window, http);
    window.watchTermination(termination);
    window.show();
    return application.exec();
}
