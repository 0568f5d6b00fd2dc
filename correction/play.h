// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Playing a record: the one function from the record of a settled sheet (engine/sheet_record.h) to
// everything the program shows or writes for it. It checks and settles the sheet, opens the correction
// dialog the remainder calls for and, with the record's answer, presses its button: the only place
// where a dialog, a button and a player are mapped to a correction rule. The window, its side views,
// copies and pictures, the sheet files, zelvara-settle and the club book all take their numbers from
// here; none of them settles on its own. Plain C++: link zelvara_correction.

#include "correction/correction.h"
#include "engine/breakdown.h"
#include "engine/payments.h"
#include "engine/sheet_record.h"

#include <array>
#include <string>
#include <variant>
#include <vector>

namespace zelvara::correction {

// The record opens a correction dialog and holds no answer to it: the dialog is to be asked.
struct Asked
{
    engine::CorrectionDialog dialog = engine::CorrectionDialog::ChoiceOfPlayer;
    // The names the dialog shows, player 1 first.
    std::vector<std::string> names;
    // What the confirmed correction proposes; empty for the correction by lot.
    Proposal proposal;
};

// A failed check (the message for the player), the dialog to ask, or what the record shows.
using Played = std::variant<Shown, engine::ValidationFailure, Asked>;

// Plays the record from the sheet as it stood when "Рассчитать" was pressed.
Played play(const engine::SheetRecord &record);

// A record settled to results, as the program keeps it beside them: the record, what its play showed,
// when the game was settled (local ISO 8601 time with its offset, "2026-12-08T21:40:00+03:00"; for a
// sheet opened from a file and settled unchanged, the time the file was saved) and the players' note on
// it (the note of the file it came from; empty when there is none).
struct SettledSheet
{
    engine::SheetRecord record;
    Shown shown;
    std::string date;
    std::string note;
};

// Who pays whom and how the shown results came about, read from the very working values of a play.
struct Explanation
{
    // The options in one line, for copies and pictures: "Сочи / Ростов; 4 игрока; гора делится на 4
    // игроков; цена виста 1".
    std::string optionsLine;
    // "Кто кому платит": amounts in hundredths, and the same as lines for the views.
    engine::Payments payments;
    std::vector<std::string> pairLines;     // "По парам": "Запад платит Югу 12,50"
    std::vector<std::string> transferLines; // "Наименьшим числом переводов"
    // What was rounded, empty when nothing was: "расхождение 0,01 из-за округления: ...".
    std::string paymentsNote;
    // "Подробный расчёт": the case, the rows per player and the correction, and all of it as lines.
    engine::Breakdown breakdown;
};

// The explanation of what a record showed: `shown` is play(record)'s own outcome.
Explanation explain(const engine::SheetRecord &record, const Shown &shown);

} // namespace zelvara::correction
