// Loading saved lists, and lists that go through a save and a load unchanged.
#include "list_file_fixture.h"
#include "model/list_file.h"
#include "model/order_columns.h"
#include "web/gbk.h"

#include <gtest/gtest.h>
#include <random>

namespace dropship {
namespace {

using namespace testing_support;

struct LoadCase {
    const char* name;
    std::string file;
    int columns;
    Rows expected;
};

class LoadList : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadList, SplitsLinesAndCellsOnCharacterBoundaries) {
    const LoadCase& c = GetParam();
    TempDir dir;
    writeBytes(dir / "list.txt", c.file);
    OrderList list(c.columns);
    EXPECT_EQ(loadList(list, dir / "list.txt"), static_cast<int>(c.expected.size()));
    EXPECT_EQ(list.snapshot(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadList,
    testing::Values(
        LoadCase{"EmptyFile", "", 3, {}},
        LoadCase{"OneFullLine", "1" + S + "x" + S + "y" + S + "\r\n", 3, {{"1", "x", "y"}}},
        LoadCase{
            "LastLineWithoutLineEnd", "a" + S + "\r\nb" + S + "c" + S, 3, {{"a", "", ""}, {"b", "c", ""}}},
        LoadCase{"NoSeparatorAfterLastText", "a" + S + "b\r\n", 3, {{"a", "b", ""}}},
        LoadCase{"EmptyLineGivesEmptyRow",
                 "a" + S + "\r\n\r\nb" + S + "\r\n",
                 2,
                 {{"a", ""}, {"", ""}, {"b", ""}}},
        LoadCase{"OnlyALineEnd", "\r\n", 2, {{"", ""}}},
        LoadCase{"ExtraCellsDropped", "1" + S + "2" + S + "3" + S + "4" + S + "\r\n", 2, {{"1", "2"}}},
        LoadCase{"LoneLineFeedIsNoLineEnd", "a\nb" + S + "\r\n", 2, {{"a\nb", ""}}},
        LoadCase{"ReadsUpToTheFirstNul",
                 "a" + S + "\r\nb" + S + std::string(1, '\0') + "c" + S + "\r\n",
                 2,
                 {{"a", ""}, {"b", ""}}},
        LoadCase{"NulAtStartGivesNothing", std::string(1, '\0') + "a" + S + "\r\n", 2, {}},
        // "\xB0\xA1" "\xFB\xA1" "\xFA\xA1": the separator's bytes inside three characters.
        LoadCase{"SeparatorBytesInsideCharacters",
                 std::string("\xB0\xA1\xFB\xA1\xFA\xA1") + S + "x" + S + "\r\n",
                 2,
                 {{"\xB0\xA1\xFB\xA1\xFA\xA1", "x"}}},
        // "\xB0\r" is one (broken) double-byte character, so this CR LF ends no line.
        LoadCase{"LineEndBytesInsideACharacter",
                 "a\xB0\r\nb" + S + "\r\nc" + S + "\r\n",
                 2,
                 {{"a\xB0\r\nb", ""}, {"c", ""}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadListFile, MissingFileLoadsNothing) {
    TempDir dir;
    OrderList list(2);
    list.appendRows({{"kept"}});
    EXPECT_EQ(loadList(list, dir / "absent.txt"), 0);
    EXPECT_EQ(list.snapshot(), (Rows{{"kept", ""}}));
}

TEST(LoadListFile, AFolderInPlaceOfTheFileLoadsNothing) {
    TempDir dir;
    OrderList list(2);
    EXPECT_EQ(loadList(list, dir.path()), 0);
    EXPECT_EQ(list.rowCount(), 0);
}

TEST(LoadListFile, ReportsOneAppendForTheWholeFile) {
    TempDir dir;
    writeBytes(dir / "list.txt", "a" + S + "\r\nb" + S + "\r\nc" + S + "\r\n");
    OrderList list(2);
    std::vector<ListChange> changes;
    list.setObserver([&changes](const ListChange& change) { changes.push_back(change); });
    loadList(list, dir / "list.txt");
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].kind, ListChange::Kind::Appended);
    EXPECT_EQ(changes[0].count, 3);
}

// Random files made of the bytes that matter (separator bytes, CR, LF, other lead bytes, ASCII,
// NUL) load exactly as the plain rule says: read up to the first NUL, split at every CR LF, then
// at every separator, both on character boundaries (gbkSplit walks every character and serves as
// the reference). Lengths up to 80 bytes cover both the sixteen-byte blocks and the byte-wise tail.
TEST(LoadListFile, RandomFilesLoadAsThePlainSplitRuleSays) {
    const std::string alphabet = "a\r\n\r\n\xA1\xFB\xA1\xFA\xB0\x81\xFE\xFF\x80";
    std::mt19937 random(4242);
    TempDir dir;
    for (int round = 0; round < 3000; ++round) {
        std::string file;
        const std::size_t length = random() % 80;
        while (file.size() < length) {
            if (random() % 4 == 0)
                file += random() % 2 ? S : std::string("\r\n");
            else
                file += alphabet[random() % alphabet.size()];
        }
        if (random() % 8 == 0) // now and then a NUL byte, which ends the text
            file.insert(random() % (file.size() + 1), 1, '\0');
        Rows expected;
        const std::string_view read = std::string_view(file).substr(0, file.find('\0'));
        for (const std::string_view line : gbkSplit(read, "\r\n")) {
            std::vector<std::string>& row = expected.emplace_back(3);
            const std::vector<std::string_view> pieces = gbkSplit(line, S);
            for (std::size_t n = 0; n < pieces.size() && n < row.size(); ++n)
                row[n] = pieces[n];
        }
        writeBytes(dir / "list.txt", file);
        OrderList list(3);
        ASSERT_EQ(loadList(list, dir / "list.txt"), static_cast<int>(expected.size())) << "round " << round;
        ASSERT_EQ(list.snapshot(), expected) << "round " << round;
    }
}

std::vector<std::string> purchaseRowWithTraceAddress() {
    std::vector<std::string> row(PurchaseColumn::Count);
    row[PurchaseColumn::No] = "7";
    row[PurchaseColumn::OrderTime] = "2024-05-12 13:45:10";
    row[PurchaseColumn::Source] = utf8ToGbk("淘宝");
    row[PurchaseColumn::OrderNumber] = "3912345678901234567";
    row[PurchaseColumn::ItemTitle] = utf8ToGbk("夏季纯棉T恤 男款");
    row[PurchaseColumn::Recipient] = utf8ToGbk("张三");
    row[PurchaseColumn::Mobile] = "13812345678";
    row[PurchaseColumn::Address] = utf8ToGbk("浙江省 杭州市 西湖区 文三路12号");
    row[PurchaseColumn::WaybillNumber] = "YT1234567890123";
    row[PurchaseColumn::Carrier] = utf8ToGbk("圆通速递");
    row[PurchaseColumn::TraceAddress] =
        "https://trace.example/trace/trace_detail.htm?tId=3912345678901234567&userId=99";
    row[PurchaseColumn::AccountName] = utf8ToGbk("小店铺");
    return row; // Status and the caption-less column 11 stay empty
}

TEST(ListFileRoundTrip, PurchaseRowKeepsItsCaptionlessCells) {
    TempDir dir;
    OrderList saved(PurchaseColumn::Count);
    saved.appendRows({purchaseRowWithTraceAddress(), {}});
    ASSERT_TRUE(saveList(saved, dir / kPurchaseListFile).ok);

    OrderList loaded(PurchaseColumn::Count);
    EXPECT_EQ(loadList(loaded, dir / kPurchaseListFile), 2);
    EXPECT_EQ(loaded.snapshot(), saved.snapshot());
    EXPECT_EQ(loaded.cell(0, PurchaseColumn::Unused), "");
    EXPECT_EQ(loaded.cell(0, PurchaseColumn::TraceAddress),
              purchaseRowWithTraceAddress()[PurchaseColumn::TraceAddress]);
}

TEST(ListFileRoundTrip, SavingTwiceGivesTheSameBytesAndLoadingRestoresThem) {
    TempDir dir;
    OrderList list(PurchaseColumn::Count);
    list.appendRows({purchaseRowWithTraceAddress(), {"8"}, purchaseRowWithTraceAddress()});
    ASSERT_TRUE(saveList(list, dir / "first.txt").ok);
    const std::string first = readBytes(dir / "first.txt");
    ASSERT_TRUE(saveList(list, dir / "first.txt").ok);
    EXPECT_EQ(readBytes(dir / "first.txt"), first);

    // The next start loads the file and closes again without changes: the same bytes once more.
    OrderList reloaded(PurchaseColumn::Count);
    loadList(reloaded, dir / "first.txt");
    ASSERT_TRUE(saveList(reloaded, dir / "second.txt").ok);
    EXPECT_EQ(readBytes(dir / "second.txt"), first);
}

} // namespace
} // namespace dropship
