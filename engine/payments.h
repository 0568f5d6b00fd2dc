// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Who pays whom once the results are shown, worked out from the settlement's own working values.
//
// Pairs: every balance splits into one amount per pair of players. In the claims forms the pair of i
// and j is (c(i, j) - c(j, i)) * V; in the average form it is ((D_j - D_i) * 10 / divisor + W(i->j) -
// W(j->i)) * V. A player's pairs add up to that player's result.
//
// Money: amounts are whole hundredths of the money unit. The rounding rule, the one rule for every
// amount:
// 1. each player's total is the shown result rounded to the hundredth, half away from zero;
// 2. when these totals do not add up to zero (results that a dialog rounded one by one can miss by a
//    hundredth or two), the difference is taken back one hundredth at a time from the totals that the
//    rounding moved furthest in its direction, the lower seat first on a tie;
// 3. each pair is rounded to the hundredth, half away from zero; where a player's rounded pairs then
//    miss that player's total, hundredths move to the pairs that the rounding moved furthest the other
//    way, the lower seats first on a tie.
// Whenever a step changes an amount, the payments carry a note that says so.
//
// Fewest transfers: the smallest number of transfers that settles every total: the players with a
// non-zero total, minus the largest number of groups whose totals add up to zero. Exact for up to
// MaxExactTransferPlayers players with a non-zero total (a sheet's four and a season's players alike).
// Ties go to the least money moved (every transfer goes straight from a player who pays to one who
// receives), then to the lower seats: the set of pairs that, listed in seat order, comes first. A
// bounded search finds that set; for the few large seasons where it runs out (many players in one
// group) the count stays exact and, within each group, those who owe pay those who are owed in seat
// order instead.

#include "engine/result_format.h"
#include "engine/settlement.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelvara::engine {

// One payment: `from` pays `to` (players numbered from 1) an amount in hundredths, always positive.
struct Transfer
{
    int from = 0;
    int to = 0;
    std::int64_t hundredths = 0;

    friend bool operator==(const Transfer &, const Transfer &) = default;
};

// pair[i][j]: what player j owes player i out of their pair, in whists (positive: j pays i);
// pair[j][i] = -pair[i][j], the diagonal is 0. Players from index 0.
using PairTable = std::array<std::array<Extended, MaxPlayers>, MaxPlayers>;
PairTable pairBalancesInWhists(const Workings &workings);

// The largest total, in hundredths, that payments are given for: 10^13 money units. Larger results
// are shown, but not split into payments.
inline constexpr std::int64_t MaxPaymentHundredths = 1'000'000'000'000'000;

struct Payments
{
    // False when a total is beyond MaxPaymentHundredths; the lists are empty then.
    bool available = false;
    int players = 0;
    // The shown results rounded to hundredths (rule 1), and what each player's payments add up to
    // (after rule 2). The two differ only where the note says so.
    std::array<std::int64_t, MaxPlayers> shownTotals{};
    std::array<std::int64_t, MaxPlayers> totals{};
    // Every pair with a non-zero amount, in seat order of the pair (1-2, 1-3, 1-4, 2-3, ...).
    std::vector<Transfer> pairs;
    // The fewest transfers, in seat order of the payer, then of the payee.
    std::vector<Transfer> transfers;
    // Something was rounded: a shown result that is not whole hundredths, totals that miss zero (rule 2),
    // pairs that are not whole hundredths (rule 3). Each pair listed once, lower seat first, from 1.
    bool totalsRounded = false;
    std::vector<std::array<int, 2>> roundedPairs;
};

// The payments behind shown results. `shown` holds the texts of the result fields, one per player.
Payments paymentsOf(const Workings &workings, const std::vector<ShownResult> &shown, char decimalSeparator);

// The most players with a non-zero total whose fewest transfers are found exactly; beyond them the
// greedy rule of TransferPlan applies.
inline constexpr int MaxExactTransferPlayers = 20;
// The largest total, in hundredths, that transfers are planned for (sums of twenty stay in 64 bits).
inline constexpr std::int64_t MaxTransferHundredths = 100'000'000'000'000'000;

struct TransferPlan
{
    // False when the totals do not add up to zero or one is beyond MaxTransferHundredths.
    bool available = false;
    // False when more than MaxExactTransferPlayers players have a non-zero total. The transfers then
    // follow a greedy rule: players whose totals cancel exactly settle in pairs, lower seats first; then
    // the one who owes the most pays the one who is owed the most as much as settles one of them,
    // again and again (the lower seat first on equal amounts).
    bool exact = true;
    // Players numbered from 1, in seat order of the payer, then of the payee.
    std::vector<Transfer> transfers;
};

// The fewest transfers for totals in hundredths, any number of players (from index 0).
TransferPlan fewestTransfers(std::span<const std::int64_t> totals);

// The same for a sheet's totals (2 to 4 players). Nothing when the totals do not add up to zero.
std::vector<Transfer> fewestTransfers(const std::array<std::int64_t, MaxPlayers> &totals, int players);

// An amount as a result text writes it, without a sign: "12,5", "81", "0,07".
std::string amountText(std::int64_t hundredths, char decimalSeparator);
// An amount as money with two decimals: "12,50", "81,00".
std::string moneyText(std::int64_t hundredths, char decimalSeparator);

// The dative of a seat's default name ("Запад" -> "Западу", "Юг" -> "Югу"), or nothing: other names
// cannot be declined reliably.
std::optional<std::string> seatDative(std::string_view name);

// Payments in words. When every payee has a seat's default name: "Запад платит Югу 12,50"; otherwise,
// for every line of the list alike: "Запад → Юг: 12,50".
std::vector<std::string> paymentLines(const std::vector<Transfer> &transfers,
                                      const std::array<std::string, MaxPlayers> &names, char decimalSeparator);

// The note on what was rounded, empty when nothing was: "расхождение 0,01 из-за округления: ...".
std::string paymentsNote(const Payments &payments, const std::array<std::string, MaxPlayers> &names,
                         char decimalSeparator);

} // namespace zelvara::engine
