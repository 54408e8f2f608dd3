// The address query against the simulator's JSONP endpoint.

#include "sales/address_query.h"
#include "sales_sim_fixture.h"

namespace dropship {
namespace {

using sim::SimAddress;
using sim::SimAddressAnswer;

std::string addressRequest(const std::string& orderNumber) {
    return "GET /trade/json/order_address_info.htm?_ksTS=1453954216606_24&callback=jsonp25&biz_order_id=" +
           orderNumber + "&test=false";
}

class AddressQuery : public test::SalesSimTest {
  protected:
    // A sales row with the order number and the three recipient cells given as UTF-8.
    void addRow(const std::string& orderNumber, const std::string& recipient, const std::string& mobile,
                const std::string& address) {
        const RowId row = sales.appendRow().id;
        sales.setCell(row, SalesColumn::OrderNumber, orderNumber);
        sales.setCell(row, SalesColumn::Recipient, utf8ToGbk(recipient));
        sales.setCell(row, SalesColumn::Mobile, utf8ToGbk(mobile));
        sales.setCell(row, SalesColumn::Address, utf8ToGbk(address));
    }
    // Recipient, mobile and address of a row, UTF-8.
    std::vector<std::string> recipientOf(int row) const {
        const auto cells = rowText(row);
        return {cells[SalesColumn::Recipient], cells[SalesColumn::Mobile], cells[SalesColumn::Address]};
    }
    void query() {
        JobContext job = context();
        queryRecipientAddresses(endpoints, http, job);
    }
};

const SimAddress kHome{"张三", "浙江省 杭州市 幸福路86-2号", "310000", "86-13800001111", "0571-88886666"};

TEST_F(AddressQuery, CompletesTheRowsThatLackRecipientData) {
    addRow("100", "赵六", "13600000000", "已填地址");
    addRow("101", "张", "139", ""); // only the address missing: all three are rewritten
    addRow("102", "", "13700000000", "旧地址");
    addRow("103", "钱七", "", "老地址");
    state.setAddress("100", {kHome, std::nullopt});
    state.setAddress("101", {kHome, std::nullopt});
    // The changed address wins whole: its empty mobile gives its phone, not the original's mobile.
    state.setAddress("102",
                     {kHome, SimAddress{"李四", "江苏省 南京市 中山路2号", "210000", "", "86-025-66668888"}});
    state.setAddress("103", {SimAddress{"钱七", "上海市 浦东新区", "", "", "021-5555"}, std::nullopt});
    query();

    EXPECT_EQ(requestLines(), (std::vector<std::string>{addressRequest("101"), addressRequest("102"),
                                                        addressRequest("103")}));
    EXPECT_EQ(recipientOf(0), (std::vector<std::string>{"赵六", "13600000000", "已填地址"}));
    // "86-" goes wherever it stands, the postcode follows the address directly.
    EXPECT_EQ(recipientOf(1),
              (std::vector<std::string>{"张三", "13800001111", "浙江省 杭州市 幸福路2号310000"}));
    EXPECT_EQ(recipientOf(2),
              (std::vector<std::string>{"李四", "025-66668888", "江苏省 南京市 中山路2号210000"}));
    EXPECT_EQ(recipientOf(3), (std::vector<std::string>{"钱七", "021-5555", "上海市 浦东新区"}));
    EXPECT_EQ(pacer.waits(), (std::vector<long long>{500, 500, 500}));
    EXPECT_EQ(notices.informations(), std::vector<std::string>{"查询完毕"});
    EXPECT_TRUE(notices.reminders().empty());
    // The start button comes back once the closing notice has been answered.
    EXPECT_EQ(noticesBeforeStartEnabled, std::vector<std::size_t>{1});
}

TEST_F(AddressQuery, VisitsRowsAppendedWhileItRuns) {
    addRow("101", "", "", "");
    state.setAddress("101", {kHome, std::nullopt});
    state.setAddress("102", {SimAddress{"孙八", "北京市 朝阳区", "100000", "13500000000", ""}, std::nullopt});
    pacer.beforeWait = [this](int number) {
        if (number == 1)
            addRow("102", "", "", "");
    };
    query();
    EXPECT_EQ(requestLines(), (std::vector<std::string>{addressRequest("101"), addressRequest("102")}));
    EXPECT_EQ(recipientOf(1), (std::vector<std::string>{"孙八", "13500000000", "北京市 朝阳区100000"}));
    EXPECT_EQ(notices.informations(), std::vector<std::string>{"查询完毕"});
}

// Answers that carry no address must not erase what a row already has.
struct UnusableAnswerCase {
    const char* name;
    std::optional<SimAddressAnswer> answer; // none: the order is unknown to the marketplace
    bool loggedOut;
};

class AddressQueryUnusableAnswer : public AddressQuery,
                                   public ::testing::WithParamInterface<UnusableAnswerCase> {};

TEST_P(AddressQueryUnusableAnswer, LeavesTheRowAsItWas) {
    addRow("101", "张三", "13800001111", "");
    if (GetParam().answer)
        state.setAddress("101", *GetParam().answer);
    if (GetParam().loggedOut)
        logOut();
    query();
    EXPECT_EQ(requestLines(), std::vector<std::string>{addressRequest("101")});
    EXPECT_EQ(recipientOf(0), (std::vector<std::string>{"张三", "13800001111", ""}));
    EXPECT_EQ(notices.informations(), std::vector<std::string>{"查询完毕"});
}

INSTANTIATE_TEST_SUITE_P(
    Answers, AddressQueryUnusableAnswer,
    ::testing::Values(UnusableAnswerCase{"FailedRequest", SimAddressAnswer{kHome, std::nullopt, true}, false},
                      UnusableAnswerCase{"LoginPage", SimAddressAnswer{kHome, std::nullopt, false}, true},
                      UnusableAnswerCase{"ErrorWithoutAddress", std::nullopt, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AddressQuery, StopAtTheWaitWritesNothingMore) {
    addRow("101", "", "", "");
    addRow("102", "", "", "");
    state.setAddress("101", {kHome, std::nullopt});
    state.setAddress("102", {kHome, std::nullopt});
    pacer.beforeWait = [this](int) { gate.requestStop(); };
    query();
    EXPECT_EQ(requestLines(), std::vector<std::string>{addressRequest("101")});
    EXPECT_EQ(recipientOf(0)[0], "张三");
    EXPECT_EQ(recipientOf(1), (std::vector<std::string>{"", "", ""}));
    EXPECT_TRUE(notices.entries().empty());
    EXPECT_TRUE(noticesBeforeStartEnabled.empty());
}

TEST_F(AddressQuery, StopDuringARequestWritesNothing) {
    addRow("101", "", "", "");
    state.setAddress("101", {kHome, std::nullopt});
    state.setAnswerDelay(std::chrono::milliseconds(1500));
    stopDuringRequest(1, [this] { query(); });
    EXPECT_EQ(recipientOf(0), (std::vector<std::string>{"", "", ""}));
    EXPECT_TRUE(notices.entries().empty());
    EXPECT_TRUE(pacer.waits().empty());
}

} // namespace
} // namespace dropship
