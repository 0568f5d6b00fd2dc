// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/payments.h"

#include "engine/field_reading.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <tuple>

namespace zelvara::engine {

namespace {

std::size_t at(int index)
{
    return static_cast<std::size_t>(index);
}

// An amount that differs from its exact value by more than the noise of extended arithmetic.
bool differs(Extended exact, std::int64_t rounded)
{
    const Extended gap = std::fabs(exact - static_cast<Extended>(rounded));
    return gap > 1e-9L + std::fabs(exact) * 1e-15L;
}

// Half away from zero, where a value within the noise of extended arithmetic of a half counts as that
// half: 2.5 whists at 0,01 come out as 2.4999... or 2.5000...1 hundredths.
std::int64_t roundHalfAway(Extended hundredths)
{
    const Extended halves = std::round(hundredths * 2.0L);
    if (std::fabs(hundredths * 2.0L - halves) <= 1e-9L + std::fabs(hundredths) * 1e-15L) {
        hundredths = halves / 2.0L;
    }
    return std::llround(hundredths);
}

// Two roundings that moved a total equally far are a tie, whatever the noise.
bool further(Extended a, Extended b)
{
    return a > b + 1e-9L;
}

// A shown result read back as a number: the "+" dropped, the rest as the window wrote it.
std::optional<Extended> shownValue(const ShownResult &shown, char decimalSeparator)
{
    std::string_view text = shown.text;
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    return readReal(text, decimalSeparator);
}

// Rule 2: totals that miss zero give back one hundredth at a time, from the total the rounding moved
// furthest in the direction of the miss; the lower seat first on a tie.
void balanceTotals(Payments &payments, const std::array<Extended, MaxPlayers> &exact)
{
    std::int64_t miss = 0;
    std::array<Extended, MaxPlayers> moved{};
    for (int i = 0; i < payments.players; ++i) {
        miss += payments.totals[at(i)];
        moved[at(i)] = static_cast<Extended>(payments.totals[at(i)]) - exact[at(i)];
    }
    while (miss != 0) {
        const std::int64_t step = miss > 0 ? 1 : -1;
        int pick = 0;
        for (int i = 1; i < payments.players; ++i) {
            if (further(static_cast<Extended>(step) * moved[at(i)], static_cast<Extended>(step) * moved[at(pick)])) {
                pick = i;
            }
        }
        payments.totals[at(pick)] -= step;
        moved[at(pick)] -= static_cast<Extended>(step);
        miss -= step;
    }
}

// Rule 3: each pair rounded to the hundredth; where a player's pairs then miss that player's total,
// a hundredth moves to the pair the rounding moved furthest the other way.
void splitIntoPairs(Payments &payments, const PairTable &exactHundredths)
{
    const int n = payments.players;
    std::array<std::array<std::int64_t, MaxPlayers>, MaxPlayers> amount{};
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            amount[at(i)][at(j)] = roundHalfAway(exactHundredths[at(i)][at(j)]);
            amount[at(j)][at(i)] = -amount[at(i)][at(j)];
        }
    }
    std::array<std::int64_t, MaxPlayers> missing{};
    for (int i = 0; i < n; ++i) {
        missing[at(i)] = payments.totals[at(i)];
        for (int j = 0; j < n; ++j) {
            missing[at(i)] -= amount[at(i)][at(j)];
        }
    }
    for (;;) {
        int bestI = -1;
        int bestJ = -1;
        Extended bestGap = 0;
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                if (missing[at(i)] <= 0 || missing[at(j)] >= 0) {
                    continue;
                }
                const Extended gap = exactHundredths[at(i)][at(j)] - static_cast<Extended>(amount[at(i)][at(j)]);
                if (bestI < 0 || further(gap, bestGap)) {
                    bestI = i;
                    bestJ = j;
                    bestGap = gap;
                }
            }
        }
        if (bestI < 0) {
            break;
        }
        ++amount[at(bestI)][at(bestJ)];
        --amount[at(bestJ)][at(bestI)];
        --missing[at(bestI)];
        ++missing[at(bestJ)];
    }
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            const std::int64_t a = amount[at(i)][at(j)];
            if (differs(exactHundredths[at(i)][at(j)], a)) {
                payments.roundedPairs.push_back({i + 1, j + 1});
            }
            if (a > 0) {
                payments.pairs.push_back({j + 1, i + 1, a});
            } else if (a < 0) {
                payments.pairs.push_back({i + 1, j + 1, -a});
            }
        }
    }
}

