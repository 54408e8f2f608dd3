#include "app/main_window.h"

#include "app/gui_poster.h"
#include "app/job_controller.h"
#include "app/jobs/scaled_pacer.h"
#include "app/order_table_model.h"
#include "app/termination_watcher.h"
#include "app/window_notices.h"
#include "model/list_file.h"
#include "model/order_columns.h"
#include "web/date_time_text.h"
#include "web/gbk.h"
#include "web/text_ops.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSessionManager>
#include <QUrl>
#include <QWebEngineView>

namespace dropship {

namespace {

QString fromGbk(const std::string& gbkText) {
    return QString::fromStdString(gbkToUtf8(gbkText));
}
std::string toGbk(const QString& text) {
    return utf8ToGbk(text.toStdString());
}

} // namespace

MainWindow::MainWindow(AppConfig config, QWidget* parent)
    : QWidget(parent), m_config(std::move(config)),
      m_purchases(std::make_shared<OrderList>(PurchaseColumn::Count)),
      m_sales(std::make_shared<OrderList>(SalesColumn::Count)), m_poster(std::make_shared<GuiPoster>(this)),
      m_notices(std::make_shared<WindowNotices>(m_poster)) {
    buildControls();
    m_jobs = std::make_unique<JobController>(
        m_poster, m_notices, std::make_shared<ScaledPacer>(m_config.pacingScale), m_purchases, m_sales);
    wireJobs();
    wireCommands();
    connect(qApp, &QCoreApplication::aboutToQuit, this, &MainWindow::saveListsOnce);
    // The desktop session is ending: save now, in case the session does not let us reach quit. Not
    // the final save: the user may cancel the logout and go on working.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { saveLists(); });
    startUp();
}

MainWindow::~MainWindow() {
    saveListsOnce();
    // From here no job reaches the window; the jobs are stopped and let go.
    m_poster->detach();
    m_jobs.reset();
}

Notices& MainWindow::notices() {
    return *m_notices;
}

void MainWindow::setJobRoutine(JobKind kind, JobRoutine routine) {
    m_jobs->setRoutine(kind, std::move(routine));
}

void MainWindow::setManualShipping(std::function<void(MainWindow&, RowId)> command) {
    m_manualShipping = std::move(command);
}

void MainWindow::setImportCommand(std::function<void(MainWindow&)> command) {
    m_importCommand = std::move(command);
}

void MainWindow::setExportCommand(std::function<void(MainWindow&)> command) {
    m_exportCommand = std::move(command);
}

void MainWindow::wireJobs() {
    struct Wiring {
        JobKind kind;
        QPushButton* start;
        QPushButton* stop;
    };
    for (const Wiring& job :
         {Wiring{JobKind::PurchaseFetch, m_ui.purchaseFetch, m_ui.purchaseFetchStop},
          Wiring{JobKind::PurchaseDetails, m_ui.purchaseDetails, m_ui.purchaseDetailsStop},
          Wiring{JobKind::SalesFetch, m_ui.salesFetch, m_ui.salesFetchStop},
          Wiring{JobKind::AddressQuery, m_ui.addressQuery, m_ui.addressQueryStop},
          Wiring{JobKind::BatchShipping, m_ui.batchShip, m_ui.batchShipStop}}) {
        m_jobs->setButtons(job.kind, job.start, job.stop);
        connect(job.start, &QPushButton::clicked, this, [this, kind = job.kind] { m_jobs->start(kind); });
        connect(job.stop, &QPushButton::clicked, this, [this, kind = job.kind] { m_jobs->stop(kind); });
    }
    // The date boxes are read when the job starts; a job never touches a widget.
    m_jobs->setInputs(JobKind::PurchaseFetch, [this] {
        return JobInputs{toGbk(m_ui.purchaseStart->text()), toGbk(m_ui.purchaseEnd->text()),
                         m_ui.includeWholesale->isChecked()};
    });
    m_jobs->setInputs(JobKind::SalesFetch, [this] {
        return JobInputs{toGbk(m_ui.salesStart->text()), toGbk(m_ui.salesEnd->text()), false};
    });
}

void MainWindow::startUp() {
    loadList(*m_purchases, m_config.workingFolder / kPurchaseListFile);
    loadList(*m_sales, m_config.workingFolder / kSalesListFile);
    m_purchaseModel->flushChanges();
    m_salesModel->flushChanges();
    fillDateBoxes();
    for (std::size_t letter = 0; letter < m_columnLetters.size(); ++letter)
        m_columnLetters[letter] = std::string(1, static_cast<char>('a' + letter));
    m_ui.address->setText(QString::fromStdString(m_config.endpoints.sellerWorkbench) +
                          QStringLiteral("/seller_admin.htm?"));
    if (m_config.startBrowsers)
        m_config.startBrowsers(*this);
    else if (m_config.openWebPages)
        openLoginPage();
}

void MainWindow::fillDateBoxes() {
    const DateTime now = currentDateTime();
    const QString today = fromGbk(trimBlanks(dateTimeText(now, 1, 1)));
    m_ui.purchaseStart->setText(today);
    m_ui.purchaseEnd->setText(today);
    m_ui.salesStart->setText(fromGbk(dateTimeText(addCalendarMonths(now, -1), 1, 0)));
    m_ui.salesEnd->setText(fromGbk(dateTimeText(now, 1, 0)));
}

void MainWindow::openLoginPage() {
    m_ui.loginBrowser->setUrl(QUrl(QString::fromStdString(m_config.endpoints.sellerWorkbench) +
                                   QStringLiteral("/seller_admin.htm?spm=a1z02.1.1997525073.1.u1CG8T")));
}

void MainWindow::saveListsOnce() {
    if (m_listsSaved)
        return;
    m_listsSaved = true;
    saveLists();
}

void MainWindow::saveLists() {
    QStringList failures;
    for (const auto& [list, name] :
         {std::pair{m_purchases.get(), kPurchaseListFile}, std::pair{m_sales.get(), kSalesListFile}}) {
        const std::filesystem::path file = m_config.workingFolder / name;
        const SaveResult result = saveList(*list, file);
        if (!result.ok)
            failures << QStringLiteral("订单没有保存到 %1：%2")
                            .arg(QString::fromStdString(file.string()), QString::fromStdString(result.error));
    }
    for (const QString& failure : failures) {
        // Also on the standard error stream: at a session's end nobody may be left to read a box.
        qWarning("%s", qUtf8Printable(failure));
        if (m_config.reportSaveFailure)
            m_config.reportSaveFailure(failure);
        else
            QMessageBox::warning(nullptr, QStringLiteral("保存失败"), failure);
    }
}

void MainWindow::watchTermination(TerminationWatcher& watcher) {
    connect(&watcher, &TerminationWatcher::terminationRequested, this, [this] {
        saveListsOnce();
        QCoreApplication::quit();
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    saveListsOnce();
    event->accept();
}

} // namespace dropship
