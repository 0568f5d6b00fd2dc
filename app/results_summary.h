// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The shown results as "Копировать итоги" puts them on the clipboard: plain text for a chat and an
// HTML table that a spreadsheet pastes cell by cell. Plain C++, so the texts can be checked without a
// window.

#include <string>

namespace zelvara::correction {
struct Explanation;
struct SettledSheet;
} // namespace zelvara::correction

namespace zelvara::app {

struct ResultsSummary
{
    std::string text;
    std::string html;
};

// `date` is written as given ("08.12.2026"); amounts use the record's separator. The payments are the
// fewest transfers, followed by the rounding note when there is one.
ResultsSummary resultsSummary(const correction::SettledSheet &settled, const correction::Explanation &explanation,
                              const std::string &date);

// Text made safe for HTML: &, <, > and quotes as entities.
std::string escapeHtml(const std::string &text);

} // namespace zelvara::app
