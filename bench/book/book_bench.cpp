// SPDX-License-Identifier: GPL-3.0-or-later
// The book's figures: recording one sheet, then, with 100,000 generated records, the standings and the
// season payments for "everything", and the first page of the list. Prints figures, never fails.
//
//     book_bench [RECORDS] [FOLDER]     (defaults: 100000, a fresh folder under /tmp)

#include "bench/book/season.h"
#include "book/book.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

using namespace zelvara;
using bench::Clock;
using bench::median;
using bench::millisecondsSince;

int main(int argc, char **argv)
{
    const int records = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const std::filesystem::path folder =
        argc > 2 ? std::filesystem::path(argv[2])
                 : std::filesystem::temp_directory_path() / ("zelvara-book-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "book.sqlite").string();
    std::filesystem::remove(path);

    // Settling and recording one sheet at a time, each in its own transaction, as the window does.
    book::Book book = book::Book::open(path, book::Book::Access::Write);
    std::vector<double> single;
    std::vector<double> settling;
    for (int round = 0; round < 200; ++round) {
        const Clock::time_point start = Clock::now();
        const auto settled = book::settleForBook(bench::sheetOf(round));
        settling.push_back(millisecondsSince(start));
        book.add(std::get<book::SettledSheet>(settled), bench::dateOf(round), "");
        single.push_back(millisecondsSince(start));
    }
    std::printf("record one sheet (settle + one transaction): median %.2f ms, slowest %.2f ms (200 sheets); "
                "of which settling %.3f ms\n",
                median(single), *std::max_element(single.begin(), single.end()), median(settling));

    // The rest of the season, many sheets a transaction.
    const Clock::time_point filling = Clock::now();
    bench::recordSeason(book, 200, records);
    std::printf("generate %d records: %.0f ms; file %.1f MB\n", records, millisecondsSince(filling),
                static_cast<double>(std::filesystem::file_size(path)) / 1e6);

    for (const bool cold : {true, false}) {
        book::Book reader = book::Book::open(path, book::Book::Access::Read);
        std::vector<double> standings;
        std::vector<double> payments;
        std::vector<double> firstPage;
        std::vector<double> chart;
        std::size_t rows = 0;
        for (int run = 0; run < (cold ? 1 : 7); ++run) {
            Clock::time_point start = Clock::now();
            rows = reader.standings({}).size();
            standings.push_back(millisecondsSince(start));
            start = Clock::now();
            reader.payments({});
            payments.push_back(millisecondsSince(start));
            start = Clock::now();
            reader.records({}, 500);
            firstPage.push_back(millisecondsSince(start));
            // What the chart draws: every player's running total, at most 400 points a line.
            start = Clock::now();
            reader.timeline({}, 400);
            chart.push_back(millisecondsSince(start));
        }
        std::printf("%s, %d records: standings for everything %.1f ms (%zu players), season payments %.1f ms, "
                    "first page of the list (500 records) %.1f ms, the chart's running totals %.1f ms\n",
                    cold ? "first query after opening" : "median of 7", records, median(standings), rows,
                    median(payments), median(firstPage), median(chart));
    }
    std::vector<double> month;
    book::Book reader = book::Book::open(path, book::Book::Access::Read);
    for (int run = 0; run < 7; ++run) {
        const Clock::time_point start = Clock::now();
        reader.standings(book::Filter{"2020-01-01", "2020-01-31", {}});
        month.push_back(millisecondsSince(start));
    }
    std::printf("standings for one month: median %.2f ms\n", median(month));
    std::vector<double> year;
    for (int run = 0; run < 7; ++run) {
        const Clock::time_point start = Clock::now();
        reader.standings(book::Filter{"2020-01-01", "2020-12-31", {}});
        year.push_back(millisecondsSince(start));
    }
    std::printf("standings for one year: median %.2f ms\n", median(year));

    // A season of twenty players with a total: the largest the fewest transfers are found exactly for.
    std::vector<double> twenty;
    std::uint64_t state = 20261208;
    for (int run = 0; run < 20; ++run) {
        std::vector<std::int64_t> totals(20, 0);
        for (std::size_t i = 1; i < totals.size(); ++i) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            totals[i] = static_cast<std::int64_t>((state >> 33) % 2000001) - 1000000;
            totals[0] -= totals[i];
        }
        const Clock::time_point start = Clock::now();
        engine::fewestTransfers(std::span<const std::int64_t>(totals));
        twenty.push_back(millisecondsSince(start));
    }
    std::printf("fewest transfers for 20 players: median %.1f ms, slowest %.1f ms\n", median(twenty),
                *std::max_element(twenty.begin(), twenty.end()));
    if (argc <= 2) {
        std::filesystem::remove_all(folder);
    }
    return 0;
}
