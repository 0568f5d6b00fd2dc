// SPDX-License-Identifier: GPL-3.0-or-later
#include "correction/account.h"

#include "correction/sheet_numbers.h"

#include <algorithm>

namespace zelvara::correction {

using namespace detail;
using engine::ShownBy;

namespace {

bool fromLot(ShownBy by)
{
    return by == ShownBy::LotAccepted || by == ShownBy::LotDeclined;
}

// Whether showing the results changed any of them: a dialog rounds to hundredths, and a result already
// in whole hundredths reads the same either way.
bool changedByRounding(const CorrectionOutcome &outcome, char separator)
{
    const std::vector<engine::ShownResult> exact = engine::showResults(outcome.workings.results, separator);
    return !std::equal(exact.begin(), exact.end(), outcome.results.begin(), outcome.results.end(),
                       [](const auto &a, const auto &b) { return a.text == b.text; });
}

std::string heapChange(std::int64_t before, std::int64_t after)
{
    return "(" + std::to_string(before) + " → " + std::to_string(after) + ")";
}

// The lot's correction in words: whose heap moved, which way, and the whists that paid for it.
std::string lotInWords(const engine::ShownSettlement &shown, const CorrectionOutcome &outcome)
{
    const SheetNumbers before = readNumbers(shown.sheet, shown.decimalSeparator);
    const int c = std::clamp(shown.drawnPlayer, 1, outcome.workings.players) - 1;
    const std::string &name = shown.sheet.names[at(c)];
    const std::int64_t after = outcome.workings.heaps[at(c)];
    const std::string change = heapChange(before.heaps[at(c)], after);
    if (after > before.heaps[at(c)]) {
        return "Поправка по жребию («OK»): игроку " + name + " добавлено 1 очко в гору " + change +
               ", и он написал по 3 виста на каждого из остальных.";
    }
    return "Поправка по жребию («OK»): у игрока " + name + " списано 1 очко с горы " + change +
           ", и каждый из остальных написал на него 3 виста.";
}

std::string confirmedInWords(const engine::ShownSettlement &shown, const CorrectionOutcome &outcome,
                             const Proposal &proposal)
{
    const SheetNumbers before = readNumbers(shown.sheet, shown.decimalSeparator);
    std::string text = "Поправка принята («OK»): " + proposal.line1;
    if (!proposal.line2.empty()) {
        text += " " + proposal.line2;
    }
    std::string heaps;
    for (int i = 0; i < 4; ++i) {
        if (proposal.heapCorrections[at(i)] != 0) {
            heaps += (heaps.empty() ? "" : ", ") + shown.sheet.names[at(i)] + " " +
                     heapChange(before.heaps[at(i)], outcome.workings.heaps[at(i)]);
        }
    }
    text += " Горы: " + heaps +
            "; за каждое списанное очко остальные пишут на игрока по 3 виста, за каждое добавленное игрок пишет по 3 "
            "виста на остальных";
    return text + (changedByRounding(outcome, shown.decimalSeparator) ? "; итоги округлены до сотых." : ".");
}

std::string declinedInWords(const engine::ShownSettlement &shown, const CorrectionOutcome &outcome)
{
    std::string text = std::string("Поправка ") + (fromLot(shown.shownBy) ? "по жребию " : "") +
                       "отклонена («Отмена»): лист не изменен, ";
    if (!changedByRounding(outcome, shown.decimalSeparator)) {
        return text + "итоги показаны без округления.";
    }
    if (shown.shownBy == ShownBy::LotDeclined && outcome.workings.players == 4) {
        return text + "итоги округлены до сотых (на 0,005 от нуля).";
    }
    return text + "итоги округлены до сотых.";
}

} // namespace

Account accountOf(const engine::ShownSettlement &shown)
{
    Account account;
    const char separator = shown.decimalSeparator;
    const engine::GameType gameType = shown.options.gameType;
    const auto settled = engine::settleWorkings(shown.sheet, shown.options, separator);

    // The record must be one the program could have shown: results from "Рассчитать", or the answer to
    // the very dialog that the sheet opens.
    engine::Workings workings;
    std::string correction;
    if (const auto *plain = std::get_if<engine::Workings>(&settled)) {
        if (shown.shownBy != ShownBy::Settlement) {
            return account;
        }
        workings = *plain;
        account.results = engine::showResults(workings.results, separator);
    } else if (const auto *dialog = std::get_if<engine::CorrectionDialog>(&settled)) {
        const bool lot = *dialog == engine::CorrectionDialog::ChoiceOfPlayer;
        if (shown.shownBy == ShownBy::Settlement || lot != fromLot(shown.shownBy)) {
            return account;
        }
        CorrectionOutcome outcome;
        switch (shown.shownBy) {
        case ShownBy::LotAccepted:
            outcome = acceptLotCorrection(shown.sheet, gameType, shown.drawnPlayer, separator);
            correction = lotInWords(shown, outcome);
            break;
        case ShownBy::ConfirmedAccepted: {
            const Proposal proposal = proposeConfirmedCorrection(shown.sheet, gameType, separator);
            outcome = acceptConfirmedCorrection(shown.sheet, gameType, proposal, separator);
            correction = confirmedInWords(shown, outcome, proposal);
            break;
        }
        case ShownBy::LotDeclined:
            outcome = declineLotCorrection(shown.sheet, gameType, separator);
            correction = declinedInWords(shown, outcome);
            break;
        case ShownBy::ConfirmedDeclined:
        case ShownBy::Settlement:
            outcome = declineConfirmedCorrection(shown.sheet, gameType, separator);
            correction = declinedInWords(shown, outcome);
            break;
        }
        workings = outcome.workings;
        account.results = outcome.results;
    } else {
        return account;
    }

    account.shown = true;
    account.players = workings.players;
    account.names = shown.sheet.names;
    account.optionsLine = engine::caseInWords(shown.options, workings.players, workings.whistValue, separator);
    account.payments = engine::paymentsOf(workings, account.results, separator);
    account.pairLines = engine::paymentLines(account.payments.pairs, account.names, separator);
    account.transferLines = engine::paymentLines(account.payments.transfers, account.names, separator);
    account.paymentsNote = engine::paymentsNote(account.payments, account.names, separator);
    account.breakdown =
        engine::breakdownOf(workings, shown.options, account.names, account.results, correction, separator);
    return account;
}

} // namespace zelvara::correction
