// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/validation.h"

#include "engine/field_reading.h"

namespace zelvara::engine {

namespace {

int playerCount(const SheetTexts &sheet)
{
    return sheet.players < MinPlayers ? MinPlayers : (sheet.players > MaxPlayers ? MaxPlayers : sheet.players);
}

std::size_t at(int index)
{
    return static_cast<std::size_t>(index);
}

} // namespace

std::variant<SheetValues, ValidationFailure> validateSheet(const SheetTexts &sheet, char decimalSeparator)
{
    SheetValues values;
    values.players = playerCount(sheet);
    const int n = values.players;

    const auto whistValue = readWhistValue(sheet.whistValue, decimalSeparator);
    if (!whistValue) {
        return ValidationFailure{WhistValueMessage};
    }
    values.whistValue = *whistValue;

    for (int i = 0; i < n; ++i) {
        if (sheet.names[at(i)].empty()) {
            return ValidationFailure{NamesMissingMessage};
        }
    }
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            if (sheet.names[at(i)] == sheet.names[at(j)]) {
                return ValidationFailure{NamesEqualMessage};
            }
        }
    }
    for (int i = 0; i < n; ++i) {
        values.names[at(i)] = sheet.names[at(i)];
    }

    const auto readInto = [](const std::string &text, std::int64_t &target) {
        const auto value = readInteger(text);
        if (value) {
            target = *value;
        }
        return value.has_value();
    };
    for (int i = 0; i < n; ++i) {
        if (!readInto(sheet.pools[at(i)], values.pools[at(i)])) {
            return ValidationFailure{IntegerMessage};
        }
    }
    for (int i = 0; i < n; ++i) {
        if (!readInto(sheet.heaps[at(i)], values.heaps[at(i)])) {
            return ValidationFailure{IntegerMessage};
        }
    }
    // Whists are checked grouped by the player written on: W(2->1), W(3->1), ..., W(1->2), ...
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            if (i != j && !readInto(sheet.whists[at(i)][at(j)], values.whists[at(i)][at(j)])) {
                return ValidationFailure{IntegerMessage};
            }
        }
    }
    return values;
}

} // namespace zelvara::engine
