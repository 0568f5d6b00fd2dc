// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/report.h"

#include "correction/correction.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <variant>

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

correction::CorrectionOutcome pressButton(const Request &request, CorrectionDialog dialog, const Answer &answer,
                                          const correction::Proposal &proposal, char decimalSeparator)
{
    const engine::GameType gameType = request.options.gameType;
    if (dialog == CorrectionDialog::ConfirmOfChange) {
        return answer.button == Button::OK
                   ? correction::acceptConfirmedCorrection(request.sheet, gameType, proposal, decimalSeparator)
                   : correction::declineConfirmedCorrection(request.sheet, gameType, decimalSeparator);
    }
    return answer.button == Button::OK
               ? correction::acceptLotCorrection(request.sheet, gameType, answer.player, decimalSeparator)
               : correction::declineLotCorrection(request.sheet, gameType, decimalSeparator);
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

} // namespace

Report settleRequest(const Request &request, char decimalSeparator)
{
    Report report;
    report.players = request.sheet.players;
    report.names = request.sheet.names;

    const engine::SettlementOutcome outcome = engine::settle(request.sheet, request.options, decimalSeparator);
    if (const auto *results = std::get_if<engine::Results>(&outcome)) {
        report.results = engine::showResults(*results, decimalSeparator);
        return report;
    }
    if (const auto *failure = std::get_if<engine::ValidationFailure>(&outcome)) {
        report.message = failure->message;
        return report;
    }

    const CorrectionDialog dialog = std::get<CorrectionDialog>(outcome);
    report.dialog = dialog;
    correction::Proposal proposal;
    if (dialog == CorrectionDialog::ConfirmOfChange) {
        proposal = correction::proposeConfirmedCorrection(request.sheet, request.options.gameType, decimalSeparator);
        report.proposal = {proposal.line1, proposal.line2};
    }
    if (!request.answer) {
        return report;
    }

    const correction::CorrectionOutcome pressed =
        pressButton(request, dialog, *request.answer, proposal, decimalSeparator);
    report.fields.emplace();
    for (const correction::FieldWrite &write : pressed.writes) {
        (*report.fields)[engine::fieldName(write.field, report.players)] = write.text;
    }
    report.results = pressed.results;
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
nlohmann::ordered_json jsonOf(const Report &report, std::optional<std::uint64_t> batchLine)
{
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    if (batchLine) {
        out["line"] = *batchLine;
    }
    if (report.message) {
        out["message"] = *report.message;
    }
    if (report.dialog) {
        out["dialog"] = dialogName(*report.dialog);
    }
    if (report.proposal) {
        out["proposal"] = *report.proposal;
    }
    if (report.fields) {
        out["fields"] = nlohmann::ordered_json::object();
        for (const auto &[name, text] : *report.fields) {
            out["fields"][name] = text;
        }
    }
    if (!report.results.empty()) {
        out["results"] = nlohmann::ordered_json::object();
        for (std::size_t i = 0; i < report.results.size(); ++i) {
            const engine::ShownResult &shown = report.results[i];
            out["results"][resultFieldName(static_cast<int>(i) + 1, report.players)] = {
                {"text", shown.text}, {"color", colourName(shown.tone)}};
        }
    }
    return out;
}

} // namespace

std::string formatJson(const Report &report)
{
    return jsonOf(report, std::nullopt).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string formatJsonLine(const Report &report, std::uint64_t line)
{
    return jsonOf(report, line).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
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
    return text;
}

} // namespace zelvara::cli
