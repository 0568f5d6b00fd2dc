// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The shown results as "Копировать итоги" puts them on the clipboard: plain text for a chat, and one
// HTML table, with borders and every row as wide as the others, that a spreadsheet or a mail pastes
// cell by cell. Both are dated by the settlement (or by the sheet file it came from), not by the day of
// copying.

#include <QString>

namespace zelvara::correction {
struct Explanation;
struct SettledSheet;
} // namespace zelvara::correction

namespace zelvara::app {

struct ResultsSummary
{
    QString text;
    QString html;
};

// The title and options, one line per player with the result, then the fewest transfers and the note
// on what was rounded; the pairs as well when that note speaks of them. Amounts use the record's
// separator; `explanation` is correction::explain of the same record.
ResultsSummary resultsSummary(const correction::SettledSheet &settled, const correction::Explanation &explanation);

} // namespace zelvara::app
