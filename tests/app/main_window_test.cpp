// The main window: its controls, start-up and the saves at the end, and the list commands.

#include "app/order_table_model.h"
#include "app/termination_watcher.h"
#include "app_test_support.h"
#include "model/order_columns.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QWebEngineView>
#include <csignal>

namespace dropship {

using namespace test;

namespace {

const std::string kSep = utf8ToGbk("←→");

std::string line(std::initializer_list<std::string> cells) {
    std::string text;
    for (const std::string& cell : cells)
        text += cell + kSep;
    return text + "\r\n";
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_folder;
    QStringList m_saveFailures;

    std::unique_ptr<MainWindow> makeWindow() {
        return std::make_unique<MainWindow>(windowConfig(*m_folder, &m_saveFailures));
    }
    // Purchase rows: NO 1..12; row 1 holds "5" as its order number, rows 2 and 6 the title "X",
    // rows 3 and 9 the recipient "R", row 0 the only "first".
    void fillPurchases(MainWindow& window) {
        for (int row = 0; row < 12; ++row) {
            std::vector<std::string> cells(PurchaseColumn::Count);
            cells[PurchaseColumn::No] = std::to_string(row + 1);
            cells[PurchaseColumn::OrderTime] = "2024-05-0" + std::to_string(row % 9 + 1);
            cells[PurchaseColumn::OrderNumber] = row == 1 ? "5" : "ORD" + std::to_string(1000 + row);
            cells[PurchaseColumn::ItemTitle] = (row == 2 || row == 6) ? "X" : utf8ToGbk("标题");
            cells[PurchaseColumn::Recipient] = (row == 3 || row == 9) ? "R" : (row == 0 ? "first" : "");
            window.purchases().appendRows({cells});
        }
        window.purchases().setCell(10, PurchaseColumn::No, "a7");
        QCoreApplication::processEvents();
    }
    QTableView* purchaseView(MainWindow& window) {
        return child<QTableView>(window, QStringLiteral("超级列表框_买订单"));
    }
    QTableView* salesView(MainWindow& window) {
        return child<QTableView>(window, QStringLiteral("超级列表框_卖订单"));
    }
    void find(MainWindow& window, const QString& text) {
        child<QLineEdit>(window, QStringLiteral("编辑框查找买"))->setText(text);
        child<QPushButton>(window, QStringLiteral("按钮查找"))->click();
    }
    int selectedRow(QTableView* view) {
        const auto rows = view->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
    }
    QString display(MainWindow& window) {
        return child<QLineEdit>(window, QStringLiteral("编辑框显示买"))->text();
    }
    void trigger(MainWindow& window, const QString& menu, const QString& item) {
        QMenu* popup = child<QMenu>(window, menu);
        QVERIFY(popup);
        QAction* action = popup->findChild<QAction*>(item);
        QVERIFY2(action, qPrintable(item));
        action->trigger();
        QCoreApplication::processEvents();
    }

  private slots:
    void init() {
        m_folder = std::make_unique<QTemporaryDir>();
        QVERIFY(m_folder->isValid());
        m_saveFailures.clear();
    }

    void controlHasNameAndCaption_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption");
        auto row = [](const char16_t* name, const char* kind, const char16_t* caption) {
            QTest::newRow(QString::fromUtf16(name).toUtf8().constData())
                << QString::fromLatin1(kind) << QString::fromUtf16(caption);
        };
        row(u"按钮访问", "QPushButton", u"访问");
        row(u"标签4", "QLabel", u"如果网页登不上去 直接点访问");
        row(u"编辑框1", "QLineEdit", u"");
        row(u"编辑框显示内容", "QLineEdit", u"");
        row(u"超文本浏览框1", "QWebEngineView", u"");
        row(u"超文本浏览框2", "QWebEngineView", u"");
        row(u"分组框1", "QGroupBox", u"");
        row(u"超级列表框_买订单", "QTableView", u"");
        row(u"标签5", "QLabel", u"开始时间");
        row(u"编辑框开始时间", "QLineEdit", u"");
        row(u"标签2", "QLabel", u"结束时间");
        row(u"编辑框结束时间", "QLineEdit", u"");
        row(u"选择框1", "QCheckBox", u"如果有阿里的打勾");
        row(u"按钮_取订单", "QPushButton", u"提取订单");
        row(u"按钮停止1", "QPushButton", u"停止提取");
        row(u"按钮_查询详情", "QPushButton", u"查询详情");
        row(u"按钮停止2", "QPushButton", u"停止查询");
        row(u"按钮_全部清空", "QPushButton", u"全部清空");
        row(u"按钮1导出到EXCEL", "QPushButton", u"导出到EXCEL");
        row(u"标签1", "QLabel", u"查找内容");
        row(u"编辑框查找买", "QLineEdit", u"");
        row(u"按钮查找", "QPushButton", u"查找上面订单");
        row(u"标签3", "QLabel", u"显示内容");
        row(u"编辑框显示买", "QLineEdit", u"");
        row(u"超级列表框_卖订单", "QTableView", u"");
        row(u"标签6", "QLabel", u"开始时间");
        row(u"编辑框开始时间1", "QLineEdit", u"");
        row(u"标签7", "QLabel", u"结束时间");
        row(u"编辑框结束时间1", "QLineEdit", u"");
        row(u"按钮_取订单1", "QPushButton", u"提取订单");
        row(u"按钮停止3", "QPushButton", u"停止提取");
        row(u"按钮_查询详情1", "QPushButton", u"查询详情");
        row(u"按钮停止4", "QPushButton", u"停止查询");
        row(u"按钮1批量发货2", "QPushButton", u"批量发货");
        row(u"按钮停止发货", "QPushButton", u"停止发货");
        row(u"按钮2清空订单", "QPushButton", u"清空全部订单");
        row(u"按钮1", "QPushButton", u"清空扫描列");
        row(u"通用对话框1", "QFileDialog", u"");
        row(u"编辑框文件地址", "QLineEdit", u"");
        row(u"导入", "QPushButton", u"导入订单");
        row(u"标签8", "QLabel", u"备用");
        row(u"卖家菜单", "QMenu", u"");
        row(u"买家菜单", "QMenu", u"");
        for (const char16_t* item : {u"标记为未发货", u"标记为已发货", u"删除全部", u"删除此条", u"手动发货",
                                     u"复制订单号", u"复制本订单快递单号", u"去除\"已操作\"",
                                     u"标记\"已操作\"", u"删除全部订单", u"删除本条订单", u"复制订单号码"})
            row(item, "QAction", item);
    }
    void controlHasNameAndCaption() {
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        auto window = makeWindow();
        const QString name = QString::fromUtf8(QTest::currentDataTag());
        const QList<QObject*> found = window->findChildren<QObject*>(name);
        QCOMPARE(found.size(), 1);
        QVERIFY2(found.first()->inherits(kind.toLatin1().constData()),
                 found.first()->metaObject()->className());
        if (!caption.isEmpty())
            QCOMPARE(found.first()->property("text").toString(), caption);
    }

