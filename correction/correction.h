// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The corrections a heap gets when its division leaves a remainder, as plain values: what the two
// dialogs propose, which fields their "OK" writes, and the results both buttons show. The dialogs
// themselves (*_dialog files) only show these values and report the player's answer.

#include "engine/result_format.h"
#include "engine/settlement.h"
#include "engine/sheet.h"

#include <array>
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

// What a dialog's button does to the sheet and the screen: the fields written, in the order they are
// written, and the results shown (one per player).
struct CorrectionOutcome
{
    std::vector<FieldWrite> writes;
    std::vector<engine::ShownResult> results;
    // The settlement the button ran (on the corrected sheet after "OK"), before any rounding for show.
    engine::Workings workings;
    // The results shown are the computed ones rounded to hundredths.
    bool rounded = false;
};

// --- Confirmed correction (four players, heap divided among three) ---

struct Proposal
{
    std::array<int, 4> heapCorrections{}; // a_1..a_4: -1, 0 or +1
    int commonShift = 0;                  // s: -1, 0 or +1
    std::string line1;                    // first proposal line, with the players' names
    std::string line2;                    // second line; empty for most proposals
};

// The smallest correction that makes every share whole, worked out from the sheet as it stands.
Proposal proposeConfirmedCorrection(const engine::SheetTexts &sheet, engine::GameType gameType, char decimalSeparator);

// "OK": the corrected heaps and compensating whists, and the results of the corrected sheet rounded
// to hundredths ("+" from 0.01 up).
CorrectionOutcome acceptConfirmedCorrection(const engine::SheetTexts &sheet, engine::GameType gameType,
                                            const Proposal &proposal, char decimalSeparator);

// "Отмена": the unchanged sheet, results rounded to hundredths ("+" when the unrounded value is positive).
CorrectionOutcome declineConfirmedCorrection(const engine::SheetTexts &sheet, engine::GameType gameType,
                                             char decimalSeparator);

// --- Correction by lot (four or three players, heap divided among all) ---

// "OK" with the drawn player (1..players): that player's heap gains or loses a point with 3 whists of
// compensation for each other player; results of the corrected sheet.
CorrectionOutcome acceptLotCorrection(const engine::SheetTexts &sheet, engine::GameType gameType, int drawnPlayer,
                                      char decimalSeparator);

// "Отмена": the unchanged sheet; four players shift by half a hundredth when every result has a third
// decimal, three players round to hundredths.
CorrectionOutcome declineLotCorrection(const engine::SheetTexts &sheet, engine::GameType gameType,
                                       char decimalSeparator);

} // namespace zelvara::correction
