#include "model/order_columns.h"
#include "model/order_list.h"

#include <gtest/gtest.h>

namespace dropship {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows threeRows() {
    return {{"1", "a"}, {"2", "b"}, {"3", "c"}};
}

// Records every change the list reports.
struct Recorder {
    std::vector<ListChange> changes;
    void attach(OrderList& list) {
        list.setObserver([this](const ListChange& change) { changes.push_back(change); });
    }
};

bool sameChange(const ListChange& a, const ListChange& b) {
    return a.kind == b.kind && a.row == b.row && a.index == b.index && a.count == b.count &&
           a.column == b.column;
}

TEST(OrderList, AppendsReadsWritesAndRemoves) {
    OrderList list(SalesColumn::Count);
    EXPECT_EQ(list.columnCount(), 13);
    EXPECT_EQ(list.rowCount(), 0);
    const OrderList::Appended first = list.appendRow();
    const OrderList::Appended second = list.appendRow();
    EXPECT_EQ(first.index, 0);
    EXPECT_EQ(second.index, 1);
    EXPECT_NE(first.id, 0u);
    EXPECT_LT(first.id, second.id);
    EXPECT_EQ(list.rowCount(), 2);
    EXPECT_EQ(list.rowCells(1), std::vector<std::string>(13));

    list.setCell(1, SalesColumn::OrderNumber, "123");
    list.setCell(second.id, SalesColumn::Recipient, "\xD5\xC5\xC8\xFD");
    EXPECT_EQ(list.cell(1, SalesColumn::OrderNumber), "123");
    EXPECT_EQ(list.cell(second.id, SalesColumn::OrderNumber), "123");
    EXPECT_EQ(list.cell(1, SalesColumn::Recipient), "\xD5\xC5\xC8\xFD");

    list.removeRow(0);
    EXPECT_EQ(list.rowCount(), 1);
    EXPECT_EQ(list.cell(0, SalesColumn::OrderNumber), "123");
    list.clear();
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_TRUE(list.snapshot().empty());
}

TEST(OrderList, AppendRowsPadsShortRowsAndDropsExtraCells) {
    OrderList list(3);
    list.appendRows({{"a"}, {"b", "c", "d", "e"}, {}});
    EXPECT_EQ(list.snapshot(), (Rows{{"a", "", ""}, {"b", "c", "d"}, {"", "", ""}}));
}

TEST(OrderList, CellWritesOfOtherLengthsKeepNeighbours) {
    OrderList list(4);
    list.appendRows({{"one", "two", "three", "four"}});
    list.setCell(0, 1, std::string(300, 'x')); // grows the row
    list.setCell(0, 2, "");                    // shrinks it
    list.setCell(0, 0, "\xB0\xA1");
    EXPECT_EQ(list.rowCells(0), (std::vector<std::string>{"\xB0\xA1", std::string(300, 'x'), "", "four"}));
    list.setCell(0, 1, "y");
    EXPECT_EQ(list.rowCells(0), (std::vector<std::string>{"\xB0\xA1", "y", "", "four"}));
}

// Out-of-range reads give the empty text; out-of-range writes and deletes change nothing and
// report nothing.
struct OutOfRangeCase {
    const char* name;
    int row;
    int column;
};

class OrderListOutOfRange : public testing::TestWithParam<OutOfRangeCase> {};

TEST_P(OrderListOutOfRange, ReadsEmptyAndChangesNothing) {
    const OutOfRangeCase& c = GetParam();
    OrderList list(2);
    list.appendRows(threeRows());
    Recorder recorder;
    recorder.attach(list);

    EXPECT_EQ(list.cell(c.row, c.column), "");
    list.setCell(c.row, c.column, "x");
    EXPECT_EQ(list.snapshot(), threeRows());
    if (c.column >= 0 && c.column < 2) { // a bad row with a good column
        EXPECT_EQ(list.rowId(c.row), 0u);
        EXPECT_TRUE(list.rowCells(c.row).empty());
        list.removeRow(c.row);
        EXPECT_EQ(list.snapshot(), threeRows());
    }
    EXPECT_TRUE(recorder.changes.empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, OrderListOutOfRange,
                         testing::Values(OutOfRangeCase{"NoSelection", -1, 0},
                                         OutOfRangeCase{"PastEnd", 3, 1},
                                         OutOfRangeCase{"FarNegative", -100, 1},
                                         OutOfRangeCase{"NegativeColumn", 0, -1},
                                         OutOfRangeCase{"ColumnPastEnd", 1, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OrderList, OutOfRangeOnAnEmptyList) {
    OrderList list(2);
    EXPECT_EQ(list.cell(0, 0), "");
    list.setCell(0, 0, "x");
    list.removeRow(0);
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(list.rowIndex(RowId{1}), -1);
    EXPECT_EQ(list.cell(RowId{1}, 0), "");
}

TEST(OrderList, DeletingRowThreeOfFiveKeepsTheOtherOrdinals) {
    OrderList list(PurchaseColumn::Count);
    for (int n = 1; n <= 5; ++n) {
        const auto appended = list.appendRow();
        list.setCell(appended.id, PurchaseColumn::No, std::to_string(appended.index + 1));
    }
    list.removeRow(2);
    std::vector<std::string> ordinals;
    for (int row = 0; row < list.rowCount(); ++row)
        ordinals.push_back(list.cell(row, PurchaseColumn::No));
    EXPECT_EQ(ordinals, (std::vector<std::string>{"1", "2", "4", "5"}));
}

TEST(OrderList, RowIdFollowsItsRowAcrossDeletionsBeforeIt) {
    OrderList list(2);
    list.appendRows({{"r0"}, {"r1"}, {"r2"}, {"r3"}, {"r4"}});
    const RowId job = list.rowId(3); // a job read its input from row 3
    list.removeRow(0);
    list.removeRow(0);
    EXPECT_EQ(list.rowIndex(job), 1);
    EXPECT_EQ(list.cell(job, 0), "r3");
    list.setCell(job, 1, "result");
    EXPECT_EQ(list.snapshot(), (Rows{{"r2", ""}, {"r3", "result"}, {"r4", ""}}));
    list.removeRow(2); // a deletion after the row changes nothing for it
    EXPECT_EQ(list.rowIndex(job), 1);
}

TEST(OrderList, WritesIntoADeletedRowAreDropped) {
    OrderList list(2);
    list.appendRows(threeRows());
    const RowId removed = list.rowId(1);
    const RowId cleared = list.rowId(2);
    list.removeRow(1);
    Recorder recorder;
    recorder.attach(list);
    list.setCell(removed, 1, "late");
    EXPECT_EQ(list.rowIndex(removed), -1);
    EXPECT_EQ(list.cell(removed, 0), "");
    EXPECT_EQ(list.snapshot(), (Rows{{"1", "a"}, {"3", "c"}}));
    EXPECT_TRUE(recorder.changes.empty());

    // Ids are never used again, so a job's id cannot land in a row appended after a clear.
    list.clear();
    list.appendRows(threeRows());
    list.setCell(cleared, 1, "late");
    EXPECT_EQ(list.rowIndex(cleared), -1);
    EXPECT_EQ(list.snapshot(), threeRows());
}

TEST(OrderList, ReportsEveryChangeInOrder) {
    OrderList list(3);
    Recorder recorder;
    recorder.attach(list);
    using K = ListChange::Kind;

    const auto first = list.appendRow();
    list.appendRows({{"a"}, {"b"}, {"c"}});
    list.setCell(2, 1, "x");
    list.setCell(2, 1, "x"); // the same text again is no change
    list.removeRow(0);
    list.appendRows({}); // nothing appended, nothing reported
    list.clear();

    const std::vector<ListChange> expected{
        {K::Appended, first.id, 0, 1},
        {K::Appended, first.id + 1, 1, 3},
        {K::CellChanged, first.id + 2, 2, 0, 1},
        {K::Removed, first.id, 0},
        {K::Cleared},
    };
    ASSERT_EQ(recorder.changes.size(), expected.size());
    for (std::size_t n = 0; n < expected.size(); ++n)
        EXPECT_TRUE(sameChange(recorder.changes[n], expected[n])) << "change " << n;
}

TEST(OrderList, ForEachRowVisitsRowsInOrder) {
    OrderList list(2);
    list.appendRows(threeRows());
    std::vector<std::string> seen;
    list.forEachRow([&seen](const PackedRow& row) { seen.emplace_back(row.cell(1)); });
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "c"}));
}

struct FindCase {
    const char* name;
    int fromRow;
    int firstColumn;
    int lastColumn;
    const char* text;
    int expected;
};

class OrderListFind : public testing::TestWithParam<FindCase> {};

TEST_P(OrderListFind, FindsTheFirstMatchingRowFromTheStart) {
    const FindCase& c = GetParam();
    OrderList list(3);
    list.appendRows({{"1", "5", "x"}, {"5", "y", "z"}, {"6", "x", "5"}});
    const std::string wanted = c.text;
    EXPECT_EQ(list.findRow(c.fromRow, c.firstColumn, c.lastColumn,
                           [&wanted](std::string_view cell) { return cell == wanted; }),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, OrderListFind,
                         testing::Values(FindCase{"OrdinalColumnOnly", 0, 0, 0, "5", 1},
                                         FindCase{"OtherColumns", 0, 1, 2, "5", 0},
                                         FindCase{"FromLaterRow", 1, 1, 2, "5", 2},
                                         FindCase{"NothingAfterStart", 3, 0, 2, "5", -1},
                                         FindCase{"NegativeStartCountsAsZero", -1, 1, 1, "5", 0},
                                         FindCase{"ColumnsClampedToTheList", 0, -4, 9, "z", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace dropship

namespace dropship {
namespace {

TEST(OrderList, AppendRowWithCellsNumbersTheRowInTheSameStep) {
    OrderList list(4);
    list.appendRow();
    std::vector<ListChange> changes;
    list.setObserver([&](const ListChange& change) { changes.push_back(change); });
    const std::vector<std::string_view> cells{"ignored", "a", "", "d", "dropped"};
    const OrderList::Appended row = list.appendRow(cells, 0);
    EXPECT_EQ(row.index, 1);
    EXPECT_EQ(list.rowCells(1), (std::vector<std::string>{"2", "a", "", "d"}));
    ASSERT_EQ(changes.size(), 1u); // one Appended change, no separate cell writes
    EXPECT_EQ(changes[0].kind, ListChange::Kind::Appended);
    EXPECT_EQ(changes[0].row, row.id);
    // Without an ordinal column the cells stand as given.
    list.appendRow(std::vector<std::string_view>{"x"});
    EXPECT_EQ(list.cell(2, 0), "x");
}

} // namespace
} // namespace dropship
