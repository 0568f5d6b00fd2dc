// SPDX-License-Identifier: GPL-3.0-or-later
// A whole press of "Рассчитать" on a sheet built from the fuzz bytes, then the player's answer to the
// dialog if one opens. Beyond "no crash", every run checks what a player would notice: results that do
// not add up to zero, a shown text that is not the value it claims, a dialog where none belongs, a message
// the program does not have, and a corrected sheet that asks for a correction again.

#include "correction/correction.h"
#include "correction/play.h"
#include "engine/extended.h"
#include "engine/field_reading.h"
#include "engine/result_format.h"
#include "engine/settlement.h"
#include "engine/sheet.h"
#include "engine/validation.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/support/apply_writes.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace {

namespace engine = zelvara::engine;
namespace correction = zelvara::correction;
using engine::Extended;
using zelvara::fuzz::check;
using zelvara::fuzz::FuzzInput;
using zelvara::fuzz::printable;

struct FuzzSheet
{
    engine::SheetTexts texts;
    engine::Options options;
    char separator = ',';
    // Every field holds no more than the window lets a player type (5 characters, 6 for whists).
    bool typeable = true;
};

std::string integerText(FuzzInput &in, std::size_t limit, bool &typeable)
{
    std::string text;
    switch (in.choose(8)) {
    case 0:
    case 1:
        break; // an untouched field
    case 2:
    case 3:
    case 4:
        text = std::to_string(static_cast<int>(in.word() % 200000U) - 100000);
        break;
    case 5:
        text = std::to_string(static_cast<int>(in.byte()) - 20);
        break;
    case 6: {
        static constexpr const char *Prefixes[] = {"$", "x", "0x", " ", "-"};
        text = std::string(Prefixes[in.choose(5)]) + std::to_string(in.byte());
        break;
    }
    default:
        text = in.rawText(12);
        break;
    }
    if (text.size() > limit) {
        typeable = false;
    }
    return text;
}

std::string whistValueText(FuzzInput &in, char separator, bool &typeable)
{
    std::string text;
    switch (in.choose(6)) {
    case 0:
        text = "1";
        break;
    case 1:
    case 2: {
        text = std::to_string(in.byte() % 100U);
        const auto hundredths = in.byte() % 100U;
        text += separator;
        text += std::to_string(hundredths / 10) + std::to_string(hundredths % 10);
        break;
    }
    case 3: {
        // Typical prices, and a few that only a script can hand in, at the ends of the extended range.
        static constexpr const char *Values[] = {"0",      "-1",      "3",       "0#03",  "0#5",  "0#1",
                                                 "0#01",   "2",       "1E3",     "1E999", "-2#5", "99999",
                                                 "1E4930", "-5E4920", "1E-4930", "1E300"};
        text = Values[in.choose(16)];
        for (char &c : text) {
            c = c == '#' ? separator : c;
        }
        break;
    }
    case 4:
        text = std::to_string(in.word() % 100000U);
        break;
    default:
        text = in.rawText(8);
        break;
    }
    if (text.size() > 5) {
        typeable = false;
    }
    return text;
}

FuzzSheet buildSheet(FuzzInput &in)
{
    FuzzSheet sheet;
    const int players = engine::MinPlayers + in.choose(3);
    sheet.separator = in.flag() ? ',' : '.';
    sheet.options.gameType = in.flag() ? engine::GameType::Leningrad : engine::GameType::Sochi;
    sheet.options.heapDivision = static_cast<engine::HeapDivision>(in.choose(3));
    if (players == 2 && sheet.options.heapDivision == engine::HeapDivision::OnNPlayersMinus1) {
        // The window never offers this choice to two players.
        sheet.options.heapDivision = engine::HeapDivision::Nondivisible;
    }
    sheet.texts = engine::SheetTexts::withDesignTexts(players);
    sheet.texts.whistValue = whistValueText(in, sheet.separator, sheet.typeable);
    for (int i = 0; i < players; ++i) {
        const auto p = static_cast<std::size_t>(i);
        switch (in.choose(8)) {
        case 0:
            sheet.texts.names[p] = in.rawText(6);
            break;
        case 1:
            sheet.texts.names[p] = sheet.texts.names[0];
            break;
        default:
            break; // the seat's own name
        }
        sheet.texts.pools[p] = integerText(in, 5, sheet.typeable);
        sheet.texts.heaps[p] = integerText(in, 5, sheet.typeable);
        for (int j = 0; j < players; ++j) {
            if (j != i) {
                sheet.texts.whists[p][static_cast<std::size_t>(j)] = integerText(in, 6, sheet.typeable);
            }
        }
    }
    return sheet;
}

