// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/report.h"

#include "cli/json_writer.h"
#include "correction/correction.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

namespace zelvara::cli {
namespace {

using engine::CorrectionDialog;
using engine::FieldId;
using engine::FieldKind;

const char *dialogName(CorrectionDialog dialog)
{
    return dialog == CorrectionDialog::ChoiceOfPlayer ? "ChoiceOfPlayer" : "ConfirmOfChange";
}

const char *colourName(engine::Tone tone)
{
    return tone == engine::Tone::Loss ? "red" : "navy";
}

std::string resultFieldName(int player, int players)
{
    return engine::fieldName(FieldId{FieldKind::Result, player, 0}, players);
}

// Columns line up by characters, not bytes: the names are mostly Cyrillic.
std::size_t characterCount(std::string_view text)
{
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0U) != 0x80U; }));
}

std::string padded(std::string_view text, std::size_t width, bool right)
{
    const std::string fill(width - std::min(width, characterCount(text)), ' ');
    return right ? fill + std::string(text) : std::string(text) + fill;
}

std::string text(engine::Extended value, char decimalSeparator)
{
    return engine::formatGeneral(value, decimalSeparator);
}

void writeTransfers(JsonWriter &out, const std::vector<engine::Transfer> &transfers, char decimalSeparator)
{
    out.beginArray();
    for (const engine::Transfer &t : transfers) {
        out.beginObject();
        out.key("from");
        out.value(t.from);
        out.key("to");
        out.value(t.to);
        out.key("amount");
        out.value(engine::amountText(t.hundredths, decimalSeparator));
        out.endObject();
    }
    out.endArray();
}

void writeBreakdown(JsonWriter &out, const engine::Breakdown &breakdown, char decimalSeparator)
{
    const auto member = [&out](std::string_view name, const auto &value) {
        out.key(name);
        out.value(value);
    };
    out.beginObject();
    member("case", breakdown.caseText);
    out.key("players");
    out.beginArray();
    for (const engine::BreakdownRow &row : breakdown.players) {
        out.beginObject();
        member("heap", row.heap);
        member("pool", row.pool);
        member("adjustedHeap", row.adjustedHeap);
        if (row.shiftedHeap) {
            member("shiftedHeap", *row.shiftedHeap);
        }
        if (row.levelledHeap) {
            member("levelledHeap", *row.levelledHeap);
        }
        if (row.share) {
            member("share", text(*row.share, decimalSeparator));
        }
        if (row.claimsOwed && row.claimsOwing) {
            member("claimsOwed", text(*row.claimsOwed, decimalSeparator));
            member("claimsOwing", text(*row.claimsOwing, decimalSeparator));
        }
        member("whistsWritten", row.whistsWritten);
        member("whistsReceived", row.whistsReceived);
        member("balanceInWhists", text(row.balanceInWhists, decimalSeparator));
        member("result", row.result);
        out.endObject();
    }
    out.endArray();
    if (!breakdown.correction.empty()) {
        member("correction", breakdown.correction);
    }
    out.endObject();
}

} // namespace

Report settleRequest(const Request &request, char decimalSeparator, Additions additions)
{
    Report report;
    report.players = request.sheet.players;
    report.names = request.sheet.names;
    report.decimalSeparator = decimalSeparator;

    const engine::SheetRecord record{request.sheet, request.options, decimalSeparator, request.answer};
    correction::Played played = correction::play(record);
    if (const auto *failure = std::get_if<engine::ValidationFailure>(&played)) {
        report.message = failure->message;
        return report;
    }
    if (const auto *asked = std::get_if<correction::Asked>(&played)) {
        report.dialog = asked->dialog;
        if (asked->dialog == CorrectionDialog::ConfirmOfChange) {
            report.proposal = {asked->proposal.line1, asked->proposal.line2};
        }
        return report;
    }
    const correction::Shown &shown = std::get<correction::Shown>(played);
    report.results = shown.results;
    if (shown.dialog) {
        report.dialog = shown.dialog;
        if (*shown.dialog == CorrectionDialog::ConfirmOfChange) {
            report.proposal = {shown.proposal.line1, shown.proposal.line2};
        }
        report.fields.emplace();
        for (const correction::FieldWrite &write : shown.writes) {
            (*report.fields)[engine::fieldName(write.field, report.players)] = write.text;
        }
    }
    if (additions.payments || additions.explain) {
        report.account = correction::explain(record, shown);
        report.payments = additions.payments;
        report.explain = additions.explain;
    }
    return report;
}

int exitStatus(const Report &report)
{
    if (report.message) {
        return 1;
    }
    if (report.dialog && !report.fields) {
        return 3;
    }
    return 0;
}

