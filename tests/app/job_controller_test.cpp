// The job buttons: which button is enabled when, the closing notices, stops that end a job
// promptly and leave nothing changed after them, jobs side by side, and rows deleted under a job.

#include "app/job_controller.h"
#include "app/window_notices.h"
#include "app_test_support.h"
#include "model/order_columns.h"

#include <QAction>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <atomic>
#include <latch>
#include <thread>

namespace dropship {

using namespace test;
using namespace std::chrono_literals;

namespace {

struct JobButtons {
    JobKind kind;
    const char16_t* start;
    const char16_t* stop;
};

constexpr JobButtons kJobs[] = {
    {JobKind::PurchaseFetch, u"按钮_取订单", u"按钮停止1"},
    {JobKind::PurchaseDetails, u"按钮_查询详情", u"按钮停止2"},
    {JobKind::SalesFetch, u"按钮_取订单1", u"按钮停止3"},
    {JobKind::AddressQuery, u"按钮_查询详情1", u"按钮停止4"},
    {JobKind::BatchShipping, u"按钮1批量发货2", u"按钮停止发货"},
};

// A job that writes "before" into sales row 0, pauses an hour of job time (3.6 s at the tests'
// pacing) and then tries everything a job does at its end.
JobRoutine pausingJob(std::atomic<bool>& paused) {
    return [&paused](JobContext& job) {
        job.gate().run([&] { job.sales().setCell(0, SalesColumn::Status, "before"); });
        paused = true;
        job.wait(1h);
        job.gate().run([&] { job.sales().setCell(0, SalesColumn::Message, "after"); });
        job.information("late");
        job.enableStartButton();
    };
}

// One row per job, named after the given button.
void addJobRows(const char16_t* JobButtons::*button) {
    QTest::addColumn<int>("job");
    for (int job = 0; job < kJobKindCount; ++job)
        QTest::newRow(QString::fromUtf16(kJobs[job].*button).toUtf8().constData()) << job;
}

} // namespace

class JobControllerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<MainWindow> m_window;

    QPushButton* button(const char16_t* name) {
        return child<QPushButton>(*m_window, QString::fromUtf16(name));
    }
    QPushButton* start(JobKind kind) { return button(kJobs[static_cast<int>(kind)].start); }
    QPushButton* stop(JobKind kind) { return button(kJobs[static_cast<int>(kind)].stop); }
    // Lets queued work reach the window for a moment, so that what has not happened is seen not
    // to happen.
    void settle() { QTest::qWait(100); }