std::string describe(const FuzzSheet &sheet)
{
    static constexpr const char *Divisions[] = {"OnNPlayers", "OnNPlayersMinus1", "Nondivisible"};
    std::string out = std::to_string(sheet.texts.players) + " players, " +
                      (sheet.options.gameType == engine::GameType::Sochi ? "Sochi, " : "Leningrad, ") +
                      Divisions[static_cast<int>(sheet.options.heapDivision)] + ", separator '" + sheet.separator +
                      "', whist value \"" + printable(sheet.texts.whistValue) + "\"";
    for (int i = 0; i < sheet.texts.players; ++i) {
        const auto p = static_cast<std::size_t>(i);
        out += "\nP" + std::to_string(i + 1) + " name \"" + printable(sheet.texts.names[p]) + "\" pool \"" +
               printable(sheet.texts.pools[p]) + "\" heap \"" + printable(sheet.texts.heaps[p]) + "\" whists";
        for (int j = 0; j < sheet.texts.players; ++j) {
            if (j != i) {
                out += " \"" + printable(sheet.texts.whists[p][static_cast<std::size_t>(j)]) + "\"";
            }
        }
    }
    return out;
}

// Sheets the window lets a player type have small numbers; the bound leaves the products with the whist
// value far from the edge of the extended range, so results must be finite there.
bool moderate(const FuzzSheet &sheet)
{
    const auto v = engine::readReal(sheet.texts.whistValue, sheet.separator);
    return sheet.typeable && v && std::fabs(*v) <= 1e4000L;
}

// A bound on the magnitude of the sums behind the results (shifts of the heaps included), so that the
// rounding noise allowed in a sum of results stays far below one whist.
Extended scaleOf(const engine::SheetValues &values)
{
    Extended scale = 1;
    for (int i = 0; i < values.players; ++i) {
        const auto p = static_cast<std::size_t>(i);
        scale += 100 * (std::fabs(static_cast<Extended>(values.heaps[p])) +
                        2 * std::fabs(static_cast<Extended>(values.pools[p])));
        for (int j = 0; j < values.players; ++j) {
            scale += 2 * std::fabs(static_cast<Extended>(values.whists[p][static_cast<std::size_t>(j)]));
        }
    }
    return scale * std::fabs(values.whistValue);
}

// A shown result reads back, without its "+", to the value it shows (to 15 digits when `exact` is given).
Extended readShown(const engine::ShownResult &shown, char separator)
{
    std::string_view text = shown.text;
    check(!text.empty(), "a result text is never empty");
    if (text.front() == '+') {
        text.remove_prefix(1);
        check(!text.empty() && text.front() != '-' && text.front() != '+', "a plus sign stands before a number",
              shown.text);
    }
    const auto value = engine::readReal(text, separator);
    check(value.has_value(), "a shown result reads back as a number", shown.text);
    return *value;
}

void checkShownResults(const engine::Results &results, char separator)
{
    const auto shown = engine::resultTexts(results, separator);
    check(static_cast<int>(shown.size()) == results.players, "one shown result per player");
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const Extended exact = results.values[i];
        const Extended reread = readShown(shown[i], separator);
        check(zelvara::fuzz::agreeTo15Digits(reread, exact), "a shown result is the value it shows",
              shown[i].text + " vs " + zelvara::fuzz::fullDigits(exact));
        check((shown[i].text.front() == '+') == (exact > 0), "a plus sign marks exactly the gains", shown[i].text);
        check((shown[i].tone == engine::Tone::Loss) == (exact < 0), "red marks exactly the losses", shown[i].text);
    }
}

void checkSumsToZero(const engine::Results &results, const engine::SheetValues &values, std::string_view what)
{
    Extended sum = 0;
    for (int i = 0; i < results.players; ++i) {
        sum += results.values[static_cast<std::size_t>(i)];
    }
    const Extended tolerance = scaleOf(values) * 1e-15L;
    check(std::fabs(sum) <= tolerance, what, zelvara::fuzz::fullDigits(sum));
}

