#pragma once
// The row store behind one order list. All working data of the program lives in two of these.
//
// Shared by the window and up to five background jobs: every operation is atomic (one mutex), and
// each row has a stable RowId, so a job that read its input from a row writes its results into
// that same row even after the user deleted rows before it; writes into a deleted row are
// dropped. Cells hold GBK bytes. Index-based reads of a row that does not exist give the empty
// text; index-based writes and deletes of such a row do nothing.

#include "model/packed_row.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dropship {

using RowId = std::uint64_t; // 0 never names a row

// What happened to a list, reported to its observer in the order the changes were made.
struct ListChange {
    enum class Kind { Appended, Removed, CellChanged, Cleared };
    Kind kind;
    RowId row = 0;   // Appended: the first new row (ids of one append are consecutive);
                     // Removed / CellChanged: the row
    int index = -1;  // Appended: index of the first new row; Removed: index it had;
                     // CellChanged: the row's index
    int count = 0;   // Appended: number of rows
    int column = -1; // CellChanged: the column
};

// Rows gathered for one appendRows() call, each packed as it is added, so that a loader does not
// allocate a string per cell.
class RowBatch {
  public:
    explicit RowBatch(int columnCount) : m_columnCount(columnCount) {}
    void reserve(std::size_t rows) { m_rows.reserve(rows); }
    // Cells beyond the column count are dropped; missing cells are empty.
    void add(std::span<const std::string_view> cells) { m_rows.emplace_back(cells, m_columnCount); }
    std::size_t size() const { return m_rows.size(); }

  private:
    friend class OrderList;
    int m_columnCount;
    std::vector<PackedRow> m_rows;
};

class OrderList {
  public:
    explicit OrderList(int columnCount);
    ~OrderList();
    OrderList(const OrderList&) = delete;
    OrderList& operator=(const OrderList&) = delete;

    int rowCount() const;
    int columnCount() const { return m_columnCount; }

    struct Appended {
        int index; // index of the new row; index + 1 is the row count right after the append
        RowId id;
    };
    Appended appendRow();
    // Appends one row with its cells in one step. With ordinalColumn >= 0 that cell receives the
    // row count right after the append (the 1-based ordinal), so a fetch job's whole record,
    // numbering included, is one atomic change.
    Appended appendRow(std::span<const std::string_view> cells, int ordinalColumn = -1);
    // Appends rows whose cells are given (missing cells stay empty, extra cells are dropped).
    void appendRows(std::vector<std::vector<std::string>> rows);
    void appendRows(RowBatch batch); // reported as one Appended change, like the overload above

    std::string cell(int row, int column) const;
    void setCell(int row, int column, std::string text);
    void removeRow(int row);
    void clear();

    RowId rowId(int row) const;   // 0 when the row does not exist
    int rowIndex(RowId id) const; // -1 when the row was deleted
    std::string cell(RowId row, int column) const;
    void setCell(RowId row, int column, std::string text);
    std::vector<std::string> rowCells(int row) const; // empty vector when the row does not exist
    std::vector<std::vector<std::string>> snapshot() const;

    // Calls visit for every row in order, the list locked throughout: one consistent view of a
    // whole list without copying its cells. visit must not call back into the list.
    void forEachRow(const std::function<void(const PackedRow&)>& visit) const;
    // Index of the first row at or after fromRow (a negative fromRow counts as 0) in which one of
    // the columns firstColumn..lastColumn holds a text that matches; -1 when there is none.
    // matches runs with the list locked.
    int findRow(int fromRow, int firstColumn, int lastColumn,
                const std::function<bool(std::string_view)>& matches) const;

    // The observer runs with the list locked, on the thread that made the change, in the order of
    // the changes; it must be quick and must not call back into the list.
    using Observer = std::function<void(const ListChange&)>;
    void setObserver(Observer observer);

  private:
    // ... implementation detail chosen by the implementer
    const int m_columnCount;
    struct Impl;
    std::unique_ptr<Impl> m_impl; // guarded by its own mutex
};

} // namespace dropship
