// The order export reader on in-memory GBK reports.

#include "app/jobs/job_gate.h"
#include "model/order_columns.h"
#include "model/order_list.h"
#include "recording_notices.h"
#include "sales/sales_report_parser.h"
#include "web/gbk.h"

#include <gtest/gtest.h>
#include <map>

namespace dropship {
namespace {

using test::RecordingNotices;

const std::string kHeader = "\"订单编号\",\"买家会员名\",\"买家留言\",\"是否代付\"";

// One export line of fieldCount fields as the marketplace writes it: ="order number", then every
// other field quoted. values are UTF-8, by field number.
std::string exportLine(const std::map<int, std::string>& values, int fieldCount = 37) {
    std::string line;
    for (int i = 0; i < fieldCount; ++i) {
        const auto found = values.find(i);
        const std::string value = found == values.end() ? std::string() : found->second;
        line += i == 0 ? "=\"" + value + "\"" : ",\"" + value + "\"";
    }
    return line;
}

// The header line and the records, each line ending in lineEnding, as GBK.
std::string report(const std::vector<std::string>& lines, const std::string& lineEnding = "\n") {
    std::string text = kHeader + lineEnding;
    for (const std::string& line : lines)
        text += line + lineEnding;
    return utf8ToGbk(text);
}

std::map<int, std::string> order(const std::string& number, const std::string& recipient) {
    return {{0, number},
            {11, "请尽快发货"},
            {12, recipient},
            {13, "浙江省 杭州市 西湖区 文三路1号"},
            {15, "'0571-88886666"},
            {16, "'13800001111"},
            {17, "2016-01-28 09:05:07"},
            {19, "夏季纯棉T恤 白色 XL"}};
}

struct Parsed {
    std::vector<std::vector<std::string>> rows; // UTF-8
    std::vector<std::string> reminders;
};

class SalesReportParser : public ::testing::Test {
  protected:
    Parsed parse(const std::string& gbkReport) {
        parseSalesReport(gbkReport, sales, notices, gate);
        Parsed parsed;
        for (const auto& row : sales.snapshot()) {
            std::vector<std::string> utf8;
            for (const std::string& cell : row)
                utf8.push_back(gbkToUtf8(cell));
            parsed.rows.push_back(utf8);
        }
        parsed.reminders = notices.reminders();
        return parsed;
    }

