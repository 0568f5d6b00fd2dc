// SPDX-License-Identifier: GPL-3.0-or-later
#include "correction/correction.h"
#include "correction/sheet_numbers.h"

#include <algorithm>

namespace zelvara::correction {

using namespace detail;

namespace {

// The average form with the heap divided among all players, whatever the division option says.
engine::Workings settleAmongAll(const SheetNumbers &sheet, engine::GameType gameType)
{
    const Heaps d = adjustedHeaps(sheet, sheet.heaps, gameType);
    std::int64_t heapSum = 0;
    for (int i = 0; i < sheet.players; ++i) {
        heapSum += d[at(i)];
    }
    engine::Workings workings = engine::averageForm(sheet.players, sheet.whists, d, heapSum,
                                                    static_cast<engine::Extended>(sheet.players), sheet.whistValue);
    fillSheet(workings, sheet, sheet.heaps, gameType);
    return workings;
}

SheetNumbers readLotSheet(const engine::SheetTexts &sheet, char decimalSeparator)
{
    SheetNumbers numbers = readNumbers(sheet, decimalSeparator);
    numbers.players = std::clamp(numbers.players, 3, 4);
    return numbers;
}

} // namespace

CorrectionOutcome acceptLotCorrection(const engine::SheetTexts &sheet, engine::GameType gameType, int drawnPlayer,
                                      char decimalSeparator)
{
    SheetNumbers numbers = readLotSheet(sheet, decimalSeparator);
    const int n = numbers.players;
    const int c = std::clamp(drawnPlayer, 1, n) - 1;
    // Four players: the drawn heap always gains a point. Three players: the direction follows the
    // remainder of the heap sum, taken from adjusted heaps raised so that none is negative (the
    // truncated remainder of a negative sum would point the wrong way).
    bool gains = true;
    if (n == 3) {
        const engine::Residues raised = engine::residuesOnThree(adjustedHeaps(numbers, numbers.heaps, gameType), 3);
        const std::int64_t shiftedSum = raised.raised[0] + raised.raised[1] + raised.raised[2];
        gains = (shiftedSum * engine::WhistsPerPoint) % 3 != 1;
    }
    CorrectionOutcome outcome;
    numbers.heaps[at(c)] += gains ? 1 : -1;
    outcome.writes.push_back(heapWrite(c + 1, numbers.heaps[at(c)]));
    for (int j = 0; j < n; ++j) {
        if (j == c) {
            continue;
        }
        std::int64_t &whists = gains ? numbers.whists[at(c)][at(j)] : numbers.whists[at(j)][at(c)];
        whists += 3;
        outcome.writes.push_back(gains ? whistsWrite(c + 1, j + 1, whists) : whistsWrite(j + 1, c + 1, whists));
    }
    outcome.workings = settleAmongAll(numbers, gameType);
    outcome.results = engine::showResults(outcome.workings.results, decimalSeparator);
    return outcome;
}

CorrectionOutcome declineLotCorrection(const engine::SheetTexts &sheet, engine::GameType gameType,
                                       char decimalSeparator)
{
    const SheetNumbers numbers = readLotSheet(sheet, decimalSeparator);
    CorrectionOutcome outcome;
    outcome.workings = settleAmongAll(numbers, gameType);
    const engine::Results &results = outcome.workings.results;
    if (numbers.players == 3) {
        outcome.results = showRounded(results, false, decimalSeparator);
        outcome.rounded = true;
        return outcome;
    }
    // Four players: every result is either whole hundredths or exactly half a hundredth off, the same
    // for all; in the second case half a hundredth away from zero rounds them all.
    const bool allHalfway = std::all_of(results.values.begin(), results.values.begin() + 4,
                                        [](engine::Extended r) { return !engine::whole(std::fabs(r) * 100.0L); });
    if (!allHalfway) {
        outcome.results = engine::showResults(results, decimalSeparator);
        return outcome;
    }
    outcome.rounded = true;
    for (int i = 0; i < 4; ++i) {
        const engine::Extended r = results.values[at(i)];
        const engine::Extended shown = r > 0 ? r + 0.005L : r - 0.005L;
        std::string text = r > 0 ? "+" : "";
        text += engine::formatGeneral(shown, decimalSeparator);
        outcome.results.push_back({std::move(text), engine::toneOf(r)});
    }
    return outcome;
}

} // namespace zelvara::correction
