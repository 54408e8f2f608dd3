// Rows appended by a job while the list view is attached and shown: the cost per row of the row
// store, the queued changes and the view's batched updates together, and the peak memory.

#include "app/order_table_model.h"
#include "model/order_columns.h"
#include "web/gbk.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <chrono>
#include <sys/resource.h>
#include <thread>

namespace dropship {
namespace {

constexpr int kRows = 100'000;

double peakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // ru_maxrss is in KiB on Linux
}

const std::string kTitle = utf8ToGbk("夏季新款雪纺连衣裙");
const std::string kRecipient = utf8ToGbk("张三");
const std::string kAddress = utf8ToGbk("浙江省杭州市西湖区文三路100号");

// As the fetch jobs do: append a row, then write its cells one by one.
void appendRowByRow(OrderList& list) {
    for (int i = 0; i < kRows; ++i) {
        const auto row = list.appendRow();
        list.setCell(row.id, SalesColumn::No, std::to_string(row.index + 1));
        list.setCell(row.id, SalesColumn::OrderNumber, std::to_string(3'000'000'000'000LL + i));
        list.setCell(row.id, SalesColumn::ItemTitle, kTitle);
        list.setCell(row.id, SalesColumn::Recipient, kRecipient);
        list.setCell(row.id, SalesColumn::Address, kAddress);
    }
}

// As a report parser can: whole rows, a thousand per call.
void appendInBatches(OrderList& list) {
    constexpr int kBatch = 1000;
    for (int first = 0; first < kRows; first += kBatch) {
        std::vector<std::vector<std::string>> rows;
        for (int i = first; i < first + kBatch; ++i)
            rows.push_back({std::to_string(i + 1), "", std::to_string(3'000'000'000'000LL + i), kTitle,
                            kRecipient, "", kAddress});
        list.appendRows(std::move(rows));
    }
}

// A job thread appends the rows while the window's thread runs its event loop until the view
// shows every row.
void appendWhileViewAttached(benchmark::State& state, void (*job)(OrderList&)) {
    double totalSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        auto list = std::make_shared<OrderList>(SalesColumn::Count);
        OrderTableModel model(list, QStringList(SalesColumn::Count, QStringLiteral("c")));
        QTableView view;
        view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view.setModel(&model);
        view.resize(1200, 600);
        view.show();
        std::thread writer([&] { job(*list); });
        while (model.rowCount() < kRows)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        writer.join();
        view.scrollToBottom();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(model.data(model.index(kRows - 1, SalesColumn::Address)));
        totalSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["us_per_row"] = totalSeconds * 1e6 / (static_cast<double>(state.iterations()) * kRows);
    state.counters["peak_rss_mb"] = peakResidentMegabytes();
}
BENCHMARK_CAPTURE(appendWhileViewAttached, rowByRow, appendRowByRow)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK_CAPTURE(appendWhileViewAttached, batches, appendInBatches)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

} // namespace
} // namespace dropship

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