// The texts of a dialog's answer read back as numbers, and add up to zero within the rounding to hundredths.
void checkAnswer(const correction::Shown &outcome, const FuzzSheet &sheet, const engine::SheetValues &values)
{
    check(static_cast<int>(outcome.results.size()) == sheet.texts.players, "a dialog shows one result per player");
    Extended sum = 0;
    Extended magnitude = 0;
    std::string texts;
    for (const auto &shown : outcome.results) {
        const Extended value = readShown(shown, sheet.separator);
        sum += value;
        magnitude += std::fabs(value);
        texts += shown.text + " ";
    }
    // Each text keeps 15 digits and, where the dialog rounds, hundredths.
    const Extended tolerance =
        scaleOf(values) * 1e-15L + magnitude * 1e-14L + 0.0051L * static_cast<Extended>(sheet.texts.players);
    check(std::fabs(sum) <= tolerance, "a dialog's results add up to zero",
          texts + "sum " + zelvara::fuzz::fullDigits(sum) + " tolerance " + zelvara::fuzz::fullDigits(tolerance));
}

// After "OK" the corrected sheet divides evenly: "Рассчитать" on it settles without a dialog.
void checkCorrectedSheetSettles(const correction::Shown &outcome, const FuzzSheet &sheet)
{
    check(!outcome.writes.empty(), "a correction writes into the sheet");
    const auto corrected = zelvara::testing::applyWrites(sheet.texts, outcome.writes);
    for (const auto &write : outcome.writes) {
        check(engine::readInteger(write.text).has_value(), "a written field holds a plain integer", write.text);
    }
    const auto again = engine::settle(corrected, sheet.options, sheet.separator);
    check(!std::holds_alternative<engine::CorrectionDialog>(again), "a corrected sheet needs no second correction");
    if (sheet.typeable) {
        check(std::holds_alternative<engine::Results>(again), "a corrected typeable sheet settles");
    }
}

// Who pays whom: every hundredth of every shown result is paid by pairs and by the fewest transfers,
// the totals move off the shown results by a rounding hundredth at most, and only with a note.
void checkPayments(const FuzzSheet &sheet, std::optional<engine::Answer> answer)
{
    const engine::SheetRecord record{sheet.texts, sheet.options, sheet.separator, answer};
    const auto played = correction::play(record);
    check(std::holds_alternative<correction::Shown>(played), "an answered record plays to results");
    const auto &shown = std::get<correction::Shown>(played);
    const auto account = correction::explain(record, shown);
    const auto &p = account.payments;
    if (!p.available) {
        // Typed sheets have pairs of a few million whists at most, so only a price of a million
        // money units or results near the limit can reach it.
        const auto v = engine::readReal(sheet.texts.whistValue, sheet.separator);
        bool large = !sheet.typeable || !v || !(std::fabs(*v) < 1e6L);
        for (const auto &result : shown.results) {
            large = large || !(std::fabs(readShown(result, sheet.separator)) < 1e12L);
        }
        check(large, "typed sheets with results below 10^12 are paid");
        check(!account.paymentsNote.empty(), "results too large to pay say so");
        return;
    }
    std::array<std::int64_t, engine::MaxPlayers> byPairs{};
    std::array<std::int64_t, engine::MaxPlayers> byTransfers{};
    for (const auto &t : p.pairs) {
        check(t.hundredths > 0 && t.from != t.to, "a pair's amount is positive", std::to_string(t.hundredths));
        byPairs[static_cast<std::size_t>(t.to - 1)] += t.hundredths;
        byPairs[static_cast<std::size_t>(t.from - 1)] -= t.hundredths;
    }
    for (const auto &t : p.transfers) {
        check(t.hundredths > 0 && t.from != t.to, "a transfer is positive", std::to_string(t.hundredths));
        byTransfers[static_cast<std::size_t>(t.to - 1)] += t.hundredths;
        byTransfers[static_cast<std::size_t>(t.from - 1)] -= t.hundredths;
    }
    std::int64_t sum = 0;
    int owing = 0;
    bool moved = false;
    for (std::size_t i = 0; i < static_cast<std::size_t>(p.players); ++i) {
        check(byPairs[i] == p.totals[i], "pairs add up to each total");
        check(byTransfers[i] == p.totals[i], "transfers add up to each total");
        check(p.totals[i] - p.shownTotals[i] >= -1 && p.totals[i] - p.shownTotals[i] <= 1,
              "a total moves by one rounding hundredth at most");
        moved = moved || p.totals[i] != p.shownTotals[i];
        owing += p.totals[i] != 0 ? 1 : 0;
        sum += p.totals[i];
    }
    check(sum == 0, "the totals paid add up to zero");
    check(static_cast<int>(p.transfers.size()) <= (owing > 0 ? owing - 1 : 0), "no more transfers than needed");
    check(!moved || !account.paymentsNote.empty(), "a moved total is in the note");
    check(account.breakdown.players.size() == static_cast<std::size_t>(p.players), "a breakdown row per player");
}

