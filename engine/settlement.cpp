// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/settlement.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zelvara::engine {

namespace {

std::size_t at(int index)
{
    return static_cast<std::size_t>(index);
}

// The sheet's integer steps are 32-bit values. They are computed in 64 bits, and a step that leaves
// the 32-bit range is remembered, so that a sheet too large to settle gets a message instead of a
// wrapped number.
class IntegerSteps
{
public:
    std::int64_t operator()(std::int64_t value)
    {
        if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
            m_overflowed = true;
        }
        return value;
    }
    bool overflowed() const { return m_overflowed; }

private:
    bool m_overflowed = false;
};

// What both forms record before they work: the sheet's size, the form, the divisor, V and the whists.
Workings startWorkings(int players, SettlementForm form, const WhistTable &whists, Extended divisor,
                       Extended whistValue)
{
    Workings workings;
    workings.players = players;
    workings.form = form;
    workings.divisor = divisor;
    workings.whistValue = whistValue;
    workings.whists = whists;
    workings.results.players = players;
    return workings;
}

ValidationFailure tooLarge()
{
    return ValidationFailure{TooLargeMessage};
}

// Remainder test A: with an odd heap sum each share holds half a whist, which is accepted when the
// share is a whole money amount, or when V has a fraction and half of V is whole hundredths.
bool lotNeededForFour(std::int64_t heapSum, Extended whistValue)
{
    const bool shareNotWhole =
        !whole(static_cast<Extended>(heapSum) / 4.0L * static_cast<Extended>(WhistsPerPoint) * whistValue);
    const bool halfNotWhole = !whole(whistValue * 100.0L / 2.0L) || !(frac(whistValue) > 0.0L);
    const std::int64_t remainder = (heapSum < 0 ? -heapSum : heapSum) % 4;
    return shareNotWhole && halfNotWhole && (remainder == 1 || remainder == 3);
}

// Remainder test B: thirds of the heap that the whist value cannot pay in whole hundredths.
bool lotNeededForThree(std::int64_t heapSum, Extended whistValue)
{
    return (heapSum < 0 ? -heapSum : heapSum) % 3 != 0 && !whole(whistValue * 100.0L / 3.0L);
}

using Outcome = std::variant<Workings, ValidationFailure, CorrectionDialog>;

// Four players, heap on three: shift, remainder test C, levelling, claims form.
Outcome settleFourOnThree(const SheetValues &values, const HeapTable &d, IntegerSteps &step)
{
    const Extended v = values.whistValue;
    // The raised heaps are 64-bit values; each step they take must still fit the sheet's 32 bits.
    const Residues raised = residuesOnThree(d, 4);
    const auto &residues = raised.residues;
    step(raised.raise);
    for (int i = 0; i < 4; ++i) {
        step(WhistsPerPoint * step(raised.raised[at(i)]));
    }
    if (step.overflowed()) {
        return tooLarge();
    }
    const bool allEqual = std::all_of(residues.begin(), residues.end(), [&](int r) { return r == residues[0]; });
    const bool thirdsPayable = whole(v * 100.0L / 3.0L);
    if (!allEqual && !thirdsPayable) {
        return CorrectionDialog::ConfirmOfChange;
    }
    // A shift common to all players leaves every result unchanged and makes every claim whole.
    std::int64_t levelling = 0;
    if (allEqual && !thirdsPayable && residues[0] != 0) {
        levelling = residues[0] == 1 ? -1 : 1;
    }
    HeapTable levelled{};
    for (int i = 0; i < 4; ++i) {
        levelled[at(i)] = step(raised.raised[at(i)] + levelling);
        step(WhistsPerPoint * levelled[at(i)]);
    }
    if (step.overflowed()) {
        return tooLarge();
    }
    Workings workings = claimsForm(4, values.whists, levelled, 3.0L, v);
    workings.shift = raised.raise;
    workings.levelling = levelling;
    return workings;
}