namespace {

// The line number comes first, so that a reader of a batch's output sees at once which sheet a line answers.
void writeReport(JsonWriter &out, const Report &report, std::optional<std::uint64_t> batchLine)
{
    out.beginObject();
    if (batchLine) {
        out.key("line");
        out.value(*batchLine);
    }
    if (report.message) {
        out.key("message");
        out.value(*report.message);
    }
    if (report.dialog) {
        out.key("dialog");
        out.value(dialogName(*report.dialog));
    }
    if (report.proposal) {
        out.key("proposal");
        out.beginArray();
        for (const std::string &line : *report.proposal) {
            out.value(line);
        }
        out.endArray();
    }
    if (report.fields) {
        out.key("fields");
        out.beginObject();
        for (const auto &[name, text] : *report.fields) {
            out.key(name);
            out.value(text);
        }
        out.endObject();
    }
    if (!report.results.empty()) {
        out.key("results");
        out.beginObject();
        for (std::size_t i = 0; i < report.results.size(); ++i) {
            const engine::ShownResult &shown = report.results[i];
            out.key(resultFieldName(static_cast<int>(i) + 1, report.players));
            out.beginObject();
            out.key("text");
            out.value(shown.text);
            out.key("color");
            out.value(colourName(shown.tone));
            out.endObject();
        }
        out.endObject();
    }
    if (report.account) {
        const correction::Explanation &account = *report.account;
        if (report.payments) {
            out.key("pairs");
            writeTransfers(out, account.payments.pairs, report.decimalSeparator);
            out.key("payments");
            writeTransfers(out, account.payments.transfers, report.decimalSeparator);
            if (!account.paymentsNote.empty()) {
                out.key("paymentsNote");
                out.value(account.paymentsNote);
            }
        }
        if (report.explain) {
            out.key("breakdown");
            writeBreakdown(out, account.breakdown, report.decimalSeparator);
        }
    }
    out.endObject();
}

} // namespace

std::string formatJson(const Report &report)
{
    std::string text;
    JsonWriter out(text, 2);
    writeReport(out, report, std::nullopt);
    text += '\n';
    return text;
}

void appendJsonLine(std::string &text, const Report &report, std::uint64_t line)
{
    JsonWriter out(text, -1);
    writeReport(out, report, line);
    text += '\n';
}

std::string formatJsonLine(const Report &report, std::uint64_t line)
{
    std::string text;
    appendJsonLine(text, report, line);
    return text;
}

std::string formatTable(const Report &report)
{
    std::string text;
    if (report.message) {
        text += *report.message + "\n";
    }
    if (report.dialog) {
        text += std::string("dialog: ") + dialogName(*report.dialog) + "\n";
    }
    if (report.proposal) {
        text += "proposal: " + (*report.proposal)[0] + "\n";
        if (!(*report.proposal)[1].empty()) {
            text += "          " + (*report.proposal)[1] + "\n";
        }
    }
    if (report.dialog && !report.fields) {
        text += *report.dialog == CorrectionDialog::ChoiceOfPlayer
                    ? "no answer given: add \"answer\": {\"button\": \"OK\", \"player\": k} for the drawn player k, "
                      "or {\"button\": \"Cancel\"}\n"
                    : "no answer given: add \"answer\": {\"button\": \"OK\"} or {\"button\": \"Cancel\"}\n";
    }
    if (report.fields && !report.fields->empty()) {
        text += "fields written:\n";
        for (const auto &[name, value] : *report.fields) {
            text.append("  ").append(name).append(" = ").append(value).append("\n");
        }
    }

    std::size_t nameWidth = 0;
    std::size_t resultWidth = 0;
    for (std::size_t i = 0; i < report.results.size(); ++i) {
        nameWidth = std::max(nameWidth, characterCount(report.names[i]));
        resultWidth = std::max(resultWidth, characterCount(report.results[i].text));
    }
    for (std::size_t i = 0; i < report.results.size(); ++i) {
        const engine::ShownResult &shown = report.results[i];
        std::string line = padded(report.names[i], nameWidth, false) + "  " + padded(shown.text, resultWidth, true);
        if (shown.tone == engine::Tone::Loss) {
            line += "  (убыток)";
        }
        text += line + "\n";
    }
    if (report.account) {
        const correction::Explanation &account = *report.account;
        const auto list = [&](const char *title, const std::vector<std::string> &lines) {
            text.append("\n").append(title).append("\n");
            for (const std::string &line : lines) {
                text.append("  ").append(line).append("\n");
            }
        };
        if (report.payments) {
            list("Кто кому платит, по парам:", account.pairLines);
            list("Наименьшим числом переводов:", account.transferLines);
            if (!account.paymentsNote.empty()) {
                text += "Примечание: " + account.paymentsNote + "\n";
            }
        }
        if (report.explain) {
            list("Подробный расчет:", account.breakdown.lines);
        }
    }
    return text;
}

} // namespace zelvara::cli
