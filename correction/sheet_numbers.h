// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers the correction rules share; not part of the library's interface.

#include "correction/correction.h"
#include "engine/settlement.h"

#include <array>
#include <cstdint>

namespace zelvara::correction::detail {

using Heaps = std::array<std::int64_t, engine::MaxPlayers>;

// A sheet's numbers read without checks (an unreadable field counts as 0), widened to 64 bits so that
// a corrected heap or whist one step beyond the 32-bit range stays exact.
struct SheetNumbers
{
    int players = 4;
    engine::Extended whistValue = 0;
    Heaps pools{};
    Heaps heaps{};
    engine::WhistTable whists{};
};

SheetNumbers readNumbers(const engine::SheetTexts &sheet, char decimalSeparator);

// D_i = heap - poolFactor * pool, for the given heaps.
Heaps adjustedHeaps(const SheetNumbers &sheet, const Heaps &heaps, engine::GameType gameType);

// The sheet's own numbers in the working values of a settlement the correction ran on `heaps`.
void fillSheet(engine::Workings &workings, const SheetNumbers &sheet, const Heaps &heaps, engine::GameType gameType);

FieldWrite heapWrite(int player, std::int64_t value);
FieldWrite whistsWrite(int from, int to, std::int64_t value);

// Results rounded to hundredths, coloured by the unrounded value. The "+" goes before a rounded value
// of at least 0.01 when `prefixFromRounded`, otherwise before an unrounded value above zero.
std::vector<engine::ShownResult> showRounded(const engine::Results &results, bool prefixFromRounded,
                                             char decimalSeparator);

inline std::size_t at(int index)
{
    return static_cast<std::size_t>(index);
}

} // namespace zelvara::correction::detail
