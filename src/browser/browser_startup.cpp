#include "browser/browser_startup.h"

#include "web/cookie_ops.h"

#include <QPointer>
#include <QWebEngineView>

namespace dropship {

QString loginPageUrl(const Endpoints& endpoints) {
    return QString::fromStdString(endpoints.sellerWorkbench) +
           QStringLiteral("/seller_admin.htm?spm=a1z02.1.1997525073.1.u1CG8T");
}

void startBrowsers(BrowserFeatures& features, CookieStore& store, BrowserCookieBridge& bridge,
                   QWebEngineView& loginBrowser, const Endpoints& endpoints,
                   std::chrono::milliseconds syncTimeout) {
    recordEngineVersion(features.store());
    features.setUpAtStart();
    setCookie(store, endpoints.cookieDomain, {});
    const QUrl address(loginPageUrl(endpoints));
    bridge.whenBrowserSynced(
        [view = QPointer<QWebEngineView>(&loginBrowser), address] {
            if (view)
                view->setUrl(address);
        },
        syncTimeout);
}

} // namespace dropship
