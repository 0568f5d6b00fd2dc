// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rules of the settings file: which keys it holds, how their values are read and applied to the
// main window, and how the window's state is collected and written. Plain C++: the window hands in its
// texts, options and a text-width measure; the file itself is read and written by platform/ini_file.

#include "engine/extended.h"
#include "engine/sheet.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelvara::app {

// The main window's component name.
inline constexpr std::string_view SettingsSection = "Zelvara";

// The sheets in the order the file lists them; whist values are indexed the same way.
inline constexpr std::array<int, 3> SheetOrder = {4, 3, 2};
inline constexpr std::size_t NameCount = 9;

// The seat of each name in the order the file lists the names: 4 players P1..P4, 3 players, 2 players.
struct Seat
{
    int players = 0;
    int player = 0;
};
inline constexpr std::array<Seat, NameCount> NameSeats = {
    Seat{4, 1}, Seat{4, 2}, Seat{4, 3}, Seat{4, 4}, Seat{3, 1}, Seat{3, 2}, Seat{3, 3}, Seat{2, 1}, Seat{2, 2},
};

// The values held between reading the file and applying it, and between collecting the window's state
// and writing it. A key that is missing or unreadable leaves the zero it starts with; a missing name
// leaves an empty name, which empties its field.
struct StoredSettings
{
    int playersNumber = 0;
    int gameType = 0;
    int heapDivisibility = 0;
    std::array<engine::Extended, 3> whistValues{};
    std::array<std::string, NameCount> names;
};

// Gives the raw value of a key of the settings section (UTF-8), nothing when the key is absent.
using KeyLookup = std::function<std::optional<std::string>(std::string_view key)>;

// Reads every key. Integers are decimal or hexadecimal after "0x"; whist values are numbers with the
// user's decimal separator; names are taken as they are.
StoredSettings readSettings(const KeyLookup &lookup, char decimalSeparator);

// What applying the stored settings changes in the window; nothing leaves the design state.
struct SettingsToApply
{
    std::optional<int> players;
    std::optional<engine::GameType> gameType;
    std::optional<engine::HeapDivision> heapDivision;
    std::array<std::optional<std::string>, 3> whistValueTexts;
    std::array<std::string, NameCount> names;
};

// The width in pixels of a text in the name fields' font.
using TextWidth = std::function<int(const std::string &)>;

// Brings stored values into what the window can show: codes out of range are ignored, whist values
// are held between 0.01 and 99999, and a name as wide as the name field (its inner width less one
// pixel) gives way to the seat's default name, the limit the name filter keeps while typing.
SettingsToApply applySettings(const StoredSettings &stored, char decimalSeparator, int nameInnerWidth,
                              const TextWidth &textWidth);

// The text a whist value field shows for a stored value; nothing for zero (the field keeps "1").
// The general form is cut to five characters, not rounded, as the field holds only five.
std::optional<std::string> whistValueText(engine::Extended value, char decimalSeparator);

// The window's state as the file keeps it. Whist value texts are in sheet order (4, 3, 2).
struct WindowSettings
{
    int players = 4;
    engine::Options options;
    std::array<std::string, 3> whistValueTexts;
    std::array<std::string, NameCount> names;
};

// A whist value field that does not read as a number (empty, text, out of range) is kept as 1.
StoredSettings collectSettings(const WindowSettings &window, char decimalSeparator);

// The fifteen key/value pairs to write, in the order they are written: the options, then each sheet's
// whist value and names, for 4, 3 and 2 players. Whist values and names are keyed by their fields' names.
// A control character in a name (a line break, a tab, a NUL) is written as a blank: a value never spans
// lines of the file.
std::vector<std::pair<std::string, std::string>> settingsEntries(const StoredSettings &stored, char decimalSeparator);

} // namespace zelvara::app
