// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How the shown results came about, step by step, for the case actually used: read straight from the
// settlement's working values, so every number in it is one the results were computed from.
// The lines write numbers with at most four decimals; one that needs more (a third) is rounded to four
// and marked "…" ("63,3333…"). Every minus, in numbers and in formulas alike, is the "-" of the results.

#include "engine/result_format.h"
#include "engine/settlement.h"
#include "engine/sheet.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelvara::engine {

// One player's way from the sheet to the result. Players from index 0.
struct BreakdownRow
{
    std::int64_t heap = 0;
    std::int64_t pool = 0;
    std::int64_t adjustedHeap = 0; // D
    // Four players, heap on three: D raised so that the smallest is 0, and the heap put into the claims
    // after the levelling (or after the confirmed correction's common shift).
    std::optional<std::int64_t> shiftedHeap;
    std::optional<std::int64_t> levelledHeap;
    // Average form: the player's share of the heap, (T / divisor - D) * 10 whists.
    std::optional<Extended> share;
    // Claims forms: the player's claims on the others (sum of c(i, j)) and the others' claims on the
    // player (sum of c(j, i)), in whists; either may be negative.
    std::optional<Extended> claimsOwed;
    std::optional<Extended> claimsOwing;
    std::int64_t whistsWritten = 0;  // the player's whists on the others
    std::int64_t whistsReceived = 0; // the others' whists on the player
    Extended balanceInWhists = 0;
    std::string result; // the result text as shown
};

struct Breakdown
{
    // "Сочи / Ростов; 4 игрока; гора делится на 4 игроков; цена виста 1"
    std::string caseText;
    std::vector<BreakdownRow> players;
    // The correction a dialog made, in words, or empty.
    std::string correction;
    // All of it as Russian lines for the window and the text output.
    std::vector<std::string> lines;
};

// The case in words: game type, player count, heap division (as the settlement used it) and whist value.
std::string caseInWords(const Options &options, int players, Extended whistValue, char decimalSeparator);

// The breakdown of shown results. `correction` is the sentence on the dialog's correction (empty when
// no dialog opened); `shown` the result texts, one per player.
Breakdown breakdownOf(const Workings &workings, const Options &options,
                      const std::array<std::string, MaxPlayers> &names, const std::vector<ShownResult> &shown,
                      const std::string &correction, char decimalSeparator);

} // namespace zelvara::engine
