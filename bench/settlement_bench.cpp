// SPDX-License-Identifier: GPL-3.0-or-later
// How long one settlement takes, from field texts to shown texts, for every kind of sheet.
#include "correction/correction.h"
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
            benchmark::DoNotOptimize(engine::showResults(*results, ','));
        } else {
            benchmark::DoNotOptimize(outcome);
        }
    }
}

void confirmedCorrection(benchmark::State &state)
{
    engine::SheetTexts sheet = engine::SheetTexts::withDesignTexts(4);
    sheet.heaps = {"5", "7", "9", "12"};
    for (auto _ : state) {
        const correction::Proposal proposal = correction::proposeConfirmedCorrection(sheet, GameType::Sochi, ',');
        benchmark::DoNotOptimize(correction::acceptConfirmedCorrection(sheet, GameType::Sochi, proposal, ','));
    }
}

void lotCorrection(benchmark::State &state, int players)
{
    const engine::SheetTexts sheet = playedSheet(players, "1");
    for (auto _ : state) {
        benchmark::DoNotOptimize(correction::acceptLotCorrection(sheet, GameType::Sochi, 2, ','));
    }
}

} // namespace

BENCHMARK_CAPTURE(settleSheet, four_on_four, 4, HeapDivision::OnNPlayers, "2");
BENCHMARK_CAPTURE(settleSheet, four_on_three, 4, HeapDivision::OnNPlayersMinus1, "3");
BENCHMARK_CAPTURE(settleSheet, four_undivided, 4, HeapDivision::Nondivisible, "0,5");
BENCHMARK_CAPTURE(settleSheet, three_on_three, 3, HeapDivision::OnNPlayers, "0,03");
BENCHMARK_CAPTURE(settleSheet, three_on_two, 3, HeapDivision::OnNPlayersMinus1, "1");
BENCHMARK_CAPTURE(settleSheet, three_undivided, 3, HeapDivision::Nondivisible, "1");
BENCHMARK_CAPTURE(settleSheet, two_on_two, 2, HeapDivision::OnNPlayers, "1");
BENCHMARK_CAPTURE(settleSheet, two_undivided, 2, HeapDivision::Nondivisible, "1");
BENCHMARK_CAPTURE(settleSheet, opens_a_dialog, 4, HeapDivision::OnNPlayers, "1");
BENCHMARK(confirmedCorrection);
BENCHMARK_CAPTURE(lotCorrection, four, 4);
BENCHMARK_CAPTURE(lotCorrection, three, 3);

BENCHMARK_MAIN();
