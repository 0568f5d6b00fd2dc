// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/report.h"

#include "correction/correction.h"

#include <algorithm>
#include <cstddef>
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

// The record of what the window would show, for payments and the breakdown.
void addAccount(Report &report, const Request &request, char decimalSeparator, Additions additions)
{
    if (!(additions.payments || additions.explain) || report.results.empty()) {
        return;
    }
    engine::ShownSettlement shown{request.sheet, request.options, decimalSeparator, engine::ShownBy::Settlement, 0};
    if (report.dialog && request.answer) {
        const bool ok = request.answer->button == Button::OK;
        if (*report.dialog == CorrectionDialog::ChoiceOfPlayer) {
            shown.shownBy = ok ? engine::ShownBy::LotAccepted : engine::ShownBy::LotDeclined;
            shown.drawnPlayer = ok ? request.answer->player : 0;
        } else {
            shown.shownBy = ok ? engine::ShownBy::ConfirmedAccepted : engine::ShownBy::ConfirmedDeclined;
        }
    }
    report.account = correction::accountOf(shown);
    report.payments = additions.payments;
    report.explain = additions.explain;
}

std::string text(engine::Extended value, char decimalSeparator)
{
    return engine::formatGeneral(value, decimalSeparator);
}

nlohmann::ordered_json transfersJson(const std::vector<engine::Transfer> &transfers, char decimalSeparator)
{
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const engine::Transfer &t : transfers) {
        list.push_back(
            {{"from", t.from}, {"to", t.to}, {"amount", engine::amountText(t.hundredths, decimalSeparator)}});
    }
    return list;
}

nlohmann::ordered_json breakdownJson(const engine::Breakdown &breakdown, char decimalSeparator)
{
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    out["case"] = breakdown.caseText;
    out["players"] = nlohmann::ordered_json::array();
    for (const engine::BreakdownRow &row : breakdown.players) {
        nlohmann::ordered_json player = {{"heap", row.heap}, {"pool", row.pool}, {"adjustedHeap", row.adjustedHeap}};
        if (row.shiftedHeap) {
            player["shiftedHeap"] = *row.shiftedHeap;
        }
        if (row.levelledHeap) {
            player["levelledHeap"] = *row.levelledHeap;
        }
        if (row.share) {
            player["share"] = text(*row.share, decimalSeparator);
        }
        if (row.claimsOwed && row.claimsOwing) {
            player["claimsOwed"] = text(*row.claimsOwed, decimalSeparator);
            player["claimsOwing"] = text(*row.claimsOwing, decimalSeparator);
        }
        player["whistsWritten"] = row.whistsWritten;
        player["whistsReceived"] = row.whistsReceived;
        player["balanceInWhists"] = text(row.balanceInWhists, decimalSeparator);
        player["result"] = row.result;
        out["players"].push_back(std::move(player));
    }
    if (!breakdown.correction.empty()) {
        out["correction"] = breakdown.correction;
    }
    return out;
}

} // namespace

Report settleRequest(const Request &request, char decimalSeparator, Additions additions)
{
    Report report;
    report.players = request.sheet.players;
    report.names = request.sheet.names;
    report.decimalSeparator = decimalSeparator;

    const engine::SettlementOutcome outcome = engine::settle(request.sheet, request.options, decimalSeparator);
    if (const auto *results = std::get_if<engine::Results>(&outcome)) {
        report.results = engine::showResults(*results, decimalSeparator);
        addAccount(report, request, decimalSeparator, additions);
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
    addAccount(report, request, decimalSeparator, additions);
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

std::string formatJson(const Report &report)
{
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
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
    if (report.account && report.account->shown) {
        const correction::Account &account = *report.account;
        if (report.payments) {
            out["pairs"] = transfersJson(account.payments.pairs, report.decimalSeparator);
            out["payments"] = transfersJson(account.payments.transfers, report.decimalSeparator);
            if (!account.paymentsNote.empty()) {
                out["paymentsNote"] = account.paymentsNote;
            }
        }
        if (report.explain) {
            out["breakdown"] = breakdownJson(account.breakdown, report.decimalSeparator);
        }
    }
    return out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
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
    if (report.account && report.account->shown) {
        const correction::Account &account = *report.account;
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