    OrderList sales{SalesColumn::Count};
    RecordingNotices notices;
    JobGate gate;
};

TEST_F(SalesReportParser, FillsTheRowFromTheExportFields) {
    // Written out by hand, not by the helpers, so the column table is checked against a literal.
    const std::string line =
        "=\"1593000012345678\",\"buyer1\",\"a@b.com\",\"25.00\",\"0.00\",\"0\",\"25.00\",\"0\",\"25.00\","
        "\"0\","
        "\"买家已付款，等待卖家发货\",\"请尽快发货\",\"张三\",\"浙江省 杭州市 西湖区 文三路1号\",\"快递\","
        "\"'0571-88886666\",\"'13800001111\",\"2016-01-28 09:05:07\",\"2016-01-28 09:06:00\","
        "\"夏季纯棉T恤 白色 "
        "XL\",\"1\",\"\",\"\",\"\",\"1\",\"0\",\"店\",\"\",\"0\",\"0\",\"\",\"手机订单\",\"\","
        "\"\",\"否\",\"否\",\"否\"";
    const Parsed parsed = parse(report({line}));
    ASSERT_EQ(parsed.rows.size(), 1u);
    const std::vector<std::string> expected{"1",
                                            "2016-01-28 09:05:07",
                                            "1593000012345678",
                                            "夏季纯棉T恤 白色 XL",
                                            "张三",
                                            "13800001111",
                                            "浙江省 杭州市 西湖区 文三路1号",
                                            "",
                                            "",
                                            "",
                                            "",
                                            "",
                                            "请尽快发货"};
    EXPECT_EQ(parsed.rows[0], expected);
    EXPECT_EQ(parsed.reminders, std::vector<std::string>{"提取完成"});
}

TEST_F(SalesReportParser, AppendsAfterExistingRowsNumberedByRowCount) {
    sales.appendRow();
    sales.appendRow();
    const Parsed parsed = parse(report(
        {exportLine(order("101", "甲")), exportLine(order("102", "乙")), exportLine(order("103", "丙"))}));
    ASSERT_EQ(parsed.rows.size(), 5u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(parsed.rows[2 + i][SalesColumn::No], std::to_string(3 + i));
        EXPECT_EQ(parsed.rows[2 + i][SalesColumn::OrderNumber], std::to_string(101 + i));
    }
    EXPECT_EQ(parsed.rows[2][SalesColumn::Recipient], "甲");
    EXPECT_EQ(parsed.rows[4][SalesColumn::Recipient], "丙");
    EXPECT_EQ(parsed.rows[0][SalesColumn::No], "");
}

TEST_F(SalesReportParser, SameReportTwiceGivesEveryOrderTwice) {
    const std::string text = report({exportLine(order("101", "甲")), exportLine(order("102", "乙"))});
    parse(text);
    const Parsed parsed = parse(text);
    ASSERT_EQ(parsed.rows.size(), 4u);
    EXPECT_EQ(parsed.rows[2][SalesColumn::OrderNumber], "101");
    EXPECT_EQ(parsed.rows[3][SalesColumn::No], "4");
    EXPECT_EQ(parsed.reminders.size(), 2u);
}

// One record whose fields are changed from the usual order, and the cell one column receives.
struct CleaningCase {
    const char* name;
    std::map<int, std::string> fields; // UTF-8, by field number
    int column;
    std::string expected;
};

class SalesReportCleaning : public SalesReportParser, public ::testing::WithParamInterface<CleaningCase> {};

TEST_P(SalesReportCleaning, CellReadsAsCleaned) {
    auto values = order("101", "甲");
    for (const auto& [field, value] : GetParam().fields)
        values[field] = value;
    const Parsed parsed = parse(report({exportLine(values)}));
    ASSERT_EQ(parsed.rows.size(), 1u);
    EXPECT_EQ(parsed.rows[0][GetParam().column], GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, SalesReportCleaning,
    ::testing::Values(
        // The mobile number comes from field 16, or from field 15 when 16 is empty; both lose
        // their apostrophes.
        CleaningCase{"MobilePreferred",
                     {{15, "'0571-88886666"}, {16, "'13800001111"}},
                     SalesColumn::Mobile,
                     "13800001111"},
        CleaningCase{
            "PhoneWhenMobileEmpty", {{15, "'0571-88886666"}, {16, ""}}, SalesColumn::Mobile, "0571-88886666"},
        CleaningCase{"MobileOfOnlyApostrophesCountsAsEmpty",
                     {{15, "'0571-1"}, {16, "''"}},
                     SalesColumn::Mobile,
                     "0571-1"},
        CleaningCase{"ApostrophesInsideRemoved",
                     {{15, ""}, {16, "'138'0000'1111"}},
                     SalesColumn::Mobile,
                     "13800001111"},
        CleaningCase{"BothPhonesEmpty", {{15, ""}, {16, ""}}, SalesColumn::Mobile, ""},
        CleaningCase{"BlanksKept", {{15, ""}, {16, " '138 "}}, SalesColumn::Mobile, " 138 "},
        // Apostrophes stay in every other field; quotes go from all of them.
        CleaningCase{"ApostropheInRecipient", {{12, "O'Neil"}}, SalesColumn::Recipient, "O'Neil"},
        CleaningCase{"ApostropheInTitle", {{19, "Kid's shoes"}}, SalesColumn::ItemTitle, "Kid's shoes"},
        CleaningCase{"ApostropheInMessage", {{11, "it's a gift"}}, SalesColumn::Message, "it's a gift"},
        CleaningCase{
            "QuotesGoEqualsSignsStay", {{19, "=\"8\"寸 蛋糕 "}}, SalesColumn::ItemTitle, "=8寸 蛋糕 "},
        CleaningCase{"OrderNumberWithoutItsQuotes",
                     {{0, "1593000012345678"}},
                     SalesColumn::OrderNumber,
                     "1593000012345678"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SalesReportParser, CommaInTheMessageShiftsTheLaterFields) {
    auto values = order("101", "张三");
    values[11] = "周末送,谢谢";
    const Parsed parsed = parse(report({exportLine(values)}));
    ASSERT_EQ(parsed.rows.size(), 1u);
    EXPECT_EQ(parsed.rows[0][SalesColumn::Message], "周末送");
    EXPECT_EQ(parsed.rows[0][SalesColumn::Recipient], "谢谢");
    EXPECT_EQ(parsed.rows[0][SalesColumn::Address], "张三");
    EXPECT_EQ(parsed.rows[0][SalesColumn::Mobile], "0571-88886666"); // old field 15 now in 16
    // The mobile number moved into field 17, which keeps its apostrophe.
    EXPECT_EQ(parsed.rows[0][SalesColumn::OrderTime], "'13800001111");
    EXPECT_EQ(parsed.rows[0][SalesColumn::OrderNumber], "101");
}

struct NoRecordCase {
    const char* name;
    std::string text; // GBK
};

class SalesReportWithoutRecords : public SalesReportParser,
                                  public ::testing::WithParamInterface<NoRecordCase> {};

TEST_P(SalesReportWithoutRecords, AppendsNothingAndStillSaysDone) {
    const Parsed parsed = parse(GetParam().text);
    EXPECT_TRUE(parsed.rows.empty());
    EXPECT_EQ(parsed.reminders, std::vector<std::string>{"提取完成"});
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SalesReportWithoutRecords,
    ::testing::Values(NoRecordCase{"Empty", ""}, NoRecordCase{"HeaderOnly", report({})},
                      NoRecordCase{
                          "CrLfLines",
                          report({exportLine(order("101", "甲")), exportLine(order("102", "乙"))}, "\r\n")},
                      NoRecordCase{"LoginPage", utf8ToGbk("<html><body>请登录</body></html>")},
                      NoRecordCase{"SeparatorAtTheVeryEnd", utf8ToGbk(kHeader + "\n=\"")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SalesReportParser, ShortRecordFillsWhatItHas) {
    // A download cut off inside the fourteenth field of its last record.
    const std::string full = exportLine(order("101", "甲"));
    const std::string cut =
        exportLine(order("102", "乙")).substr(0, exportLine(order("102", "乙")).find("文三路"));
    const Parsed parsed = parse(utf8ToGbk(kHeader + "\n" + full + "\n" + cut));
    ASSERT_EQ(parsed.rows.size(), 2u);
    EXPECT_EQ(parsed.rows[0][SalesColumn::ItemTitle], "夏季纯棉T恤 白色 XL");
    const auto& shortRow = parsed.rows[1];
    EXPECT_EQ(shortRow[SalesColumn::No], "2");
    EXPECT_EQ(shortRow[SalesColumn::OrderNumber], "102");
    EXPECT_EQ(shortRow[SalesColumn::Recipient], "乙");
    EXPECT_EQ(shortRow[SalesColumn::Address], "浙江省 杭州市 西湖区 ");
    EXPECT_EQ(shortRow[SalesColumn::Message], "请尽快发货");
    EXPECT_EQ(shortRow[SalesColumn::Mobile], "");
    EXPECT_EQ(shortRow[SalesColumn::OrderTime], "");
    EXPECT_EQ(shortRow[SalesColumn::ItemTitle], "");
    EXPECT_EQ(parsed.reminders, std::vector<std::string>{"提取完成"});
}

TEST_F(SalesReportParser, RecordOfOneFieldGivesARowWithItsOrderNumber) {
    const Parsed parsed = parse(utf8ToGbk(kHeader + "\n=\"7\""));
    ASSERT_EQ(parsed.rows.size(), 1u);
    EXPECT_EQ(parsed.rows[0][SalesColumn::OrderNumber], "7");
    EXPECT_EQ(parsed.rows[0][SalesColumn::Recipient], "");
}

TEST_F(SalesReportParser, StoppedJobAppendsNothingAndShowsNothing) {
    gate.requestStop();
    const Parsed parsed = parse(report({exportLine(order("101", "甲"))}));
    EXPECT_TRUE(parsed.rows.empty());
    EXPECT_TRUE(notices.entries().empty());
}

TEST_F(SalesReportParser, BrokenCharacterBeforeTheSeparatorCostsNoRecord) {
    // A lone GBK lead byte at the end of a record's last field: a character-wise search would take
    // it together with the closing quote and miss the next record; the separator bytes can never be
    // part of a GBK character, so the reader searches bytes.
    std::string text = report({exportLine(order("101", "甲")), exportLine(order("102", "乙"))});
    const std::size_t secondRecord = text.find("\"\n=\"102");
    ASSERT_NE(secondRecord, std::string::npos);
    text.insert(secondRecord, "\x81");
    const Parsed parsed = parse(text);
    ASSERT_EQ(parsed.rows.size(), 2u);
    EXPECT_EQ(parsed.rows[1][SalesColumn::OrderNumber], "102");
}

} // namespace
} // namespace dropship