// Four players, heap not divided: the claims are whole whists, computed in integers.
Outcome settleFourWhole(const SheetValues &values, const HeapTable &d, IntegerSteps &step)
{
    std::array<std::array<std::int64_t, 4>, 4> claims{};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            if (i != j) {
                claims[at(i)][at(j)] = step(values.whists[at(i)][at(j)] + step(WhistsPerPoint * d[at(j)]));
            }
        }
    }
    if (step.overflowed()) {
        return tooLarge();
    }
    Workings workings = startWorkings(4, SettlementForm::IntegerClaims, values.whists, 1, values.whistValue);
    workings.claimHeaps = d;
    for (int i = 0; i < 4; ++i) {
        Extended balance = 0;
        for (int j = 0; j < 4; ++j) {
            if (j != i) {
                workings.claims[at(i)][at(j)] = static_cast<Extended>(claims[at(i)][at(j)]);
                balance = balance + static_cast<Extended>(claims[at(i)][at(j)]);
                balance = balance - static_cast<Extended>(claims[at(j)][at(i)]);
            }
        }
        workings.balances[at(i)] = settledBalance(balance);
        workings.results.values[at(i)] = workings.balances[at(i)] * values.whistValue;
    }
    return workings;
}

Outcome settleByClaims(const SheetValues &values, const HeapTable &d, int divisor, IntegerSteps &step)
{
    for (int j = 0; j < values.players; ++j) {
        step(WhistsPerPoint * d[at(j)]);
    }
    if (step.overflowed()) {
        return tooLarge();
    }
    return claimsForm(values.players, values.whists, d, static_cast<Extended>(divisor), values.whistValue);
}

} // namespace

int poolFactor(GameType gameType)
{
    return gameType == GameType::Leningrad ? 2 : 1;
}

int heapDivisor(HeapDivision division, int players)
{
    switch (effectiveDivision(division, players)) {
    case HeapDivision::OnNPlayers:
        return players;
    case HeapDivision::OnNPlayersMinus1:
        return players - 1;
    case HeapDivision::Nondivisible:
        return 1;
    }
    return 1;
}

AdjustedHeaps adjustHeaps(const HeapTable &heaps, const HeapTable &pools, int players, GameType gameType)
{
    const std::int64_t factor = poolFactor(gameType);
    IntegerSteps step;
    AdjustedHeaps adjusted;
    for (int i = 0; i < players; ++i) {
        adjusted.d[at(i)] = step(heaps[at(i)] - step(factor * pools[at(i)]));
    }
    for (int i = 0; i < players; ++i) {
        adjusted.sum = step(adjusted.sum + adjusted.d[at(i)]);
    }
    adjusted.withinSheetRange = !step.overflowed();
    return adjusted;
}

void keepSheetNumbers(Workings &workings, const HeapTable &heaps, const HeapTable &pools, const AdjustedHeaps &adjusted,
                      GameType gameType)
{
    workings.poolFactor = poolFactor(gameType);
    workings.heaps = heaps;
    workings.pools = pools;
    workings.adjustedHeaps = adjusted.d;
    workings.heapSum = adjusted.sum;
}

Extended settledBalance(Extended balanceInWhists)
{
    return std::fabs(balanceInWhists) < 1e-9L ? 0.0L : balanceInWhists;
}

Residues residuesOnThree(const HeapTable &adjustedHeaps, int players)
{
    Residues out;
    const std::int64_t smallest = *std::min_element(adjustedHeaps.begin(), adjustedHeaps.begin() + players);
    out.raise = smallest < 0 ? -smallest : 0;
    for (int i = 0; i < players; ++i) {
        out.raised[at(i)] = adjustedHeaps[at(i)] + out.raise;
        out.residues[at(i)] = static_cast<int>(WhistsPerPoint * out.raised[at(i)] % 3);
    }
    return out;
}

Workings averageForm(int players, const WhistTable &whists, const HeapTable &adjustedHeaps, std::int64_t heapSum,
                     Extended divisor, Extended whistValue)
{
    Workings workings = startWorkings(players, SettlementForm::Average, whists, divisor, whistValue);
    workings.adjustedHeaps = adjustedHeaps;
    workings.heapSum = heapSum;
    for (int i = 0; i < players; ++i) {
        Extended balance = static_cast<Extended>(heapSum) / divisor;
        balance = balance - static_cast<Extended>(adjustedHeaps[at(i)]);
        balance = balance * static_cast<Extended>(WhistsPerPoint);
        workings.shares[at(i)] = balance;
        for (int j = 0; j < players; ++j) {
            if (j != i) {
                balance = balance + static_cast<Extended>(whists[at(i)][at(j)]);
                balance = balance - static_cast<Extended>(whists[at(j)][at(i)]);
            }
        }
        workings.balances[at(i)] = settledBalance(balance);
        workings.results.values[at(i)] = workings.balances[at(i)] * whistValue;
    }
    return workings;
}

