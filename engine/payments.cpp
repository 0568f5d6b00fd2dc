// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/payments.h"

#include "engine/field_reading.h"

#include <algorithm>
#include <bit>
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

// The fewest transfers between the players with a non-zero total ("parties", in seat order).
//
// The count: the parties minus the largest number of disjoint groups whose totals add up to zero, found
// by dynamic programming over the subsets of the parties. Among the plans of that count, the least money
// moves when every transfer goes straight from a party that owes to one that is owed, which a tree of
// such transfers in each group always allows; the plan then chosen is the one whose pairs, listed in seat
// order, come first. A search over the pairs in that order, each taken before it is left out, finds it.
class TransferSearch
{
public:
    explicit TransferSearch(std::vector<std::int64_t> totals) : m_totals(std::move(totals))
    {
        const int k = static_cast<int>(m_totals.size());
        m_lastPair.assign(m_totals.size(), -1);
        for (int a = 0; a < k; ++a) {
            for (int b = a + 1; b < k; ++b) {
                if ((m_totals[at(a)] < 0) != (m_totals[at(b)] < 0)) {
                    m_lastPair[at(a)] = m_lastPair[at(b)] = static_cast<int>(m_pairs.size());
                    m_pairs.push_back({a, b});
                }
            }
        }
    }

    // The groups of the largest partition into zero sums, as sets of parties (bit masks).
    std::vector<std::uint32_t> groups() const
    {
        const std::size_t k = m_totals.size();
        const std::uint32_t full = (std::uint32_t{1} << k) - 1;
        std::vector<std::int64_t> sum(std::size_t{1} << k, 0);
        std::vector<std::uint8_t> most(std::size_t{1} << k, 0);
        for (std::uint32_t mask = 1; mask <= full; ++mask) {
            const int low = std::countr_zero(mask);
            sum[mask] = sum[mask & (mask - 1)] + m_totals[at(low)];
            std::uint8_t best = 0;
            for (std::uint32_t rest = mask; rest != 0; rest &= rest - 1) {
                best = std::max(best, most[mask & ~(rest & -rest)]);
            }
            most[mask] = static_cast<std::uint8_t>(best + (sum[mask] == 0 ? 1 : 0));
        }
        // Walk back along a chain of subsets that keeps the count; its zero sums close the groups.
        std::vector<std::uint32_t> groups;
        std::uint32_t closed = full;
        for (std::uint32_t mask = full; mask != 0;) {
            std::uint32_t next = 0;
            for (std::uint32_t rest = mask; rest != 0; rest &= rest - 1) {
                const std::uint32_t smaller = mask & ~(rest & -rest);
                if (most[smaller] + (sum[mask] == 0 ? 1 : 0) == most[mask]) {
                    next = smaller;
                    break;
                }
            }
            if (sum[next] == 0) {
                groups.push_back(closed & ~next);
                closed = next;
            }
            mask = next;
        }
        return groups;
    }

    // The plan ranked first, or nothing when the search would take too long.
    std::optional<std::vector<Transfer>> search(std::size_t groupCount)
    {
        m_needed = static_cast<int>(m_totals.size() - groupCount);
        m_budget = SearchBudget;
        m_component.resize(m_totals.size());
        for (std::size_t a = 0; a < m_totals.size(); ++a) {
            m_component[a] = static_cast<int>(a);
        }
        m_sum = m_totals; // by component label: a component is labelled by one of its parties
        m_chosen.clear();
        if (!step(0)) {
            return std::nullopt;
        }
        return transfersOver(m_chosen);
    }

    // Within each group, those who owe pay those who are owed, both in seat order, each transfer as much
    // as settles one of the two.
    std::vector<Transfer> inSeatOrder(const std::vector<std::uint32_t> &groups) const
    {
        std::vector<Transfer> transfers;
        for (const std::uint32_t group : groups) {
            std::vector<std::pair<int, std::int64_t>> owe;
            std::vector<std::pair<int, std::int64_t>> owed;
            for (std::size_t a = 0; a < m_totals.size(); ++a) {
                if ((group >> a & 1U) != 0) {
                    (m_totals[a] < 0 ? owe : owed).emplace_back(static_cast<int>(a), std::abs(m_totals[a]));
                }
            }
            std::size_t i = 0;
            std::size_t j = 0;
            while (i < owe.size() && j < owed.size()) {
                const std::int64_t amount = std::min(owe[i].second, owed[j].second);
                transfers.push_back({owe[i].first, owed[j].first, amount});
                owe[i].second -= amount;
                owed[j].second -= amount;
                i += owe[i].second == 0 ? 1U : 0U;
                j += owed[j].second == 0 ? 1U : 0U;
            }
        }
        return transfers;
    }

private:
    using Pair = std::array<int, 2>;
    // Far more than any sheet and a season of ten players need, and a few tens of milliseconds at most;
    // a search that runs out leaves the count exact and only the ties to the seat-order rule.
    static constexpr long SearchBudget = 100'000;

    // A component whose total is not zero and that no pair from `position` on reaches can never close.
    bool stranded(std::size_t position) const
    {
        std::vector<bool> reachable(m_totals.size(), false);
        for (std::size_t a = 0; a < m_totals.size(); ++a) {
            if (m_lastPair[a] >= static_cast<int>(position)) {
                reachable[at(m_component[a])] = true;
            }
        }
        for (std::size_t label = 0; label < m_totals.size(); ++label) {
            if (!reachable[label] && m_sum[label] != 0) {
                return true;
            }
        }
        return false;
    }

