#include "web/date_time_text.h"
#include "web/gbk.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <string>

namespace dropship {
namespace {

std::string g(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

const DateTime kInvalid{100, 1, 1, 0, 0, 0};

struct ParseCase {
    std::string text;
    DateTime expected;
};

class TextToDateTimeTest : public testing::TestWithParam<ParseCase> {};

TEST_P(TextToDateTimeTest, ReadsWrittenDateTimes) {
    EXPECT_EQ(textToDateTime(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Valid, TextToDateTimeTest,
                         testing::Values(ParseCase{"2016-01-28 09:05:07", {2016, 1, 28, 9, 5, 7}},
                                         ParseCase{"2016-01-28", {2016, 1, 28, 0, 0, 0}},
                                         ParseCase{"2016/1/8 9:05", {2016, 1, 8, 9, 5, 0}},
                                         ParseCase{"2016-01-28 09:05", {2016, 1, 28, 9, 5, 0}},
                                         ParseCase{"2016-01-28 23:59:59", {2016, 1, 28, 23, 59, 59}},
                                         ParseCase{"  2016-01-28  09:05:07 ", {2016, 1, 28, 9, 5, 7}},
                                         ParseCase{"2016-01-28T09:05:07", {2016, 1, 28, 9, 5, 7}},
                                         ParseCase{"2016.01.28", {2016, 1, 28, 0, 0, 0}},
                                         ParseCase{g("2016年1月28日 9时05分07秒"), {2016, 1, 28, 9, 5, 7}},
                                         ParseCase{g("2016年01月28日 09时05分"), {2016, 1, 28, 9, 5, 0}},
                                         ParseCase{"20160128", {2016, 1, 28, 0, 0, 0}},
                                         ParseCase{"20160128090507", {2016, 1, 28, 9, 5, 7}},
                                         ParseCase{"2016-02-29", {2016, 2, 29, 0, 0, 0}},
                                         ParseCase{"2000-02-29", {2000, 2, 29, 0, 0, 0}},
                                         ParseCase{"0100-01-02", {100, 1, 2, 0, 0, 0}}));

INSTANTIATE_TEST_SUITE_P(
    Invalid, TextToDateTimeTest,
    testing::Values(ParseCase{"", kInvalid}, ParseCase{"abc", kInvalid}, ParseCase{"2016-13-01", kInvalid},
                    ParseCase{"2016-00-10", kInvalid}, ParseCase{"2016-02-30", kInvalid},
                    ParseCase{"2015-02-29", kInvalid}, ParseCase{"1900-02-29", kInvalid},
                    ParseCase{"2016-04-31", kInvalid}, ParseCase{"2016-01-28 24:00:00", kInvalid},
                    ParseCase{"2016-01-28 09:60", kInvalid}, ParseCase{"2016-01-28 09:05:60", kInvalid},
                    ParseCase{"2016-01-28x", kInvalid}, ParseCase{"2016-01/28", kInvalid},
                    ParseCase{"16-01-28", kInvalid}, ParseCase{"2016-01-28 09", kInvalid},
                    ParseCase{"2016-01-28 09:05:07 x", kInvalid}, ParseCase{"2016-01-28 09:05:", kInvalid},
                    ParseCase{"201601281", kInvalid}, ParseCase{"0099-12-31", kInvalid},
                    ParseCase{"2016-001-28", kInvalid}));

struct StampCase {
    DateTime t;
    std::string expected;
};

class MillisecondTimeTextTest : public testing::TestWithParam<StampCase> {
  protected:
    void TearDown() override { setZone("Asia/Shanghai"); }
    static void setZone(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }
};

TEST_P(MillisecondTimeTextTest, CountsFromEpochInChina) {
    EXPECT_EQ(millisecondTimeText(GetParam().t), GetParam().expected);
}

// The stamp is calendar arithmetic: a machine in another zone, even inside a daylight-saving
// change, writes the same text.
TEST_P(MillisecondTimeTextTest, IgnoresMachineTimeZone) {
    for (const char* zone : {"America/New_York", "UTC", "Europe/London", "Asia/Shanghai"}) {
        setZone(zone);
        EXPECT_EQ(millisecondTimeText(GetParam().t), GetParam().expected) << zone;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, MillisecondTimeTextTest,
                         testing::Values(StampCase{{1970, 1, 1, 8, 0, 0}, "0000"},
                                         StampCase{{1970, 1, 1, 7, 59, 59}, "-1000"},
                                         StampCase{{1969, 12, 31, 23, 59, 59}, "-28801000"},
                                         StampCase{{2016, 1, 28, 0, 0, 0}, "1453910400000"},
                                         StampCase{{2016, 1, 28, 9, 5, 7}, "1453943107000"},
                                         // Missing and repeated hours of New York's DST changes.
                                         StampCase{{2016, 3, 13, 2, 30, 0}, "1457807400000"},
                                         StampCase{{2016, 11, 6, 1, 30, 0}, "1478367000000"},
                                         StampCase{{2038, 1, 19, 11, 14, 8}, "2147483648000"}));

TEST(MillisecondTimeText, AgreesWithTimegmOverManyDays) {
    for (int year = 2002; year <= 2040; year += 6) {
        for (int month = 1; month <= 12; ++month) {
            std::tm tm{};
            tm.tm_year = year - 1900;
            tm.tm_mon = month - 1;
            tm.tm_mday = 28;
            tm.tm_hour = 13;
            tm.tm_min = 7;
            tm.tm_sec = 9;
            const long long expected = static_cast<long long>(timegm(&tm)) - 8 * 3600;
            const std::string text = millisecondTimeText({year, month, 28, 13, 7, 9});
            EXPECT_EQ(text, std::to_string(expected) + "000");
            EXPECT_EQ(text.size(), 13u);
        }
    }
}

struct FormatCase {
    int style;
    int mode;
    bool hour24;
    DateTime t;
    std::string expected;
};

class DateTimeTextTest : public testing::TestWithParam<FormatCase> {};

TEST_P(DateTimeTextTest, FormatsByStyleAndMode) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(dateTimeText(c.t, c.style, c.mode, c.hour24), c.expected)
        << "style " << c.style << " mode " << c.mode;
}

const DateTime kMorning{2016, 1, 28, 9, 5, 7};
const DateTime kEvening{2016, 1, 28, 21, 5, 7};
const DateTime kMidnight{2016, 1, 28, 0, 30, 0};

INSTANTIATE_TEST_SUITE_P(Style0, DateTimeTextTest,
                         testing::Values(FormatCase{0, 0, true, kMorning, g("2016年01月28日 09时05分07秒")},
                                         FormatCase{0, 1, true, kMorning, g("2016年01月28日")},
                                         FormatCase{0, 2, true, kMorning, g("01月28日")},
                                         FormatCase{0, 3, true, kMorning, g("09时05分07秒")},
                                         FormatCase{0, 4, true, kMorning, g("09时05分")},
                                         FormatCase{0, 5, true, kMorning, g("05分07秒")}));

INSTANTIATE_TEST_SUITE_P(Style1, DateTimeTextTest,
                         testing::Values(FormatCase{1, 0, true, kMorning, "2016-01-28 09:05:07"},
                                         FormatCase{1, 1, true, kMorning, "2016-01-28"},
                                         FormatCase{1, 2, true, kMorning, "01-28"},
                                         FormatCase{1, 3, true, kMorning, "09:05:07"},
                                         FormatCase{1, 4, true, kMorning, "09:05"},
                                         FormatCase{1, 5, true, kMorning, "05:07"},
                                         FormatCase{1, 0, true, kEvening, "2016-01-28 21:05:07"}));

INSTANTIATE_TEST_SUITE_P(Style2, DateTimeTextTest,
                         testing::Values(FormatCase{2, 0, true, kMorning, "2016/01/28 09/05/07"},
                                         FormatCase{2, 1, true, kMorning, "2016/01/28"},
                                         FormatCase{2, 2, true, kMorning, "01/28"},
                                         FormatCase{2, 3, true, kMorning, "09/05/07"},
                                         FormatCase{2, 4, true, kMorning, "09/05"},
                                         FormatCase{2, 5, true, kMorning, "05/07"}));

INSTANTIATE_TEST_SUITE_P(Style3, DateTimeTextTest,
                         testing::Values(FormatCase{3, 0, true, kMorning, "20160128090507"},
                                         FormatCase{3, 1, true, kMorning, "20160128"},
                                         FormatCase{3, 2, true, kMorning, "0128"},
                                         FormatCase{3, 3, true, kMorning, "090507"},
                                         FormatCase{3, 4, true, kMorning, "0905"},
                                         FormatCase{3, 5, true, kMorning, "0507"}));

INSTANTIATE_TEST_SUITE_P(OutOfRangeAndTwelveHour, DateTimeTextTest,
                         testing::Values(FormatCase{7, 9, true, kMorning, g("2016年01月28日 09时05分07秒")},
                                         FormatCase{-1, 1, true, kMorning, g("2016年01月28日")},
                                         FormatCase{1, -3, true, kMorning, "2016-01-28 09:05:07"},
                                         FormatCase{1, 0, false, kEvening, "2016-01-28 09:05:07"},
                                         FormatCase{1, 0, false, kMidnight, "2016-01-28 12:30:00"},
                                         FormatCase{1, 4, false, {2016, 1, 28, 12, 0, 0}, "12:00"},
                                         FormatCase{0, 3, false, kEvening, g("09时05分07秒")},
                                         FormatCase{1, 5, false, kEvening, "05:07"},
                                         FormatCase{1, 1, true, {100, 1, 1, 0, 0, 0}, "0100-01-01"}));

struct MonthsCase {
    DateTime t;
    int months;
    DateTime expected;
};

class AddCalendarMonthsTest : public testing::TestWithParam<MonthsCase> {};

TEST_P(AddCalendarMonthsTest, ClampsDayToTargetMonth) {
    EXPECT_EQ(addCalendarMonths(GetParam().t, GetParam().months), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, AddCalendarMonthsTest,
                         testing::Values(MonthsCase{{2016, 3, 31, 10, 20, 30}, -1, {2016, 2, 29, 10, 20, 30}},
                                         MonthsCase{{2015, 3, 31, 0, 0, 0}, -1, {2015, 2, 28, 0, 0, 0}},
                                         MonthsCase{{2016, 1, 15, 0, 0, 0}, -1, {2015, 12, 15, 0, 0, 0}},
                                         MonthsCase{{2016, 12, 31, 0, 0, 0}, 2, {2017, 2, 28, 0, 0, 0}},
                                         MonthsCase{{2016, 5, 31, 0, 0, 0}, 1, {2016, 6, 30, 0, 0, 0}},
                                         MonthsCase{{2016, 5, 31, 0, 0, 0}, -25, {2014, 4, 30, 0, 0, 0}},
                                         MonthsCase{{2016, 5, 31, 0, 0, 0}, 0, {2016, 5, 31, 0, 0, 0}}));

TEST(CurrentDateTime, IsLocalTime) {
    // In China the local "now" stamped from 1970-01-01 08:00:00 is the Unix time.
    setenv("TZ", "Asia/Shanghai", 1);
    tzset();
    const long long before = static_cast<long long>(std::time(nullptr));
    const DateTime now = currentDateTime();
    const long long after = static_cast<long long>(std::time(nullptr));
    EXPECT_TRUE(isValidDateTime(now));
    const long long stamp = std::stoll(millisecondTimeText(now)) / 1000;
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);

    // Eight hours behind in UTC (modulo a second that may pass meanwhile).
    setenv("TZ", "UTC", 1);
    tzset();
    const long long utcStamp = std::stoll(millisecondTimeText(currentDateTime())) / 1000;
    EXPECT_NEAR(static_cast<double>(stamp - utcStamp), 8 * 3600, 2);
    setenv("TZ", "Asia/Shanghai", 1);
    tzset();
}

} // namespace
} // namespace dropship