    void windowTabsAndHiddenBrowser() {
        auto window = makeWindow();
        QCOMPARE(window->size(), QSize(1233, 695));
        auto* tabs = child<QTabWidget>(*window, QStringLiteral("选择夹1"));
        QVERIFY(tabs);
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), QStringLiteral("帐号登录"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("1.买家订单"));
        QCOMPARE(tabs->tabText(2), QStringLiteral("2.卖家订单"));
        QVERIFY(tabs->widget(0)->isAncestorOf(window->loginBrowser()));
        QCOMPARE(window->hiddenBrowser()->geometry(), QRect(943, 2, 8, 13));
        QVERIFY(!tabs->isAncestorOf(window->hiddenBrowser()));
        // The menus list their items in order.
        QStringList items;
        for (QAction* action : child<QMenu>(*window, QStringLiteral("卖家菜单"))->actions())
            items << action->text();
        QCOMPARE(items.join(u'|'),
                 QStringLiteral("标记为未发货|标记为已发货|删除全部|删除此条|手动发货|复制订单号"));
        items.clear();
        for (QAction* action : child<QMenu>(*window, QStringLiteral("买家菜单"))->actions())
            items << action->text();
        QCOMPARE(
            items.join(u'|'),
            QStringLiteral(
                "复制本订单快递单号|去除\"已操作\"|标记\"已操作\"|删除全部订单|删除本条订单|复制订单号码"));
    }

