// The embedded browser and the HTTP client share one login session: cookies set on either side are
// seen on the other, deletions too, without echoes; new windows stay in their view; at start the
// cookie domain is emptied before the login page loads. Runs a real QWebEngineView against the
// in-process simulator.
#include "browser/browser_session.h"
#include "browser/browser_startup.h"
#include "browser/same_view_page.h"
#include "sim_requests.h"
#include "web/cookie_ops.h"
#include "web/http_client_curl.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineView>
#include <atomic>

using namespace dropship;

class BrowserSessionTest : public QObject {
    Q_OBJECT

    sim::SimServer sim_;
    CookieStore store_;
    std::unique_ptr<CurlHttpClient> http_;
    std::unique_ptr<BrowserSession> session_;
    std::unique_ptr<QWebEngineView> view_;
    std::unique_ptr<QWebEngineView> hidden_; // the second browser, on the same session
    std::atomic<int> browserChanges_{0};

    QString origin(const char* label) const { return QString::fromStdString(sim_.origin(label)); }
    std::string originStd(const char* label) const { return sim_.origin(label); }

    bool load(const QString& url) { return load(*view_, url); }
    bool load(QWebEngineView& view, const QString& url) {
        QSignalSpy finished(view.page(), &QWebEnginePage::loadFinished);
        view.setUrl(QUrl(url));
        return finished.wait(5000) && finished.last().at(0).toBool();
    }

    QVariant runJs(const QString& script) {
        QVariant result;
        bool done = false;
        view_->page()->runJavaScript(script, [&](const QVariant& value) {
            result = value;
            done = true;
        });
        // A script that never answers gives an invalid value, which the callers' checks reject.
        return QTest::qWaitFor([&] { return done; }, 5000) ? result : QVariant();
    }

    // Waits until every change the store reported so far is in the browser.
    bool synced() {
        bool done = false;
        session_->cookieBridge().whenBrowserSynced([&] { done = true; }, std::chrono::milliseconds(4000));
        return QTest::qWaitFor([&] { return done; }, 5000);
    }

    std::optional<sim::Request> lastRequest(std::string_view path) const { return lastRequestTo(sim_, path); }

    // The value the browser sends for the cookie on a page load of host's /echo.
    std::string browserSends(const char* host, std::string_view name) {
        if (!load(origin(host) + QStringLiteral("/echo")))
            return "<load failed>";
        const auto request = lastRequest("/echo");
        return request ? request->cookie(name) : "<no request>";
    }

    std::string httpSends(const char* host, std::string_view name) {
        http_->httpRequest(originStd(host) + "/echo");
        const auto request = lastRequest("/echo");
        return request ? request->cookie(name) : "<no request>";
    }

    std::optional<Cookie> stored(const std::string& name, const std::string& domain) const {
        for (const Cookie& cookie : store_.all()) {
            if (cookie.name == name && cookie.domain == domain)
                return cookie;
        }
        return std::nullopt;
    }

    QString documentCookie() { return runJs(QStringLiteral("document.cookie")).toString(); }

  private slots:
    void initTestCase() {
        QVERIFY(sim_.start());
        sim_.route(
            "GET", "/links",
            [](const sim::Request&) {
                return sim::htmlPage("<html><body>"
                                     "<a id=\"blank\" href=\"/echo?from=blank\" target=\"_blank\">blank</a>"
                                     "<a id=\"named\" href=\"/echo?from=named\" target=\"other\">named</a>"
                                     "</body></html>");
            },
            false);
        http_ = std::make_unique<CurlHttpClient>(store_);
        session_ = std::make_unique<BrowserSession>(store_);
        view_ = std::make_unique<QWebEngineView>();
        session_->attach(*view_);
        hidden_ = std::make_unique<QWebEngineView>();
        session_->attach(*hidden_);
        view_->resize(800, 600);
        view_->show();
        store_.addListener([this](const Cookie&, bool, CookieStore::Source source) {
            if (source == CookieStore::Source::Browser)
                ++browserChanges_;
        });
    }

    void cleanupTestCase() {
        hidden_.reset();
        view_.reset();
        session_.reset();
        http_.reset();
    }

