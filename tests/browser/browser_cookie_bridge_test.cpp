// The bridge between the cookie store and the browser's cookies, built over a store that already
// holds cookies: building it must not wait on itself, whatever the store reports meanwhile.

#include "browser/browser_cookie_bridge.h"
#include "web/cookie_store.h"

#include <QApplication>
#include <QTest>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <ctime>
#include <thread>

namespace dropship {

class BrowserCookieBridgeTest : public QObject {
    Q_OBJECT

  private slots:
    // A cookie that expired since the store last looked is reported as removed while the bridge
    // reads the store's cookies; the bridge's own listener then runs inside that read.
    void buildsOverACookieThatExpiredMeanwhile() {
        CookieStore store;
        Cookie brief;
        brief.name = "brief";
        brief.value = "1";
        brief.domain = ".sim.localhost";
        brief.expires = std::time(nullptr) + 1;
        QVERIFY(store.set(brief, CookieStore::Source::Http));
        Cookie lasting = brief;
        lasting.name = "lasting";
        lasting.expires = 0;
        QVERIFY(store.set(lasting, CookieStore::Source::Http));
        std::this_thread::sleep_for(std::chrono::milliseconds(2100));

        QWebEngineProfile profile; // off the record
        QList<QByteArray> names;
        connect(profile.cookieStore(), &QWebEngineCookieStore::cookieAdded, this,
                [&names](const QNetworkCookie& cookie) { names << cookie.name(); });
        BrowserCookieBridge bridge(store, *profile.cookieStore());
        // The browser's cookie store starts working with the first page of its profile.
        QWebEnginePage page(&profile);
        page.setUrl(QUrl(QStringLiteral("about:blank")));
        // The cookie that is still alive reaches the browser; the expired one does not.
        QTRY_VERIFY_WITH_TIMEOUT(names.contains(QByteArray("lasting")), 5000);
        QVERIFY(!names.contains(QByteArray("brief")));
    }
};

} // namespace dropship

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    dropship::BrowserCookieBridgeTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "browser_cookie_bridge_test.moc"