bool knownMessage(const std::string &message)
{
    for (const char *known : {engine::WhistValueMessage, engine::NamesMissingMessage, engine::NamesEqualMessage,
                              engine::IntegerMessage, engine::TooLargeMessage}) {
        if (message == known) {
            return true;
        }
    }
    return false;
}

void answerLotDialog(FuzzInput &in, const FuzzSheet &sheet, const engine::SheetValues &values)
{
    const auto gameType = sheet.options.gameType;
    if (in.flag()) {
        const int drawn = 1 + in.choose(sheet.texts.players);
        zelvara::fuzz::inputDescription() += "\nanswer: OK, player " + std::to_string(drawn);
        const auto outcome = correction::acceptLotCorrection(values, gameType, drawn, sheet.separator);
        checkAnswer(outcome, sheet, values);
        checkPayments(sheet, engine::Answer{engine::Button::OK, drawn});
        checkCorrectedSheetSettles(outcome, sheet);
        // "OK" shows what "Рассчитать" then shows for the corrected sheet.
        const auto again =
            engine::settle(zelvara::testing::applyWrites(sheet.texts, outcome.writes), sheet.options, sheet.separator);
        if (const auto *results = std::get_if<engine::Results>(&again)) {
            const auto shown = engine::resultTexts(*results, sheet.separator);
            for (std::size_t i = 0; i < shown.size(); ++i) {
                check(shown[i].text == outcome.results[i].text, "\"OK\" shows the corrected sheet's results",
                      shown[i].text + " vs " + outcome.results[i].text);
            }
        }
    } else {
        zelvara::fuzz::inputDescription() += "\nanswer: Cancel";
        checkAnswer(correction::declineLotCorrection(values, gameType, sheet.separator), sheet, values);
        checkPayments(sheet, engine::Answer{engine::Button::Cancel, 1});
    }
}

void answerConfirmDialog(FuzzInput &in, const FuzzSheet &sheet, const engine::SheetValues &values)
{
    const auto gameType = sheet.options.gameType;
    const auto proposal = correction::proposeConfirmedCorrection(values, gameType);
    int corrected = 0;
    for (const int a : proposal.heapCorrections) {
        check(a >= -1 && a <= 1, "a heap moves by one point at most");
        corrected += a != 0 ? 1 : 0;
    }
    check(corrected == 1 || corrected == 2, "one or two heaps are corrected");
    check(proposal.commonShift >= -1 && proposal.commonShift <= 1, "the common shift is one point at most");
    check(!proposal.line1.empty(), "the proposal is put in words");
    if (in.flag()) {
        const auto outcome = correction::acceptConfirmedCorrection(values, gameType, proposal, sheet.separator);
        zelvara::fuzz::inputDescription() += "\nanswer: OK";
        checkAnswer(outcome, sheet, values);
        checkCorrectedSheetSettles(outcome, sheet);
        checkPayments(sheet, engine::Answer{engine::Button::OK, 1});
    } else {
        zelvara::fuzz::inputDescription() += "\nanswer: Cancel";
        checkAnswer(correction::declineConfirmedCorrection(values, gameType, sheet.separator), sheet, values);
        checkPayments(sheet, engine::Answer{engine::Button::Cancel, 1});
    }
}

