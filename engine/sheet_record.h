// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The record of a settled sheet: everything a settlement starts from and nothing it produces. The sheet
// as it stood when "Рассчитать" was pressed, the options, the decimal separator and, when a correction
// dialog opened, the player's answer. One function (correction/play.h) turns a record into everything
// the program shows or writes, so the window, its side views, the copies and pictures, the sheet files,
// zelvara-settle and the club book all read the same numbers from the same record.

#include "engine/sheet.h"

#include <optional>

namespace zelvara::engine {

enum class Button { OK, Cancel };

// The button pressed in a correction dialog, and the player checked in the correction by lot.
struct Answer
{
    Button button = Button::OK;
    // The drawn player for the correction by lot (1..players). Player 1 when nobody says otherwise: the
    // dialog checks that player on opening.
    int player = 1;

    friend bool operator==(const Answer &, const Answer &) = default;
};

struct SheetRecord
{
    // The sheet before any correction was written into it.
    SheetTexts sheet;
    Options options;
    char decimalSeparator = ',';
    // The answer to the dialog the sheet opens; nothing while it is unanswered, or when none opens.
    std::optional<Answer> answer;
};

} // namespace zelvara::engine