using Pair = std::array<int, 2>;

// The chosen pairs form trees (no cycle), and each tree's totals add up to zero.
bool settlesEachTree(const std::vector<Pair> &chosen, const std::array<std::int64_t, MaxPlayers> &totals, int n)
{
    std::array<int, MaxPlayers> root{0, 1, 2, 3};
    const auto find = [&](int x) {
        while (root[at(x)] != x) {
            x = root[at(x)];
        }
        return x;
    };
    for (const auto &[a, b] : chosen) {
        const int ra = find(a);
        const int rb = find(b);
        if (ra == rb) {
            return false;
        }
        root[at(ra)] = rb;
    }
    std::array<std::int64_t, MaxPlayers> treeSum{};
    for (int i = 0; i < n; ++i) {
        treeSum[at(find(i))] += totals[at(i)];
    }
    return std::all_of(treeSum.begin(), treeSum.end(), [](std::int64_t s) { return s == 0; });
}

// The one way a forest settles the totals: over each pair goes what the far side of it is owed, the sum
// of its totals. Nothing when a pair would carry nothing (a forest without it does as well).
std::optional<std::vector<Transfer>> transfersOver(const std::vector<Pair> &chosen,
                                                   const std::array<std::int64_t, MaxPlayers> &totals, int n)
{
    std::vector<Transfer> transfers;
    for (std::size_t k = 0; k < chosen.size(); ++k) {
        const auto [a, b] = chosen[k];
        std::array<bool, MaxPlayers> farSide{};
        farSide[at(b)] = true;
        for (bool grew = true; grew;) {
            grew = false;
            for (std::size_t m = 0; m < chosen.size(); ++m) {
                const auto [x, y] = chosen[m];
                if (m != k && farSide[at(x)] != farSide[at(y)]) {
                    farSide[at(x)] = farSide[at(y)] = true;
                    grew = true;
                }
            }
        }
        std::int64_t owed = 0;
        for (int i = 0; i < n; ++i) {
            owed += farSide[at(i)] ? totals[at(i)] : 0;
        }
        if (owed == 0) {
            return std::nullopt;
        }
        transfers.push_back(owed > 0 ? Transfer{a + 1, b + 1, owed} : Transfer{b + 1, a + 1, -owed});
    }
    return transfers;
}

std::string signedAmountText(std::int64_t hundredths, char decimalSeparator)
{
    return (hundredths < 0 ? "-" : "+") + amountText(hundredths < 0 ? -hundredths : hundredths, decimalSeparator);
}

} // namespace

PairTable pairBalancesInWhists(const Workings &workings)
{
    PairTable pairs{};
    const int n = workings.players;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            if (i == j) {
                continue;
            }
            if (workings.form == SettlementForm::Average) {
                const std::int64_t heaps =
                    WhistsPerPoint * (workings.adjustedHeaps[at(j)] - workings.adjustedHeaps[at(i)]);
                const std::int64_t whists = workings.whists[at(i)][at(j)] - workings.whists[at(j)][at(i)];
                pairs[at(i)][at(j)] = static_cast<Extended>(heaps) / workings.divisor + static_cast<Extended>(whists);
            } else {
                pairs[at(i)][at(j)] = workings.claims[at(i)][at(j)] - workings.claims[at(j)][at(i)];
            }
        }
    }
    return pairs;
}