    bool step(std::size_t position)
    {
        if (--m_budget < 0) {
            return false;
        }
        if (static_cast<int>(m_chosen.size()) == m_needed) {
            return !stranded(m_pairs.size()) && transfersOver(m_chosen).has_value();
        }
        if (m_pairs.size() - position < static_cast<std::size_t>(m_needed) - m_chosen.size() || stranded(position)) {
            return false;
        }
        const auto [a, b] = m_pairs[position];
        const int ca = m_component[at(a)];
        const int cb = m_component[at(b)];
        // A component that already adds up to zero is a whole group: a group of the largest partition
        // holds no smaller one, so nothing joins it.
        if (ca != cb && m_sum[at(ca)] != 0 && m_sum[at(cb)] != 0) {
            const std::vector<int> before = m_component;
            const std::int64_t sumB = m_sum[at(cb)];
            std::replace(m_component.begin(), m_component.end(), cb, ca);
            m_sum[at(ca)] += sumB;
            m_sum[at(cb)] = 0;
            m_chosen.push_back(m_pairs[position]);
            if (step(position + 1)) {
                return true;
            }
            m_chosen.pop_back();
            m_component = before;
            m_sum[at(ca)] -= sumB;
            m_sum[at(cb)] = sumB;
        }
        return m_budget >= 0 && step(position + 1);
    }

    // Over each pair goes what the far side of it is owed, straight from the one who owes to the one who
    // is owed; nothing when a pair would carry money the other way.
    std::optional<std::vector<Transfer>> transfersOver(const std::vector<Pair> &chosen) const
    {
        std::vector<Transfer> transfers;
        for (std::size_t k = 0; k < chosen.size(); ++k) {
            const auto [a, b] = chosen[k];
            const int owed = m_totals[at(a)] > 0 ? a : b;
            const int owes = owed == a ? b : a;
            std::vector<bool> farSide(m_totals.size(), false);
            farSide[at(owed)] = true;
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
            std::int64_t amount = 0;
            for (std::size_t i = 0; i < m_totals.size(); ++i) {
                amount += farSide[i] ? m_totals[i] : 0;
            }
            if (amount <= 0) {
                return std::nullopt;
            }
            transfers.push_back({owes, owed, amount});
        }
        return transfers;
    }

    std::vector<std::int64_t> m_totals;
    std::vector<Pair> m_pairs; // pairs of an owing and an owed party, in seat order
    std::vector<int> m_lastPair;
    std::vector<int> m_component;
    std::vector<std::int64_t> m_sum;
    std::vector<Pair> m_chosen;
    int m_needed = 0;
    long m_budget = 0;
};

// The greedy rule for many players: totals that cancel exactly settle in pairs, then the largest debt
// meets the largest claim.
std::vector<Transfer> greedyTransfers(std::vector<std::int64_t> totals)
{
    std::vector<Transfer> transfers;
    const std::size_t k = totals.size();
    for (std::size_t a = 0; a < k; ++a) {
        for (std::size_t b = a + 1; b < k && totals[a] != 0; ++b) {
            if (totals[b] == -totals[a]) {
                const bool aOwes = totals[a] < 0;
                transfers.push_back(
                    {static_cast<int>(aOwes ? a : b), static_cast<int>(aOwes ? b : a), std::abs(totals[a])});
                totals[a] = totals[b] = 0;
            }
        }
    }
    for (;;) {
        std::size_t owes = k;
        std::size_t owed = k;
        for (std::size_t a = 0; a < k; ++a) {
            if (totals[a] < 0 && (owes == k || totals[a] < totals[owes])) {
                owes = a;
            }
            if (totals[a] > 0 && (owed == k || totals[a] > totals[owed])) {
                owed = a;
            }
        }
        if (owes == k || owed == k) {
            break;
        }
        const std::int64_t amount = std::min(-totals[owes], totals[owed]);
        transfers.push_back({static_cast<int>(owes), static_cast<int>(owed), amount});
        totals[owes] += amount;
        totals[owed] -= amount;
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

TransferPlan fewestTransfers(std::span<const std::int64_t> totals)
{
    TransferPlan plan;
    std::int64_t sum = 0;
    std::vector<std::int64_t> parties;
    std::vector<int> seats;
    for (std::size_t i = 0; i < totals.size(); ++i) {
        if (totals[i] > MaxTransferHundredths || totals[i] < -MaxTransferHundredths ||
            __builtin_add_overflow(sum, totals[i], &sum)) {
            return plan;
        }
        if (totals[i] != 0) {
            parties.push_back(totals[i]);
            seats.push_back(static_cast<int>(i) + 1);
        }
    }
    if (sum != 0) {
        return plan;
    }
    plan.available = true;
    std::vector<Transfer> transfers;
    if (parties.size() > static_cast<std::size_t>(MaxExactTransferPlayers)) {
        plan.exact = false;
        transfers = greedyTransfers(parties);
    } else if (!parties.empty()) {
        TransferSearch search(parties);
        const std::vector<std::uint32_t> groups = search.groups();
        auto found = search.search(groups.size());
        transfers = found ? std::move(*found) : search.inSeatOrder(groups);
    }
    for (Transfer &t : transfers) {
        t.from = seats[at(t.from)];
        t.to = seats[at(t.to)];
    }
    std::sort(transfers.begin(), transfers.end(),
              [](const Transfer &x, const Transfer &y) { return std::tie(x.from, x.to) < std::tie(y.from, y.to); });
    plan.transfers = std::move(transfers);
    return plan;
}

std::vector<Transfer> fewestTransfers(const std::array<std::int64_t, MaxPlayers> &totals, int players)
{
    const auto n = static_cast<std::size_t>(std::clamp(players, 0, MaxPlayers));
    return fewestTransfers(std::span<const std::int64_t>(totals.data(), n)).transfers;
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
