// JsonReader over a generated bought-orders page of 100 orders, read the way the purchase fetch
// reads it: the order count, then per order its id, time, first title and every operation.

#include "generated_pages.h"
#include "web/json_reader.h"

#include <benchmark/benchmark.h>

namespace dropship::bench {
namespace {

constexpr int kOrders = 100;

// Reads every path the purchase fetch reads; returns the number of texts read.
long readPage(const JsonReader& reader) {
    long texts = 0;
    const int orders = reader.count("mainOrders");
    for (int j = 0; j < orders; ++j) {
        const std::string order = "mainOrders[" + std::to_string(j) + "]";
        benchmark::DoNotOptimize(reader.readText(order + ".id"));
        benchmark::DoNotOptimize(reader.readText(order + ".orderInfo.createTime"));
        benchmark::DoNotOptimize(reader.readText(order + ".subOrders[0].itemInfo.title"));
        texts += 3;
        const std::string operations = order + ".statusInfo.operations";
        const int count = reader.count(operations);
        for (int k = 0; k < count; ++k) {
            const std::string operation = operations + "[" + std::to_string(k) + "]";
            benchmark::DoNotOptimize(reader.readText(operation + ".text"));
            benchmark::DoNotOptimize(reader.readText(operation + ".url"));
            texts += 2;
        }
    }
    return texts;
}

void BM_JsonReaderBoughtPage(benchmark::State& state) {
    const std::string page = boughtOrdersGbk(kOrders);
    long texts = 0;
    for (auto _ : state) {
        JsonReader reader;
        if (!reader.load(page)) {
            state.SkipWithError("page did not load");
            break;
        }
        texts = readPage(reader);
    }
    state.counters["orders"] = kOrders;
    state.counters["page_bytes"] = static_cast<double>(page.size());
    state.counters["texts_read"] = static_cast<double>(texts);
}

void BM_JsonReaderLoadOnly(benchmark::State& state) {
    const std::string page = boughtOrdersGbk(kOrders);
    for (auto _ : state) {
        JsonReader reader;
        benchmark::DoNotOptimize(reader.load(page));
    }
    state.counters["page_bytes"] = static_cast<double>(page.size());
}

BENCHMARK(BM_JsonReaderBoughtPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_JsonReaderLoadOnly)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace dropship::bench
