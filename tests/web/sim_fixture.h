#pragma once
// A simulator on a free loopback port, one shared cookie store and a client with short time-outs.

#include "sim/sim_server.h"
#include "web/cookie_store.h"
#include "web/http_client_curl.h"

#include <gtest/gtest.h>

namespace dropship {

class SimFixture : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server.start()); }
    void TearDown() override { server.stop(); }

    std::string seller() const { return server.origin("seller"); }
    std::string trade() const { return server.origin("trade"); }
    std::string sellerHost() const {
        return "seller." + server.cookieDomain() + ":" + std::to_string(server.port());
    }
    std::string lastHeaderBlock() const {
        const auto recorded = server.requests();
        return recorded.empty() ? std::string() : recorded.back().headerBlock;
    }

    sim::SimServer server;
    CookieStore store;
    // 1 second of time-out becomes 200 ms.
    CurlHttpClient client{store, CurlHttpClientOptions{0.2, {}, std::chrono::milliseconds(20)}};
};

} // namespace dropship
