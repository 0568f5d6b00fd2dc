// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/extended.h"
#include "engine/sheet.h"
#include "engine/validation.h"

#include <array>
#include <cstdint>
#include <variant>

namespace zelvara::engine {

// What each player receives (positive) or pays (negative), in money units; players from index 0.
struct Results
{
    int players = 4;
    std::array<Extended, MaxPlayers> values{};
};

// The two dialogs that correct a heap when its division leaves a remainder.
enum class CorrectionDialog { ChoiceOfPlayer, ConfirmOfChange };

// A settlement ends with results to show, a message for the player, or a correction dialog to open.
using SettlementOutcome = std::variant<Results, ValidationFailure, CorrectionDialog>;

int poolFactor(GameType gameType);
// The divisor of the heap for the player count; a two-player OnNPlayersMinus1 counts as Nondivisible.
int heapDivisor(HeapDivision division, int players);

// Checks the sheet and settles it. decimalSeparator is the user's regional one (',' or '.').
SettlementOutcome settle(const SheetTexts &sheet, const Options &options, char decimalSeparator);

// A balance in whists this close to zero is zero: every true balance is a multiple of 1/6 whist, so
// anything smaller is the noise of dividing by 3, not money.
Extended settledBalance(Extended balanceInWhists);

// The whists of a sheet widened to 64 bits: whists[i][j] = W(i+1 -> j+1). The corrections add to
// heaps and whists and must stay exact even at the edge of the 32-bit range.
using WhistTable = std::array<std::array<std::int64_t, MaxPlayers>, MaxPlayers>;
WhistTable widenWhists(const SheetValues &sheet);

// The average form on widened numbers: R_i = ((T / divisor - D_i) * 10 + sum of W(i->j) - W(j->i)) * V,
// evaluated left to right, the balance before the product with V passed through settledBalance.
Results averageFormResults(int players, const WhistTable &whists,
                           const std::array<std::int64_t, MaxPlayers> &adjustedHeaps, std::int64_t heapSum,
                           Extended divisor, Extended whistValue);

// The claims form on widened numbers: c(i, j) = 10 * X_j / divisor + W(i->j), R_i = (sum of c(i, j) - c(j, i)) * V.
Results claimsFormResults(int players, const WhistTable &whists, const std::array<std::int64_t, MaxPlayers> &x,
                          Extended divisor, Extended whistValue);

// Results of a sheet by the average form: each player's share of the heap sum against the own heap,
// plus the whists written minus the whists owed. `divisor` is 4.0 or 3.0.
Results averageFormResults(const SheetValues &sheet, const std::array<std::int64_t, MaxPlayers> &adjustedHeaps,
                           std::int64_t heapSum, Extended divisor);

// Results of a sheet by the claims form with heaps `x` divided by `divisor`.
Results claimsFormResults(const SheetValues &sheet, const std::array<std::int64_t, MaxPlayers> &x, Extended divisor);

} // namespace zelvara::engine
