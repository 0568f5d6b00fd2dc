// SPDX-License-Identifier: GPL-3.0-or-later
#include "correction/correction.h"
#include "correction/sheet_numbers.h"
#include "engine/field_reading.h"

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

SheetNumbers readNumbers(const engine::SheetTexts &sheet, char decimalSeparator)
{
    const engine::SheetValues values = engine::readSheetUnchecked(sheet, decimalSeparator);
    SheetNumbers numbers;
    numbers.players = values.players;
    numbers.whistValue = values.whistValue;
    for (std::size_t i = 0; i < engine::MaxPlayers; ++i) {
        numbers.pools[i] = values.pools[i];
        numbers.heaps[i] = values.heaps[i];
    }
    numbers.whists = engine::widenWhists(values);
    return numbers;
}

Heaps adjustedHeaps(const SheetNumbers &sheet, const Heaps &heaps, engine::GameType gameType)
{
    const std::int64_t factor = engine::poolFactor(gameType);
    Heaps d{};
    for (int i = 0; i < sheet.players; ++i) {
        d[at(i)] = heaps[at(i)] - factor * sheet.pools[at(i)];
    }
    return d;
}

void fillSheet(engine::Workings &workings, const SheetNumbers &sheet, const Heaps &heaps, engine::GameType gameType)
{
    workings.poolFactor = engine::poolFactor(gameType);
    workings.heaps = heaps;
    workings.pools = sheet.pools;
    workings.adjustedHeaps = adjustedHeaps(sheet, heaps, gameType);
    workings.heapSum = 0;
    for (int i = 0; i < sheet.players; ++i) {
        workings.heapSum += workings.adjustedHeaps[at(i)];
    }
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
        std::string text = plus ? "+" : "";
        text += engine::formatGeneral(rounded, decimalSeparator);
        shown.push_back({std::move(text), engine::toneOf(value)});
    }
    return shown;
}

} // namespace zelvara::correction::detail
