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

    // The cookie store and the HTTP client outlive the window, whose destruction stops the jobs
    // that use them.
    dropship::CookieStore cookies;
    const auto http = std::make_shared<dropship::CurlHttpClient>(cookies);
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
