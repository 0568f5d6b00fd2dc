// SPDX-License-Identifier: GPL-3.0-or-later
// How long one settlement takes, from field texts to shown texts, for every kind of sheet; and, next to
// it, who pays whom and the breakdown of the same sheet (the whole account the windows show).
#include "correction/correction.h"
#include "correction/play.h"
#include "engine/breakdown.h"
#include "engine/payments.h"
#include "engine/result_format.h"
#include "engine/settlement.h"

#include <benchmark/benchmark.h>

using namespace zelvara;
using engine::GameType;
using engine::HeapDivision;

namespace {

// A played-out sheet: heaps, pools and whists on every pair, so that no step is skipped.
engine::SheetTexts playedSheet(int players, const char *whistValue)
{
    engine::SheetTexts sheet = engine::SheetTexts::withDesignTexts(players);
    sheet.whistValue = whistValue;
    static constexpr const char *Heaps[] = {"21", "4", "12", "0"};
    static constexpr const char *Pools[] = {"10", "8", "6", "10"};
    for (std::size_t i = 0; i < static_cast<std::size_t>(players); ++i) {
        sheet.heaps[i] = Heaps[i];
        sheet.pools[i] = Pools[i];
        for (std::size_t j = 0; j < static_cast<std::size_t>(players); ++j) {
            if (i != j) {
                sheet.whists[i][j] = std::to_string(7 * i + 3 * j + 1);
            }
        }
    }
    return sheet;
}

void settleSheet(benchmark::State &state, int players, HeapDivision division, const char *whistValue)
{
    const engine::SheetTexts sheet = playedSheet(players, whistValue);
    const engine::Options options{GameType::Leningrad, division};
    for (auto _ : state) {
        const engine::SettlementOutcome outcome = engine::settle(sheet, options, ',');
        if (const auto *results = std::get_if<engine::Results>(&outcome)) {
            benchmark::DoNotOptimize(engine::resultTexts(*results, ','));
        } else {
            benchmark::DoNotOptimize(outcome);
        }
    }
}

// Payments alone, from the settlement's working values to the lines of both views and the note.
void payments(benchmark::State &state, int players, HeapDivision division, const char *whistValue)
{
    const engine::SheetTexts sheet = playedSheet(players, whistValue);
    const engine::Options options{GameType::Leningrad, division};
    const auto outcome = engine::settleWorkings(sheet, options, ',');
    const auto &workings = std::get<engine::Workings>(outcome);
    const auto shown = engine::resultTexts(workings.results, ',');
    for (auto _ : state) {
        const engine::Payments paid = engine::paymentsOf(workings, shown, ',');
        benchmark::DoNotOptimize(engine::paymentLines(paid.pairs, sheet.names, ','));
        benchmark::DoNotOptimize(engine::paymentLines(paid.transfers, sheet.names, ','));
        benchmark::DoNotOptimize(engine::paymentsNote(paid, sheet.names, ','));
    }
}

// The breakdown alone, from the working values to its lines.
void breakdown(benchmark::State &state, int players, HeapDivision division, const char *whistValue)
{
    const engine::SheetTexts sheet = playedSheet(players, whistValue);
    const engine::Options options{GameType::Leningrad, division};
    const auto outcome = engine::settleWorkings(sheet, options, ',');
    const auto &workings = std::get<engine::Workings>(outcome);
    const auto shown = engine::resultTexts(workings.results, ',');
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine::breakdownOf(workings, options, sheet.names, shown, {}, ','));
    }
}

// What a menu command costs end to end: the record played, payments and the breakdown.
void account(benchmark::State &state, int players, HeapDivision division, const char *whistValue)
{
    const engine::SheetRecord record{playedSheet(players, whistValue), {GameType::Leningrad, division}, ',', {}};
    for (auto _ : state) {
        const auto played = correction::play(record);
        benchmark::DoNotOptimize(correction::explain(record, std::get<correction::Shown>(played)));
    }
}