    void loginInBrowserIsCarriedByHttp() {
        QVERIFY(load(origin("seller") + QStringLiteral("/login")));
        runJs(QStringLiteral("document.getElementById('TPL_username').value = 'buyer1';"
                             "document.getElementById('TPL_password').value = 'secret';"
                             "document.getElementById('login-form').submit(); true"));
        QTRY_VERIFY_WITH_TIMEOUT(stored("cookie2", ".sim.localhost").has_value(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(stored("_nk_", ".sim.localhost").has_value(), 5000);
        const Cookie session = *stored("cookie2", ".sim.localhost");
        QVERIFY(session.httpOnly);
        QVERIFY(!session.value.empty());

        http_->httpRequest(originStd("trade") + "/echo");
        const auto request = lastRequest("/echo");
        QVERIFY(request);
        QCOMPARE(request->cookie("cookie2"), session.value);
        QCOMPARE(request->cookie("_nk_"), sim::nickCookieValue("buyer1"));
        QVERIFY(sim_.loggedIn(*request));
        QCOMPARE(readCookies(store_, "trade.sim.localhost").find("cookie2=" + session.value), 0u);

        // The other browser is on the same session.
        QVERIFY(load(*hidden_, origin("trade") + QStringLiteral("/echo")));
        QCOMPARE(lastRequest("/echo")->cookie("cookie2"), session.value);
    }

    void httpAnswerCookieReachesBrowser_data() {
        QTest::addColumn<QString>("route");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("httpOnly");
        QTest::newRow("domain cookie") << "/set-cookie?name=fromHttp&value=v1"
                                       << "fromHttp" << false;
        QTest::newRow("host-only cookie") << "/set-cookie?name=hostOnly&value=v1&hostOnly=1"
                                          << "hostOnly" << false;
        QTest::newRow("HttpOnly cookie") << "/set-httponly?name=secretHttp&value=v1"
                                         << "secretHttp" << true;
    }

    void httpAnswerCookieReachesBrowser() {
        QFETCH(QString, route);
        QFETCH(QString, name);
        QFETCH(bool, httpOnly);
        const std::string cookieName = name.toStdString();
        QVERIFY(!http_->httpRequest(originStd("trade") + route.toStdString()).empty());
        QVERIFY(readCookies(store_, "trade.sim.localhost").find(cookieName + "=v1") != std::string::npos);
        QVERIFY(synced());

        QCOMPARE(browserSends("trade", cookieName), std::string("v1"));
        QCOMPARE(documentCookie().contains(name + QStringLiteral("=v1")), !httpOnly);
    }

    void noEchoAndNoStaleOverwrite() {
        const int before = browserChanges_;
        Cookie cookie{"burst", "v1", ".sim.localhost"};
        QVERIFY(store_.set(cookie, CookieStore::Source::Http));
        cookie.value = "v2";
        QVERIFY(store_.set(cookie, CookieStore::Source::Http));
        QVERIFY(synced());
        cookie.value = "v3";
        QVERIFY(store_.set(cookie, CookieStore::Source::Http));
        QVERIFY(synced());
        QTest::qWait(200); // room for a late echo, which must not come
        QCOMPARE(browserChanges_.load(), before);
        QCOMPARE(stored("burst", ".sim.localhost").value_or(Cookie{}).value, std::string("v3"));
        QCOMPARE(browserSends("trade", "burst"), std::string("v3"));
    }

    void cookieOpsWriteReachesBrowser() {
        QVERIFY(setCookie(store_, "trade.sim.localhost", "opsWrite", "w1"));
        QVERIFY(synced());
        QCOMPARE(browserSends("trade", "opsWrite"), std::string("w1"));
        QVERIFY(documentCookie().contains(QStringLiteral("opsWrite=w1")));
    }

    void deletionByHttpAnswerReachesBrowser() {
        http_->httpRequest(originStd("trade") + "/set-cookie?name=doomed&value=d1");
        QVERIFY(synced());
        QCOMPARE(browserSends("trade", "doomed"), std::string("d1"));

        http_->httpRequest(originStd("trade") + "/delete-cookie?name=doomed");
        QVERIFY(!stored("doomed", ".sim.localhost"));
        QVERIFY(synced());
        QCOMPARE(browserSends("trade", "doomed"), std::string());
        QVERIFY(!documentCookie().contains(QStringLiteral("doomed")));
    }

    void deletionByCookieOpsReachesBrowser() {
        QVERIFY(setCookie(store_, "trade.sim.localhost", "opsDoomed", "x"));
        QVERIFY(synced());
        QCOMPARE(browserSends("trade", "opsDoomed"), std::string("x"));
        setCookie(store_, "trade.sim.localhost", "opsDoomed");
        QVERIFY(synced());
        QCOMPARE(browserSends("trade", "opsDoomed"), std::string());
    }

    void pageScriptCookiesReachHttp() {
        QVERIFY(load(origin("trade") + QStringLiteral("/echo")));
        runJs(QStringLiteral("document.cookie = 'fromPage=p1; domain=.sim.localhost; path=/'; true"));
        QTRY_VERIFY_WITH_TIMEOUT(stored("fromPage", ".sim.localhost").has_value(), 5000);
        QCOMPARE(httpSends("seller", "fromPage"), std::string("p1"));

        runJs(QStringLiteral("document.cookie = 'fromPage=; domain=.sim.localhost; path=/; expires=Thu, 01 "
                             "Jan 1970 00:00:00 GMT'; true"));
        QTRY_VERIFY_WITH_TIMEOUT(!stored("fromPage", ".sim.localhost").has_value(), 5000);
        QCOMPARE(httpSends("seller", "fromPage"), std::string());
    }

    // Chromium deletes by name and address, which also hits the parent domain's cookie of the same
    // name; the bridge must put that one back.
    void deletingHostCookieKeepsDomainCookie() {
        QVERIFY(store_.set(Cookie{"twin", "domainValue", ".sim.localhost"}, CookieStore::Source::Http));
        QVERIFY(store_.set(Cookie{"twin", "hostValue", "trade.sim.localhost"}, CookieStore::Source::Http));
        QVERIFY(synced());
        QVERIFY(store_.remove("twin", "trade.sim.localhost", "/", CookieStore::Source::Http));
        QVERIFY(synced());
        QVERIFY(synced()); // the restore is a batch of its own
        QVERIFY(stored("twin", ".sim.localhost").has_value());
        QCOMPARE(stored("twin", ".sim.localhost")->value, std::string("domainValue"));
        QVERIFY(!stored("twin", "trade.sim.localhost").has_value());
        QCOMPARE(browserSends("trade", "twin"), std::string("domainValue"));
    }

    void newWindowStaysInView_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("query");
        QTest::newRow("target _blank") << "document.getElementById('blank').click(); true"
                                       << "from=blank";
        QTest::newRow("named target") << "document.getElementById('named').click(); true"
                                      << "from=named";
        QTest::newRow("window.open") << "window.open('/echo?from=script'); true"
                                     << "from=script";
    }

    void newWindowStaysInView() {
        QFETCH(QString, script);
        QFETCH(QString, query);
        QVERIFY(load(origin("seller") + QStringLiteral("/links")));
        QWebEnginePage* page = view_->page();
        const auto windowsBefore = QApplication::topLevelWidgets().size();
        int requested = 0;
        const auto counting = connect(page, &QWebEnginePage::newWindowRequested, this,
                                      [&](QWebEngineNewWindowRequest&) { ++requested; });
        runJs(script);
        QTRY_COMPARE_WITH_TIMEOUT(view_->url().query(), query, 5000);
        QCOMPARE(view_->url().path(), QStringLiteral("/echo"));
        disconnect(counting);
        QCOMPARE(requested, 1);
        QCOMPARE(view_->page(), page);
        QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);
    }

