// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/sheet.h"

#include <array>

namespace zelvara::engine {

namespace {

constexpr bool validSheet(int players)
{
    return players >= MinPlayers && players <= MaxPlayers;
}

constexpr bool validPlayer(int player, int players)
{
    return player >= 1 && player <= players;
}

std::string digit(int value)
{
    return {static_cast<char>('0' + value)};
}

// Reads one digit 1..9 at the front of `rest` and drops it.
std::optional<int> takeDigit(std::string_view &rest)
{
    if (rest.empty() || rest.front() < '1' || rest.front() > '9') {
        return std::nullopt;
    }
    const int value = rest.front() - '0';
    rest.remove_prefix(1);
    return value;
}

bool takeWord(std::string_view &rest, std::string_view word)
{
    if (!rest.starts_with(word)) {
        return false;
    }
    rest.remove_prefix(word.size());
    return true;
}

} // namespace

std::string fieldName(FieldId field, int players)
{
    const std::string sheet = "For" + digit(players);
    const std::string player = "P" + digit(field.player);
    switch (field.kind) {
    case FieldKind::WhistValue:
        return "ValueOfWhist" + sheet;
    case FieldKind::Name:
        return "NameOf" + player + sheet;
    case FieldKind::Pool:
        return "PoolOf" + player + sheet;
    case FieldKind::Heap:
        return "HeapOf" + player + sheet;
    case FieldKind::Whists:
        return "WhistsOf" + player + "ToP" + digit(field.other) + sheet;
    case FieldKind::Result:
        return "ResultOf" + player + sheet;
    }
    return {};
}

std::optional<NamedField> parseFieldName(std::string_view name)
{
    struct Prefix
    {
        std::string_view text;
        FieldKind kind;
    };
    static constexpr std::array<Prefix, 5> PlayerFields{{{"NameOfP", FieldKind::Name},
                                                         {"PoolOfP", FieldKind::Pool},
                                                         {"HeapOfP", FieldKind::Heap},
                                                         {"WhistsOfP", FieldKind::Whists},
                                                         {"ResultOfP", FieldKind::Result}}};
    std::string_view rest = name;
    NamedField named;
    if (takeWord(rest, "ValueOfWhist")) {
        named.field.kind = FieldKind::WhistValue;
    } else {
        bool found = false;
        for (const Prefix &prefix : PlayerFields) {
            if (takeWord(rest, prefix.text)) {
                named.field.kind = prefix.kind;
                found = true;
                break;
            }
        }
        if (!found) {
            return std::nullopt;
        }
        const auto player = takeDigit(rest);
        if (!player) {
            return std::nullopt;
        }
        named.field.player = *player;
        if (named.field.kind == FieldKind::Whists) {
            const auto other = takeWord(rest, "ToP") ? takeDigit(rest) : std::nullopt;
            if (!other || *other == *player) {
                return std::nullopt;
            }
            named.field.other = *other;
        }
    }
    if (!takeWord(rest, "For")) {
        return std::nullopt;
    }
    const auto players = takeDigit(rest);
    if (!players || !rest.empty() || !validSheet(*players)) {
        return std::nullopt;
    }
    named.players = *players;
    if (named.field.kind != FieldKind::WhistValue && !validPlayer(named.field.player, named.players)) {
        return std::nullopt;
    }
    if (named.field.kind == FieldKind::Whists && !validPlayer(named.field.other, named.players)) {
        return std::nullopt;
    }
    return named;
}

namespace {

// The four seats around the table, in their three cases. Three players leave the north empty; two sit
// north and south.
constexpr std::array<SeatName, 4> Seats{{
    {"Запад", "Запада", "Западу"},
    {"Север", "Севера", "Северу"},
    {"Восток", "Востока", "Востоку"},
    {"Юг", "Юга", "Югу"},
}};
constexpr std::array<std::size_t, 4> FourSeats{0, 1, 2, 3};
constexpr std::array<std::size_t, 3> ThreeSeats{0, 2, 3};
constexpr std::array<std::size_t, 2> TwoSeats{1, 3};

} // namespace

std::string defaultName(int players, int player)
{
    if (!validSheet(players) || !validPlayer(player, players)) {
        return {};
    }
    const auto index = static_cast<std::size_t>(player - 1);
    switch (players) {
    case 4:
        return std::string(Seats[FourSeats[index]].nominative);
    case 3:
        return std::string(Seats[ThreeSeats[index]].nominative);
    default:
        return std::string(Seats[TwoSeats[index]].nominative);
    }
}

std::optional<SeatName> seatNamed(std::string_view name)
{
    for (const SeatName &seat : Seats) {
        if (seat.nominative == name) {
            return seat;
        }
    }
    return std::nullopt;
}

HeapDivision effectiveDivision(HeapDivision division, int players)
{
    return division == HeapDivision::OnNPlayersMinus1 && players <= 2 ? HeapDivision::Nondivisible : division;
}

SheetTexts SheetTexts::withDesignTexts(int players)
{
    SheetTexts sheet;
    sheet.players = players;
    for (int player = 1; player <= players && player <= MaxPlayers; ++player) {
        sheet.names[static_cast<std::size_t>(player - 1)] = defaultName(players, player);
    }
    return sheet;
}

namespace {

// One lookup serves the const and the non-const accessor.
template <typename Sheet> auto &fieldText(Sheet &sheet, FieldId field)
{
    // Results have no text here and players outside 1..4 do not exist: callers never ask for them,
    // and the whist value stands in rather than reading outside the arrays.
    const bool inRange = validPlayer(field.player, MaxPlayers) &&
                         (field.kind != FieldKind::Whists || validPlayer(field.other, MaxPlayers));
    if (field.kind == FieldKind::WhistValue || field.kind == FieldKind::Result || !inRange) {
        return sheet.whistValue;
    }
    const auto i = static_cast<std::size_t>(field.player - 1);
    switch (field.kind) {
    case FieldKind::Name:
        return sheet.names[i];
    case FieldKind::Pool:
        return sheet.pools[i];
    case FieldKind::Heap:
        return sheet.heaps[i];
    case FieldKind::Whists:
        return sheet.whists[i][static_cast<std::size_t>(field.other - 1)];
    default:
        return sheet.whistValue;
    }
}

} // namespace

std::string &SheetTexts::text(FieldId field)
{
    return fieldText(*this, field);
}

const std::string &SheetTexts::text(FieldId field) const
{
    return fieldText(*this, field);
}

} // namespace zelvara::engine
