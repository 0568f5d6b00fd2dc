// SPDX-License-Identifier: GPL-3.0-or-later
#include "correction/rules_detail.h"

#include "correction/correction.h"

#include <charconv>

namespace zelvara::correction::detail {

namespace {

std::string decimalText(std::int64_t value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return {buffer, result.ptr};
}

} // namespace

void keepSheet(engine::Workings &workings, const engine::SheetValues &sheet, const engine::HeapTable &heaps,
               engine::GameType gameType)
{
    engine::keepSheetNumbers(workings, heaps, sheet.pools,
                             engine::adjustHeaps(heaps, sheet.pools, sheet.players, gameType), gameType);
}

FieldWrite heapWrite(int player, std::int64_t value)
{
    return {{engine::FieldKind::Heap, player, 0}, decimalText(value)};
}

FieldWrite whistsWrite(int from, int to, std::int64_t value)
{
    return {{engine::FieldKind::Whists, from, to}, decimalText(value)};
}

std::vector<engine::ShownResult> showRounded(const engine::Results &results, bool prefixFromRounded,
                                             char decimalSeparator)
{
    std::vector<engine::ShownResult> shown;
    for (int i = 0; i < results.players; ++i) {
        const engine::Extended value = results.values[at(i)];
        const double rounded = engine::roundToHundredths(value);
        const bool plus = prefixFromRounded ? rounded >= 0.01 : value > 0;
        shown.push_back(engine::shownResult(rounded, plus, value, decimalSeparator));
    }
    return shown;
}

} // namespace zelvara::correction::detail
