// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace zelvara::engine {

constexpr int MinPlayers = 2;
constexpr int MaxPlayers = 4;

enum class GameType { Sochi, Leningrad };
enum class HeapDivision { OnNPlayers, OnNPlayersMinus1, Nondivisible };

// The options that apply to every sheet.
struct Options
{
    GameType gameType = GameType::Sochi;
    HeapDivision heapDivision = HeapDivision::OnNPlayers;
};

// The division a sheet of `players` is settled with. Two players cannot share a heap among one: their
// "N - 1" is "not divided". The window, the settings, the sheet files and the settlement all ask here.
HeapDivision effectiveDivision(HeapDivision division, int players);

enum class FieldKind { WhistValue, Name, Pool, Heap, Whists, Result };

// One field of a sheet. Players are numbered from 1; `other` is the player written on (whists only).
struct FieldId
{
    FieldKind kind = FieldKind::WhistValue;
    int player = 0;
    int other = 0;

    friend bool operator==(const FieldId &, const FieldId &) = default;
};

// The control name of a field on the sheet of `players`: "ValueOfWhistFor4", "NameOfP1For3",
// "PoolOfP2For2", "HeapOfP1For4", "WhistsOfP1ToP2For4", "ResultOfP3For3".
std::string fieldName(FieldId field, int players);

struct NamedField
{
    FieldId field;
    int players = 0;
};
// The inverse of fieldName; nothing for a name that is not a field of some sheet.
std::optional<NamedField> parseFieldName(std::string_view name);

// The name a seat has before the players change it: "Запад", "Север", "Восток", "Юг" by seat.
std::string defaultName(int players, int player);

// A seat's name in the cases the program's sentences need: "Запад", "Запада", "Западу".
struct SeatName
{
    std::string_view nominative;
    std::string_view genitive;
    std::string_view dative;
};
// The seat whose default name `name` is, exactly as written; nothing for any other name (names the
// players chose cannot be declined reliably).
std::optional<SeatName> seatNamed(std::string_view name);

// The texts of one sheet's fields exactly as typed (UTF-8, never trimmed).
struct SheetTexts
{
    int players = 4;
    std::string whistValue = "1";
    std::array<std::string, MaxPlayers> names;
    std::array<std::string, MaxPlayers> pools;
    std::array<std::string, MaxPlayers> heaps;
    // whists[i][j] holds W(i+1 -> j+1): the whists of player i+1 written on player j+1.
    std::array<std::array<std::string, MaxPlayers>, MaxPlayers> whists;

    // A sheet as the window shows it before anything is typed: whist value "1", the seats' default
    // names, every other field empty.
    static SheetTexts withDesignTexts(int players);

    // The text of a field of this sheet (players 1..players; not for results).
    std::string &text(FieldId field);
    const std::string &text(FieldId field) const;
};

} // namespace zelvara::engine
