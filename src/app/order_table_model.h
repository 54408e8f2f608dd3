#pragma once
// The view side of an OrderList: a table model that mirrors the list's rows on the window's
// thread. The list reports its changes from whatever thread made them (a job or the window); the
// model only queues them there and applies them on the window's thread, many at a time, so a
// job's cell writes reach the view through the window's thread and a fast job costs one flush per
// event-loop turn, not one per cell.

#include "model/order_list.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <memory>
#include <mutex>
#include <vector>

namespace dropship {

class OrderTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // Attach before any other thread uses the list: the rows present now are taken as they are.
    OrderTableModel(std::shared_ptr<OrderList> list, QStringList captions, QObject* parent = nullptr);
    ~OrderTableModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    RowId rowIdAt(int viewRow) const; // 0 when there is no such row
    int viewRowOf(RowId id) const;    // -1 when the row is not (or no longer) shown
    // Applies the queued changes now (they are otherwise applied on the next event-loop turn).
    void flushChanges();

  private:
    void enqueue(const ListChange& change); // any thread, with the list locked
    void insertAppended(RowId first, int count);
    void removeRow(const ListChange& change);
    void reset();

    std::shared_ptr<OrderList> m_list;
    QStringList m_captions;
    std::vector<RowId> m_ids; // window's thread; ascending as long as the list hands out rising ids
    bool m_idsAscending = true;

    std::mutex m_pendingMutex;
    std::vector<ListChange> m_pending; // guarded by m_pendingMutex
    bool m_flushQueued = false;        // guarded by m_pendingMutex
};

} // namespace dropship
