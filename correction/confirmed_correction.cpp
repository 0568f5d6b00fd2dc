// SPDX-License-Identifier: GPL-3.0-or-later
#include "correction/correction.h"
#include "correction/rules_detail.h"

#include <algorithm>

namespace zelvara::correction {

using namespace detail;

namespace {

constexpr int Players = 4;

// The claims form with the heap on three players, the heaps `x` put in as they are: any shift common
// to all players leaves the differences, and so the results, unchanged.
engine::Workings settleOnThree(const engine::SheetValues &sheet, const engine::WhistTable &whists,
                               const engine::HeapTable &heaps, const engine::HeapTable &x, engine::GameType gameType)
{
    engine::Workings workings = engine::claimsForm(Players, whists, x, 3.0L, sheet.whistValue);
    keepSheet(workings, sheet, heaps, gameType);
    return workings;
}

engine::HeapTable adjusted(const engine::SheetValues &sheet, const engine::HeapTable &heaps, engine::GameType gameType)
{
    return engine::adjustHeaps(heaps, sheet.pools, Players, gameType).d;
}

} // namespace

Proposal proposeConfirmedCorrection(const engine::SheetValues &sheet, engine::GameType gameType)
{
    // Residues are taken after raising the smallest adjusted heap to 0, so that none is negative.
    const auto residues = engine::residuesOnThree(adjusted(sheet, sheet.heaps, gameType), Players).residues;
    std::array<int, 3> held{};
    for (int i = 0; i < Players; ++i) {
        ++held[at(residues[at(i)])];
    }
    Proposal proposal;
    if (std::find(held.begin(), held.end(), Players) != held.end()) {
        return proposal;
    }
    // The residue most players hold; of two held twice each, the smaller.
    int target = 0;
    for (int r = 1; r < 3; ++r) {
        if (held[at(r)] > held[at(target)]) {
            target = r;
        }
    }
    for (int i = 0; i < Players; ++i) {
        const int r = residues[at(i)];
        proposal.heapCorrections[at(i)] = r == target ? 0 : (r == (target + 1) % 3 ? -1 : 1);
    }
    proposal.commonShift = target == 0 ? 0 : (target == 1 ? -1 : 1);

    std::vector<int> corrected;
    for (int i = 0; i < Players; ++i) {
        if (proposal.heapCorrections[at(i)] != 0) {
            corrected.push_back(i);
        }
    }
    const auto name = [&](int i) { return sheet.names[at(i)]; };
    const auto takes = [&](int i) { return proposal.heapCorrections[at(i)] < 0; };
    const int a = corrected.front();
    if (corrected.size() == 1) {
        proposal.line1 =
            (takes(a) ? "списать 1 очко с горы игрока " : "добавить 1 очко в гору игрока ") + name(a) + ".";
        return proposal;
    }
    const int b = corrected.back();
    if (takes(a) == takes(b)) {
        proposal.line1 = (takes(a) ? "списать 1 очко с горы игроков: " : "добавить 1 очко в гору игроков: ") + name(a) +
                         ", " + name(b) + ".";
    } else if (takes(a)) {
        proposal.line1 = "списать 1 очко с горы игрока " + name(a) + " и добавить 1 очко в гору игрока";
        proposal.line2 = name(b) + ".";
    } else {
        proposal.line1 = "добавить 1 очко в гору игрока " + name(a) + " и списать 1 очко с горы игрока";
        proposal.line2 = name(b) + ".";
    }
    return proposal;
}

Shown acceptConfirmedCorrection(const engine::SheetValues &sheet, engine::GameType gameType, const Proposal &proposal,
                                char decimalSeparator)
{
    const auto &a = proposal.heapCorrections;
    Shown outcome;

    engine::HeapTable heaps = sheet.heaps;
    engine::WhistTable whists = sheet.whists;
    for (int i = 0; i < Players; ++i) {
        heaps[at(i)] += a[at(i)];
        outcome.writes.push_back(heapWrite(i + 1, heaps[at(i)]));
    }
    // A player who loses a point is written 3 whists by each other player; one who gains a point
    // writes 3 on each other player.
    for (int i = 0; i < Players; ++i) {
        for (int j = 0; j < Players; ++j) {
            if (i == j) {
                continue;
            }
            const std::int64_t extra = (a[at(j)] == -1 ? 3 : 0) + (a[at(i)] == 1 ? 3 : 0);
            if (extra != 0) {
                whists[at(i)][at(j)] += extra;
                outcome.writes.push_back(whistsWrite(i + 1, j + 1, whists[at(i)][at(j)]));
            }
        }
    }
    engine::HeapTable x = adjusted(sheet, heaps, gameType);
    for (int i = 0; i < Players; ++i) {
        x[at(i)] += proposal.commonShift;
    }
    outcome.workings = settleOnThree(sheet, whists, heaps, x, gameType);
    outcome.workings.levelling = proposal.commonShift;
    outcome.results = showRounded(outcome.workings.results, true, decimalSeparator);
    return outcome;
}

Shown declineConfirmedCorrection(const engine::SheetValues &sheet, engine::GameType gameType, char decimalSeparator)
{
    Shown outcome;
    outcome.workings =
        settleOnThree(sheet, sheet.whists, sheet.heaps, adjusted(sheet, sheet.heaps, gameType), gameType);
    outcome.results = showRounded(outcome.workings.results, false, decimalSeparator);
    return outcome;
}

} // namespace zelvara::correction
