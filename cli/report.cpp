// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/report.h"

#include "cli/terminal.h"
#include "correction/correction.h"
#include "sheetfile/json_text.h"

#include <algorithm>
#include <array>
#include <boost/json/monotonic_resource.hpp>
#include <boost/json/serializer.hpp>
#include <boost/json/value.hpp>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

namespace zelvara::cli {
namespace {

namespace json = boost::json;
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

// The result fields' names, made once from the engine's: a batch writes them for every sheet.
const std::string &resultFieldName(int player, int players)
{
    using Names = std::array<std::array<std::string, engine::MaxPlayers>, engine::MaxPlayers + 1>;
    static const Names names = [] {
        Names all;
        for (int n = engine::MinPlayers; n <= engine::MaxPlayers; ++n) {
            for (int p = 1; p <= n; ++p) {
                all.at(static_cast<std::size_t>(n)).at(static_cast<std::size_t>(p - 1)) =
                    engine::fieldName(FieldId{FieldKind::Result, p, 0}, n);
            }
        }
        return all;
    }();
    return names.at(static_cast<std::size_t>(players)).at(static_cast<std::size_t>(player - 1));
}

// The fields an answer wrote, by control name, each with its last text as the window shows it.
std::map<std::string, std::string> writtenFields(const correction::Shown &shown, int players)
{
    std::map<std::string, std::string> fields;
    for (const correction::FieldWrite &write : shown.writes) {
        fields[engine::fieldName(write.field, players)] = write.text;
    }
    return fields;
}

std::string text(engine::Extended value, char decimalSeparator)
{
    return engine::formatGeneral(value, decimalSeparator);
}

// Every text of a report is UTF-8: the sheet's own texts passed the reader's check, the rest are the
// program's. Boost.JSON copies each into the value, within the memory the caller gives.
json::string_view view(std::string_view text)
{
    return {text.data(), text.size()};
}

json::array transfersJson(const std::vector<engine::Transfer> &transfers, char decimalSeparator,
                          const json::storage_ptr &memory)
{
    json::array out(memory);
    for (const engine::Transfer &t : transfers) {
        json::object transfer(memory);
        transfer.emplace("from", t.from);
        transfer.emplace("to", t.to);
        transfer.emplace("amount", view(engine::amountText(t.hundredths, decimalSeparator)));
        out.emplace_back(std::move(transfer));
    }
    return out;
}

json::object breakdownJson(const engine::Breakdown &breakdown, char decimalSeparator, const json::storage_ptr &memory)
{
    json::object out(memory);
    out.emplace("case", view(breakdown.caseText));
    json::array players(memory);
    for (const engine::BreakdownRow &row : breakdown.players) {
        json::object player(memory);
        player.emplace("heap", row.heap);
        player.emplace("pool", row.pool);
        player.emplace("adjustedHeap", row.adjustedHeap);
        if (row.shiftedHeap) {
            player.emplace("shiftedHeap", *row.shiftedHeap);
        }
        if (row.levelledHeap) {
            player.emplace("levelledHeap", *row.levelledHeap);
        }
        if (row.share) {
            player.emplace("share", view(text(*row.share, decimalSeparator)));
        }
        if (row.claimsOwed && row.claimsOwing) {
            player.emplace("claimsOwed", view(text(*row.claimsOwed, decimalSeparator)));
            player.emplace("claimsOwing", view(text(*row.claimsOwing, decimalSeparator)));
        }
        player.emplace("whistsWritten", row.whistsWritten);
        player.emplace("whistsReceived", row.whistsReceived);
        player.emplace("balanceInWhists", view(text(row.balanceInWhists, decimalSeparator)));
        player.emplace("result", view(row.result));
        players.emplace_back(std::move(player));
    }
    out.emplace("players", std::move(players));
    if (!breakdown.correction.empty()) {
        out.emplace("correction", view(breakdown.correction));
    }
    return out;
}

} // namespace

Report settleRequest(Request request, char decimalSeparator, Additions additions)
{
    Report report;
    report.record = {std::move(request.sheet), request.options, decimalSeparator, request.answer};
    report.played = correction::play(report.record);
    report.additions = additions;
    if (const correction::Shown *shown = report.shown(); shown && (additions.payments || additions.explain)) {
        report.explanation = correction::explain(report.record, *shown);
    }
    return report;
}

const std::string *Report::message() const
{
    const auto *failure = std::get_if<engine::ValidationFailure>(&played);
    return failure ? &failure->message : nullptr;
}

std::optional<CorrectionDialog> Report::dialog() const
{
    if (const auto *asked = std::get_if<correction::Asked>(&played)) {
        return asked->dialog;
    }
    if (const auto *results = std::get_if<correction::Shown>(&played)) {
        return results->dialog;
    }
    return std::nullopt;
}

const correction::Proposal *Report::proposal() const
{
    if (dialog() != CorrectionDialog::ConfirmOfChange) {
        return nullptr;
    }
    if (const auto *asked = std::get_if<correction::Asked>(&played)) {
        return &asked->proposal;
    }
    return &std::get<correction::Shown>(played).proposal;
}

const correction::Shown *Report::shown() const
{
    return std::get_if<correction::Shown>(&played);
}

ExitStatus exitStatus(const Report &report)
{
    if (report.message()) {
        return ExitStatus::Refused;
    }
    if (std::holds_alternative<correction::Asked>(report.played)) {
        return ExitStatus::Unanswered;
    }
    return ExitStatus::Settled;
}

namespace {

// The report as one JSON object. The line number comes first, so that a reader of a batch's output sees
// at once which sheet a line answers.
json::object reportJson(const Report &report, std::optional<std::uint64_t> batchLine, const json::storage_ptr &memory)
{
    const char separator = report.record.decimalSeparator;
    const int players = report.record.sheet.players;
    const correction::Shown *shown = report.shown();
    json::object out(memory);
    out.reserve(8); // all that a report writes
    if (batchLine) {
        out.emplace("line", *batchLine);
    }
    if (const std::string *message = report.message()) {
        out.emplace("message", view(*message));
    }
    if (const auto dialog = report.dialog()) {
        out.emplace("dialog", dialogName(*dialog));
    }
    if (const correction::Proposal *proposal = report.proposal()) {
        json::array lines(memory);
        lines.emplace_back(view(proposal->line1));
        lines.emplace_back(view(proposal->line2));
        out.emplace("proposal", std::move(lines));
    }
    if (shown && shown->dialog) {
        json::object fields(memory);
        for (const auto &[name, value] : writtenFields(*shown, players)) {
            fields.emplace(view(name), view(value));
        }
        out.emplace("fields", std::move(fields));
    }
    if (shown && !shown->results.empty()) {
        json::object results(memory);
        results.reserve(shown->results.size());
        for (std::size_t i = 0; i < shown->results.size(); ++i) {
            const engine::ShownResult &result = shown->results[i];
            json::object entry(memory);
            entry.reserve(2);
            entry.emplace("text", view(result.text));
            entry.emplace("color", colourName(result.tone));
            results.emplace(resultFieldName(static_cast<int>(i) + 1, players), std::move(entry));
        }
        out.emplace("results", std::move(results));
    }
    if (report.explanation) {
        const correction::Explanation &account = *report.explanation;
        if (report.additions.payments) {
            out.emplace("pairs", transfersJson(account.payments.pairs, separator, memory));
            out.emplace("payments", transfersJson(account.payments.transfers, separator, memory));
            if (!account.paymentsNote.empty()) {
                out.emplace("paymentsNote", view(account.paymentsNote));
            }
        }
        if (report.additions.explain) {
            out.emplace("breakdown", breakdownJson(account.breakdown, separator, memory));
        }
    }
    return out;
}

} // namespace

std::string formatJson(const Report &report)
{
    std::string text;
    sheetfile::appendPrettyJson(text, reportJson(report, std::nullopt, {}));
    text += '\n';
    return text;
}

void appendJsonLine(std::string &text, const Report &report, std::uint64_t line)
{
    // A line's values live in this buffer and go with it: a batch asks the heap for nothing per line but
    // the strings that outgrow it.
    std::array<unsigned char, 8192> buffer; // NOLINT(cppcoreguidelines-pro-type-member-init): memory, not values
    json::monotonic_resource memory(buffer.data(), buffer.size());
    const json::value value = reportJson(report, line, &memory);
    json::serializer writer;
    writer.reset(&value);
    std::array<char, 4096> chunk; // NOLINT(cppcoreguidelines-pro-type-member-init): written before it is read
    while (!writer.done()) {
        const json::string_view written = writer.read(chunk.data(), chunk.size());
        text.append(written.data(), written.size());
    }
    text += '\n';
}

std::string formatTable(const Report &report)
{
    // Names reach the proposal, the fields written, the payments and the breakdown too: every text but
    // the program's own words goes through shown().
    const auto visible = [](std::string_view text) { return sheetfile::visibleControls(text); };
    const int players = report.record.sheet.players;
    const correction::Shown *shown = report.shown();
    std::string text;
    if (const std::string *message = report.message()) {
        text += visible(*message) + "\n";
    }
    const auto dialog = report.dialog();
    if (dialog) {
        text += std::string("dialog: ") + dialogName(*dialog) + "\n";
    }
    if (const correction::Proposal *proposal = report.proposal()) {
        text += "proposal: " + visible(proposal->line1) + "\n";
        if (!proposal->line2.empty()) {
            text += "          " + visible(proposal->line2) + "\n";
        }
    }
    if (std::holds_alternative<correction::Asked>(report.played)) {
        text += *dialog == CorrectionDialog::ChoiceOfPlayer
                    ? "no answer given: add \"answer\": {\"button\": \"OK\", \"player\": k} for the drawn player k, "
                      "or {\"button\": \"Cancel\"}\n"
                    : "no answer given: add \"answer\": {\"button\": \"OK\"} or {\"button\": \"Cancel\"}\n";
    }
    if (shown == nullptr) {
        return text;
    }
    if (shown->dialog && !shown->writes.empty()) {
        text += "fields written:\n";
        for (const auto &[name, value] : writtenFields(*shown, players)) {
            text.append("  ").append(name).append(" = ").append(visible(value)).append("\n");
        }
    }

    const std::vector<engine::ShownResult> &results = shown->results;
    std::array<std::string, engine::MaxPlayers> names;
    std::size_t nameWidth = 0;
    std::size_t resultWidth = 0;
    for (std::size_t i = 0; i < results.size() && i < names.size(); ++i) {
        names[i] = visible(report.record.sheet.names[i]);
        nameWidth = std::max(nameWidth, characterCount(names[i]));
        resultWidth = std::max(resultWidth, characterCount(results[i].text));
    }
    for (std::size_t i = 0; i < results.size() && i < names.size(); ++i) {
        const engine::ShownResult &result = results[i];
        std::string line = padded(names[i], nameWidth, false) + "  " + padded(result.text, resultWidth, true);
        if (result.tone == engine::Tone::Loss) {
            line += "  (убыток)";
        }
        text += line + "\n";
    }
    if (report.explanation) {
        const correction::Explanation &account = *report.explanation;
        const auto list = [&](const char *title, const std::vector<std::string> &lines) {
            text.append("\n").append(title).append("\n");
            for (const std::string &line : lines) {
                text.append("  ").append(visible(line)).append("\n");
            }
        };
        if (report.additions.payments) {
            if (!account.pairLines.empty() || !account.transferLines.empty()) {
                list("Кто кому платит, по парам:", account.pairLines);
                list("Наименьшим числом переводов:", account.transferLines);
            } else if (account.paymentsNote.empty()) {
                text += "\nНикто никому не платит.\n";
            } else {
                text += "\n"; // the note alone, as when the totals are too large to pay
            }
            if (!account.paymentsNote.empty()) {
                text += "Примечание: " + visible(account.paymentsNote) + "\n";
            }
        }
        if (report.additions.explain) {
            list("Подробный расчёт:", account.breakdown.lines);
        }
    }
    return text;
}

} // namespace zelvara::cli
