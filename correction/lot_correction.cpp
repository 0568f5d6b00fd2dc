// SPDX-License-Identifier: GPL-3.0-or-later
#include "correction/correction.h"
#include "correction/rules_detail.h"

#include <algorithm>

namespace zelvara::correction {

using namespace detail;

namespace {

// The average form with the heap divided among all players, whatever the division option says.
engine::Workings settleAmongAll(const engine::SheetValues &sheet, const engine::HeapTable &heaps,
                                const engine::WhistTable &whists, engine::GameType gameType)
{
    const engine::AdjustedHeaps adjusted = engine::adjustHeaps(heaps, sheet.pools, sheet.players, gameType);
    engine::Workings workings = engine::averageForm(sheet.players, whists, adjusted.d, adjusted.sum,
                                                    static_cast<engine::Extended>(sheet.players), sheet.whistValue);
    engine::keepSheetNumbers(workings, heaps, sheet.pools, adjusted, gameType);
    return workings;
}

} // namespace

Shown acceptLotCorrection(const engine::SheetValues &sheet, engine::GameType gameType, int drawnPlayer,
                          char decimalSeparator)
{
    const int n = sheet.players;
    engine::HeapTable heaps = sheet.heaps;
    engine::WhistTable whists = sheet.whists;
    const int c = std::clamp(drawnPlayer, 1, n) - 1;
    // Four players: the drawn heap always gains a point. Three players: the direction follows the
    // remainder of the heap sum, taken from adjusted heaps raised so that none is negative (the
    // truncated remainder of a negative sum would point the wrong way).
    bool gains = true;
    if (n == 3) {
        const engine::Residues raised =
            engine::residuesOnThree(engine::adjustHeaps(heaps, sheet.pools, 3, gameType).d, 3);
        const std::int64_t shiftedSum = raised.raised[0] + raised.raised[1] + raised.raised[2];
        gains = (shiftedSum * engine::WhistsPerPoint) % 3 != 1;
    }
    Shown outcome;
    heaps[at(c)] += gains ? 1 : -1;
    outcome.writes.push_back(heapWrite(c + 1, heaps[at(c)]));
    for (int j = 0; j < n; ++j) {
        if (j == c) {
            continue;
        }
        std::int64_t &written = gains ? whists[at(c)][at(j)] : whists[at(j)][at(c)];
        written += 3;
        outcome.writes.push_back(gains ? whistsWrite(c + 1, j + 1, written) : whistsWrite(j + 1, c + 1, written));
    }
    outcome.workings = settleAmongAll(sheet, heaps, whists, gameType);
    outcome.results = engine::resultTexts(outcome.workings.results, decimalSeparator);
    return outcome;
}

Shown declineLotCorrection(const engine::SheetValues &sheet, engine::GameType gameType, char decimalSeparator)
{
    Shown outcome;
    outcome.workings = settleAmongAll(sheet, sheet.heaps, sheet.whists, gameType);
    const engine::Results &results = outcome.workings.results;
    if (sheet.players == 3) {
        outcome.results = showRounded(results, false, decimalSeparator);
        return outcome;
    }
    // Four players: every result is either whole hundredths or exactly half a hundredth off, the same
    // for all; in the second case half a hundredth away from zero rounds them all.
    const bool allHalfway = std::all_of(results.values.begin(), results.values.begin() + 4,
                                        [](engine::Extended r) { return !engine::whole(std::fabs(r) * 100.0L); });
    if (!allHalfway) {
        outcome.results = engine::resultTexts(results, decimalSeparator);
        return outcome;
    }
    for (int i = 0; i < 4; ++i) {
        const engine::Extended r = results.values[at(i)];
        const engine::Extended shown = r > 0 ? r + 0.005L : r - 0.005L;
        outcome.results.push_back(engine::shownResult(shown, r > 0, r, decimalSeparator));
    }
    return outcome;
}

} // namespace zelvara::correction
