#include "model/order_list.h"

#include <atomic>
#include <gtest/gtest.h>
#include <random>
#include <thread>

namespace dropship {
namespace {

// Mirrors the list's row ids from its change reports alone, the way a view does; any change
// reported out of order or with a wrong index shows up as a difference.
class IdMirror {
  public:
    void apply(const ListChange& change) {
        switch (change.kind) {
        case ListChange::Kind::Appended:
            if (change.index != static_cast<int>(ids.size()))
                faults++;
            for (int n = 0; n < change.count; ++n)
                ids.push_back(change.row + static_cast<RowId>(n));
            break;
        case ListChange::Kind::Removed:
            if (change.index < 0 || change.index >= static_cast<int>(ids.size()) ||
                ids[static_cast<std::size_t>(change.index)] != change.row) {
                faults++;
                break;
            }
            ids.erase(ids.begin() + change.index);
            break;
        case ListChange::Kind::CellChanged:
            if (change.index < 0 || change.index >= static_cast<int>(ids.size()) ||
                ids[static_cast<std::size_t>(change.index)] != change.row)
                faults++;
            break;
        case ListChange::Kind::Cleared:
            ids.clear();
            break;
        }
    }

    std::vector<RowId> ids; // touched only by the observer, which runs with the list locked
    int faults = 0;
};

// Jobs append rows and write their results by row id while a reader walks the list and the user
// deletes rows and empties the list. Each job writes into a row only what belongs to it, so every
// surviving row must hold a matching pair of cells.
TEST(OrderListConcurrency, JobsAndUserShareTheListSafely) {
    constexpr int kJobs = 4;
    constexpr int kRowsPerJob = 2000;
    OrderList list(3);
    IdMirror mirror;
    list.setObserver([&mirror](const ListChange& change) { mirror.apply(change); });

    std::atomic<int> jobsRunning{kJobs};
    std::vector<std::thread> threads;
    for (int job = 0; job < kJobs; ++job) {
        threads.emplace_back([&list, &jobsRunning, job] {
            for (int n = 0; n < kRowsPerJob; ++n) {
                const std::string tag = std::to_string(job) + "-" + std::to_string(n);
                if (n % 10 == 0) {
                    list.appendRows({{tag, tag + "/", tag + "!"}});
                    continue;
                }
                const RowId id = list.appendRow().id;
                list.setCell(id, 0, tag);
                std::this_thread::yield();
                list.setCell(id, 1, tag + "/");
                list.setCell(id, 2, tag + "!");
            }
            jobsRunning--;
        });
    }
    threads.emplace_back([&list, &jobsRunning] {
        std::minstd_rand random(7);
        while (jobsRunning > 0) {
            const int count = list.rowCount();
            const int row = count > 0 ? static_cast<int>(random() % static_cast<unsigned>(count)) : -1;
            const std::vector<std::string> cells = list.rowCells(row);
            // A row read whole is consistent: its later cells belong to its first.
            if (cells.size() == 3 && !cells[1].empty()) {
                EXPECT_EQ(cells[1], cells[0] + "/");
            }
            (void)list.cell(row, 2);
            (void)list.snapshot().size();
        }
    });
    threads.emplace_back([&list, &jobsRunning] {
        int round = 0;
        while (jobsRunning > 0) {
            if (++round % 500 == 0)
                list.clear();
            else
                list.removeRow(list.rowCount() / 2);
            std::this_thread::yield();
        }
    });
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_EQ(mirror.faults, 0);
    ASSERT_EQ(static_cast<int>(mirror.ids.size()), list.rowCount());
    for (int row = 0; row < list.rowCount(); ++row) {
        EXPECT_EQ(mirror.ids[static_cast<std::size_t>(row)], list.rowId(row));
        EXPECT_EQ(list.rowIndex(list.rowId(row)), row);
        const std::vector<std::string> cells = list.rowCells(row);
        EXPECT_EQ(cells[1], cells[0] + "/") << "row " << row;
        EXPECT_EQ(cells[2], cells[0] + "!") << "row " << row;
    }
}

} // namespace
} // namespace dropship
