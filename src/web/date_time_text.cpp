#include "web/date_time_text.h"

#include "web/gbk.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <optional>

namespace dropship {
namespace {

// GBK spellings of the date and time words.
constexpr std::string_view kYear = "\xC4\xEA";   // 年
constexpr std::string_view kMonth = "\xD4\xC2";  // 月
constexpr std::string_view kDay = "\xC8\xD5";    // 日
constexpr std::string_view kHour = "\xCA\xB1";   // 时
constexpr std::string_view kMinute = "\xB7\xD6"; // 分
constexpr std::string_view kSecond = "\xC3\xEB"; // 秒

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr std::array<int, 12> days{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[static_cast<std::size_t>(month - 1)];
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian calendar).
long long daysFromCivil(long long year, unsigned month, unsigned day) {
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

// A cursor over the text being read as a date-time.
class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool atEnd() const { return pos_ == text_.size(); }
    std::size_t position() const { return pos_; }

    // A number of minDigits..maxDigits decimal digits.
    std::optional<int> number(std::size_t minDigits, std::size_t maxDigits) {
        std::size_t count = 0;
        int value = 0;
        while (count < maxDigits && pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            value = value * 10 + (text_[pos_] - '0');
            ++pos_;
            ++count;
        }
        if (count < minDigits)
            return std::nullopt;
        return value;
    }

    bool take(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word)
            return false;
        pos_ += word.size();
        return true;
    }

    // One of the given single characters; returns it, or 0.
    char takeOneOf(std::string_view characters) {
        if (pos_ < text_.size() && characters.find(text_[pos_]) != std::string_view::npos)
            return text_[pos_++];
        return 0;
    }

