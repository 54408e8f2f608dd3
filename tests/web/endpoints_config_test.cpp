#include "web/endpoints_config.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>

namespace dropship {
namespace {

class EndpointsFileTest : public testing::Test {
  protected:
    std::string write(const std::string& text) {
        std::ofstream(path_, std::ios::binary) << text;
        return path_;
    }
    void TearDown() override { std::remove(path_.c_str()); }

  private:
    std::string path_ = testing::TempDir() + "endpoints_config_test.ini";
};

TEST_F(EndpointsFileTest, ReadsEveryKeyAndKeepsDefaultsForMissingOnes) {
    const auto result = loadEndpointsFile(write("; local shop\n[endpoints]\n"
                                                "sellerWorkbench = http://seller.shop.localhost:8080\r\n"
                                                "sellerTrade=https://trade.shop.example\n"
                                                "buyerTrade=http://b.shop.localhost:81\n"
                                                "logisticsTrace=http://t.shop.localhost\n"
                                                "consign=http://w.shop.localhost\n"
                                                "\n# comment\n"
                                                "cookieDomain=shop.localhost\n"));
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.endpoints.sellerWorkbench, "http://seller.shop.localhost:8080");
    EXPECT_EQ(result.endpoints.sellerTrade, "https://trade.shop.example");
    EXPECT_EQ(result.endpoints.buyerTrade, "http://b.shop.localhost:81");
    EXPECT_EQ(result.endpoints.logisticsTrace, "http://t.shop.localhost");
    EXPECT_EQ(result.endpoints.consign, "http://w.shop.localhost");
    EXPECT_EQ(result.endpoints.wholesaleTrade, Endpoints{}.wholesaleTrade);
    EXPECT_EQ(result.endpoints.cookieDomain, "shop.localhost");
}

TEST_F(EndpointsFileTest, ReportsBadLinesAndKeepsTheGoodOnes) {
    const auto result = loadEndpointsFile(write("sellerTrade=http://t.localhost/path\n"
                                                "buyerTrade=b.localhost\n"
                                                "color=blue\n"
                                                "cookieDomain=.x.localhost\n"
                                                "consign=http://w.localhost:90\n"));
    EXPECT_NE(result.error.find(":1: not an origin"), std::string::npos) << result.error;
    EXPECT_NE(result.error.find(":2: not an origin"), std::string::npos) << result.error;
    EXPECT_NE(result.error.find(":3: unknown key: color"), std::string::npos) << result.error;
    EXPECT_NE(result.error.find(":4: not a domain"), std::string::npos) << result.error;
    EXPECT_EQ(result.endpoints.sellerTrade, Endpoints{}.sellerTrade);
    EXPECT_EQ(result.endpoints.cookieDomain, Endpoints{}.cookieDomain);
    EXPECT_EQ(result.endpoints.consign, "http://w.localhost:90");
}

TEST_F(EndpointsFileTest, MissingFileIsAnErrorWithDefaults) {
    const auto result = loadEndpointsFile(testing::TempDir() + "no_such_endpoints.ini");
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(result.endpoints.sellerTrade, Endpoints{}.sellerTrade);
}

TEST_F(EndpointsFileTest, CommandLineReadsTheFileAndTheSimulatorWins) {
    const std::string file = write("sellerTrade=http://t.localhost:1\nwholesaleTrade=http://w.localhost:2\n");
    auto fromFile = endpointsFromCommandLine({"app", "-platform", "offscreen", "--endpoints", file});
    EXPECT_EQ(fromFile.error, "");
    EXPECT_EQ(fromFile.endpoints.sellerTrade, "http://t.localhost:1");
    EXPECT_EQ(fromFile.endpoints.wholesaleTrade, "http://w.localhost:2");

    auto both = endpointsFromCommandLine(
        {"app", "--endpoints=" + file, "--sim-origin-base=http://sim.localhost:8080"});
    EXPECT_EQ(both.error, "");
    EXPECT_EQ(both.endpoints.sellerWorkbench, "http://seller.sim.localhost:8080");
    EXPECT_EQ(both.endpoints.sellerTrade, "http://trade.sim.localhost:8080");
    EXPECT_EQ(both.endpoints.buyerTrade, "http://buyertrade.sim.localhost:8080");
    EXPECT_EQ(both.endpoints.logisticsTrace, "http://trace.sim.localhost:8080");
    EXPECT_EQ(both.endpoints.consign, "http://wuliu.sim.localhost:8080");
    EXPECT_EQ(both.endpoints.wholesaleTrade, "http://wholesale.sim.localhost:8080");
    EXPECT_EQ(both.endpoints.cookieDomain, "sim.localhost");
}

TEST(EndpointsCommandLine, DefaultsAndErrors) {
    const auto none = endpointsFromCommandLine({"app"});
    EXPECT_EQ(none.error, "");
    EXPECT_EQ(none.endpoints.sellerWorkbench, Endpoints{}.sellerWorkbench);
    EXPECT_FALSE(endpointsFromCommandLine({"app", "--sim-origin-base"}).error.empty());
    const auto bad = endpointsFromCommandLine({"app", "--sim-origin-base", "sim.localhost/x"});
    EXPECT_FALSE(bad.error.empty());
    EXPECT_EQ(bad.endpoints.sellerTrade, Endpoints{}.sellerTrade);
    EXPECT_EQ(simulatorEndpoints("https", "d.localhost", 0).consign, "https://wuliu.d.localhost");
}

} // namespace
} // namespace dropship