  private slots:
    void init() {
        m_folder = std::make_unique<QTemporaryDir>();
        m_window = std::make_unique<MainWindow>(windowConfig(*m_folder));
        m_window->sales().appendRows({{"1", "", "S1"}, {"2", "", "S2"}, {"3", "", "S3"}, {"4", "", "S4"}});
        m_window->show();
        QCoreApplication::processEvents(); // the rows reach the views
    }
    void cleanup() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (qobject_cast<QMessageBox*>(widget))
                widget->close();
        m_window.reset();
    }

    void startWithoutRoutineDoesNothing_data() { addJobRows(&JobButtons::start); }
    void startWithoutRoutineDoesNothing() {
        QFETCH(int, job);
        const auto kind = static_cast<JobKind>(job);
        start(kind)->click();
        QVERIFY(start(kind)->isEnabled());
        QCOMPARE(m_window->jobs().liveThreads(), 0);
    }

    void normalEndShowsTheNoticeThenEnablesTheButton() {
        m_window->setJobRoutine(JobKind::PurchaseDetails, [](JobContext& job) {
            job.gate().run([&] { job.sales().setCell(1, SalesColumn::Status, utf8ToGbk("已查")); });
            job.wait(600ms);
            job.information(utf8ToGbk("查询完毕！"));
            job.enableStartButton();
        });
        start(JobKind::PurchaseDetails)->click();
        QVERIFY(!start(JobKind::PurchaseDetails)->isEnabled());
        QTRY_VERIFY(openBox(WindowNotices::informationBoxName()));
        QMessageBox* box = openBox(WindowNotices::informationBoxName());
        QCOMPARE(box->text(), QStringLiteral("查询完毕！"));
        QCOMPARE(box->windowTitle(), QStringLiteral("信息："));
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        QCOMPARE(box->windowModality(), Qt::NonModal);
        QVERIFY(QApplication::activeModalWidget() == nullptr); // the window stays usable
        QCOMPARE(fromGbk(m_window->sales().cell(1, SalesColumn::Status)), QStringLiteral("已查"));
        settle();
        QVERIFY(!start(JobKind::PurchaseDetails)->isEnabled()); // until the notice is closed
        box->button(QMessageBox::Ok)->click();
        QTRY_VERIFY(start(JobKind::PurchaseDetails)->isEnabled());
        QTRY_COMPARE(m_window->jobs().liveThreads(), 0);
    }

    void stopInTheMiddleOfAWait_data() { addJobRows(&JobButtons::stop); }
    void stopInTheMiddleOfAWait() {
        QFETCH(int, job);
        const auto kind = static_cast<JobKind>(job);
        std::atomic<bool> paused = false;
        m_window->setJobRoutine(kind, pausingJob(paused));
        start(kind)->click();
        QVERIFY(!start(kind)->isEnabled());
        QTRY_VERIFY(paused.load());
        QVERIFY(m_window->jobs().isRunning(kind));

        QElapsedTimer sinceStop;
        sinceStop.start();
        stop(kind)->click();
        QVERIFY(start(kind)->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->jobs().isRunning(kind), 1000);
        QVERIFY(sinceStop.elapsed() < 1000);
        settle();
        QCOMPARE(m_window->sales().cell(0, SalesColumn::Status), std::string("before"));
        QCOMPARE(m_window->sales().cell(0, SalesColumn::Message), std::string()); // nothing after the stop
        QVERIFY(!openBox(WindowNotices::informationBoxName()));
        QVERIFY(start(kind)->isEnabled());
        QTRY_COMPARE(m_window->jobs().liveThreads(), 0);
    }

    void stopWithNothingRunningOnlyEnablesTheButton() {
        QPushButton* fetch = start(JobKind::SalesFetch);
        fetch->setEnabled(false);
        stop(JobKind::SalesFetch)->click();
        QVERIFY(fetch->isEnabled());
        QPushButton* ship = start(JobKind::BatchShipping);
        ship->setEnabled(false);
        stop(JobKind::BatchShipping)->click();
        QVERIFY(ship->isEnabled());
        QCOMPARE(m_window->jobs().liveThreads(), 0);
    }

    void stopClosesTheOpenNotice() {
        m_window->setJobRoutine(JobKind::AddressQuery, [](JobContext& job) {
            job.information(utf8ToGbk("查询完毕"));
            job.enableStartButton();
        });
        start(JobKind::AddressQuery)->click();
        QTRY_VERIFY(openBox(WindowNotices::informationBoxName()));
        stop(JobKind::AddressQuery)->click();
        QTRY_VERIFY(!openBox(WindowNotices::informationBoxName()));
        QTRY_VERIFY(!m_window->jobs().isRunning(JobKind::AddressQuery));
        QVERIFY(start(JobKind::AddressQuery)->isEnabled());
    }

    void salesFetchEndsWithAWindowModalReminderAndItsButton() {
        m_window->setJobRoutine(JobKind::SalesFetch, [](JobContext& job) {
            job.gate().run([&] { job.sales().appendRows({{"5", "", job.inputs().startTime}}); });
            job.reminder(utf8ToGbk("提取完成"));
        });
        const QString startText = child<QLineEdit>(*m_window, QStringLiteral("编辑框开始时间1"))->text();
        start(JobKind::SalesFetch)->click();
        QVERIFY(!start(JobKind::SalesFetch)->isEnabled());
        QTRY_VERIFY(openBox(WindowNotices::reminderBoxName()));
        QMessageBox* box = openBox(WindowNotices::reminderBoxName());
        QCOMPARE(box->windowTitle(), QStringLiteral("友情提醒"));
        QCOMPARE(box->icon(), QMessageBox::Information);
        QCOMPARE(box->windowModality(), Qt::WindowModal);
        QCOMPARE(box->parentWidget(), m_window.get());
        QCOMPARE(QString::fromStdString(m_window->sales().cell(4, 2)),
                 startText); // the date box, read at start
        settle();
        QVERIFY(!start(JobKind::SalesFetch)->isEnabled());
        box->button(QMessageBox::Ok)->click();
        QTRY_VERIFY(start(JobKind::SalesFetch)->isEnabled());
    }

    void batchShippingEnablesItsButtonBeforeTheLastNotice() {
        m_window->setJobRoutine(JobKind::BatchShipping, [](JobContext& job) {
            job.information(utf8ToGbk("没有匹配订单"));
            job.enableStartButton();
            job.information(utf8ToGbk("发货完成"));
        });
        start(JobKind::BatchShipping)->click();
        QVERIFY(!start(JobKind::BatchShipping)->isEnabled());
        QTRY_VERIFY(openBox(WindowNotices::informationBoxName()));
        QCOMPARE(openBox(WindowNotices::informationBoxName())->text(), QStringLiteral("没有匹配订单"));
        openBox(WindowNotices::informationBoxName())->button(QMessageBox::Ok)->click();
        QTRY_VERIFY(start(JobKind::BatchShipping)->isEnabled());
        QTRY_VERIFY(openBox(WindowNotices::informationBoxName()));
        QCOMPARE(openBox(WindowNotices::informationBoxName())->text(), QStringLiteral("发货完成"));
        openBox(WindowNotices::informationBoxName())->button(QMessageBox::Ok)->click();
        QTRY_COMPARE(m_window->jobs().liveThreads(), 0);
    }

    void jobThatStopsItselfShowsNothingMore() {
        m_window->setJobRoutine(JobKind::BatchShipping, [](JobContext& job) {
            job.enableStartButton();
            job.stopSelf(); // the captcha case, once its reminder is answered
            job.gate().run([&] { job.sales().setCell(0, SalesColumn::Scanned, "x"); });
            job.information(utf8ToGbk("发货完成"));
        });
        start(JobKind::BatchShipping)->click();
        QTRY_VERIFY(!m_window->jobs().isRunning(JobKind::BatchShipping));
        settle();
        QVERIFY(!openBox(WindowNotices::informationBoxName()));
        QCOMPARE(m_window->sales().cell(0, SalesColumn::Scanned), std::string());
    }

    void twoJobsAtOnce() {
        std::atomic<bool> detailsPaused = false;
        m_window->setJobRoutine(JobKind::PurchaseDetails, pausingJob(detailsPaused));
        std::latch release(1);
        m_window->setJobRoutine(JobKind::AddressQuery, [&release](JobContext& job) {
            release.wait();
            job.gate().run([&] { job.sales().setCell(2, SalesColumn::Recipient, "R"); });
            job.setClipboardText(utf8ToGbk("收件人"));
            job.information(utf8ToGbk("查询完毕"));
            job.enableStartButton();
        });
        start(JobKind::PurchaseDetails)->click();
        start(JobKind::AddressQuery)->click();
        QTRY_VERIFY(detailsPaused.load());
        QVERIFY(!start(JobKind::PurchaseDetails)->isEnabled());
        QVERIFY(!start(JobKind::AddressQuery)->isEnabled());
        QCOMPARE(m_window->jobs().liveThreads(), 2);

        stop(JobKind::PurchaseDetails)->click();
        release.count_down();
        QTRY_VERIFY(openBox(WindowNotices::informationBoxName()));
        QCOMPARE(m_window->sales().cell(2, SalesColumn::Recipient), std::string("R"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("收件人"));
        QVERIFY(!start(JobKind::AddressQuery)->isEnabled());
        openBox(WindowNotices::informationBoxName())->button(QMessageBox::Ok)->click();
        QTRY_VERIFY(start(JobKind::AddressQuery)->isEnabled());
        QTRY_COMPARE(m_window->jobs().liveThreads(), 0);
        QCOMPARE(m_window->sales().cell(0, SalesColumn::Message), std::string());
    }

    // The clipboard write is queued to the window's thread; a stop that is pressed before the
    // window gets to it must cancel it, like every other effect of a stopped job.
    void clipboardWriteQueuedBeforeAStopIsDropped() {
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        std::atomic<bool> written = false;
        m_window->setJobRoutine(JobKind::SalesFetch, [&written](JobContext& job) {
            job.setClipboardText(utf8ToGbk("申请结果"));
            written = true;
            job.wait(1h);
        });
        start(JobKind::SalesFetch)->click();
        // No events are processed here, so the queued write is still waiting.
        for (int i = 0; i < 500 && !written; ++i)
            std::this_thread::sleep_for(2ms);
        QVERIFY(written.load());
        stop(JobKind::SalesFetch)->click();
        QTRY_VERIFY(!m_window->jobs().isRunning(JobKind::SalesFetch));
        settle();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    }

    void restartWhileTheOldThreadWindsDown() {
        std::atomic<int> runs = 0;
        m_window->setJobRoutine(JobKind::PurchaseFetch, [&runs](JobContext& job) {
            const int run = ++runs;
            while (!job.stopRequested() && run == 1)
                std::this_thread::sleep_for(5ms);
            if (run == 1)
                std::this_thread::sleep_for(300ms); // a request that cannot be cut short
            job.gate().run([&] { job.purchases().appendRows({{std::to_string(run)}}); });
        });
        start(JobKind::PurchaseFetch)->click();
        QTRY_COMPARE(runs.load(), 1);
        stop(JobKind::PurchaseFetch)->click();
        QElapsedTimer click;
        click.start();
        start(JobKind::PurchaseFetch)->click();
        QVERIFY(click.elapsed() < 100); // the old thread is not waited for
        QTRY_COMPARE(runs.load(), 2);
        QTRY_COMPARE(m_window->jobs().liveThreads(), 0);
        QCOMPARE(m_window->purchases().rowCount(), 1);
        QCOMPARE(m_window->purchases().cell(0, 0), std::string("2"));
        // Neither run enabled the button, and the controller leaves that to the job itself.
        QVERIFY(!start(JobKind::PurchaseFetch)->isEnabled());
    }

    void rowDeletedUnderARunningJob() {
        std::latch read(1);
        std::latch release(1);
        m_window->setJobRoutine(JobKind::AddressQuery, [&](JobContext& job) {
            const RowId row = job.sales().rowId(2); // the job reads its input from row "S3"
            read.count_down();
            release.wait();
            job.gate().run([&] { job.sales().setCell(row, SalesColumn::Recipient, utf8ToGbk("王五")); });
        });
        start(JobKind::AddressQuery)->click();
        read.wait();
        auto* view = child<QTableView>(*m_window, QStringLiteral("超级列表框_卖订单"));
        view->selectRow(0);
        child<QMenu>(*m_window, QStringLiteral("卖家菜单"))
            ->findChild<QAction*>(QStringLiteral("删除此条"))
            ->trigger();
        release.count_down();
        QTRY_VERIFY(!m_window->jobs().isRunning(JobKind::AddressQuery));
        QCOMPARE(m_window->sales().rowCount(), 3);
        QCOMPARE(m_window->sales().cell(1, SalesColumn::OrderNumber), std::string("S3"));
        QCOMPARE(fromGbk(m_window->sales().cell(1, SalesColumn::Recipient)), QStringLiteral("王五"));
        QCOMPARE(m_window->sales().cell(2, SalesColumn::Recipient), std::string());
        QTRY_COMPARE(view->model()->index(1, SalesColumn::Recipient).data().toString(),
                     QStringLiteral("王五"));
    }

    void closingTheWindowEndsAJobWaitingOnANotice() {
        std::atomic<bool> returned = false;
        m_window->setJobRoutine(JobKind::PurchaseFetch, [&returned](JobContext& job) {
            job.information(utf8ToGbk("提取单号完毕！"));
            returned = true;
        });
        start(JobKind::PurchaseFetch)->click();
        QTRY_VERIFY(openBox(WindowNotices::informationBoxName()));
        QElapsedTimer closing;
        closing.start();
        m_window.reset();
        QVERIFY(returned.load());
        QVERIFY(closing.elapsed() < 1000);
    }
};

} // namespace dropship

DROPSHIP_WINDOW_TEST_MAIN(dropship::JobControllerTest)
#include "job_controller_test.moc"
