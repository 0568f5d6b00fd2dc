// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/extended.h"
#include "engine/sheet.h"

#include <array>
#include <cstdint>
#include <string>
#include <variant>

namespace zelvara::engine {

// The messages of the checks, exactly as the player reads them.
inline constexpr const char *WhistValueMessage =
    "В поле \"Вист\" допустимы только значения, которые может принимать денежная единица!";
inline constexpr const char *NamesMissingMessage = "Пожалуйста, укажите имена всех игроков.";
inline constexpr const char *NamesEqualMessage = "Имена игроков не должны быть одинаковыми!";
inline constexpr const char *IntegerMessage =
    "В полях \"Гора\", \"Пуля\" и \"Висты\" не допускается ввод другого типа данных, кроме как \"целое число\"!";
// Only a sheet fed from outside the window (zelvara-settle) can hold numbers this large.
inline constexpr const char *TooLargeMessage =
    "Числа в полях \"Гора\", \"Пуля\" и \"Висты\" слишком велики для расчета!";

// Pools, heaps and the adjusted heaps of a sheet, players from index 0. The sheet's numbers are 32-bit
// integers; they are held in 64 bits so that the steps computed from them (a corrected heap one point
// beyond the 32-bit range, 10 x heap) stay exact.
using HeapTable = std::array<std::int64_t, MaxPlayers>;
// whists[i][j] = W(i+1 -> j+1): the whists of player i+1 written on player j+1; the diagonal is 0.
using WhistTable = std::array<std::array<std::int64_t, MaxPlayers>, MaxPlayers>;

// A sheet's values once its texts have passed the checks. Players are indexed from 0 here.
struct SheetValues
{
    int players = 4;
    Extended whistValue = 1;
    std::array<std::string, MaxPlayers> names;
    HeapTable pools{};
    HeapTable heaps{};
    WhistTable whists{};
};

struct ValidationFailure
{
    std::string message;
};

// Runs the checks in the program's order and stops at the first failure: whist value, names present,
// names different, pools, heaps, then whists grouped by the player written on.
std::variant<SheetValues, ValidationFailure> validateSheet(const SheetTexts &sheet, char decimalSeparator);

} // namespace zelvara::engine
