#pragma once
// Puts the embedded-browser pieces into the program: both browsers of the window on the one session
// of the shared cookie store, and the browser steps of the window's start-up.

#include "app/app_config.h"
#include "browser/browser_features.h"
#include "browser/browser_session.h"

#include <memory>

namespace dropship {

// Call before QApplication exists: when the stored GPU rendering value is not 1, Chromium is started
// with --disable-gpu (added to QTWEBENGINE_CHROMIUM_FLAGS).
void prepareBrowserEngine();

class BrowserWiring {
  public:
    // store must outlive this object; this object must outlive the window (declare it first).
    explicit BrowserWiring(CookieStore& store,
                           std::unique_ptr<SettingsStore> settings = SettingsStore::forApplication());
    ~BrowserWiring();

    // Makes the window's start-up hook give both browsers pages of the shared session and run the
    // browser start-up (settings, cookie-domain deletion, login page).
    void install(AppConfig& config);

    BrowserSession* session() { return session_.get(); }

  private:
    CookieStore& store_;
    std::unique_ptr<SettingsStore> settings_;
    BrowserFeatures features_;
    std::unique_ptr<BrowserSession> session_;
};

} // namespace dropship
