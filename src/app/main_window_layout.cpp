// The controls of the main window: names and captions as the user and the saved habits know
// them, laid out so that the lists and the login page grow with the window.

#include "app/main_window.h"
#include "app/order_table_model.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace dropship {

namespace {

template <class Widget> Widget* named(Widget* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

QPushButton* button(const QString& name, const QString& caption) {
    return named(new QPushButton(caption), name);
}

QLabel* label(const QString& name, const QString& caption) {
    return named(new QLabel(caption), name);
}

QLineEdit* edit(const QString& name) {
    return named(new QLineEdit, name);
}

struct ColumnLayout {
    const char16_t* caption;
    int width;
};

constexpr ColumnLayout kPurchaseColumns[] = {
    {u"NO", 40},     {u"下单时间", 80}, {u"淘宝阿里单", 80}, {u"订单号", 130},   {u"商品标题", 125},
    {u"收件人", 80}, {u"手机号", 100},  {u"收货地址", 150},  {u"快递单号", 100}, {u"快递公司", 80},
    {u"状态", 50},   {u"", 50},         {u"", 50},           {u"账户名", 50}};

constexpr ColumnLayout kSalesColumns[] = {
    {u"NO", 40},          {u"下单时间", 90},  {u"订单号", 100},   {u"商品标题", 120}, {u"收件人", 80},
    {u"手机号", 90},      {u"收货地址", 180}, {u"快递单号", 100}, {u"快递公司", 80},  {u"状态", 100},
    {u"发货成功否", 120}, {u"已扫", 50},      {u"留言", 50}};

template <std::size_t N> QStringList captionsOf(const ColumnLayout (&columns)[N]) {
    QStringList captions;
    for (const ColumnLayout& column : columns)
        captions << QString::fromUtf16(column.caption);
    return captions;
}

// A report list: whole rows selected one at a time, fixed row height (so 100,000 rows scroll as
// cheaply as 100), no in-place editing, the popup menu on a right click.
template <std::size_t N>
QTableView* reportList(const QString& name, OrderTableModel* model, const ColumnLayout (&columns)[N]) {
    auto* view = named(new QTableView, name);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->setWordWrap(false);
    view->setShowGrid(false);
    view->setAlternatingRowColors(true);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setHighlightSections(false);
    view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (std::size_t column = 0; column < N; ++column)
        view->setColumnWidth(static_cast<int>(column), columns[column].width);
    return view;
}

} // namespace

void MainWindow::buildControls() {
    setWindowTitle(QStringLiteral("淘宝代发货助手"));
    resize(1233, 695);

    m_purchaseModel = new OrderTableModel(m_purchases, captionsOf(kPurchaseColumns), this);
    m_salesModel = new OrderTableModel(m_sales, captionsOf(kSalesColumns), this);

    m_ui.tabs = named(new QTabWidget, QStringLiteral("选择夹1"));
    m_ui.tabs->addTab(buildLoginTab(), QStringLiteral("帐号登录"));
    m_ui.tabs->addTab(buildPurchaseTab(), QStringLiteral("1.买家订单"));
    m_ui.tabs->addTab(buildSalesTab(), QStringLiteral("2.卖家订单"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 16, 9, 5);
    layout->addWidget(m_ui.tabs);

    // The shipping browser: a page the program drives, kept too small to be seen, outside the
    // layout and behind the tabs.
    m_ui.hiddenBrowser = named(new QWebEngineView(this), QStringLiteral("超文本浏览框2"));
    m_ui.hiddenBrowser->setGeometry(943, 2, 8, 13);
    m_ui.hiddenBrowser->lower();

    buildMenus();
}

QWidget* MainWindow::buildLoginTab() {
    auto* tab = new QWidget;
    m_ui.address = edit(QStringLiteral("编辑框1"));
    m_ui.visit = button(QStringLiteral("按钮访问"), QStringLiteral("访问"));
    m_ui.manualShippingDisplay = edit(QStringLiteral("编辑框显示内容"));
    m_ui.manualShippingDisplay->setVisible(false); // manual shipping shows it
    m_ui.loginBrowser = named(new QWebEngineView, QStringLiteral("超文本浏览框1"));

    auto* bar = new QHBoxLayout;
    bar->addWidget(m_ui.address, 3);
    bar->addWidget(m_ui.visit);
    bar->addWidget(label(QStringLiteral("标签4"), QStringLiteral("如果网页登不上去 直接点访问")));
    bar->addWidget(m_ui.manualShippingDisplay, 2);
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(bar);
    layout->addWidget(m_ui.loginBrowser, 1);
    return tab;
}

QWidget* MainWindow::buildPurchaseTab() {
    auto* tab = new QWidget;
    m_ui.purchaseView = reportList(QStringLiteral("超级列表框_买订单"), m_purchaseModel, kPurchaseColumns);
    m_ui.purchaseStart = edit(QStringLiteral("编辑框开始时间"));
    m_ui.purchaseEnd = edit(QStringLiteral("编辑框结束时间"));
    m_ui.includeWholesale =
        named(new QCheckBox(QStringLiteral("如果有阿里的打勾")), QStringLiteral("选择框1"));
    m_ui.purchaseFetch = button(QStringLiteral("按钮_取订单"), QStringLiteral("提取订单"));
    m_ui.purchaseFetchStop = button(QStringLiteral("按钮停止1"), QStringLiteral("停止提取"));
    m_ui.purchaseDetails = button(QStringLiteral("按钮_查询详情"), QStringLiteral("查询详情"));
    m_ui.purchaseDetailsStop = button(QStringLiteral("按钮停止2"), QStringLiteral("停止查询"));
    m_ui.purchaseClear = button(QStringLiteral("按钮_全部清空"), QStringLiteral("全部清空"));
    m_ui.exportExcel = button(QStringLiteral("按钮1导出到EXCEL"), QStringLiteral("导出到EXCEL"));
    m_ui.findText = edit(QStringLiteral("编辑框查找买"));
    m_ui.find = button(QStringLiteral("按钮查找"), QStringLiteral("查找上面订单"));
    m_ui.purchaseDisplay = edit(QStringLiteral("编辑框显示买"));
    m_ui.purchaseDisplay->setReadOnly(true);

    auto* group = named(new QGroupBox, QStringLiteral("分组框1"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(label(QStringLiteral("标签5"), QStringLiteral("开始时间")), 0, 0);
    grid->addWidget(m_ui.purchaseStart, 0, 1);
    grid->addWidget(label(QStringLiteral("标签2"), QStringLiteral("结束时间")), 0, 2);
    grid->addWidget(m_ui.purchaseEnd, 0, 3);
    grid->addWidget(m_ui.includeWholesale, 0, 4);
    grid->addWidget(m_ui.purchaseFetch, 0, 5);
    grid->addWidget(m_ui.purchaseFetchStop, 0, 6);
    grid->addWidget(m_ui.purchaseDetails, 0, 7);
    grid->addWidget(m_ui.purchaseDetailsStop, 0, 8);
    grid->addWidget(m_ui.purchaseClear, 0, 9);
    grid->addWidget(m_ui.exportExcel, 0, 10);
    grid->addWidget(label(QStringLiteral("标签1"), QStringLiteral("查找内容")), 1, 0);
    grid->addWidget(m_ui.findText, 1, 1, 1, 3);
    grid->addWidget(m_ui.find, 1, 4);
    grid->addWidget(label(QStringLiteral("标签3"), QStringLiteral("显示内容")), 1, 5);
    grid->addWidget(m_ui.purchaseDisplay, 1, 6, 1, 5);

    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(group);
    layout->addWidget(m_ui.purchaseView, 1);
    return tab;
}

QWidget* MainWindow::buildSalesTab() {
    auto* tab = new QWidget;
    m_ui.salesView = reportList(QStringLiteral("超级列表框_卖订单"), m_salesModel, kSalesColumns);
    m_ui.salesStart = edit(QStringLiteral("编辑框开始时间1"));
    m_ui.salesEnd = edit(QStringLiteral("编辑框结束时间1"));
    for (QLineEdit* box : {m_ui.salesStart, m_ui.salesEnd}) // room for a whole date and time
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00:00")) +
                             16);
    m_ui.salesFetch = button(QStringLiteral("按钮_取订单1"), QStringLiteral("提取订单"));
    m_ui.salesFetchStop = button(QStringLiteral("按钮停止3"), QStringLiteral("停止提取"));
    m_ui.addressQuery = button(QStringLiteral("按钮_查询详情1"), QStringLiteral("查询详情"));
    m_ui.addressQueryStop = button(QStringLiteral("按钮停止4"), QStringLiteral("停止查询"));
    m_ui.batchShip = button(QStringLiteral("按钮1批量发货2"), QStringLiteral("批量发货"));
    m_ui.batchShipStop = button(QStringLiteral("按钮停止发货"), QStringLiteral("停止发货"));
    m_ui.salesClear = button(QStringLiteral("按钮2清空订单"), QStringLiteral("清空全部订单"));
    m_ui.clearScanned = button(QStringLiteral("按钮1"), QStringLiteral("清空扫描列"));
    m_ui.importFile = edit(QStringLiteral("编辑框文件地址"));
    m_ui.importOrders = button(QStringLiteral("导入"), QStringLiteral("导入订单"));
    // The import's file picker; the import shows it.
    auto* picker = named(new QFileDialog(this), QStringLiteral("通用对话框1"));
    picker->setFileMode(QFileDialog::ExistingFile);

    auto* top = new QHBoxLayout;
    top->addWidget(label(QStringLiteral("标签6"), QStringLiteral("开始时间")));
    top->addWidget(m_ui.salesStart);
    top->addWidget(label(QStringLiteral("标签7"), QStringLiteral("结束时间")));
    top->addWidget(m_ui.salesEnd);
    for (QPushButton* each : {m_ui.salesFetch, m_ui.salesFetchStop, m_ui.addressQuery, m_ui.addressQueryStop,
                              m_ui.batchShip, m_ui.batchShipStop})
        top->addWidget(each);
    top->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_ui.salesClear);
    bottom->addWidget(m_ui.clearScanned);
    bottom->addWidget(m_ui.importFile, 1);
    bottom->addWidget(m_ui.importOrders);
    bottom->addWidget(label(QStringLiteral("标签8"), QStringLiteral("备用")));

    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(top);
    layout->addWidget(m_ui.salesView, 1);
    layout->addLayout(bottom);
    return tab;
}

void MainWindow::buildMenus() {
    auto makeMenu = [this](const QString& name, std::initializer_list<const char16_t*> items) {
        auto* menu = named(new QMenu(this), name);
        for (const char16_t* item : items) {
            const QString text = QString::fromUtf16(item);
            named(menu->addAction(text), text);
        }
        return menu;
    };
    m_ui.salesMenu = makeMenu(QStringLiteral("卖家菜单"), {u"标记为未发货", u"标记为已发货", u"删除全部",
                                                           u"删除此条", u"手动发货", u"复制订单号"});
    m_ui.purchaseMenu =
        makeMenu(QStringLiteral("买家菜单"), {u"复制本订单快递单号", u"去除\"已操作\"", u"标记\"已操作\"",
                                              u"删除全部订单", u"删除本条订单", u"复制订单号码"});
}

} // namespace dropship