    void startUpClearsCookieDomainBeforeLoginPage() {
        http_->httpRequest(originStd("trade") + "/set-cookie?name=oldRun&value=1");
        QVERIFY(setCookie(store_, sim_.cookieDomain(), "oldOps", "2"));
        QVERIFY(synced());
        QCOMPARE(browserSends("seller", "oldRun"), std::string("1"));

        QTemporaryDir dir;
        SettingsStore settings(dir.filePath(QStringLiteral("u.ini")), dir.filePath(QStringLiteral("m.ini")));
        BrowserFeatures features(settings, QStringLiteral("dropship_desk"));
        const Endpoints endpoints = sim_.endpoints();
        const QUrl loginUrl(loginPageUrl(endpoints));
        QCOMPARE(loginUrl.toString(),
                 origin("seller") + QStringLiteral("/seller_admin.htm?spm=a1z02.1.1997525073.1.u1CG8T"));
        sim_.clearRequests();

        startBrowsers(features, store_, session_->cookieBridge(), *view_, endpoints,
                      std::chrono::milliseconds(4000));
        QVERIFY(!stored("oldRun", ".sim.localhost"));
        QVERIFY(!stored("oldOps", ".sim.localhost"));
        QVERIFY(view_->url() != loginUrl); // waits for the browser to confirm the deletions

        QTRY_VERIFY_WITH_TIMEOUT(lastRequest("/seller_admin.htm").has_value(), 5000);
        const sim::Request loginRequest = *lastRequest("/seller_admin.htm");
        QCOMPARE(loginRequest.query, std::string("spm=a1z02.1.1997525073.1.u1CG8T"));
        QCOMPARE(loginRequest.cookie("oldRun"), std::string());
        QCOMPARE(loginRequest.cookie("oldOps"), std::string());
        QCOMPARE(view_->url(), loginUrl);
        QCOMPARE(settings.readNumber(SettingsStore::Scope::User,
                                     QString::fromLatin1(BrowserFeatures::emulationKey),
                                     QStringLiteral("dropship_desk")),
                 std::optional<quint32>(9999));
    }

    void syncWithNothingOutstandingIsImmediate() {
        QVERIFY(synced());
        bool done = false;
        session_->cookieBridge().whenBrowserSynced([&] { done = true; });
        QVERIFY(done);
    }
};

int main(int argc, char* argv[]) {
    // As in the program: the embedded browsers share their GL context with the window.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    BrowserSessionTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "browser_session_test.moc"
