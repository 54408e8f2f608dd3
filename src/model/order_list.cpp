#include "model/order_list.h"

#include <algorithm>
#include <utility>

namespace dropship {

struct OrderList::Impl {
    struct Row {
        RowId id;
        PackedRow cells;
    };

    mutable std::mutex mutex;
    std::vector<Row> rows; // ids increase with the index: rows are only appended at the end
    RowId nextId = 1;
    Observer observer;

    bool validIndex(int row) const { return row >= 0 && static_cast<std::size_t>(row) < rows.size(); }

    int indexOf(RowId id) const {
        const auto found = std::lower_bound(rows.begin(), rows.end(), id,
                                            [](const Row& row, RowId wanted) { return row.id < wanted; });
        if (found == rows.end() || found->id != id)
            return -1;
        return static_cast<int>(found - rows.begin());
    }

    void notify(const ListChange& change) const {
        if (observer)
            observer(change);
    }

    void append(std::vector<PackedRow> packed) {
        if (packed.empty())
            return;
        const RowId first = nextId;
        const int index = static_cast<int>(rows.size());
        // No exact reserve here: push_back's geometric growth keeps one-row appends amortised O(1).
        for (PackedRow& cells : packed)
            rows.push_back(Row{nextId++, std::move(cells)});
        notify({ListChange::Kind::Appended, first, index, static_cast<int>(packed.size())});
    }

    void write(int index, int column, std::string_view text) {
        PackedRow& cells = rows[static_cast<std::size_t>(index)].cells;
        if (column < 0 || column >= cells.columnCount() || cells.cell(column) == text)
            return;
        cells.setCell(column, text);
        notify({ListChange::Kind::CellChanged, rows[static_cast<std::size_t>(index)].id, index, 0, column});
    }
};

OrderList::OrderList(int columnCount) : m_columnCount(columnCount), m_impl(std::make_unique<Impl>()) {}

// Defined here, where Impl is complete.
OrderList::~OrderList() = default;

int OrderList::rowCount() const {
    std::lock_guard lock(m_impl->mutex);
    return static_cast<int>(m_impl->rows.size());
}

OrderList::Appended OrderList::appendRow() {
    std::lock_guard lock(m_impl->mutex);
    std::vector<PackedRow> one;
    one.emplace_back(std::span<const std::string_view>(), m_columnCount);
    const int index = static_cast<int>(m_impl->rows.size());
    const RowId id = m_impl->nextId;
    m_impl->append(std::move(one));
    return {index, id};
}

OrderList::Appended OrderList::appendRow(std::span<const std::string_view> cells, int ordinalColumn) {
    std::lock_guard lock(m_impl->mutex);
    const int index = static_cast<int>(m_impl->rows.size());
    const RowId id = m_impl->nextId;
    std::vector<PackedRow> one;
    one.emplace_back(cells, m_columnCount);
    if (ordinalColumn >= 0 && ordinalColumn < m_columnCount)
        one.front().setCell(ordinalColumn, std::to_string(index + 1));
    m_impl->append(std::move(one));
    return {index, id};
}

void OrderList::appendRows(std::vector<std::vector<std::string>> rows) {
    RowBatch batch(m_columnCount);
    batch.reserve(rows.size());
    std::vector<std::string_view> views;
    for (const std::vector<std::string>& row : rows) {
        views.assign(row.begin(), row.end());
        batch.add(views);
    }
    appendRows(std::move(batch));
}

void OrderList::appendRows(RowBatch batch) {
    if (batch.m_columnCount != m_columnCount) {
        // Packed for another list: repack to this list's columns.
        RowBatch repacked(m_columnCount);
        repacked.reserve(batch.size());
        std::vector<std::string_view> views;
        for (const PackedRow& row : batch.m_rows) {
            views.clear();
            for (int column = 0; column < row.columnCount(); ++column)
                views.push_back(row.cell(column));
            repacked.add(views);
        }
        batch = std::move(repacked);
    }
    std::lock_guard lock(m_impl->mutex);
    m_impl->append(std::move(batch.m_rows));
}

std::string OrderList::cell(int row, int column) const {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->validIndex(row))
        return {};
    return std::string(m_impl->rows[static_cast<std::size_t>(row)].cells.cell(column));
}

void OrderList::setCell(int row, int column, std::string text) {
    std::lock_guard lock(m_impl->mutex);
    if (m_impl->validIndex(row))
        m_impl->write(row, column, text);
}

void OrderList::removeRow(int row) {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->validIndex(row))
        return;
    const auto position = m_impl->rows.begin() + row;
    const RowId id = position->id;
    m_impl->rows.erase(position);
    m_impl->notify({ListChange::Kind::Removed, id, row});
}

void OrderList::clear() {
    std::lock_guard lock(m_impl->mutex);
    m_impl->rows.clear();
    m_impl->notify({ListChange::Kind::Cleared});
}

RowId OrderList::rowId(int row) const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->validIndex(row) ? m_impl->rows[static_cast<std::size_t>(row)].id : 0;
}

int OrderList::rowIndex(RowId id) const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->indexOf(id);
}

std::string OrderList::cell(RowId row, int column) const {
    std::lock_guard lock(m_impl->mutex);
    const int index = m_impl->indexOf(row);
    if (index < 0)
        return {};
    return std::string(m_impl->rows[static_cast<std::size_t>(index)].cells.cell(column));
}

void OrderList::setCell(RowId row, int column, std::string text) {
    std::lock_guard lock(m_impl->mutex);
    const int index = m_impl->indexOf(row);
    if (index >= 0) // a deleted row takes no more writes
        m_impl->write(index, column, text);
}

std::vector<std::string> OrderList::rowCells(int row) const {
    std::lock_guard lock(m_impl->mutex);
    std::vector<std::string> cells;
    if (!m_impl->validIndex(row))
        return cells;
    const PackedRow& packed = m_impl->rows[static_cast<std::size_t>(row)].cells;
    cells.reserve(static_cast<std::size_t>(packed.columnCount()));
    for (int column = 0; column < packed.columnCount(); ++column)
        cells.emplace_back(packed.cell(column));
    return cells;
}

std::vector<std::vector<std::string>> OrderList::snapshot() const {
    std::vector<std::vector<std::string>> rows;
    forEachRow([&rows](const PackedRow& packed) {
        std::vector<std::string>& cells = rows.emplace_back();
        cells.reserve(static_cast<std::size_t>(packed.columnCount()));
        for (int column = 0; column < packed.columnCount(); ++column)
            cells.emplace_back(packed.cell(column));
    });
    return rows;
}

void OrderList::forEachRow(const std::function<void(const PackedRow&)>& visit) const {
    std::lock_guard lock(m_impl->mutex);
    for (const Impl::Row& row : m_impl->rows)
        visit(row.cells);
}

int OrderList::findRow(int fromRow, int firstColumn, int lastColumn,
                       const std::function<bool(std::string_view)>& matches) const {
    std::lock_guard lock(m_impl->mutex);
    firstColumn = std::max(firstColumn, 0);
    lastColumn = std::min(lastColumn, m_columnCount - 1);
    const std::size_t rowCount = m_impl->rows.size();
    for (std::size_t row = static_cast<std::size_t>(std::max(fromRow, 0)); row < rowCount; ++row) {
        const PackedRow& cells = m_impl->rows[row].cells;
        for (int column = firstColumn; column <= lastColumn; ++column) {
            if (matches(cells.cell(column)))
                return static_cast<int>(row);
        }
    }
    return -1;
}

void OrderList::setObserver(Observer observer) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->observer = std::move(observer);
}

} // namespace dropship
