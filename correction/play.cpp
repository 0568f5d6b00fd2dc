// SPDX-License-Identifier: GPL-3.0-or-later
#include "correction/play.h"

#include "correction/rules_detail.h"

#include <algorithm>

namespace zelvara::correction {

using namespace detail;
using engine::CorrectionDialog;

namespace {

// Whether showing the results changed any of them: a dialog rounds to hundredths, and a result already
// in whole hundredths reads the same either way.
bool changedByRounding(const Shown &shown, char separator)
{
    const std::vector<engine::ShownResult> exact = engine::resultTexts(shown.workings.results, separator);
    return !std::equal(exact.begin(), exact.end(), shown.results.begin(), shown.results.end(),
                       [](const auto &a, const auto &b) { return a.text == b.text; });
}

std::string heapChange(std::int64_t before, std::int64_t after)
{
    return "(" + std::to_string(before) + " → " + std::to_string(after) + ")";
}

// The lot's correction in words: whose heap moved, which way, and the whists that paid for it.
std::string lotInWords(const engine::SheetValues &before, const Shown &shown, int drawnPlayer)
{
    const int c = std::clamp(drawnPlayer, 1, shown.workings.players) - 1;
    const std::string &name = before.names[at(c)];
    const std::int64_t after = shown.workings.heaps[at(c)];
    const std::string change = heapChange(before.heaps[at(c)], after);
    if (after > before.heaps[at(c)]) {
        return "Поправка по жребию («OK»): игроку " + name + " добавлено 1 очко в гору " + change +
               ", и он написал по 3 виста на каждого из остальных.";
    }
    return "Поправка по жребию («OK»): у игрока " + name + " списано 1 очко с горы " + change +
           ", и каждый из остальных написал на него 3 виста.";
}

std::string confirmedInWords(const engine::SheetValues &before, const Shown &shown)
{
    const Proposal &proposal = shown.proposal;
    std::string text = "Поправка принята («OK»): " + proposal.line1;
    if (!proposal.line2.empty()) {
        text += " " + proposal.line2;
    }
    std::string heaps;
    for (int i = 0; i < 4; ++i) {
        if (proposal.heapCorrections[at(i)] != 0) {
            heaps += (heaps.empty() ? "" : ", ") + before.names[at(i)] + " " +
                     heapChange(before.heaps[at(i)], shown.workings.heaps[at(i)]);
        }
    }
    text += " Горы: " + heaps +
            "; за каждое списанное очко остальные пишут на игрока по 3 виста, за каждое добавленное игрок пишет по 3 "
            "виста на остальных";
    return text + (shown.rounded ? "; итоги округлены до сотых." : ".");
}

std::string declinedInWords(const Shown &shown)
{
    const bool lot = shown.dialog == CorrectionDialog::ChoiceOfPlayer;
    std::string text = std::string("Поправка ") + (lot ? "по жребию " : "") + "отклонена («Отмена»): лист не изменён, ";
    if (!shown.rounded) {
        return text + "итоги показаны без округления.";
    }
    if (lot && shown.workings.players == 4) {
        return text + "итоги округлены до сотых (на 0,005 от нуля).";
    }
    return text + "итоги округлены до сотых.";
}

// The button of the answered dialog, pressed: the one mapping from (dialog, button, player) to a rule.
Shown press(const engine::SheetValues &values, CorrectionDialog dialog, const Proposal &proposal,
            const engine::Answer &answer, const engine::SheetRecord &record)
{
    const engine::GameType gameType = record.options.gameType;
    const char separator = record.decimalSeparator;
    const bool ok = answer.button == engine::Button::OK;
    Shown shown;
    if (dialog == CorrectionDialog::ChoiceOfPlayer) {
        shown = ok ? acceptLotCorrection(values, gameType, answer.player, separator)
                   : declineLotCorrection(values, gameType, separator);
    } else {
        shown = ok ? acceptConfirmedCorrection(values, gameType, proposal, separator)
                   : declineConfirmedCorrection(values, gameType, separator);
        shown.proposal = proposal;
    }
    shown.dialog = dialog;
    shown.rounded = changedByRounding(shown, separator);
    if (!ok) {
        shown.correction = declinedInWords(shown);
    } else if (dialog == CorrectionDialog::ChoiceOfPlayer) {
        shown.correction = lotInWords(values, shown, answer.player);
    } else {
        shown.correction = confirmedInWords(values, shown);
    }
    return shown;
}

} // namespace

Played play(const engine::SheetRecord &record)
{
    auto checked = engine::validateSheet(record.sheet, record.decimalSeparator);
    if (auto *failure = std::get_if<engine::ValidationFailure>(&checked)) {
        return std::move(*failure);
    }
    const engine::SheetValues &values = std::get<engine::SheetValues>(checked);
    auto settled = engine::settleValues(values, record.options);
    if (auto *workings = std::get_if<engine::Workings>(&settled)) {
        Shown shown;
        shown.results = engine::resultTexts(workings->results, record.decimalSeparator);
        shown.workings = *workings;
        return shown;
    }
    if (auto *failure = std::get_if<engine::ValidationFailure>(&settled)) {
        return std::move(*failure);
    }
    const CorrectionDialog dialog = std::get<CorrectionDialog>(settled);
    // Only the confirmed correction proposes anything; it is worked out from the sheet as it stands, so
    // the dialog shows, and "OK" applies, the same proposal.
    const Proposal proposal = dialog == CorrectionDialog::ConfirmOfChange
                                  ? proposeConfirmedCorrection(values, record.options.gameType)
                                  : Proposal{};
    if (!record.answer) {
        Asked asked{dialog, {}, proposal};
        asked.names.assign(values.names.begin(), values.names.begin() + values.players);
        return asked;
    }
    return press(values, dialog, proposal, *record.answer, record);
}

Explanation explain(const engine::SheetRecord &record, const Shown &shown)
{
    const char separator = record.decimalSeparator;
    const engine::Workings &workings = shown.workings;
    const auto &names = record.sheet.names;
    Explanation explanation;
    explanation.optionsLine = engine::caseInWords(record.options, workings.players, workings.whistValue, separator);
    explanation.payments = engine::paymentsOf(workings, shown.results, separator);
    explanation.pairLines = engine::paymentLines(explanation.payments.pairs, names, separator);
    explanation.transferLines = engine::paymentLines(explanation.payments.transfers, names, separator);
    explanation.paymentsNote = engine::paymentsNote(explanation.payments, names, separator);
    explanation.breakdown =
        engine::breakdownOf(workings, record.options, names, shown.results, shown.correction, separator);
    return explanation;
}

} // namespace zelvara::correction
