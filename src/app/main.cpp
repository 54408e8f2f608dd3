// dropship-desk: the drop-shipping desk, one window.

#include "app/browser_wiring.h"
#include "app/main_window.h"
#include "app/sales_wiring.h"
#include "app/termination_watcher.h"
#include "web/http_client_curl.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // The embedded browsers share their GL context with the window.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    dropship::prepareBrowserEngine();
    QApplication application(argc, argv);
    dropship::CookieStore cookies;
    dropship::BrowserWiring browsers(cookies);

    dropship::AppConfig config;
    // Command-line options (endpoints of the marketplace, working folder) are read here into
    // config before the window is built.

    browsers.install(config);
    dropship::TerminationWatcher termination;
    dropship::MainWindow window(std::move(config));
    const auto http = std::make_shared<dropship::CurlHttpClient>(cookies);
    dropship::wireSalesJobs(window, http);
    window.watchTermination(termination);
    window.show();
    return application.exec();
}