bool sameOutcome(const engine::SettlementOutcome &a, const engine::SettlementOutcome &b)
{
    if (a.index() != b.index()) {
        return false;
    }
    if (const auto *results = std::get_if<engine::Results>(&a)) {
        const auto &other = std::get<engine::Results>(b);
        return results->players == other.players && results->values == other.values;
    }
    if (const auto *failure = std::get_if<engine::ValidationFailure>(&a)) {
        return failure->message == std::get<engine::ValidationFailure>(b).message;
    }
    return std::get<engine::CorrectionDialog>(a) == std::get<engine::CorrectionDialog>(b);
}

std::string swapSeparators(std::string text)
{
    for (char &c : text) {
        c = c == ',' ? '.' : c == '.' ? ',' : c;
    }
    return text;
}

// The decimal comma and the decimal point play the same part: the sheet written with the other one, read
// under the other setting, settles the same way.
void checkSeparatorsAlike(const FuzzSheet &sheet, const engine::SettlementOutcome &outcome)
{
    engine::SheetTexts swapped = sheet.texts;
    swapped.whistValue = swapSeparators(swapped.whistValue);
    for (std::size_t i = 0; i < engine::MaxPlayers; ++i) {
        swapped.names[i] = swapSeparators(swapped.names[i]);
        swapped.pools[i] = swapSeparators(swapped.pools[i]);
        swapped.heaps[i] = swapSeparators(swapped.heaps[i]);
        for (auto &whists : swapped.whists[i]) {
            whists = swapSeparators(whists);
        }
    }
    const char other = sheet.separator == ',' ? '.' : ',';
    check(sameOutcome(engine::settle(swapped, sheet.options, other), outcome), "the two separators settle alike");
}

// The game type only weighs the pools: with every pool at zero both types settle alike.
void checkGameTypeWeighsOnlyPools(const FuzzSheet &sheet, const engine::SettlementOutcome &outcome)
{
    for (int i = 0; i < sheet.texts.players; ++i) {
        if (engine::readInteger(sheet.texts.pools[static_cast<std::size_t>(i)]).value_or(1) != 0) {
            return;
        }
    }
    engine::Options options = sheet.options;
    options.gameType =
        options.gameType == engine::GameType::Sochi ? engine::GameType::Leningrad : engine::GameType::Sochi;
    check(sameOutcome(engine::settle(sheet.texts, options, sheet.separator), outcome),
          "without pools both game types settle alike");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput in(data, size);
    const FuzzSheet sheet = buildSheet(in);
    zelvara::fuzz::inputDescription() = describe(sheet);
    const auto outcome = engine::settle(sheet.texts, sheet.options, sheet.separator);
    checkSeparatorsAlike(sheet, outcome);
    checkGameTypeWeighsOnlyPools(sheet, outcome);

    if (const auto *failure = std::get_if<engine::ValidationFailure>(&outcome)) {
        check(knownMessage(failure->message), "a message is one of the program's", failure->message);
        check(std::holds_alternative<engine::ValidationFailure>(engine::validateSheet(sheet.texts, sheet.separator)) ||
                  failure->message == engine::TooLargeMessage,
              "the settlement refuses only what the checks refuse");
        return 0;
    }

    const auto checked = engine::validateSheet(sheet.texts, sheet.separator);
    check(std::holds_alternative<engine::SheetValues>(checked), "a settled sheet passes the checks");
    const auto &values = std::get<engine::SheetValues>(checked);

    if (const auto *results = std::get_if<engine::Results>(&outcome)) {
        check(results->players == sheet.texts.players, "one result per player");
        if (moderate(sheet)) {
            for (int i = 0; i < results->players; ++i) {
                check(std::isfinite(results->values[static_cast<std::size_t>(i)]), "a result is finite");
            }
        }
        checkSumsToZero(*results, values, "the results add up to zero");
        checkShownResults(*results, sheet.separator);
        checkPayments(sheet, std::nullopt);
        return 0;
    }

    const auto dialog = std::get<engine::CorrectionDialog>(outcome);
    const int players = sheet.texts.players;
    const auto division = sheet.options.heapDivision;
    if (dialog == engine::CorrectionDialog::ChoiceOfPlayer) {
        check(players >= 3 && division == engine::HeapDivision::OnNPlayers,
              "the lot opens only for three or four players dividing among all");
        answerLotDialog(in, sheet, values);
    } else {
        check(players == 4 && division == engine::HeapDivision::OnNPlayersMinus1,
              "the confirmation opens only for four players dividing among three");
        answerConfirmDialog(in, sheet, values);
    }
    return 0;
}
