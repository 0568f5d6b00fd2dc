// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/breakdown.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace zelvara::engine {

namespace {

// A breakdown is read by a player checking it by hand: four decimals are more than any sheet's numbers
// need, and more than that (a third) is noise to them.
constexpr int MostDecimals = 4;

std::size_t at(int index)
{
    return static_cast<std::size_t>(index);
}

// Whether the general form of `value` is short enough as it is: four decimals at most, or a number so
// large that the general form already gives it an exponent and no more than 15 digits.
bool shortEnough(const std::string &text, Extended value, char separator)
{
    if (text.find('E') != std::string::npos) {
        return std::fabs(value) >= 1;
    }
    const std::size_t point = text.find(separator);
    return point == std::string::npos || text.size() - point - 1 <= MostDecimals;
}

// A number as the breakdown writes it: exactly, when four decimals hold it; otherwise rounded to four
// with "…" to say so ("63,3333…"). A minus is the same "-" as in the results.
std::string decimal(Extended value, char separator)
{
    std::string text = formatGeneral(value, separator);
    if (shortEnough(text, value, separator)) {
        return text;
    }
    char buffer[64];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, MostDecimals);
    if (error != std::errc{}) {
        return text;
    }
    text.assign(buffer, end);
    std::replace(text.begin(), text.end(), '.', separator);
    return text + "…";
}

// A result as the result field shows it, or, when the field shows more than four decimals, the same
// number shortened as every other number of the breakdown is.
std::string resultText(const std::string &shown, Extended value, char separator)
{
    if (shortEnough(shown, value, separator)) {
        return shown;
    }
    return (value > 0 ? "+" : "") + decimal(value, separator);
}

std::string number(std::int64_t value)
{
    return std::to_string(value);
}

std::string signedNumber(std::int64_t value)
{
    return (value > 0 ? "+" : "") + std::to_string(value);
}

std::string divisionInWords(HeapDivision division, int players)
{
    switch (effectiveDivision(division, players)) {
    case HeapDivision::OnNPlayers:
        return "гора делится на " + number(players) + " игроков";
    case HeapDivision::OnNPlayersMinus1:
        return "гора делится на " + number(players - 1) + " игроков (N - 1)";
    case HeapDivision::Nondivisible:
        break;
    }
    return "гора не делится";
}

// How the balances were formed, in words, with the divisor the settlement used.
std::string formInWords(const Workings &w, char separator)
{
    const std::string divisor = decimal(w.divisor, separator);
    switch (w.form) {
    case SettlementForm::Average:
        return "Доля горы каждого: (T / " + divisor +
               " - D) × 10 вистов; баланс = доля + висты, написанные игроком, - висты, написанные на него.";
    case SettlementForm::Claims:
        return "Претензии: c(i, j) = 10 × " + std::string(w.shift != 0 || w.levelling != 0 ? "X_j" : "D_j") + " / " +
               divisor + " + W(i→j), что игрок i получает с игрока j; баланс = Σ c(i, j) - Σ c(j, i).";
    case SettlementForm::IntegerClaims:
        break;
    }
    return "Претензии в целых вистах: c(i, j) = 10 × D_j + W(i→j), что игрок i получает с игрока j; баланс = Σ c(i, "
           "j) - Σ c(j, i).";
}

std::string heapsLine(const Workings &w, const std::vector<BreakdownRow> &rows)
{
    const std::string factor = w.poolFactor == 1 ? "пуля" : number(w.poolFactor) + " × пуля";
    std::string line = "D = гора - " + factor + "; сумма T = " + number(w.heapSum) + ".";
    if (w.shift != 0) {
        line += " Наименьшая D поднята до 0: все D + " + number(w.shift) + ".";
    }
    if (w.levelling != 0 && !rows.empty() && rows.front().levelledHeap) {
        line += " Все горы в претензиях сдвинуты на " + signedNumber(w.levelling) +
                ", чтобы каждая претензия была целым числом вистов; итогов это не меняет.";
    }
    return line;
}

