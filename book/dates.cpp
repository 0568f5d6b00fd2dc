// SPDX-License-Identifier: GPL-3.0-or-later
#include "book/dates.h"

#include <charconv>

namespace zelvara::book {

namespace {

// A run of exactly `digits` decimal digits at `at`.
std::optional<int> number(std::string_view text, std::size_t at, std::size_t digits)
{
    if (at + digits > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool leap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leap(year) ? 29 : Days[month - 1];
}

// Days from 1970-01-01 to the given day of the proleptic Gregorian calendar (H. Hinnant's algorithm).
std::int64_t daysFromCivil(int year, int month, int day)
{
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The day of the proleptic Gregorian calendar that many days from 1970-01-01 (the same algorithm's
// inverse).
struct Civil
{
    std::int64_t year = 0;
    std::int64_t month = 0;
    std::int64_t day = 0;
};

Civil civilFromDays(std::int64_t days)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    Civil civil;
    civil.day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    civil.month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    civil.year = yearOfEra + era * 400 + (civil.month <= 2 ? 1 : 0);
    return civil;
}

} // namespace

std::optional<std::int64_t> dayNumber(std::string_view text)
{
    if (!readDay(text)) {
        return std::nullopt;
    }
    return daysFromCivil(*number(text, 0, 4), *number(text, 5, 2), *number(text, 8, 2));
}

std::string dayOfNumber(std::int64_t number)
{
    const Civil civil = civilFromDays(number);
    const auto two = [](std::int64_t value) { return std::string(value < 10 ? "0" : "") + std::to_string(value); };
    std::string year = std::to_string(civil.year);
    year.insert(0, year.size() < 4 ? 4 - year.size() : 0, '0');
    return year + "-" + two(civil.month) + "-" + two(civil.day);
}

std::optional<std::string> readDay(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    const auto year = number(text, 0, 4);
    const auto month = number(text, 5, 2);
    const auto day = number(text, 8, 2);
    if (!year || !month || !day || *year < 1 || *month < 1 || *month > 12 || *day < 1 ||
        *day > daysInMonth(*year, *month)) {
        return std::nullopt;
    }
    return std::string(text);
}

std::optional<GameDate> readGameDate(std::string_view text)
{
    if (text.size() < 17 || text[10] != 'T' || text[13] != ':') {
        return std::nullopt;
    }
    const auto day = readDay(text.substr(0, 10));
    const auto hour = number(text, 11, 2);
    const auto minute = number(text, 14, 2);
    if (!day || !hour || !minute || *hour > 23 || *minute > 59) {
        return std::nullopt;
    }
    std::size_t at = 16;
    int second = 0;
    if (text[at] == ':') {
        const auto s = number(text, at + 1, 2);
        if (!s || *s > 59) {
            return std::nullopt;
        }
        second = *s;
        at += 3;
    }
    std::string offset;
    int offsetSeconds = 0;
    if (text.substr(at) == "Z") {
        offset = "+00:00";
    } else {
        const std::string_view zone = text.substr(at);
        if (zone.size() != 6 || (zone[0] != '+' && zone[0] != '-') || zone[3] != ':') {
            return std::nullopt;
        }
        const auto h = number(zone, 1, 2);
        const auto m = number(zone, 4, 2);
        if (!h || !m || *h > 14 || *m > 59) {
            return std::nullopt;
        }
        offset = zone;
        offsetSeconds = (zone[0] == '-' ? -1 : 1) * (*h * 3600 + *m * 60);
    }
    const int year = *number(text, 0, 4);
    const int month = *number(text, 5, 2);
    const int dayOfMonth = *number(text, 8, 2);
    GameDate date;
    date.day = *day;
    date.text = std::string(text.substr(0, 16)) + ":" + (second < 10 ? "0" : "") + std::to_string(second) + offset;
    date.utc = daysFromCivil(year, month, dayOfMonth) * 86400 + std::int64_t{*hour} * 3600 +
               std::int64_t{*minute} * 60 + second - offsetSeconds;
    return date;
}

} // namespace zelvara::book
