// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The keys of a sheet file, in one table: the reader knows a key by it, the writer puts the keys in its
// order, the message about an unknown key lists it, and the window's messages name each key in the
// player's words from it. Inside the library only.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zelvara::sheetfile {

enum class Key : std::uint8_t {
    Format,
    Version,
    Saved,
    Note,
    Players,
    GameType,
    HeapDivisibility,
    DecimalSeparator,
    Fields,
    Answer,
};

// What a Russian participle or verb agrees with: "записан", "записана", "записано", "записаны".
enum class Gender : std::uint8_t { Masculine, Feminine, Neuter, Plural };

struct KeyEntry
{
    Key key;
    std::string_view name;
    // The key as the window's messages name it, with the gender its words take.
    std::string_view words;
    Gender gender;
};

// In the order the writer puts them.
inline constexpr std::array<KeyEntry, 10> Keys{{
    {Key::Format, "format", "название формата", Gender::Neuter},
    {Key::Version, "version", "номер версии", Gender::Masculine},
    {Key::Saved, "saved", "время сохранения", Gender::Neuter},
    {Key::Note, "note", "примечание", Gender::Neuter},
    {Key::Players, "players", "количество игроков", Gender::Neuter},
    {Key::GameType, "gameType", "тип игры", Gender::Masculine},
    {Key::HeapDivisibility, "heapDivisibility", "делимость горы", Gender::Feminine},
    {Key::DecimalSeparator, "decimalSeparator", "десятичный разделитель", Gender::Masculine},
    {Key::Fields, "fields", "поля пули", Gender::Plural},
    {Key::Answer, "answer", "ответ в окне коррекции", Gender::Masculine},
}};

// The keys inside "answer".
enum class AnswerKey : std::uint8_t { Button, Player };
inline constexpr std::array<std::string_view, 2> AnswerKeys{"button", "player"};

// The words of the values with a fixed choice, in the order of their enumerators (engine::GameType,
// engine::HeapDivision, Button).
inline constexpr std::array<std::string_view, 2> GameTypeNames{"Sochi", "Leningrad"};
inline constexpr std::array<std::string_view, 3> HeapDivisionNames{"OnNPlayers", "OnNPlayersMinus1", "Nondivisible"};
inline constexpr std::array<std::string_view, 2> ButtonNames{"OK", "Cancel"};

constexpr const KeyEntry &entry(Key key)
{
    return Keys[static_cast<std::size_t>(key)];
}

constexpr std::string_view keyName(Key key)
{
    return entry(key).name;
}

constexpr std::optional<Key> findKey(std::string_view name)
{
    for (const KeyEntry &known : Keys) {
        if (known.name == name) {
            return known.key;
        }
    }
    return std::nullopt;
}

constexpr std::optional<AnswerKey> findAnswerKey(std::string_view name)
{
    for (std::size_t i = 0; i < AnswerKeys.size(); ++i) {
        if (AnswerKeys[i] == name) {
            return static_cast<AnswerKey>(i);
        }
    }
    return std::nullopt;
}

// entry() finds a key by its place in the table.
constexpr bool keysInOrder()
{
    for (std::size_t i = 0; i < Keys.size(); ++i) {
        if (static_cast<std::size_t>(Keys[i].key) != i) {
            return false;
        }
    }
    return true;
}
static_assert(keysInOrder(), "the table lists the keys in the order of their enumerators");

} // namespace zelvara::sheetfile
