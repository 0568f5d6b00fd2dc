// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers the correction rules share; not part of the library's interface.

#include "correction/correction.h"

#include <cstdint>

namespace zelvara::correction::detail {

// The working values of a settlement a correction ran on `heaps` (the corrected ones after "OK"): the
// sheet's own numbers put in beside what the form computed.
void keepSheet(engine::Workings &workings, const engine::SheetValues &sheet, const engine::HeapTable &heaps,
               engine::GameType gameType);

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
