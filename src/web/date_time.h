#pragma once
// A local date-time with one-second resolution and no time zone: what the lists hold as text and
// the marketplace's time stamps are computed from.

#include <compare>

namespace dropship {

struct DateTime {
    int year = 1899; // the default value is the "empty" date-time 1899-12-30 00:00:00
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    auto operator<=>(const DateTime&) const = default;
    bool isEmpty() const { return *this == DateTime{}; }
};

} // namespace dropship
