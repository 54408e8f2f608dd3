// The sales tab end to end: the real window, its wiring of the sales jobs, the libcurl client and
// the simulator over loopback. Pressing the buttons must fetch the report into the list and
// complete the recipients, with the notices and button states the user sees.

#include "app/sales_wiring.h"
#include "app/window_notices.h"
#include "app_test_support.h"
#include "model/order_columns.h"
#include "sim/routes/sales_routes.h"
#include "sim/sim_server.h"
#include "web/cookie_store.h"
#include "web/http_client_curl.h"

#include <QPushButton>
#include <QTableView>

namespace dropship::test {

class SalesFlowTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir m_folder;
    sim::SimServer m_server;
    sim::SalesSimState m_state;
    CookieStore m_cookies;
    std::shared_ptr<CurlHttpClient> m_http;

    // Presses OK on the open box of that name after checking its text.
    static void answerBox(const QString& name, const char* expectedUtf8) {
        QTRY_VERIFY_WITH_TIMEOUT(openBox(name), 10000);
        QMessageBox* box = openBox(name);
        QCOMPARE(box->text(), QString::fromUtf8(expectedUtf8));
        box->button(QMessageBox::Ok)->click();
        QTRY_VERIFY(!openBox(name));
    }

  private slots:
    void initTestCase() {
        QVERIFY(m_folder.isValid());
        sim::installSalesRoutes(m_server, m_state);
        QVERIFY(m_server.start());
        CurlHttpClientOptions options;
        options.timeoutScale = 0.05;
        m_http = std::make_shared<CurlHttpClient>(m_cookies, options);
        m_http->httpRequest(m_server.origin("seller") + "/login", 1, "user=seller&password=secret");
        bool loggedIn = false;
        for (const Cookie& cookie : m_cookies.all())
            loggedIn = loggedIn || cookie.name == "cookie2";
        QVERIFY2(loggedIn, "the simulator's log-in gave no session cookie");
    }

    void fetchThenCompleteRecipients() {
        m_state.setPollsBeforeReady(2);
        sim::SalesReportRow complete{
            "1001",  "", "张三", "浙江省杭州市西湖区文三路1号", "", "13800001111", "2026-12-01 10:00:00",
            "商品一"};
        sim::SalesReportRow lacking{"1002", "", "", "", "", "", "2026-12-02 11:00:00", "商品二"};
        m_state.setReportRows({complete, lacking});
        m_state.setAddress("1002", sim::SimAddressAnswer{sim::SimAddress{"李四", "上海市浦东新区1号",
                                                                         "200120", "86-13900002222", ""},
                                                         std::nullopt, false});

        AppConfig config = windowConfig(m_folder);
        config.endpoints = m_server.endpoints();
        MainWindow window(std::move(config));
        wireSalesJobs(window, m_http);
        window.show();

        auto* fetch = child<QPushButton>(window, QStringLiteral("按钮_取订单1"));
        auto* query = child<QPushButton>(window, QStringLiteral("按钮_查询详情1"));
        QVERIFY(fetch && query);

        fetch->click();
        QVERIFY(!fetch->isEnabled());
        answerBox(WindowNotices::reminderBoxName(), "提取完成");
        QTRY_VERIFY(fetch->isEnabled());
        QCOMPARE(m_state.polls(), 3);
        QCOMPARE(window.sales().rowCount(), 2);
        QCOMPARE(window.sales().cell(0, SalesColumn::No), std::string("1"));
        QCOMPARE(window.sales().cell(1, SalesColumn::OrderNumber), std::string("1002"));
        QCOMPARE(fromGbk(window.sales().cell(0, SalesColumn::Recipient)), QStringLiteral("张三"));
        // The view shows what the store holds, as Chinese.
        auto* view = child<QTableView>(window, QStringLiteral("超级列表框_卖订单"));
        QTRY_COMPARE(view->model()->rowCount(), 2);
        QCOMPARE(view->model()->index(0, SalesColumn::Recipient).data().toString(), QStringLiteral("张三"));

        query->click();
        QVERIFY(!query->isEnabled());
        answerBox(WindowNotices::informationBoxName(), "查询完毕");
        QTRY_VERIFY(query->isEnabled());
        QCOMPARE(fromGbk(window.sales().cell(1, SalesColumn::Recipient)), QStringLiteral("李四"));
        QCOMPARE(window.sales().cell(1, SalesColumn::Mobile), std::string("13900002222"));
        QCOMPARE(fromGbk(window.sales().cell(1, SalesColumn::Address)),
                 QStringLiteral("上海市浦东新区1号200120"));
        // The complete row was not asked for.
        int addressRequests = 0;
        for (const sim::Request& request : m_server.requests())
            addressRequests += request.path == sim::kOrderAddressPath ? 1 : 0;
        QCOMPARE(addressRequests, 1);
    }
};

} // namespace dropship::test

DROPSHIP_WINDOW_TEST_MAIN(dropship::test::SalesFlowTest)
#include "sales_flow_test.moc"
