#pragma once
// Date-time texts: reading the times the marketplace writes, the millisecond time stamps the
// marketplace expects, and the formatted dates of the window's date boxes.

#include "web/date_time.h"

#include <string>
#include <string_view>

namespace dropship {

// The date-time written in text: a date as year, month and day separated by "-", "/", "." or
// written with 年月日, or as eight digits, optionally followed by a time of hours and minutes with
// or without seconds (separated by ":" or written with 时分秒, or as six digits after eight date
// digits). Blanks around are allowed. Anything else, and any impossible date or time, gives
// 0100-01-01 00:00:00.
DateTime textToDateTime(std::string_view text);

// Seconds from 1970-01-01 08:00:00 to t followed by three millisecond digits ("000"): the
// marketplace's time stamp. Pure calendar arithmetic, independent of the machine's time zone.
std::string millisecondTimeText(const DateTime& t);

// t formatted with a style (0 "yyyy年MM月dd日 hh时mm分ss秒", 1 "yyyy-MM-dd hh:mm:ss",
// 2 "yyyy/MM/dd hh/mm/ss", 3 "yyyyMMddhhmmss"; any other value counts as 0) and a mode (0 date and
// time, 1 date only, 2 month and day, 3 time only, 4 hour and minute, 5 minute and second; any
// other value counts as 0). hour24 = false writes the hour on the 12-hour clock without AM/PM.
std::string dateTimeText(const DateTime& t, int style = 0, int mode = 0, bool hour24 = true);

// The local date-time now.
DateTime currentDateTime();

// t moved by a number of calendar months; a day past the end of the target month becomes its last
// day (31 March minus one month is 28 or 29 February).
DateTime addCalendarMonths(const DateTime& t, int months);

// Whether the date-time names a real day and time (year 100..9999).
bool isValidDateTime(const DateTime& t);

} // namespace dropship