    std::size_t skipBlanks() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t'))
            ++pos_;
        return pos_ - start;
    }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// Reads a date; compact tells whether it was written as eight digits (yyyyMMdd).
bool readDate(Reader& in, DateTime& t, bool& compact) {
    const auto year = in.number(4, 4);
    if (!year)
        return false;
    t.year = *year;
    compact = false;
    if (in.take(kYear)) {
        const auto month = in.number(1, 2);
        if (!month || !in.take(kMonth))
            return false;
        const auto day = in.number(1, 2);
        if (!day)
            return false;
        in.take(kDay);
        t.month = *month;
        t.day = *day;
        return true;
    }
    if (const char separator = in.takeOneOf("-/.")) {
        const auto month = in.number(1, 2);
        if (!month || !in.take(std::string_view(&separator, 1)))
            return false;
        const auto day = in.number(1, 2);
        if (!day)
            return false;
        t.month = *month;
        t.day = *day;
        return true;
    }
    const auto month = in.number(2, 2);
    const auto day = month ? in.number(2, 2) : std::nullopt;
    if (!day)
        return false;
    t.month = *month;
    t.day = *day;
    compact = true;
    return true;
}

bool readTime(Reader& in, DateTime& t) {
    const auto hour = in.number(1, 2);
    if (!hour)
        return false;
    t.hour = *hour;
    if (in.take(kHour)) {
        const auto minute = in.number(1, 2);
        if (!minute || !in.take(kMinute))
            return false;
        t.minute = *minute;
        if (const auto second = in.number(1, 2)) {
            if (!in.take(kSecond))
                return false;
            t.second = *second;
        }
        return true;
    }
    if (!in.take(":"))
        return false;
    const auto minute = in.number(1, 2);
    if (!minute)
        return false;
    t.minute = *minute;
    if (in.take(":")) {
        const auto second = in.number(1, 2);
        if (!second)
            return false;
        t.second = *second;
    }
    return true;
}

// Six digits hhmmss straight after eight date digits.
bool readCompactTime(Reader& in, DateTime& t) {
    const auto hour = in.number(2, 2);
    const auto minute = hour ? in.number(2, 2) : std::nullopt;
    const auto second = minute ? in.number(2, 2) : std::nullopt;
    if (!second)
        return false;
    t.hour = *hour;
    t.minute = *minute;
    t.second = *second;
    return true;
}

std::optional<DateTime> parseDateTime(std::string_view text) {
    Reader in(text);
    in.skipBlanks();
    DateTime t{};
    t.hour = t.minute = t.second = 0;
    bool compactDate = false;
    if (!readDate(in, t, compactDate))
        return std::nullopt;
    if (compactDate && !in.atEnd() && text[in.position()] >= '0' && text[in.position()] <= '9') {
        if (!readCompactTime(in, t))
            return std::nullopt;
    } else if (in.skipBlanks() > 0 || in.take("T")) {
        if (!in.atEnd() && !readTime(in, t))
            return std::nullopt;
    }
    in.skipBlanks();
    if (!in.atEnd())
        return std::nullopt;
    return t;
}

std::string twoDigits(int value) {
    return std::string{static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

// Replaces the tokens yyyy, MM, dd, HH, hh, mm and ss of a picture; other characters are copied.
std::string formatPicture(std::string_view picture, const DateTime& t) {
    std::string out;
    for (std::size_t pos = 0; pos < picture.size();) {
        const std::string_view rest = picture.substr(pos);
        if (rest.starts_with("yyyy")) {
            out += twoDigits(t.year / 100) + twoDigits(t.year % 100);
            pos += 4;
            continue;
        }
        const std::string_view token = rest.substr(0, 2);
        int value = -1;
        if (token == "MM")
            value = t.month;
        else if (token == "dd")
            value = t.day;
        else if (token == "HH")
            value = t.hour;
        else if (token == "hh")
            value = t.hour % 12 == 0 ? 12 : t.hour % 12;
        else if (token == "mm")
            value = t.minute;
        else if (token == "ss")
            value = t.second;
        if (value >= 0) {
            out += twoDigits(value);
            pos += 2;
            continue;
        }
        const std::size_t length = gbkCharLength(picture, pos);
        out.append(picture.substr(pos, length));
        pos += length;
    }
    return out;
}

struct Pictures {
    std::string_view date;         // ends in one blank for styles 0..2
    std::string_view time;         // hours, minutes, seconds
    std::string_view monthDay;     // mode 2
    std::string_view hourMinute;   // mode 4
    std::string_view minuteSecond; // mode 5
};

const Pictures& picturesOf(int style) {
    static const std::array<Pictures, 4> pictures{{
        {"yyyy\xC4\xEAMM\xD4\xC2"
         "dd\xC8\xD5 ",
         "hh\xCA\xB1mm\xB7\xD6ss\xC3\xEB",
         "MM\xD4\xC2"
         "dd\xC8\xD5",
         "hh\xCA\xB1mm\xB7\xD6", "mm\xB7\xD6ss\xC3\xEB"},
        {"yyyy-MM-dd ", "hh:mm:ss", "MM-dd", "hh:mm", "mm:ss"},
        {"yyyy/MM/dd ", "hh/mm/ss", "MM/dd", "hh/mm", "mm/ss"},
        {"yyyyMMdd", "hhmmss", "MMdd", "hhmm", "mmss"},
    }};
    return pictures[static_cast<std::size_t>(style < 0 || style > 3 ? 0 : style)];
}

} // namespace

bool isValidDateTime(const DateTime& t) {
    return t.year >= 100 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
           t.day <= daysInMonth(t.year, t.month) && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 &&
           t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

DateTime textToDateTime(std::string_view text) {
    const auto parsed = parseDateTime(text);
    if (parsed && isValidDateTime(*parsed))
        return *parsed;
    return DateTime{100, 1, 1, 0, 0, 0};
}

std::string millisecondTimeText(const DateTime& t) {
    const long long days =
        daysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day));
    const long long seconds = days * 86400 + t.hour * 3600LL + t.minute * 60LL + t.second - 8 * 3600LL;
    return std::to_string(seconds) + "000";
}

std::string dateTimeText(const DateTime& t, int style, int mode, bool hour24) {
    const Pictures& pictures = picturesOf(style);
    std::string_view date;
    std::string_view time;
    switch (mode) {
    case 1:
        date = pictures.date.substr(0, pictures.date.find_last_not_of(' ') + 1);
        break;
    case 2:
        date = pictures.monthDay;
        break;
    case 3:
        time = pictures.time;
        break;
    case 4:
        time = pictures.hourMinute;
        break;
    case 5:
        time = pictures.minuteSecond;
        break;
    default:
        date = pictures.date;
        time = pictures.time;
        break;
    }
    std::string timePicture(time);
    if (hour24) {
        for (std::size_t at = timePicture.find("hh"); at != std::string::npos;
             at = timePicture.find("hh", at))
            timePicture.replace(at, 2, "HH");
    }
    return formatPicture(date, t) + formatPicture(timePicture, t);
}

DateTime currentDateTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour,        local.tm_min,     local.tm_sec};
}

DateTime addCalendarMonths(const DateTime& t, int months) {
    const int total = t.year * 12 + (t.month - 1) + months;
    DateTime moved = t;
    moved.year = total / 12;
    moved.month = total % 12 + 1;
    moved.day = std::min(t.day, daysInMonth(moved.year, moved.month));
    return moved;
}

} // namespace dropship
