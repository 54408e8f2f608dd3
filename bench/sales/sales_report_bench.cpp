// Reading a 100,000-record order export into the sales list, against the floor of any reader:
// one pass that finds every record separator and every comma with memmem / memchr.
// Goal: ratio (parse time / floor time) at most 3.

#include "app/jobs/job_gate.h"
#include "model/order_columns.h"
#include "model/order_list.h"
#include "sales/sales_report_parser.h"
#include "sim/routes/sales_report_writer.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <ctime>

namespace dropship {
namespace {

constexpr int kRecords = 100'000;

const std::string& bigReport() {
    static const std::string text = [] {
        std::vector<sim::SalesReportRow> rows;
        rows.reserve(kRecords);
        for (int i = 0; i < kRecords; ++i) {
            const std::string n = std::to_string(i);
            rows.push_back({"15930000" + std::string(8 - std::min<std::size_t>(8, n.size()), '0') + n,
                            i % 3 == 0 ? "请尽快发货，谢谢" : "", "收件人" + n,
                            "浙江省 杭州市 西湖区 文三路" + n + "号 某某小区3幢2单元" + n + "室",
                            i % 5 == 0 ? "0571-8888" + n : "", i % 5 == 0 ? "" : "1380000" + n,
                            "2016-01-28 09:05:07", "夏季新款纯棉短袖T恤 男士圆领宽松 白色 XL 款号" + n});
        }
        return sim::salesReportText(rows);
    }();
    return text;
}

// The floor: every separator the reader has to find, found and counted.
std::size_t countSeparators(std::string_view text) {
    static constexpr char kSeparator[] = "\"\n=\"";
    std::size_t found = 0;
    const char* pos = text.data();
    const char* const end = pos + text.size();
    while (pos < end) {
        const auto* next = static_cast<const char*>(memmem(pos, end - pos, kSeparator, 4));
        const char* recordEnd = next != nullptr ? next : end;
        for (const char* c = pos;
             (c = static_cast<const char*>(std::memchr(c, ',', recordEnd - c))) != nullptr; ++c)
            ++found;
        if (next == nullptr)
            break;
        ++found;
        pos = next + 4;
    }
    return found;
}

// CPU time of this thread: the machine runs other work beside the benchmark, and both sides of
// the ratio are single-threaded.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void BM_ParseSalesReport(benchmark::State& state) {
    const std::string& text = bigReport();
    double parseTotal = 0;
    double floorTotal = 0;
    for (auto _ : state) {
        // Floor and parse alternate, so that both see the same machine.
        state.PauseTiming();
        double start = threadSeconds();
        benchmark::DoNotOptimize(countSeparators(text));
        floorTotal += threadSeconds() - start;
        auto sales = std::make_unique<OrderList>(SalesColumn::Count);
        JobGate gate;
        state.ResumeTiming();
        start = threadSeconds();
        benchmark::DoNotOptimize(appendSalesReportRows(text, *sales, gate));
        parseTotal += threadSeconds() - start;
        state.PauseTiming();
        if (sales->rowCount() != kRecords)
            state.SkipWithError("wrong row count");
        sales.reset();
        state.ResumeTiming();
    }
    state.counters["ratio"] = parseTotal / floorTotal;
    state.counters["floor_ms"] = floorTotal * 1000 / static_cast<double>(state.iterations());
    state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
    state.SetBytesProcessed(static_cast<std::int64_t>(text.size()) * state.iterations());
}
BENCHMARK(BM_ParseSalesReport)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_FindSeparatorsFloor(benchmark::State& state) {
    const std::string& text = bigReport();
    for (auto _ : state)
        benchmark::DoNotOptimize(countSeparators(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(text.size()) * state.iterations());
}
BENCHMARK(BM_FindSeparatorsFloor)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace dropship

BENCHMARK_MAIN();
