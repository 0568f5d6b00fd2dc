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

// One point of a heap is worth this many whists: heaps enter every balance as 10 x heap.
inline constexpr int WhistsPerPoint = 10;

// How the balances were formed.
enum class SettlementForm {
    Average,       // (T / divisor - D_i) * 10 plus the whists written minus the whists owed
    Claims,        // c(i, j) = 10 * X_j / divisor + W(i->j), balances from the claims
    IntegerClaims, // the same claims in whole whists (four players, heap not divided)
};

// Everything a settlement computed on its way to the results, kept so that payments and the breakdown
// read the very numbers the results came from. Players are indexed from 0.
struct Workings
{
    int players = 4;
    SettlementForm form = SettlementForm::Average;
    int poolFactor = 1;
    Extended divisor = 4; // the heap's divisor as a real: heapDivisor, or the dialog's fixed 4 or 3
    Extended whistValue = 1;
    HeapTable heaps{}; // the heaps settled (after a correction, the corrected ones)
    HeapTable pools{};
    HeapTable adjustedHeaps{}; // D_i = heap - poolFactor * pool
    std::int64_t heapSum = 0;  // T, from the unshifted D_i
    // Four players with the heap on three: the raise that brought the smallest D_i to 0 (0 when none
    // was negative), then the levelling of all heaps by -1, 0 or +1. The confirmed correction's common
    // shift s is kept as the levelling.
    std::int64_t shift = 0;
    std::int64_t levelling = 0;
    HeapTable claimHeaps{}; // X_j, the heaps put into the claims (claims forms only)
    WhistTable whists{};
    // c(i, j) in whists (claims forms only); claims[i][i] is 0.
    std::array<std::array<Extended, MaxPlayers>, MaxPlayers> claims{};
    std::array<Extended, MaxPlayers> shares{};   // (T / divisor - D_i) * 10 (average form only)
    std::array<Extended, MaxPlayers> balances{}; // in whists, through settledBalance
    Results results;
};

// The adjusted heaps D_i = heap_i - poolFactor x pool_i of the first `players` players and their sum T,
// the one place both are formed. `withinSheetRange` tells whether every step stayed within the sheet's
// 32-bit integers: the settlement refuses a sheet whose steps leave that range, while a correction,
// which may take a heap one point beyond it, works on in 64 bits.
struct AdjustedHeaps
{
    HeapTable d{};
    std::int64_t sum = 0;
    bool withinSheetRange = true;
};
AdjustedHeaps adjustHeaps(const HeapTable &heaps, const HeapTable &pools, int players, GameType gameType);

// Puts the sheet's own numbers into the working values: the pool factor, the heaps settled (after a
// correction, the corrected ones), the pools, D and T.
void keepSheetNumbers(Workings &workings, const HeapTable &heaps, const HeapTable &pools, const AdjustedHeaps &adjusted,
                      GameType gameType);

// The heaps raised so that the smallest is 0 when any is negative, and the residues 10 * D mod 3 of the
// raised heaps (0, 1 or 2 each). Both the settlement's remainder test and the confirmed correction's
// proposal start from these.
struct Residues
{
    HeapTable raised{};
    std::int64_t raise = 0;
    std::array<int, MaxPlayers> residues{};
};
Residues residuesOnThree(const HeapTable &adjustedHeaps, int players);

int poolFactor(GameType gameType);
// The divisor of the heap for the player count, after effectiveDivision.
int heapDivisor(HeapDivision division, int players);

// Checks the sheet and settles it. decimalSeparator is the user's regional one (',' or '.').
SettlementOutcome settle(const SheetTexts &sheet, const Options &options, char decimalSeparator);

// Settles a sheet that has passed the checks, handing back the working values: D, T and the case for
// the player count and the division, or the correction dialog that the remainder calls for. The only
// failure left is a sheet whose integer steps leave the 32-bit range (TooLargeMessage).
std::variant<Workings, ValidationFailure, CorrectionDialog> settleValues(const SheetValues &values,
                                                                         const Options &options);

// A balance in whists this close to zero is zero: every true balance is a multiple of 1/6 whist, so
// anything smaller is the noise of dividing by 3, not money.
Extended settledBalance(Extended balanceInWhists);

// Checks the sheet and settles it, handing back the working values; settle() keeps only the results.
// A failed check gives its message.
std::variant<Workings, ValidationFailure, CorrectionDialog>
settleWorkings(const SheetTexts &sheet, const Options &options, char decimalSeparator);

// The average form on widened numbers: R_i = ((T / divisor - D_i) * 10 + sum of W(i->j) - W(j->i)) * V,
// evaluated left to right, the balance before the product with V passed through settledBalance.
// Fills the form, divisor, whist value, whists, D, T, shares, balances and results.
Workings averageForm(int players, const WhistTable &whists, const HeapTable &adjustedHeaps, std::int64_t heapSum,
                     Extended divisor, Extended whistValue);

// The claims form on widened numbers: c(i, j) = 10 * X_j / divisor + W(i->j), R_i = (sum of c(i, j) - c(j, i)) * V.
// Fills the form, divisor, whist value, whists, X, claims, balances and results.
Workings claimsForm(int players, const WhistTable &whists, const HeapTable &x, Extended divisor, Extended whistValue);

} // namespace zelvara::engine