Payments paymentsOf(const Workings &workings, const std::vector<ShownResult> &shown, char decimalSeparator)
{
    Payments payments;
    payments.players = workings.players;
    const int n = workings.players;
    if (static_cast<int>(shown.size()) != n) {
        return payments;
    }
    constexpr auto Limit = static_cast<Extended>(MaxPaymentHundredths);
    std::array<Extended, MaxPlayers> exact{};
    for (int i = 0; i < n; ++i) {
        const auto value = shownValue(shown[at(i)], decimalSeparator);
        exact[at(i)] = workings.results.values[at(i)] * 100.0L;
        if (!value || !(std::fabs(*value * 100.0L) < Limit) || !(std::fabs(exact[at(i)]) < Limit)) {
            return payments;
        }
        payments.shownTotals[at(i)] = roundHalfAway(*value * 100.0L);
        payments.totalsRounded = payments.totalsRounded || differs(*value * 100.0L, payments.shownTotals[at(i)]);
    }
    PairTable pairs = pairBalancesInWhists(workings);
    for (auto &row : pairs) {
        for (Extended &pair : row) {
            pair = pair * workings.whistValue * 100.0L;
            if (!(std::fabs(pair) < Limit)) {
                return payments;
            }
        }
    }
    // Results add up to zero, so their roundings miss zero by a few hundredths at most; anything
    // else is not a set of results that can be paid.
    std::int64_t miss = 0;
    for (int i = 0; i < n; ++i) {
        miss += payments.shownTotals[at(i)];
    }
    if (miss > n || miss < -n) {
        return payments;
    }
    payments.available = true;
    payments.totals = payments.shownTotals;
    balanceTotals(payments, exact);
    splitIntoPairs(payments, pairs);
    payments.transfers = fewestTransfers(payments.totals, n);
    return payments;
}

std::vector<Transfer> fewestTransfers(const std::array<std::int64_t, MaxPlayers> &totals, int players)
{
    const int n = std::clamp(players, 0, MaxPlayers);
    std::int64_t sum = 0;
    for (int i = 0; i < n; ++i) {
        sum += totals[at(i)];
    }
    if (sum != 0) {
        return {};
    }
    // The pairs of seats, in seat order; a set of transfers is a set of pairs.
    std::vector<Pair> pairs;
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            pairs.push_back({i, j});
        }
    }
    // Every forest of pairs whose trees each add up to zero settles the totals in exactly one way; the
    // fewest transfers are among these. Ranked by count, money moved, then the seats of the pairs.
    using Rank = std::tuple<std::size_t, std::int64_t, std::vector<Pair>>;
    std::optional<Rank> best;
    std::vector<Transfer> bestTransfers;
    for (unsigned mask = 0; mask < (1U << pairs.size()); ++mask) {
        std::vector<Pair> chosen;
        for (std::size_t p = 0; p < pairs.size(); ++p) {
            if ((mask >> p & 1U) != 0) {
                chosen.push_back(pairs[p]);
            }
        }
        if (!settlesEachTree(chosen, totals, n)) {
            continue;
        }
        auto transfers = transfersOver(chosen, totals, n);
        if (!transfers) {
            continue;
        }
        std::int64_t moved = 0;
        for (const Transfer &t : *transfers) {
            moved += t.hundredths;
        }
        Rank rank{chosen.size(), moved, chosen};
        if (!best || rank < *best) {
            best = std::move(rank);
            bestTransfers = std::move(*transfers);
        }
    }
    std::sort(bestTransfers.begin(), bestTransfers.end(),
              [](const Transfer &x, const Transfer &y) { return std::tie(x.from, x.to) < std::tie(y.from, y.to); });
    return bestTransfers;
}

