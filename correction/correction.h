// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The corrections a heap gets when its division leaves a remainder, as plain values: what the two
// dialogs propose, which fields their "OK" writes, and the results both buttons show. They work on a
// sheet that has passed the checks; correction/play.h is the one place that decides which of them a
// record's answer runs. The dialogs themselves (dialogs/) only show these values and report the answer.

#include "engine/result_format.h"
#include "engine/settlement.h"
#include "engine/sheet.h"
#include "engine/validation.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace zelvara::correction {

// A field the correction writes, with its new text (a plain decimal integer, written in full even
// beyond the typing limit).
struct FieldWrite
{
    engine::FieldId field;
    std::string text;
};

// The confirmed correction's proposal (four players, heap divided among three).
struct Proposal
{
    std::array<int, 4> heapCorrections{}; // a_1..a_4: -1, 0 or +1
    int commonShift = 0;                  // s: -1, 0 or +1
    std::string line1;                    // first proposal line, with the players' names
    std::string line2;                    // second line; empty for most proposals
};

// Everything a settled record shows or writes: the fields a correction wrote, in the order written,
// the result texts (one per player), the working values of the settlement that produced them, and how
// a dialog took part.
struct Shown
{
    // The correction dialog that opened (and was answered), when one did.
    std::optional<engine::CorrectionDialog> dialog;
    // The confirmed correction's proposal, as its dialog showed it.
    Proposal proposal;
    std::vector<FieldWrite> writes;
    std::vector<engine::ShownResult> results;
    // The settlement the results came from (on the corrected sheet after "OK"), before any rounding
    // for show.
    engine::Workings workings;
    // Showing the results changed some of them: a dialog rounded them to hundredths (or by half a
    // hundredth), and a result that was not whole hundredths reads differently.
    bool rounded = false;
    // The correction in words, for the breakdown; empty when no dialog opened.
    std::string correction;
};

// --- Confirmed correction (four players, heap divided among three) ---

// The smallest correction that makes every share whole.
Proposal proposeConfirmedCorrection(const engine::SheetValues &sheet, engine::GameType gameType);

// "OK": the corrected heaps and compensating whists, and the results of the corrected sheet rounded
// to hundredths ("+" from 0.01 up).
Shown acceptConfirmedCorrection(const engine::SheetValues &sheet, engine::GameType gameType, const Proposal &proposal,
                                char decimalSeparator);

// "Отмена": the unchanged sheet, results rounded to hundredths ("+" when the unrounded value is positive).
Shown declineConfirmedCorrection(const engine::SheetValues &sheet, engine::GameType gameType, char decimalSeparator);

// --- Correction by lot (four or three players, heap divided among all) ---

// "OK" with the drawn player (1..players): that player's heap gains or loses a point with 3 whists of
// compensation for each other player; results of the corrected sheet.
Shown acceptLotCorrection(const engine::SheetValues &sheet, engine::GameType gameType, int drawnPlayer,
                          char decimalSeparator);

// "Отмена": the unchanged sheet; four players shift by half a hundredth when every result has a third
// decimal, three players round to hundredths.
Shown declineLotCorrection(const engine::SheetValues &sheet, engine::GameType gameType, char decimalSeparator);

} // namespace zelvara::correction
