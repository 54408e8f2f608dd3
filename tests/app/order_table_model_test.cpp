// The list view adapter: mirrors the row store, takes changes from any thread and applies them on
// the window's thread in batches; checked under QAbstractItemModelTester throughout.

#include "app/order_table_model.h"
#include "web/gbk.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <thread>

namespace dropship {

class OrderTableModelTest : public QObject {
    Q_OBJECT

    std::shared_ptr<OrderList> m_list;
    std::unique_ptr<OrderTableModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;

    void attach() {
        m_model = std::make_unique<OrderTableModel>(
            m_list, QStringList{QStringLiteral("NO"), QStringLiteral("订单号"), QStringLiteral("收件人")});
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    void flush() { QCoreApplication::processEvents(); }
    QString shown(int row, int column) { return m_model->data(m_model->index(row, column)).toString(); }

  private slots:
    void init() { m_list = std::make_shared<OrderList>(3); }
    void cleanup() {
        m_tester.reset();
        m_model.reset();
    }

    void showsRowsPresentAtAttachAndGbkAsChinese() {
        m_list->appendRows({{"1", "A100", utf8ToGbk("张三")}, {"2", "A200", ""}});
        attach();
        QCOMPARE(m_model->rowCount(), 2);
        QCOMPARE(m_model->columnCount(), 3);
        QCOMPARE(shown(0, 2), QStringLiteral("张三"));
        QCOMPARE(shown(1, 1), QStringLiteral("A200"));
        QCOMPARE(m_model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("订单号"));
    }

    void changesWaitForTheEventLoopAndComeInOneBatch() {
        attach();
        QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
        for (int i = 0; i < 500; ++i) {
            const auto row = m_list->appendRow();
            m_list->setCell(row.id, 0, std::to_string(row.index + 1));
        }
        QCOMPARE(m_model->rowCount(), 0); // nothing applied outside the event loop
        flush();
        QCOMPARE(m_model->rowCount(), 500);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(changed.count(), 0); // rows written in the turn they were added need no repaint of their own
        QCOMPARE(shown(499, 0), QStringLiteral("500"));

        m_list->setCell(10, 1, "X");
        m_list->setCell(20, 2, "Y");
        flush();
        QCOMPARE(changed.count(), 1);
        const auto topLeft = changed.first().at(0).value<QModelIndex>();
        const auto bottomRight = changed.first().at(1).value<QModelIndex>();
        QVERIFY(topLeft.row() <= 10 && bottomRight.row() >= 20);
        QVERIFY(topLeft.column() <= 1 && bottomRight.column() >= 2);
    }

    void removalsAndClearFollowTheList() {
        m_list->appendRows({{"1"}, {"2"}, {"3"}, {"4"}});
        attach();
        const RowId third = m_list->rowId(2);
        m_list->removeRow(1);
        m_list->removeRow(0);
        flush();
        QCOMPARE(m_model->rowCount(), 2);
        QCOMPARE(shown(0, 0), QStringLiteral("3"));
        QCOMPARE(m_model->viewRowOf(third), 0);
        QCOMPARE(m_model->rowIdAt(0), third);
        QCOMPARE(m_model->rowIdAt(5), RowId{0});

        // Rows appended and the list emptied in the same turn leave an empty view.
        m_list->appendRow();
        m_list->clear();
        m_list->appendRows({{"9"}});
        flush();
        QCOMPARE(m_model->rowCount(), 1);
        QCOMPARE(shown(0, 0), QStringLiteral("9"));
        QCOMPARE(m_model->viewRowOf(third), -1);
    }

    void changesFromOtherThreadsArriveInOrder() {
        attach();
        std::thread writer([list = m_list] {
            for (int i = 0; i < 2000; ++i) {
                const auto row = list->appendRow();
                list->setCell(row.id, 1, "N" + std::to_string(i));
                if (i % 100 == 99)
                    list->removeRow(0);
            }
        });
        while (m_model->rowCount() < 1980 || m_list->rowCount() != m_model->rowCount()) {
            QCoreApplication::processEvents();
            if (!writer.joinable())
                break;
            if (m_list->rowCount() == 1980 && m_model->rowCount() == 1980)
                break;
        }
        writer.join();
        flush();
        QCOMPARE(m_model->rowCount(), 1980);
        QCOMPARE(m_list->rowCount(), 1980);
        for (int row : {0, 990, 1979})
            QCOMPARE(shown(row, 1), QString::fromStdString(m_list->cell(row, 1)));
    }

    void detachesFromTheListWhenDestroyed() {
        attach();
        cleanup();
        m_list->appendRow(); // no observer left to call
        flush();
        QCOMPARE(m_list->rowCount(), 1);
    }
};

} // namespace dropship

QTEST_MAIN(dropship::OrderTableModelTest)
#include "order_table_model_test.moc"
