// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/request.h"
#include "correction/play.h"
#include "engine/result_format.h"
#include "engine/settlement.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zelvara::cli {

// What to add to the results: payments (--payments) and the breakdown (--explain).
struct Additions
{
    bool payments = false;
    bool explain = false;
};

// One run of a sheet: its record, what playing it gave (a message, the dialog that opened with no
// answer, or the results with what an answer wrote), and who pays whom with the breakdown when asked.
struct Report
{
    engine::SheetRecord record;
    correction::Played played;
    std::optional<correction::Explanation> explanation;
    Additions additions;

    // The message of a failed check; nullptr otherwise.
    const std::string *message() const;
    // The correction dialog that opened, answered or not.
    std::optional<engine::CorrectionDialog> dialog() const;
    // The confirmed correction's proposal, when its dialog opened; nullptr otherwise.
    const correction::Proposal *proposal() const;
    // The results and what an answer wrote; nullptr unless results are shown.
    const correction::Shown *shown() const;
};

// Plays the request's sheet as the window would on "Рассчитать", pressing the answer's button if a
// correction dialog opens. decimalSeparator is the one in force (',' or '.').
Report settleRequest(Request request, char decimalSeparator, Additions additions = {});

// How zelvara-settle ends, the one place that numbers it; the usage text and the manual page say the same
// in words.
enum class ExitStatus : int {
    Settled = 0,       // results shown; with --batch, every sheet settled to results
    Refused = 1,       // a check failed and its message was printed
    BadInput = 2,      // bad usage, input that cannot be read or is malformed, output that cannot be written
    Unanswered = 3,    // a correction dialog opened and the sheet gave no answer
    SomeUnsettled = 4, // --batch: some sheet did not settle to results
};

// Settled, Refused, or Unanswered.
ExitStatus exitStatus(const Report &report);

// The report as JSON (UTF-8, not escaped beyond what JSON needs), indented, ending in a newline.
std::string formatJson(const Report &report);

// The same object on one line led by "line", the sheet's line number in a batch, added to the end of
// `text` with a newline, so that a batch reuses one buffer.
void appendJsonLine(std::string &text, const Report &report, std::uint64_t line);

// The report as text for a person: the message, or the dialog and proposal, the fields written and a
// table of names and results. Texts from the sheet are shown with their control characters written
// visibly, so that a name cannot drive the terminal.
std::string formatTable(const Report &report);

} // namespace zelvara::cli
