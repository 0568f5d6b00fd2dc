// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The clock and the time zone, asked in one place: the date of a game recorded now, and a date given
// without its offset read in the user's time zone (TZ).

#include "book/dates.h"

#include <optional>
#include <string_view>

namespace zelvara::cli::book {

zelvara::book::GameDate now();

// A date as --date takes it: "2026-12-08T21:40:00+03:00", "2026-12-08T21:40" (local time) or
// "2026-12-08" (the start of that day, local time). Nothing when it is none of these.
std::optional<zelvara::book::GameDate> gameDate(std::string_view text);

} // namespace zelvara::cli::book
