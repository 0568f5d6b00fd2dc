// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What produced the results a sheet shows: the sheet as it stood when "Рассчитать" was pressed, the
// options, the separator, and the correction dialog's answer when one opened. Payments and the
// breakdown are worked out from this record, so they always explain the numbers on the screen, even
// after the player has typed into the fields again.

#include "engine/sheet.h"

namespace zelvara::engine {

// How the shown results came about.
enum class ShownBy {
    Settlement,        // "Рассчитать" showed them, no dialog opened
    LotAccepted,       // the correction by lot, "OK" with `drawnPlayer`
    LotDeclined,       // the correction by lot, "Отмена"
    ConfirmedAccepted, // the confirmed correction, "OK"
    ConfirmedDeclined, // the confirmed correction, "Отмена"
};

struct ShownSettlement
{
    // The sheet before any correction was written into it.
    SheetTexts sheet;
    Options options;
    char decimalSeparator = ',';
    ShownBy shownBy = ShownBy::Settlement;
    // The player checked in the correction by lot (1..players); 0 otherwise.
    int drawnPlayer = 0;
};

} // namespace zelvara::engine
