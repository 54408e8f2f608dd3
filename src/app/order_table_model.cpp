#include "app/order_table_model.h"

#include "web/gbk.h"

#include <QMetaObject>
#include <algorithm>

namespace dropship {

OrderTableModel::OrderTableModel(std::shared_ptr<OrderList> list, QStringList captions, QObject* parent)
    : QAbstractTableModel(parent), m_list(std::move(list)), m_captions(std::move(captions)) {
    const int rows = m_list->rowCount();
    m_ids.reserve(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row)
        m_ids.push_back(m_list->rowId(row));
    m_idsAscending = std::is_sorted(m_ids.begin(), m_ids.end());
    m_list->setObserver([this](const ListChange& change) { enqueue(change); });
}

OrderTableModel::~OrderTableModel() {
    // Once this returns no observer call is running or will run.
    m_list->setObserver({});
}

void OrderTableModel::enqueue(const ListChange& change) {
    std::lock_guard lock(m_pendingMutex);
    m_pending.push_back(change);
    if (!m_flushQueued) {
        m_flushQueued = true;
        QMetaObject::invokeMethod(this, &OrderTableModel::flushChanges, Qt::QueuedConnection);
    }
}

int OrderTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_ids.size());
}

int OrderTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_list->columnCount();
}

QVariant OrderTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const std::string cell = m_list->cell(m_ids[static_cast<std::size_t>(index.row())], index.column());
    if (cell.empty())
        return QString();
    return QString::fromStdString(isAscii(cell) ? cell : gbkToUtf8(cell));
}

QVariant OrderTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= m_captions.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_captions[section];
}

RowId OrderTableModel::rowIdAt(int viewRow) const {
    return viewRow >= 0 && viewRow < static_cast<int>(m_ids.size()) ? m_ids[static_cast<std::size_t>(viewRow)]
                                                                    : 0;
}

int OrderTableModel::viewRowOf(RowId id) const {
    auto found = m_idsAscending ? std::lower_bound(m_ids.begin(), m_ids.end(), id)
                                : std::find(m_ids.begin(), m_ids.end(), id);
    if (found == m_ids.end() || *found != id)
        return -1;
    return static_cast<int>(found - m_ids.begin());
}

void OrderTableModel::insertAppended(RowId first, int count) {
    if (count <= 0)
        return;
    if (!m_ids.empty() && first <= m_ids.back())
        m_idsAscending = false;
    const int at = static_cast<int>(m_ids.size());
    beginInsertRows({}, at, at + count - 1);
    for (int i = 0; i < count; ++i)
        m_ids.push_back(first + static_cast<RowId>(i));
    endInsertRows();
}

void OrderTableModel::removeRow(const ListChange& change) {
    // The mirror is in step with the list as of this change, so the reported index is ours too;
    // the search is only a safeguard.
    int at = change.index;
    if (at < 0 || at >= static_cast<int>(m_ids.size()) || m_ids[static_cast<std::size_t>(at)] != change.row)
        at = viewRowOf(change.row);
    if (at < 0)
        return;
    beginRemoveRows({}, at, at);
    m_ids.erase(m_ids.begin() + at);
    endRemoveRows();
}

void OrderTableModel::reset() {
    beginResetModel();
    m_ids.clear();
    m_idsAscending = true;
    endResetModel();
}

void OrderTableModel::flushChanges() {
    std::vector<ListChange> changes;
    {
        std::lock_guard lock(m_pendingMutex);
        changes.swap(m_pending);
        m_flushQueued = false;
    }
    if (changes.empty())
        return;

    // Appends that follow each other become one insertion; cell changes become one rectangle,
    // resolved by row id at the end, so rows appended and written in the same turn cost nothing.
    RowId appendFirst = 0;
    int appendCount = 0;
    RowId firstInserted = ~RowId{0};
    auto insertPendingAppend = [&] {
        if (appendCount > 0)
            firstInserted = std::min(firstInserted, appendFirst);
        insertAppended(appendFirst, appendCount);
        appendCount = 0;
    };
    std::vector<RowId> changedRows;
    int firstColumn = columnCount();
    int lastColumn = -1;

    for (const ListChange& change : changes) {
        switch (change.kind) {
        case ListChange::Kind::Appended:
            if (appendCount > 0 && change.row != appendFirst + static_cast<RowId>(appendCount))
                insertPendingAppend();
            if (appendCount == 0)
                appendFirst = change.row;
            appendCount += change.count;
            break;
        case ListChange::Kind::Removed:
            insertPendingAppend();
            removeRow(change);
            break;
        case ListChange::Kind::CellChanged:
            if (changedRows.empty() || changedRows.back() != change.row)
                changedRows.push_back(change.row);
            firstColumn = std::min(firstColumn, change.column);
            lastColumn = std::max(lastColumn, change.column);
            break;
        case ListChange::Kind::Cleared:
            appendCount = 0;
            changedRows.clear();
            reset();
            break;
        }
    }
    insertPendingAppend();

    int firstRow = -1;
    int lastRow = -1;
    for (RowId id : changedRows) {
        if (id >= firstInserted && m_idsAscending)
            continue; // inserted in this turn: the view reads it fresh anyway
        const int row = viewRowOf(id);
        if (row < 0)
            continue;
        firstRow = firstRow < 0 ? row : std::min(firstRow, row);
        lastRow = std::max(lastRow, row);
    }
    if (firstRow >= 0 && lastColumn >= 0)
        emit dataChanged(index(firstRow, firstColumn), index(lastRow, lastColumn), {Qt::DisplayRole});
}

} // namespace dropship