    void listsGrowWithTheWindow() {
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        child<QTabWidget>(*window, QStringLiteral("选择夹1"))->setCurrentIndex(1);
        QCoreApplication::processEvents();
        const QSize before = purchaseView(*window)->size();
        window->resize(1600, 900);
        QCoreApplication::processEvents();
        const QSize after = purchaseView(*window)->size();
        QVERIFY(after.width() > before.width() + 300);
        QVERIFY(after.height() > before.height() + 150);
    }

    void listColumns_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("captions");
        QTest::addColumn<QString>("widths");
        QTest::newRow("sales") << QStringLiteral("超级列表框_卖订单")
                               << QStringLiteral("NO|下单时间|订单号|商品标题|收件人|手机号|收货地址|"
                                                 "快递单号|快递公司|状态|发货成功否|已扫|留言")
                               << QStringLiteral("40,90,100,120,80,90,180,100,80,100,120,50,50");
        QTest::newRow("purchases") << QStringLiteral("超级列表框_买订单")
                                   << QStringLiteral("NO|下单时间|淘宝阿里单|订单号|商品标题|收件人|手机号|"
                                                     "收货地址|快递单号|快递公司|状态|||账户名")
                                   << QStringLiteral("40,80,80,130,125,80,100,150,100,80,50,50,50,50");
    }
    void listColumns() {
        QFETCH(QString, list);
        QFETCH(QString, captions);
        QFETCH(QString, widths);
        auto window = makeWindow();
        auto* view = child<QTableView>(*window, list);
        QStringList shownCaptions;
        QStringList shownWidths;
        for (int column = 0; column < view->model()->columnCount(); ++column) {
            shownCaptions << view->model()->headerData(column, Qt::Horizontal).toString();
            shownWidths << QString::number(view->columnWidth(column));
        }
        QCOMPARE(shownCaptions.join(u'|'), captions);
        QCOMPARE(shownWidths.join(u','), widths);
    }

    void startWithoutListFiles() {
        auto window = makeWindow();
        QCOMPARE(window->purchases().rowCount(), 0);
        QCOMPARE(window->sales().rowCount(), 0);
        QCOMPARE(purchaseView(*window)->model()->rowCount(), 0);
        QCOMPARE(window->findPosition(), 0);
        QCOMPARE(child<QLineEdit>(*window, QStringLiteral("编辑框1"))->text(),
                 QStringLiteral("https://myseller.taobao.com/seller_admin.htm?"));
        QCOMPARE(window->columnLetters().front(), std::string("a"));
        QCOMPARE(window->columnLetters()[25], std::string("z"));
    }

    void startLoadsBothListsAndRunsTheBrowserStep() {
        writeFile(listPath(*m_folder, kPurchaseListFile),
                  line({"1", "2024-05-01", utf8ToGbk("淘宝"), "P1", utf8ToGbk("连衣裙"), "", "", "", "", "",
                        "", "", "https://trace/1", "buyer"}) +
                      "\r\n" + line({"3", "2024-05-02", utf8ToGbk("阿里")}));
        writeFile(listPath(*m_folder, kSalesListFile),
                  line({"7", "2024-05-03", "S7", "", utf8ToGbk("李四")}));
        AppConfig config = windowConfig(*m_folder);
        int browserSteps = 0;
        int rowsAtBrowserStep = -1;
        config.startBrowsers = [&](MainWindow& window) {
            ++browserSteps;
            rowsAtBrowserStep = window.purchases().rowCount() + window.sales().rowCount();
        };
        MainWindow window(config);
        QCOMPARE(browserSteps, 1);
        QCOMPARE(rowsAtBrowserStep, 4); // the lists are loaded before the browsers start
        QCOMPARE(window.purchases().rowCount(), 3);
        QCOMPARE(window.sales().rowCount(), 1);
        auto* model = purchaseView(window)->model();
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->index(0, PurchaseColumn::Source).data().toString(), QStringLiteral("淘宝"));
        QCOMPARE(model->index(0, PurchaseColumn::TraceAddress).data().toString(),
                 QStringLiteral("https://trace/1"));
        QCOMPARE(model->index(1, PurchaseColumn::No).data().toString(), QString()); // the empty line
        QCOMPARE(salesView(window)->model()->index(0, SalesColumn::Recipient).data().toString(),
                 QStringLiteral("李四"));
    }

    void dateBoxes() {
        const QDateTime before = QDateTime::currentDateTime();
        auto window = makeWindow();
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
        QCOMPARE(child<QLineEdit>(*window, QStringLiteral("编辑框开始时间"))->text(), today);
        QCOMPARE(child<QLineEdit>(*window, QStringLiteral("编辑框结束时间"))->text(), today);
        const auto format = QStringLiteral("yyyy-MM-dd hh:mm:ss");
        const QDateTime start = QDateTime::fromString(
            child<QLineEdit>(*window, QStringLiteral("编辑框开始时间1"))->text(), format);
        const QDateTime end = QDateTime::fromString(
            child<QLineEdit>(*window, QStringLiteral("编辑框结束时间1"))->text(), format);
        QVERIFY(start.isValid() && end.isValid());
        QVERIFY(qAbs(end.secsTo(before)) <= 2);
        QCOMPARE(start.date(), end.date().addMonths(-1));
        QCOMPARE(start.time(), end.time());
    }

    void closeWritesBothFilesOnce() {
        auto window = makeWindow();
        window->sales().appendRows({{"1", "", "123"}});
        window->purchases().appendRows({{"1", "", utf8ToGbk("淘宝"), "P9"}});
        window->show();
        QVERIFY(window->close());
        std::string sales = "1" + kSep + kSep + "123";
        for (int i = 0; i < 11; ++i)
            sales += kSep;
        QCOMPARE(fileBytes(listPath(*m_folder, kSalesListFile)), QByteArray::fromStdString(sales + "\r\n"));
        QVERIFY(fileBytes(listPath(*m_folder, kPurchaseListFile))
                    .startsWith(QByteArray::fromStdString("1" + kSep + kSep + utf8ToGbk("淘宝"))));
        // The end has been saved; later changes (a job still writing) do not save again.
        window->sales().appendRow();
        window.reset();
        QCOMPARE(fileBytes(listPath(*m_folder, kSalesListFile)), QByteArray::fromStdString(sales + "\r\n"));
        QVERIFY(m_saveFailures.isEmpty());
    }

    void destroyingTheWindowSavesEmptyListsAsEmptyFiles() {
        makeWindow().reset();
        QVERIFY(QFile::exists(QString::fromStdString(listPath(*m_folder, kPurchaseListFile).string())));
        QCOMPARE(fileBytes(listPath(*m_folder, kSalesListFile)), QByteArray());
    }

    void failedSaveIsReportedPurchaseListFirst() {
        // A folder in the way of each file: neither list can be written.
        QVERIFY(QDir(m_folder->path()).mkdir(QString::fromUtf8(kPurchaseListFile)));
        QVERIFY(QDir(m_folder->path()).mkdir(QString::fromUtf8(kSalesListFile)));
        auto window = makeWindow();
        window->close();
        QCOMPARE(m_saveFailures.size(), 2);
        QVERIFY(m_saveFailures[0].contains(QString::fromUtf8(kPurchaseListFile)));
        QVERIFY(m_saveFailures[1].contains(QString::fromUtf8(kSalesListFile)));
    }

    void terminationSignalSavesBothLists() {
        TerminationWatcher watcher;
        QVERIFY(watcher.isActive());
        auto window = makeWindow();
        window->watchTermination(watcher);
        window->sales().appendRows({{"1", "", "S-TERM"}});
        window->purchases().appendRows({{"2", "", "", "P-TERM"}});
        std::raise(SIGTERM);
        QTRY_VERIFY(fileBytes(listPath(*m_folder, kSalesListFile)).contains("S-TERM"));
        QVERIFY(fileBytes(listPath(*m_folder, kPurchaseListFile)).contains("P-TERM"));
        // Saved once: closing afterwards writes nothing more.
        window->sales().setCell(0, SalesColumn::OrderNumber, "CHANGED");
        window->close();
        QVERIFY(!fileBytes(listPath(*m_folder, kSalesListFile)).contains("CHANGED"));
    }

    void findNext_data() {
        QTest::addColumn<int>("selectFirst"); // a row selected by hand before, or -1
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("hits"); // rows found by successive presses
        QTest::newRow("NO before other cells") << -1 << QStringLiteral("5") << QList<int>{4, 4};
        QTest::newRow("walks and wraps") << -1 << QStringLiteral("X") << QList<int>{2, 6, 2};
        QTest::newRow("row 0 only through the wrap") << -1 << QStringLiteral("first") << QList<int>{0, 0};
        QTest::newRow("NO ignores letter case") << -1 << QStringLiteral("A7") << QList<int>{10};
        QTest::newRow("after a manual selection") << 7 << QStringLiteral("R") << QList<int>{9, 3};
        QTest::newRow("part of a cell is no hit") << -1 << QStringLiteral("ORD10") << QList<int>{-1};
        QTest::newRow("a title in Chinese") << 8 << QStringLiteral("标题") << QList<int>{9};
    }
    void findNext() {
        QFETCH(int, selectFirst);
        QFETCH(QString, text);
        QFETCH(QList<int>, hits);
        auto window = makeWindow();
        fillPurchases(*window);
        QTableView* view = purchaseView(*window);
        if (selectFirst >= 0) {
            view->selectRow(selectFirst);
            QCOMPARE(window->findPosition(), selectFirst);
        }
        for (int hit : hits) {
            find(*window, text);
            QCOMPARE(window->findPosition(), hit);
            QCOMPARE(selectedRow(view), hit);
            QCOMPARE(display(*window), fromGbk(purchaseRowText(*window, hit)));
        }
        if (hits.last() < 0)
            QCOMPARE(display(*window), QString(8, u' '));
    }

    void selectingAPurchaseRowShowsIt() {
        auto window = makeWindow();
        fillPurchases(*window);
        purchaseView(*window)->selectRow(3);
        QCOMPARE(window->findPosition(), 3);
        QCOMPARE(display(*window), QStringLiteral("2024-05-04  ORD1003 标题 R    "));
    }

    void salesMenuCommands() {
        auto window = makeWindow();
        for (int row = 0; row < 5; ++row)
            window->sales().appendRows(
                {{std::to_string(row + 1), "", "S" + std::to_string(row), "", "", "", "",
                  "W" + std::to_string(row), utf8ToGbk("圆通"), "x", "", utf8ToGbk("已扫描")}});
        QCoreApplication::processEvents();
        QTableView* view = salesView(*window);
        const QString menu = QStringLiteral("卖家菜单");

        // Nothing selected: marks change nothing, a copy empties the clipboard.
        QGuiApplication::clipboard()->setText(QStringLiteral("old"));
        trigger(*window, menu, QStringLiteral("标记为已发货"));
        trigger(*window, menu, QStringLiteral("删除此条"));
        QCOMPARE(window->sales().rowCount(), 5);
        QCOMPARE(window->sales().cell(0, SalesColumn::Status), std::string("x"));
        trigger(*window, menu, QStringLiteral("复制订单号"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());

        // The right click selects the row under the pointer and opens the menu.
        const QPoint at = view->visualRect(view->model()->index(1, 2)).center();
        emit view->customContextMenuRequested(at);
        QCOMPARE(window->currentSalesRow(), 1);
        QTRY_VERIFY(child<QMenu>(*window, menu)->isVisible());
        child<QMenu>(*window, menu)->hide();

        trigger(*window, menu, QStringLiteral("标记为已发货"));
        QCOMPARE(fromGbk(window->sales().cell(1, SalesColumn::Status)), QStringLiteral("已发货"));
        QCOMPARE(view->model()->index(1, SalesColumn::Status).data().toString(), QStringLiteral("已发货"));
        trigger(*window, menu, QStringLiteral("标记为未发货"));
        for (int column : {SalesColumn::Status, SalesColumn::WaybillNumber, SalesColumn::Carrier})
            QCOMPARE(window->sales().cell(1, column), std::string());
        QCOMPARE(window->sales().cell(1, SalesColumn::OrderNumber), std::string("S1"));
        trigger(*window, menu, QStringLiteral("复制订单号"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("S1"));

        int shippedRow = -1;
        window->setManualShipping([&](MainWindow& w, RowId row) { shippedRow = w.sales().rowIndex(row); });
        trigger(*window, menu, QStringLiteral("手动发货"));
        QCOMPARE(shippedRow, 1);

        // Deleting the current row keeps the other rows' numbers.
        trigger(*window, menu, QStringLiteral("删除此条"));
        QCOMPARE(window->sales().rowCount(), 4);
        QCOMPARE(view->model()->rowCount(), 4);
        QStringList numbers;
        for (int row = 0; row < 4; ++row)
            numbers << QString::fromStdString(window->sales().cell(row, SalesColumn::No));
        QCOMPARE(numbers.join(u','), QStringLiteral("1,3,4,5"));

        child<QPushButton>(*window, QStringLiteral("按钮1"))->click();
        for (int row = 0; row < 4; ++row)
            QCOMPARE(window->sales().cell(row, SalesColumn::Scanned), std::string());
        QCOMPARE(window->sales().cell(2, SalesColumn::Carrier), utf8ToGbk("圆通"));

        trigger(*window, menu, QStringLiteral("删除全部"));
        QCOMPARE(window->sales().rowCount(), 0);
        QCOMPARE(view->model()->rowCount(), 0);
        window->sales().appendRows({{"1"}});
        child<QPushButton>(*window, QStringLiteral("按钮2清空订单"))->click();
        QCOMPARE(window->sales().rowCount(), 0);
    }

    void purchaseMenuCommands() {
        auto window = makeWindow();
        fillPurchases(*window);
        window->purchases().setCell(4, PurchaseColumn::WaybillNumber, utf8ToGbk("YT新123"));
        const QString menu = QStringLiteral("买家菜单");
        purchaseView(*window)->selectRow(4);

        trigger(*window, menu, QStringLiteral("复制本订单快递单号"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("YT新123"));
        trigger(*window, menu, QStringLiteral("复制订单号码"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("ORD1004"));
        trigger(*window, menu, QStringLiteral("标记\"已操作\""));
        QCOMPARE(fromGbk(window->purchases().cell(4, PurchaseColumn::Status)), QStringLiteral("已操作"));
        trigger(*window, menu, QStringLiteral("去除\"已操作\""));
        QCOMPARE(window->purchases().cell(4, PurchaseColumn::Status), std::string());
        trigger(*window, menu, QStringLiteral("删除本条订单"));
        QCOMPARE(window->purchases().rowCount(), 11);
        QCOMPARE(window->purchases().cell(4, PurchaseColumn::No), std::string("6"));
        trigger(*window, menu, QStringLiteral("删除全部订单"));
        QCOMPARE(window->purchases().rowCount(), 0);
        fillPurchases(*window);
        child<QPushButton>(*window, QStringLiteral("按钮_全部清空"))->click();
        QCOMPARE(purchaseView(*window)->model()->rowCount(), 0);
    }

    void screenshotsOfEachTab() {
        auto window = makeWindow();
        fillPurchases(*window);
        window->sales().appendRows(
            {{"1", "2024-05-01 10:00:00", "S1", utf8ToGbk("夏季连衣裙"), utf8ToGbk("张三"), "13800001234",
              utf8ToGbk("浙江省杭州市西湖区"), "", "", "", "", "", utf8ToGbk("尽快发货")}});
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        auto* tabs = child<QTabWidget>(*window, QStringLiteral("选择夹1"));
        // Captions are readable only when the window's font really has the Chinese glyphs
        // (without a CJK font they render as empty boxes).
        const QFontMetrics metrics(tabs->font());
        for (const QChar c : QStringLiteral("帐号登录买家订单卖家提取查询"))
            QVERIFY2(metrics.inFont(c), qPrintable(QString(c)));
        const QString outDir = qEnvironmentVariable("DROPSHIP_SCREENSHOT_DIR");
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            const QImage image = window->grab().toImage();
            QCOMPARE(image.size(), window->size() * window->devicePixelRatio());
            if (!outDir.isEmpty())
                QVERIFY(image.save(QDir(outDir).filePath(QStringLiteral("tab%1.png").arg(tab))));
        }
    }

  private:
    std::string purchaseRowText(MainWindow& window, int row) {
        std::string text;
        for (int column = 1; column <= 8; ++column)
            text += window.purchases().cell(row, column) + " ";
        return text;
    }
};

} // namespace dropship

DROPSHIP_WINDOW_TEST_MAIN(dropship::MainWindowTest)
#include "main_window_test.moc"
