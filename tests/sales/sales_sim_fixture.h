#pragma once
// The sales jobs against the simulator over real sockets: a logged-in libcurl client, the two
// lists, recorded notices and a pacer that records its waits without waiting.

#include "app/jobs/job_context.h"
#include "app/jobs/scaled_pacer.h"
#include "model/order_columns.h"
#include "model/order_list.h"
#include "recording_notices.h"
#include "sim/routes/sales_routes.h"
#include "sim/sim_server.h"
#include "web/cookie_store.h"
#include "web/gbk.h"
#include "web/http_client_curl.h"

#include <gtest/gtest.h>
#include <thread>

namespace dropship::test {

// Records every wait; waits not at all (scale 0) unless a stop comes, and lets a test act before
// a given wait.
class RecordingPacer : public Pacer {
  public:
    bool wait(std::chrono::milliseconds duration, std::stop_token stop) override {
        int number = 0;
        {
            std::lock_guard lock(m_mutex);
            m_waits.push_back(duration.count());
            number = static_cast<int>(m_waits.size());
        }
        if (beforeWait)
            beforeWait(number);
        return m_inner.wait(duration, stop);
    }
    std::vector<long long> waits() const {
        std::lock_guard lock(m_mutex);
        return m_waits;
    }
    std::function<void(int number)> beforeWait; // set before the job starts

  private:
    ScaledPacer m_inner{0.0};
    mutable std::mutex m_mutex;
    std::vector<long long> m_waits; // milliseconds; guarded by m_mutex
};

class SalesSimTest : public ::testing::Test {
  protected:
    static CurlHttpClientOptions shortTimeouts() {
        CurlHttpClientOptions options;
        options.timeoutScale = 0.05; // 60 s become 3 s
        return options;
    }

    void SetUp() override {
        sim::installSalesRoutes(server, state);
        ASSERT_TRUE(server.start());
        endpoints = server.endpoints();
        http.httpRequest(server.origin("seller") + "/login", 1, "user=seller&password=secret");
        bool loggedIn = false;
        for (const Cookie& cookie : store.all())
            loggedIn = loggedIn || cookie.name == "cookie2";
        ASSERT_TRUE(loggedIn) << "the simulator's log-in gave no session cookie";
        server.clearRequests();
    }

    void logOut() {
        http.httpRequest(server.origin("seller") + "/logout");
        server.clearRequests();
    }

    JobContext context(JobInputs inputs = {}) {
        // Notes how many notices had been shown when the job enabled its start button.
        return JobContext(gate, notices, pacer, purchases, sales, std::move(inputs),
                          [this] { noticesBeforeStartEnabled.push_back(notices.entries().size()); });
    }

    // Method and target of every request the simulator received, in order.
    std::vector<std::string> requestLines() const {
        std::vector<std::string> lines;
        for (const sim::Request& request : server.requests())
            lines.push_back(request.method + " " + request.target);
        return lines;
    }

    // Runs job on a thread of its own, stops it once the simulator has received `requests`
    // requests (the job then waits in the next one), and waits for the job to end.
    void stopDuringRequest(std::size_t requests, const std::function<void()>& job) {
        std::jthread runner(job);
        for (int i = 0; i < 500 && server.requests().size() < requests; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(server.requests().size(), requests);
        gate.requestStop();
    }

    // The cells of a row as UTF-8.
    std::vector<std::string> rowText(int row) const {
        std::vector<std::string> cells;
        for (const std::string& cell : sales.rowCells(row))
            cells.push_back(gbkToUtf8(cell));
        return cells;
    }

    sim::SalesSimState state; // outlives the server, whose routes use it
    sim::SimServer server;
    Endpoints endpoints;
    CookieStore store;
    CurlHttpClient http{store, shortTimeouts()};
    OrderList purchases{PurchaseColumn::Count};
    OrderList sales{SalesColumn::Count};
    RecordingNotices notices;
    RecordingPacer pacer;
    JobGate gate;
    std::vector<std::size_t> noticesBeforeStartEnabled;
};

} // namespace dropship::test
