// The program's window with the browser wiring installed: both browsers on one session, the start-up
// steps run through the window's hook, and the visit button.
#include "app/browser_wiring.h"
#include "app/main_window.h"
#include "browser/browser_startup.h"
#include "browser/same_view_page.h"
#include "sim_requests.h"
#include "web/cookie_ops.h"
#include "web/http_client_curl.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

using namespace dropship;
using Scope = SettingsStore::Scope;

class BrowserWiringTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    sim::SimServer sim_;
    CookieStore store_;
    std::unique_ptr<BrowserWiring> wiring_;
    std::unique_ptr<MainWindow> window_;

    std::optional<sim::Request> lastRequest(std::string_view path) const { return lastRequestTo(sim_, path); }

    QString settingsFile(const char* name) const { return folder_.filePath(QString::fromLatin1(name)); }

  private slots:
    void initTestCase() {
        QVERIFY(sim_.start());
        // Left over from an earlier run: must be gone before the login page is asked for.
        QVERIFY(setCookie(store_, sim_.cookieDomain(), "oldRun", "1"));

        wiring_ = std::make_unique<BrowserWiring>(
            store_, std::make_unique<SettingsStore>(settingsFile("user.ini"), settingsFile("machine.ini")));
        AppConfig config;
        config.workingFolder = folder_.path().toStdString();
        config.pacingScale = 0.001;
        config.endpoints = sim_.endpoints();
        config.reportSaveFailure = [](const QString&) {};
        wiring_->install(config);
        window_ = std::make_unique<MainWindow>(std::move(config));
    }

    void cleanupTestCase() {
        window_.reset();
        wiring_.reset();
    }

    void startUpOpensLoginPageWithoutOldCookies() {
        QTRY_VERIFY_WITH_TIMEOUT(lastRequest("/seller_admin.htm").has_value(), 5000);
        const sim::Request request = *lastRequest("/seller_admin.htm");
        QCOMPARE(request.query, std::string("spm=a1z02.1.1997525073.1.u1CG8T"));
        QCOMPARE(request.cookie("oldRun"), std::string());
        QCOMPARE(readCookies(store_, sim_.cookieDomain()), std::string());
        QCOMPARE(window_->loginBrowser()->url(), QUrl(loginPageUrl(sim_.endpoints())));
    }

    void startUpWritesBrowserSettings() {
        SettingsStore written(settingsFile("user.ini"), settingsFile("machine.ini"));
        const QString exe = BrowserFeatures::currentExecutableName();
        QCOMPARE(written.readText(Scope::Machine, QString::fromLatin1(BrowserFeatures::versionKey),
                                  QStringLiteral("svcVersion")),
                 std::optional<QString>(QString::fromLatin1(qWebEngineChromiumVersion())));
        QCOMPARE(written.readNumber(Scope::User, QString::fromLatin1(BrowserFeatures::emulationKey), exe),
                 std::optional<quint32>(9999));
        QCOMPARE(written.readNumber(Scope::User, QString::fromLatin1(BrowserFeatures::gpuKey), exe),
                 std::optional<quint32>(1));
    }

    void bothBrowsersShareOneSession() {
        auto* login = qobject_cast<SameViewPage*>(window_->loginBrowser()->page());
        auto* hidden = qobject_cast<SameViewPage*>(window_->hiddenBrowser()->page());
        QVERIFY(login && hidden);
        QCOMPARE(login->profile(), hidden->profile());
        QVERIFY(login->profile()->isOffTheRecord());

        CurlHttpClient http(store_);
        QVERIFY(!http.httpRequest(sim_.origin("trade") + "/set-httponly?name=shared&value=s1").empty());
        bool synced = false;
        wiring_->session()->cookieBridge().whenBrowserSynced([&] { synced = true; });
        QTRY_VERIFY_WITH_TIMEOUT(synced, 5000);
        QSignalSpy loaded(hidden, &QWebEnginePage::loadFinished);
        window_->hiddenBrowser()->setUrl(QUrl(QString::fromStdString(sim_.origin("wuliu") + "/echo")));
        QVERIFY(loaded.wait(5000));
        QCOMPARE(lastRequest("/echo")->cookie("shared"), std::string("s1"));
    }

    void visitButtonOpensAddressAsTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("address") << QString::fromStdString(sim_.origin("seller") + "/echo?visit=1");
        QTest::newRow("empty") << QString();
    }

    void visitButtonOpensAddressAsTyped() {
        QFETCH(QString, typed);
        auto* address = window_->findChild<QLineEdit*>(QStringLiteral("编辑框1"));
        auto* visit = window_->findChild<QPushButton*>(QStringLiteral("按钮访问"));
        QVERIFY(address && visit);
        address->setText(typed);
        visit->click();
        QCOMPARE(window_->loginBrowser()->url(), QUrl(typed));
        if (!typed.isEmpty())
            QTRY_VERIFY_WITH_TIMEOUT(lastRequest("/echo") && lastRequest("/echo")->query == "visit=1", 5000);
    }
};

QTEST_MAIN(BrowserWiringTest)
#include "browser_wiring_test.moc"
