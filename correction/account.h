// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Who pays whom and how the shown results came about, for the windows and zelvara-settle alike.
//
// It lives in the correction library because a shown result may come from a correction dialog's
// answer: the account settles the recorded sheet again exactly as the settlement or the answered
// dialog did, and reads payments and the breakdown from those working values (engine/payments.h,
// engine/breakdown.h). Plain C++, no Qt: link zelvara_correction.

#include "engine/breakdown.h"
#include "engine/payments.h"
#include "engine/result_format.h"
#include "engine/shown_settlement.h"

#include <array>
#include <string>
#include <vector>

namespace zelvara::correction {

struct Account
{
    // False when the record produces no results (a failed check, or a dialog that was not answered);
    // everything below is empty then.
    bool shown = false;
    int players = 0;
    std::array<std::string, engine::MaxPlayers> names;
    // The results as the result fields show them.
    std::vector<engine::ShownResult> results;
    // The options in one line, for copies and pictures: "Сочи / Ростов; 4 игрока; гора делится на 4
    // игроков; цена виста 1".
    std::string optionsLine;

    // "Кто кому платит": amounts in hundredths, and the same as lines for the two views.
    engine::Payments payments;
    std::vector<std::string> pairLines;     // "По парам": "Запад платит Югу 12,50"
    std::vector<std::string> transferLines; // "Наименьшим числом переводов"
    // What was rounded, empty when nothing was: "расхождение 0,01 из-за округления: ...".
    std::string paymentsNote;

    // "Подробный расчет": the case, the rows per player and the correction, and all of it as lines.
    engine::Breakdown breakdown;
};

// The account of the results a record shows.
Account accountOf(const engine::ShownSettlement &shown);

} // namespace zelvara::correction
