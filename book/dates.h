// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The date of a game: ISO 8601 local time with its offset, "2026-12-08T21:40:00+03:00", kept as written.
// The book sorts by the moment it names and filters by the calendar day it was written with.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelvara::book {

struct GameDate
{
    std::string text;     // as written, seconds included: "2026-12-08T21:40:00+03:00"
    std::int64_t utc = 0; // the moment, in seconds since 1970-01-01T00:00:00Z
    std::string day;      // the local calendar day: "2026-12-08"
};

// Reads "YYYY-MM-DDTHH:MM:SS±HH:MM" (or "Z" for +00:00; seconds may be left out). Nothing for anything
// else, or for a date that does not exist.
std::optional<GameDate> readGameDate(std::string_view text);

// Reads a calendar day "YYYY-MM-DD"; nothing when it is not one.
std::optional<std::string> readDay(std::string_view text);

// The number of a calendar day "YYYY-MM-DD", counted from 1970-01-01; nothing when it is not one.
std::optional<std::int64_t> dayNumber(std::string_view text);
// The calendar day of a number dayNumber gives: "2026-12-08".
std::string dayOfNumber(std::int64_t number);

} // namespace zelvara::book