std::string amountText(std::int64_t hundredths, char decimalSeparator)
{
    const std::int64_t magnitude = hundredths < 0 ? -hundredths : hundredths;
    std::string text = (hundredths < 0 ? "-" : "") + std::to_string(magnitude / 100);
    const std::int64_t cents = magnitude % 100;
    if (cents != 0) {
        text += decimalSeparator;
        text += static_cast<char>('0' + cents / 10);
        if (cents % 10 != 0) {
            text += static_cast<char>('0' + cents % 10);
        }
    }
    return text;
}

std::string moneyText(std::int64_t hundredths, char decimalSeparator)
{
    const std::int64_t magnitude = hundredths < 0 ? -hundredths : hundredths;
    const std::int64_t cents = magnitude % 100;
    std::string text = (hundredths < 0 ? "-" : "") + std::to_string(magnitude / 100);
    text += decimalSeparator;
    text += static_cast<char>('0' + cents / 10);
    text += static_cast<char>('0' + cents % 10);
    return text;
}

std::optional<std::string> seatDative(std::string_view name)
{
    if (const auto seat = seatNamed(name)) {
        return std::string(seat->dative);
    }
    return std::nullopt;
}

std::vector<std::string> paymentLines(const std::vector<Transfer> &transfers,
                                      const std::array<std::string, MaxPlayers> &names, char decimalSeparator)
{
    const auto nameOf = [&](int player) -> const std::string & { return names[at(std::clamp(player, 1, 4) - 1)]; };
    const bool declined = std::all_of(transfers.begin(), transfers.end(),
                                      [&](const Transfer &t) { return seatDative(nameOf(t.to)).has_value(); });
    std::vector<std::string> lines;
    for (const Transfer &t : transfers) {
        const std::string amount = moneyText(t.hundredths, decimalSeparator);
        if (declined) {
            lines.push_back(nameOf(t.from) + " платит " + *seatDative(nameOf(t.to)) + " " + amount);
        } else {
            lines.push_back(nameOf(t.from) + " → " + nameOf(t.to) + ": " + amount);
        }
    }
    return lines;
}

std::string paymentsNote(const Payments &payments, const std::array<std::string, MaxPlayers> &names,
                         char decimalSeparator)
{
    const auto nameOf = [&](int player) -> const std::string & { return names[at(std::clamp(player, 1, 4) - 1)]; };
    if (!payments.available) {
        return "суммы слишком велики, чтобы расписать, кто кому платит";
    }
    std::vector<std::string> parts;
    if (payments.totalsRounded) {
        parts.emplace_back("итоги округлены до сотых");
    }
    std::int64_t miss = 0;
    std::string changed;
    for (int i = 0; i < payments.players; ++i) {
        const std::int64_t shown = payments.shownTotals[at(i)];
        const std::int64_t paid = payments.totals[at(i)];
        miss += shown;
        if (shown == paid) {
            continue;
        }
        const bool pays = paid < 0 || (paid == 0 && shown < 0);
        changed += changed.empty() ? "" : ", ";
        changed += nameOf(i + 1) + (pays ? " платит " : " получает ") +
                   moneyText(paid < 0 ? -paid : paid, decimalSeparator) + " вместо " +
                   moneyText(shown < 0 ? -shown : shown, decimalSeparator);
    }
    if (miss != 0) {
        parts.push_back("расхождение " + amountText(miss < 0 ? -miss : miss, decimalSeparator) +
                        " из-за округления: итоги в сумме дают " + signedAmountText(miss, decimalSeparator) +
                        ", поэтому " + changed);
    }
    if (!payments.roundedPairs.empty()) {
        std::string pairs;
        for (const auto &[a, b] : payments.roundedPairs) {
            pairs += (pairs.empty() ? "" : ", ") + nameOf(a) + " — " + nameOf(b);
        }
        parts.push_back("суммы по парам округлены до сотых: " + pairs);
    }
    std::string note;
    for (const std::string &part : parts) {
        note += (note.empty() ? "" : "; ") + part;
    }
    return note;
}

} // namespace zelvara::engine
