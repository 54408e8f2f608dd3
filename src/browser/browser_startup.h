#pragma once
// What the window does with its browsers at start.

#include "browser/browser_cookie_bridge.h"
#include "browser/browser_features.h"
#include "web/endpoints.h"

#include <QString>
#include <chrono>

class QWebEngineView;

namespace dropship {

// "<seller workbench origin>/seller_admin.htm?spm=a1z02.1.1997525073.1.u1CG8T"
QString loginPageUrl(const Endpoints& endpoints);

// The browser steps of the start-up, in order:
// 1. records the engine's version, then sets the emulation and GPU values for the detected version
//    and, when the emulation did not handle it, once more for the newest mode;
// 2. deletes every cookie of the marketplace cookie domain that can be deleted (HttpOnly cookies
//    cannot be, as with any script-level cookie write);
// 3. opens the login page in loginBrowser, but only once the deletions have reached the browser's
//    own cookie store (or syncTimeout has passed), so the page's first request carries none of them.
// Returns after step 2; step 3 follows from the event loop.
void startBrowsers(BrowserFeatures& features, CookieStore& store, BrowserCookieBridge& bridge,
                   QWebEngineView& loginBrowser, const Endpoints& endpoints,
                   std::chrono::milliseconds syncTimeout = std::chrono::milliseconds(3000));

} // namespace dropship