std::string rowLine(const std::string &name, const BreakdownRow &row, const Workings &w, int player, char separator)
{
    const auto real = [&](Extended value) { return decimal(value, separator); };
    std::string line =
        name + ": гора " + number(row.heap) + ", пуля " + number(row.pool) + ", D = " + number(row.adjustedHeap);
    if (row.shiftedHeap) {
        line += ", после подъёма " + number(*row.shiftedHeap);
    }
    if (row.levelledHeap) {
        line += ", в претензиях X = " + number(*row.levelledHeap);
    }
    if (row.share) {
        line += "; доля горы " + real(*row.share);
    }
    if (row.claimsOwed && row.claimsOwing) {
        const std::string i = number(player);
        line += "; его претензии: " + real(*row.claimsOwed) + " (Σ c(" + i +
                ", j)); претензии к нему: " + real(*row.claimsOwing) + " (Σ c(j, " + i + "))";
    }
    line += "; висты: написал " + number(row.whistsWritten) + ", на него " + number(row.whistsReceived) + ", разница " +
            signedNumber(row.whistsWritten - row.whistsReceived);
    line += "; баланс в вистах " + real(row.balanceInWhists) + " × " + real(w.whistValue) + " = итог " +
            resultText(row.result, w.results.values[at(player - 1)], separator);
    // "…" closes the sentence as well as a point would.
    return line.ends_with("…") ? line : line + ".";
}

} // namespace

std::string caseInWords(const Options &options, int players, Extended whistValue, char decimalSeparator)
{
    return std::string(options.gameType == GameType::Sochi ? "Сочи / Ростов" : "Ленинград") + "; " + number(players) +
           " игрока; " + divisionInWords(options.heapDivision, players) + "; цена виста " +
           decimal(whistValue, decimalSeparator);
}

Breakdown breakdownOf(const Workings &workings, const Options &options,
                      const std::array<std::string, MaxPlayers> &names, const std::vector<ShownResult> &shown,
                      const std::string &correction, char decimalSeparator)
{
    const Workings &w = workings;
    const int n = std::clamp(w.players, 0, MaxPlayers);
    Breakdown out;
    out.caseText = caseInWords(options, n, w.whistValue, decimalSeparator);
    out.correction = correction;
    const bool claims = w.form != SettlementForm::Average;
    const bool onThree = claims && n == 4 && w.divisor == 3.0L;
    for (int i = 0; i < n; ++i) {
        BreakdownRow row;
        row.heap = w.heaps[at(i)];
        row.pool = w.pools[at(i)];
        row.adjustedHeap = w.adjustedHeaps[at(i)];
        if (onThree && w.shift != 0) {
            row.shiftedHeap = w.adjustedHeaps[at(i)] + w.shift;
        }
        if (onThree && w.levelling != 0) {
            row.levelledHeap = w.claimHeaps[at(i)];
        }
        if (claims) {
            Extended owed = 0;
            Extended owing = 0;
            for (int j = 0; j < n; ++j) {
                if (j != i) {
                    owed = owed + w.claims[at(i)][at(j)];
                    owing = owing + w.claims[at(j)][at(i)];
                }
            }
            row.claimsOwed = owed;
            row.claimsOwing = owing;
        } else {
            row.share = w.shares[at(i)];
        }
        for (int j = 0; j < n; ++j) {
            if (j != i) {
                row.whistsWritten += w.whists[at(i)][at(j)];
                row.whistsReceived += w.whists[at(j)][at(i)];
            }
        }
        row.balanceInWhists = w.balances[at(i)];
        row.result =
            at(i) < shown.size() ? shown[at(i)].text : formatGeneral(w.results.values[at(i)], decimalSeparator);
        out.players.push_back(std::move(row));
    }
    out.lines.push_back(out.caseText + ".");
    out.lines.push_back(heapsLine(w, out.players));
    out.lines.push_back(formInWords(w, decimalSeparator) + " Итог = баланс × цена виста.");
    for (int i = 0; i < n; ++i) {
        out.lines.push_back(rowLine(names[at(i)], out.players[at(i)], w, i + 1, decimalSeparator));
    }
    if (!correction.empty()) {
        out.lines.push_back(correction);
    }
    return out;
}

} // namespace zelvara::engine
