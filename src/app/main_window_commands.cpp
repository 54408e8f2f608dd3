// The list maintenance commands: find, the row shown on the purchase tab, the popup menus, the
// mark, delete and copy commands. All run on the window's thread. They address rows by the row
// ids of the view, so a job appending or writing at the same time cannot make them hit another row.

#include "app/list_commands.h"
#include "app/main_window.h"
#include "app/order_table_model.h"
#include "model/order_columns.h"
#include "web/gbk.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QUrl>
#include <QWebEngineView>

namespace dropship {

namespace {

QString fromGbk(const std::string& gbkText) {
    return QString::fromStdString(gbkToUtf8(gbkText));
}

int selectedViewRow(const QTableView* view) {
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

} // namespace

void MainWindow::wireCommands() {
    connect(m_ui.visit, &QPushButton::clicked, this,
            [this] { m_ui.loginBrowser->setUrl(QUrl(m_ui.address->text())); });
    connect(m_ui.find, &QPushButton::clicked, this, &MainWindow::findNextPurchase);
    connect(m_ui.purchaseView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::showSelectedPurchase);
    connect(m_ui.purchaseView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { popUpMenu(m_ui.purchaseView, m_ui.purchaseMenu, position); });
    connect(m_ui.salesView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { popUpMenu(m_ui.salesView, m_ui.salesMenu, position); });
    connect(m_ui.purchaseClear, &QPushButton::clicked, this,
            [this] { deleteAllRows(*m_purchaseModel, *m_purchases); });
    connect(m_ui.salesClear, &QPushButton::clicked, this, [this] { deleteAllRows(*m_salesModel, *m_sales); });
    connect(m_ui.clearScanned, &QPushButton::clicked, this, &MainWindow::clearScanColumn);
    connect(m_ui.exportExcel, &QPushButton::clicked, this, [this] {
        if (m_exportCommand)
            m_exportCommand(*this);
    });
    connect(m_ui.importOrders, &QPushButton::clicked, this, [this] {
        if (m_importCommand)
            m_importCommand(*this);
    });

    auto onItem = [](QMenu* menu, const char16_t* item, auto action) {
        QObject::connect(menu->findChild<QAction*>(QString::fromUtf16(item)), &QAction::triggered, menu,
                         action);
    };
    QTableView* sales = m_ui.salesView;
    QTableView* purchases = m_ui.purchaseView;
    onItem(m_ui.salesMenu, u"标记为未发货", [=, this] {
        setCurrentCells(
            sales, *m_salesModel, *m_sales,
            {{SalesColumn::Status, ""}, {SalesColumn::WaybillNumber, ""}, {SalesColumn::Carrier, ""}});
    });
    onItem(m_ui.salesMenu, u"标记为已发货", [=, this] {
        setCurrentCells(sales, *m_salesModel, *m_sales, {{SalesColumn::Status, utf8ToGbk("已发货")}});
    });
    onItem(m_ui.salesMenu, u"删除全部", [this] { deleteAllRows(*m_salesModel, *m_sales); });
    onItem(m_ui.salesMenu, u"删除此条", [=, this] { deleteCurrentRow(sales, *m_salesModel, *m_sales); });
    onItem(m_ui.salesMenu, u"手动发货", [=, this] {
        if (m_manualShipping)
            m_manualShipping(*this, currentRowId(sales, *m_salesModel));
    });
    onItem(m_ui.salesMenu, u"复制订单号",
           [=, this] { copyCurrentCell(sales, *m_salesModel, *m_sales, SalesColumn::OrderNumber); });
    onItem(m_ui.purchaseMenu, u"复制本订单快递单号", [=, this] {
        copyCurrentCell(purchases, *m_purchaseModel, *m_purchases, PurchaseColumn::WaybillNumber);
    });
    onItem(m_ui.purchaseMenu, u"去除\"已操作\"", [=, this] {
        setCurrentCells(purchases, *m_purchaseModel, *m_purchases, {{PurchaseColumn::Status, ""}});
    });
    onItem(m_ui.purchaseMenu, u"标记\"已操作\"", [=, this] {
        setCurrentCells(purchases, *m_purchaseModel, *m_purchases,
                        {{PurchaseColumn::Status, utf8ToGbk("已操作")}});
    });
    onItem(m_ui.purchaseMenu, u"删除全部订单", [this] { deleteAllRows(*m_purchaseModel, *m_purchases); });
    onItem(m_ui.purchaseMenu, u"删除本条订单",
           [=, this] { deleteCurrentRow(purchases, *m_purchaseModel, *m_purchases); });
    onItem(m_ui.purchaseMenu, u"复制订单号码", [=, this] {
        copyCurrentCell(purchases, *m_purchaseModel, *m_purchases, PurchaseColumn::OrderNumber);
    });
}

int MainWindow::currentPurchaseRow() const {
    return m_purchases->rowIndex(currentRowId(m_ui.purchaseView, *m_purchaseModel));
}

int MainWindow::currentSalesRow() const {
    return m_sales->rowIndex(currentRowId(m_ui.salesView, *m_salesModel));
}

RowId MainWindow::currentRowId(QTableView* view, const OrderTableModel& model) const {
    return model.rowIdAt(selectedViewRow(view));
}

void MainWindow::findNextPurchase() {
    m_ui.purchaseDisplay->clear();
    const std::string text = utf8ToGbk(m_ui.findText->text().toStdString());
    const int found = findNextPurchaseRow(*m_purchases, text, m_findPosition);
    m_findPosition = found;
    m_ui.purchaseDisplay->setText(fromGbk(purchaseRowDisplay(*m_purchases, found)));

    // The search ran on the list itself; bring the view up to date before selecting in it.
    m_purchaseModel->flushChanges();
    const int viewRow = m_purchaseModel->viewRowOf(m_purchases->rowId(found));
    QTableView* view = m_ui.purchaseView;
    if (viewRow >= 0) {
        view->selectRow(viewRow);
        view->scrollTo(m_purchaseModel->index(viewRow, 0));
    } else {
        view->clearSelection();
    }
    view->setFocus();
}

void MainWindow::showSelectedPurchase() {
    m_ui.purchaseDisplay->clear();
    m_findPosition = currentPurchaseRow();
    m_ui.purchaseDisplay->setText(fromGbk(purchaseRowDisplay(*m_purchases, m_findPosition)));
}

void MainWindow::popUpMenu(QTableView* view, QMenu* menu, const QPoint& position) {
    // As in a report list, the right click first selects the row under the pointer.
    const QModelIndex under = view->indexAt(position);
    if (under.isValid())
        view->selectRow(under.row());
    menu->popup(view->viewport()->mapToGlobal(position));
}

void MainWindow::setCurrentCells(QTableView* view, OrderTableModel& model, OrderList& list,
                                 std::initializer_list<std::pair<int, std::string>> cells) {
    const RowId row = currentRowId(view, model);
    if (row == 0)
        return;
    for (const auto& [column, text] : cells)
        list.setCell(row, column, text);
    model.flushChanges();
}

void MainWindow::copyCurrentCell(QTableView* view, OrderTableModel& model, OrderList& list, int column) {
    const RowId row = currentRowId(view, model);
    QGuiApplication::clipboard()->setText(row == 0 ? QString() : fromGbk(list.cell(row, column)));
}

void MainWindow::deleteCurrentRow(QTableView* view, OrderTableModel& model, OrderList& list) {
    // Only the window deletes rows, so the index looked up here is still the row's index below.
    const int index = list.rowIndex(currentRowId(view, model));
    if (index < 0)
        return;
    list.removeRow(index);
    model.flushChanges();
}

void MainWindow::deleteAllRows(OrderTableModel& model, OrderList& list) {
    list.clear();
    model.flushChanges();
}

void MainWindow::clearScanColumn() {
    const int rows = m_sales->rowCount();
    for (int row = 0; row < rows; ++row)
        m_sales->setCell(row, SalesColumn::Scanned, std::string());
    m_salesModel->flushChanges();
}

} // namespace dropship