void lotAccount(benchmark::State &state)
{
    const engine::SheetRecord record{playedSheet(4, "1"),
                                     {GameType::Leningrad, HeapDivision::OnNPlayers},
                                     ',',
                                     engine::Answer{engine::Button::OK, 2}};
    for (auto _ : state) {
        const auto played = correction::play(record);
        benchmark::DoNotOptimize(correction::explain(record, std::get<correction::Shown>(played)));
    }
}

engine::SheetValues checked(const engine::SheetTexts &sheet)
{
    return std::get<engine::SheetValues>(engine::validateSheet(sheet, ','));
}

void confirmedCorrection(benchmark::State &state)
{
    engine::SheetTexts sheet = engine::SheetTexts::withDesignTexts(4);
    sheet.heaps = {"5", "7", "9", "12"};
    const engine::SheetValues values = checked(sheet);
    for (auto _ : state) {
        const correction::Proposal proposal = correction::proposeConfirmedCorrection(values, GameType::Sochi);
        benchmark::DoNotOptimize(correction::acceptConfirmedCorrection(values, GameType::Sochi, proposal, ','));
    }
}

void lotCorrection(benchmark::State &state, int players)
{
    const engine::SheetValues values = checked(playedSheet(players, "1"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(correction::acceptLotCorrection(values, GameType::Sochi, 2, ','));
    }
}

} // namespace

BENCHMARK_CAPTURE(settleSheet, four_on_four, 4, HeapDivision::OnNPlayers, "2")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(settleSheet, four_on_three, 4, HeapDivision::OnNPlayersMinus1, "3")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(settleSheet, four_undivided, 4, HeapDivision::Nondivisible, "0,5")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(settleSheet, three_on_three, 3, HeapDivision::OnNPlayers, "0,03")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(settleSheet, three_on_two, 3, HeapDivision::OnNPlayersMinus1, "1")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(settleSheet, three_undivided, 3, HeapDivision::Nondivisible, "1")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(settleSheet, two_on_two, 2, HeapDivision::OnNPlayers, "1")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(settleSheet, two_undivided, 2, HeapDivision::Nondivisible, "1")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(settleSheet, opens_a_dialog, 4, HeapDivision::OnNPlayers, "1")->Unit(benchmark::kMicrosecond);
BENCHMARK(confirmedCorrection);
BENCHMARK_CAPTURE(lotCorrection, four, 4);
BENCHMARK_CAPTURE(lotCorrection, three, 3);

#define ZELVARA_ACCOUNT_BENCHMARKS(kind, ...)                                                                          \
    BENCHMARK_CAPTURE(payments, kind, __VA_ARGS__)->Unit(benchmark::kMicrosecond);                                     \
    BENCHMARK_CAPTURE(breakdown, kind, __VA_ARGS__)->Unit(benchmark::kMicrosecond);                                    \
    BENCHMARK_CAPTURE(account, kind, __VA_ARGS__)->Unit(benchmark::kMicrosecond)

ZELVARA_ACCOUNT_BENCHMARKS(four_on_four, 4, HeapDivision::OnNPlayers, "2");
ZELVARA_ACCOUNT_BENCHMARKS(four_on_three, 4, HeapDivision::OnNPlayersMinus1, "3");
ZELVARA_ACCOUNT_BENCHMARKS(four_undivided, 4, HeapDivision::Nondivisible, "0,5");
ZELVARA_ACCOUNT_BENCHMARKS(three_on_three, 3, HeapDivision::OnNPlayers, "0,03");
ZELVARA_ACCOUNT_BENCHMARKS(three_on_two, 3, HeapDivision::OnNPlayersMinus1, "1");
ZELVARA_ACCOUNT_BENCHMARKS(three_undivided, 3, HeapDivision::Nondivisible, "1");
ZELVARA_ACCOUNT_BENCHMARKS(two_on_two, 2, HeapDivision::OnNPlayers, "1");
ZELVARA_ACCOUNT_BENCHMARKS(two_undivided, 2, HeapDivision::Nondivisible, "1");
BENCHMARK(lotAccount)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
