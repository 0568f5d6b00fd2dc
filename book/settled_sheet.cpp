// SPDX-License-Identifier: GPL-3.0-or-later
#include "book/settled_sheet.h"

#include "book/names.h"
#include "correction/account.h"
#include "engine/settlement.h"

#include <set>

namespace zelvara::book {

namespace {

std::size_t at(int index)
{
    return static_cast<std::size_t>(index);
}

NotRecordable refusal(NotRecordable::Kind kind, std::string what)
{
    return {kind, std::move(what)};
}

} // namespace

std::variant<SettledSheet, NotRecordable> settleForBook(const sheetfile::SheetDocument &document)
{
    using Kind = NotRecordable::Kind;
    const char separator = document.decimalSeparator.value_or(',');
    engine::ShownSettlement shown{document.sheet, document.options, separator, engine::ShownBy::Settlement, 0};

    const engine::SettlementOutcome outcome = engine::settle(document.sheet, document.options, separator);
    if (const auto *failure = std::get_if<engine::ValidationFailure>(&outcome)) {
        return refusal(Kind::CheckFailed, failure->message);
    }
    if (const auto *dialog = std::get_if<engine::CorrectionDialog>(&outcome)) {
        const bool lot = *dialog == engine::CorrectionDialog::ChoiceOfPlayer;
        if (!document.answer) {
            return refusal(Kind::NeedsAnswer, std::string("the sheet opens the ") +
                                                  (lot ? "correction by lot" : "confirmed correction") +
                                                  " and the file gives no \"answer\"");
        }
        const bool ok = document.answer->button == sheetfile::Button::OK;
        if (lot) {
            shown.shownBy = ok ? engine::ShownBy::LotAccepted : engine::ShownBy::LotDeclined;
            shown.drawnPlayer = ok ? document.answer->player : 0;
            if (ok && (shown.drawnPlayer < 1 || shown.drawnPlayer > document.sheet.players)) {
                return refusal(Kind::WrongAnswer, "the answer draws a player the sheet does not have");
            }
        } else {
            shown.shownBy = ok ? engine::ShownBy::ConfirmedAccepted : engine::ShownBy::ConfirmedDeclined;
        }
    }

    const correction::Account account = correction::accountOf(shown);
    if (!account.shown) {
        return refusal(Kind::WrongAnswer, "the answer does not settle the sheet");
    }
    if (!account.payments.available) {
        return refusal(Kind::TooLarge, "the amounts are too large to record");
    }

    SettledSheet settled;
    std::set<std::string> keys;
    for (int i = 0; i < account.players; ++i) {
        const std::int64_t total = account.payments.totals[at(i)];
        if (total > MaxSheetHundredths || total < -MaxSheetHundredths) {
            return refusal(Kind::TooLarge, "the amounts are too large to record");
        }
        const std::string &name = account.names[at(i)];
        const std::string key = nameKey(name);
        if (key.empty()) {
            return refusal(Kind::UnnamedPlayer, "player " + std::to_string(i + 1) + " has no name");
        }
        if (!keys.insert(key).second) {
            return refusal(Kind::SamePlayerTwice, "two players are named \"" + trimmedName(name) + "\"");
        }
        const auto whists = static_cast<double>(account.breakdown.players[at(i)].balanceInWhists);
        settled.players.push_back({name, total, whists});
    }
    settled.sheetText = sheetfile::writeSheet(document);
    settled.correction = account.breakdown.correction;
    settled.note = document.note.value_or(std::string());
    return settled;
}

} // namespace zelvara::book
