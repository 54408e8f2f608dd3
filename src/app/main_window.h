#pragma once
// The single window of the program: the login, purchase and sales tabs, the two order lists,
// the job buttons and the list commands. It owns the two lists; the jobs share them.

#include "app/app_config.h"
#include "app/jobs/job_context.h"
#include "model/order_list.h"

#include <QWidget>
#include <array>
#include <memory>
#include <string>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTableView;
class QWebEngineView;

namespace dropship {

class GuiPoster;
class JobController;
class OrderTableModel;
class TerminationWatcher;
class WindowNotices;

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    explicit MainWindow(AppConfig config, QWidget* parent = nullptr);
    ~MainWindow() override;

    const AppConfig& config() const { return m_config; }
    OrderList& purchases() { return *m_purchases; }
    OrderList& sales() { return *m_sales; }
    OrderTableModel& purchaseModel() { return *m_purchaseModel; }
    OrderTableModel& salesModel() { return *m_salesModel; }
    Notices& notices();
    QWebEngineView* loginBrowser() const { return m_ui.loginBrowser; }
    QWebEngineView* hiddenBrowser() const { return m_ui.hiddenBrowser; }

    // The routine a start button runs; until one is set, the button does nothing.
    void setJobRoutine(JobKind kind, JobRoutine routine);
    JobController& jobs() { return *m_jobs; }
    // Commands whose work lives elsewhere: manual shipping of a sales row, spreadsheet import
    // and export. Until set, they do nothing.
    void setManualShipping(std::function<void(MainWindow&, RowId salesRow)> command);
    void setImportCommand(std::function<void(MainWindow&)> command);
    void setExportCommand(std::function<void(MainWindow&)> command);

    // The lower-case letters "a" to "z" that name spreadsheet columns.
    const std::array<std::string, 26>& columnLetters() const { return m_columnLetters; }
    int findPosition() const { return m_findPosition; }
    int currentPurchaseRow() const; // index of the selected purchase row, -1 when none
    int currentSalesRow() const;

    // The save at the end of the program: both lists, purchase list first, once however the
    // program ends (window closed, quit, termination signal). A file that cannot be written is
    // reported to the user.
    void saveListsOnce();
    // Saves when a signal asks the process to end, then quits the application.
    void watchTermination(TerminationWatcher& watcher);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    struct Controls {
        QTabWidget* tabs = nullptr;
        QWebEngineView* loginBrowser = nullptr;
        QWebEngineView* hiddenBrowser = nullptr;
        QLineEdit* address = nullptr;
        QPushButton* visit = nullptr;
        QLineEdit* manualShippingDisplay = nullptr;
        QTableView* purchaseView = nullptr;
        QLineEdit* purchaseStart = nullptr;
        QLineEdit* purchaseEnd = nullptr;
        QCheckBox* includeWholesale = nullptr;
        QPushButton* purchaseFetch = nullptr;
        QPushButton* purchaseFetchStop = nullptr;
        QPushButton* purchaseDetails = nullptr;
        QPushButton* purchaseDetailsStop = nullptr;
        QPushButton* purchaseClear = nullptr;
        QPushButton* exportExcel = nullptr;
        QLineEdit* findText = nullptr;
        QPushButton* find = nullptr;
        QLineEdit* purchaseDisplay = nullptr;
        QTableView* salesView = nullptr;
        QLineEdit* salesStart = nullptr;
        QLineEdit* salesEnd = nullptr;
        QPushButton* salesFetch = nullptr;
        QPushButton* salesFetchStop = nullptr;
        QPushButton* addressQuery = nullptr;
        QPushButton* addressQueryStop = nullptr;
        QPushButton* batchShip = nullptr;
        QPushButton* batchShipStop = nullptr;
        QPushButton* salesClear = nullptr;
        QPushButton* clearScanned = nullptr;
        QLineEdit* importFile = nullptr;
        QPushButton* importOrders = nullptr;
        QMenu* salesMenu = nullptr;
        QMenu* purchaseMenu = nullptr;
    };

    // main_window_layout.cpp
    void buildControls();
    QWidget* buildLoginTab();
    QWidget* buildPurchaseTab();
    QWidget* buildSalesTab();
    void buildMenus();
    // main_window.cpp
    void wireJobs();
    void startUp();
    void fillDateBoxes();
    void openLoginPage();
    void saveLists();
    // main_window_commands.cpp
    void wireCommands();
    void findNextPurchase();
    void showSelectedPurchase();
    void popUpMenu(QTableView* view, QMenu* menu, const QPoint& position);
    RowId currentRowId(QTableView* view, const OrderTableModel& model) const;
    void setCurrentCells(QTableView* view, OrderTableModel& model, OrderList& list,
                         std::initializer_list<std::pair<int, std::string>> cells);
    void copyCurrentCell(QTableView* view, OrderTableModel& model, OrderList& list, int column);
    void deleteCurrentRow(QTableView* view, OrderTableModel& model, OrderList& list);
    void deleteAllRows(OrderTableModel& model, OrderList& list);
    void clearScanColumn();

    AppConfig m_config;
    std::shared_ptr<OrderList> m_purchases;
    std::shared_ptr<OrderList> m_sales;
    OrderTableModel* m_purchaseModel = nullptr;
    OrderTableModel* m_salesModel = nullptr;
    std::shared_ptr<GuiPoster> m_poster;
    std::shared_ptr<WindowNotices> m_notices;
    std::unique_ptr<JobController> m_jobs;
    Controls m_ui;
    std::function<void(MainWindow&, RowId)> m_manualShipping;
    std::function<void(MainWindow&)> m_importCommand;
    std::function<void(MainWindow&)> m_exportCommand;
    std::array<std::string, 26> m_columnLetters;
    int m_findPosition = 0;
    bool m_listsSaved = false;
};

} // namespace dropship
