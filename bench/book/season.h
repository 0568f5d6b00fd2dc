// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The season the book's benchmarks generate: the first worked example with four of twelve club members
// seated in turn, the heaps and whists varied, four games a day from 2000 on.

#include "book/book.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <string>
#include <vector>

namespace zelvara::bench {

using Clock = std::chrono::steady_clock;

inline double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Example 1 with four of twelve club members seated, in turn.
inline sheetfile::SheetDocument sheetOf(int round)
{
    static const std::vector<std::string> Members{"Аня",  "Гоша", "Алёна", "Pete", "Саша", "Юля",
                                                  "Олег", "Ира",  "Дима",  "Вера", "Лев",  "Маша"};
    sheetfile::SheetDocument document;
    document.sheet = engine::SheetTexts::withDesignTexts(4);
    document.decimalSeparator = ',';
    const std::array<const char *, 4> heaps{"20", "4", "12", "0"};
    const std::array<const char *, 4> pools{"10", "8", "6", "10"};
    for (std::size_t i = 0; i < 4; ++i) {
        document.sheet.names[i] = Members[(static_cast<std::size_t>(round) * 5 + i * 3) % Members.size()];
        document.sheet.heaps[i] = heaps[(i + static_cast<std::size_t>(round)) % 4];
        document.sheet.pools[i] = pools[i];
    }
    document.sheet.whists[0][1] = std::to_string(20 + round % 17);
    document.sheet.whists[1][0] = "4";
    document.sheet.whists[2][3] = std::to_string(6 + round % 5);
    document.sheet.whists[3][0] = "2";
    return document;
}

inline book::GameDate dateOf(int round)
{
    // Four games a day over the years, from 2000 on.
    const long day = 10957 + round / 4;
    book::GameDate date;
    date.utc = day * 86400 + 18 * 3600 + std::int64_t{round % 4} * 600;
    const std::time_t t = date.utc;
    std::tm parts{};
    ::gmtime_r(&t, &parts);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S+00:00", &parts);
    date.text = text;
    date.day = date.text.substr(0, 10);
    return date;
}

// Records sheets `from` to `to` (not included), ten thousand to a transaction.
inline void recordSeason(book::Book &book, int from, int to)
{
    std::vector<book::Book::Entry> entries;
    for (int round = from; round < to; ++round) {
        entries.push_back({std::get<book::SettledSheet>(book::settleForBook(sheetOf(round))), dateOf(round), ""});
        if (entries.size() == 10000 || round + 1 == to) {
            book.addAll(entries);
            entries.clear();
        }
    }
}

} // namespace zelvara::bench
