#include "app/browser_wiring.h"

#include "app/main_window.h"
#include "browser/browser_startup.h"

namespace dropship {

void prepareBrowserEngine() {
    const auto settings = SettingsStore::forApplication();
    const BrowserFeatures features(*settings);
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            chromiumFlagsForSettings(features, qgetenv("QTWEBENGINE_CHROMIUM_FLAGS")));
}

BrowserWiring::BrowserWiring(CookieStore& store, std::unique_ptr<SettingsStore> settings)
    : store_(store), settings_(std::move(settings)), features_(*settings_) {}

BrowserWiring::~BrowserWiring() = default;

void BrowserWiring::install(AppConfig& config) {
    config.startBrowsers = [this](MainWindow& window) {
        // The profile needs the running application, so the session is made here, not earlier.
        session_ = std::make_unique<BrowserSession>(store_);
        session_->attach(*window.loginBrowser());
        session_->attach(*window.hiddenBrowser());
        startBrowsers(features_, store_, session_->cookieBridge(), *window.loginBrowser(),
                      window.config().endpoints);
    };
}

} // namespace dropship