Workings claimsForm(int players, const WhistTable &whists, const HeapTable &x, Extended divisor, Extended whistValue)
{
    Workings workings = startWorkings(players, SettlementForm::Claims, whists, divisor, whistValue);
    workings.claimHeaps = x;
    for (int i = 0; i < players; ++i) {
        for (int j = 0; j < players; ++j) {
            if (i != j) {
                workings.claims[at(i)][at(j)] = static_cast<Extended>(WhistsPerPoint * x[at(j)]) / divisor +
                                                static_cast<Extended>(whists[at(i)][at(j)]);
            }
        }
    }
    for (int i = 0; i < players; ++i) {
        Extended balance = 0;
        for (int j = 0; j < players; ++j) {
            if (j != i) {
                balance = balance + workings.claims[at(i)][at(j)];
                balance = balance - workings.claims[at(j)][at(i)];
            }
        }
        workings.balances[at(i)] = settledBalance(balance);
        workings.results.values[at(i)] = workings.balances[at(i)] * whistValue;
    }
    return workings;
}

std::variant<Workings, ValidationFailure, CorrectionDialog> settleValues(const SheetValues &values,
                                                                         const Options &options)
{
    const int n = values.players;
    const AdjustedHeaps adjusted = adjustHeaps(values.heaps, values.pools, n, options.gameType);
    if (!adjusted.withinSheetRange) {
        return tooLarge();
    }
    const HeapTable &d = adjusted.d;
    const std::int64_t heapSum = adjusted.sum;
    const int divisor = heapDivisor(options.heapDivision, n);
    const Extended v = values.whistValue;

    IntegerSteps step;
    Outcome outcome = [&]() -> Outcome {
        switch (effectiveDivision(options.heapDivision, n)) {
        case HeapDivision::OnNPlayers:
            if (n == 4 && lotNeededForFour(heapSum, v)) {
                return CorrectionDialog::ChoiceOfPlayer;
            }
            if (n == 3 && lotNeededForThree(heapSum, v)) {
                return CorrectionDialog::ChoiceOfPlayer;
            }
            if (n == 2) {
                return settleByClaims(values, d, divisor, step);
            }
            return averageForm(n, values.whists, d, heapSum, static_cast<Extended>(divisor), v);
        case HeapDivision::OnNPlayersMinus1:
            if (n == 4) {
                return settleFourOnThree(values, d, step);
            }
            return settleByClaims(values, d, divisor, step);
        case HeapDivision::Nondivisible:
            if (n == 4) {
                return settleFourWhole(values, d, step);
            }
            return settleByClaims(values, d, divisor, step);
        }
        return settleByClaims(values, d, divisor, step);
    }();
    if (auto *workings = std::get_if<Workings>(&outcome)) {
        keepSheetNumbers(*workings, values.heaps, values.pools, adjusted, options.gameType);
    }
    return outcome;
}

std::variant<Workings, ValidationFailure, CorrectionDialog>
settleWorkings(const SheetTexts &sheet, const Options &options, char decimalSeparator)
{
    auto checked = validateSheet(sheet, decimalSeparator);
    if (auto *failure = std::get_if<ValidationFailure>(&checked)) {
        return std::move(*failure);
    }
    return settleValues(std::get<SheetValues>(checked), options);
}

SettlementOutcome settle(const SheetTexts &sheet, const Options &options, char decimalSeparator)
{
    auto outcome = settleWorkings(sheet, options, decimalSeparator);
    if (auto *workings = std::get_if<Workings>(&outcome)) {
        return workings->results;
    }
    if (auto *failure = std::get_if<ValidationFailure>(&outcome)) {
        return std::move(*failure);
    }
    return std::get<CorrectionDialog>(outcome);
}

} // namespace zelvara::engine
