// SPDX-License-Identifier: GPL-3.0-or-later
#include "book/settled_sheet.h"

#include "book/names.h"
#include "correction/play.h"

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
    const engine::SheetRecord record{document.sheet, document.options, document.decimalSeparator.value_or(','),
                                     document.answer};
    if (record.answer && (record.answer->player < 1 || record.answer->player > record.sheet.players)) {
        return refusal(Kind::WrongAnswer, "the answer draws a player the sheet does not have");
    }
    const correction::Played played = correction::play(record);
    if (const auto *failure = std::get_if<engine::ValidationFailure>(&played)) {
        return refusal(Kind::CheckFailed, failure->message);
    }
    if (const auto *asked = std::get_if<correction::Asked>(&played)) {
        const bool lot = asked->dialog == engine::CorrectionDialog::ChoiceOfPlayer;
        return refusal(Kind::NeedsAnswer, std::string("the sheet opens the ") +
                                              (lot ? "correction by lot" : "confirmed correction") +
                                              " and the file gives no \"answer\"");
    }
    const auto &shown = std::get<correction::Shown>(played);
    const correction::Explanation account = correction::explain(record, shown);
    if (!account.payments.available) {
        return refusal(Kind::TooLarge, "the amounts are too large to record");
    }

    SettledSheet settled;
    std::set<std::string> keys;
    for (int i = 0; i < record.sheet.players; ++i) {
        const std::int64_t total = account.payments.totals[at(i)];
        if (total > MaxSheetHundredths || total < -MaxSheetHundredths) {
            return refusal(Kind::TooLarge, "the amounts are too large to record");
        }
        const std::string &name = record.sheet.names[at(i)];
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
    settled.correction = shown.correction;
    settled.note = document.note.value_or(std::string());
    return settled;
}

} // namespace zelvara::book
