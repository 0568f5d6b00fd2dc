// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings.h"

#include "engine/field_reading.h"
#include "engine/result_format.h"

#include <charconv>
#include <cmath>

namespace zelvara::app {

namespace {

constexpr engine::Extended MinWhistValue = 0.01L;
constexpr engine::Extended MaxWhistValue = 99999.0L;
constexpr std::size_t WhistValueFieldLength = 5;

// The options are radio button groups; their keys are the file's own.
constexpr std::string_view PlayersNumberKey = "PlayersNumber";
constexpr std::string_view GameTypeKey = "GameType";
constexpr std::string_view HeapDivisibilityKey = "HeapDivisibility";
constexpr std::size_t KeyCount = 3 + SheetOrder.size() + NameCount;

// Whist values and names are kept under the names of their fields.
std::string whistValueKey(std::size_t sheet)
{
    return engine::fieldName({engine::FieldKind::WhistValue}, SheetOrder[sheet]);
}

std::string nameKey(const Seat &seat)
{
    return engine::fieldName({engine::FieldKind::Name, seat.player}, seat.players);
}

int readIntegerKey(const KeyLookup &lookup, std::string_view key, int fallback)
{
    const auto raw = lookup(key);
    if (!raw || engine::trimBlanks(*raw).empty())
        return fallback;
    return engine::readInteger(*raw).value_or(fallback);
}

engine::Extended readRealKey(const KeyLookup &lookup, std::string_view key, char decimalSeparator,
                             engine::Extended fallback)
{
    const auto raw = lookup(key);
    if (!raw)
        return fallback;
    const auto value = engine::readReal(*raw, decimalSeparator);
    return value && std::isfinite(*value) ? *value : fallback;
}

// A settings file holds one value a line: a line break inside a value would start a line of its own, a
// key or a section that was never typed, and a NUL would end the value early. Every control character
// becomes a blank, so that the words on either side stay apart. A UTF-8 sequence holds no byte below 0x80,
// so bytes are replaced one by one.
std::string withoutControls(std::string value)
{
    for (char &c : value) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    }
    return value;
}

std::string integerText(int value)
{
    std::array<char, 16> buffer{};
    auto *const end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
    return {buffer.data(), end};
}

} // namespace

StoredSettings readSettings(const KeyLookup &lookup, char decimalSeparator)
{
    StoredSettings stored;
    stored.playersNumber = readIntegerKey(lookup, PlayersNumberKey, stored.playersNumber);
    stored.gameType = readIntegerKey(lookup, GameTypeKey, stored.gameType);
    stored.heapDivisibility = readIntegerKey(lookup, HeapDivisibilityKey, stored.heapDivisibility);
    for (std::size_t sheet = 0; sheet < SheetOrder.size(); ++sheet)
        stored.whistValues[sheet] =
            readRealKey(lookup, whistValueKey(sheet), decimalSeparator, stored.whistValues[sheet]);
    for (std::size_t i = 0; i < NameCount; ++i) {
        if (auto name = lookup(nameKey(NameSeats[i])))
            stored.names[i] = std::move(*name);
    }
    return stored;
}

std::optional<std::string> whistValueText(engine::Extended value, char decimalSeparator)
{
    if (value > MinWhistValue && value < MaxWhistValue)
        return engine::formatGeneral(value, decimalSeparator).substr(0, WhistValueFieldLength);
    if (value >= MaxWhistValue)
        return "99999";
    if (value > 0)
        return engine::formatGeneral(MinWhistValue, decimalSeparator);
    if (value < 0)
        return "1";
    return std::nullopt;
}

SettingsToApply applySettings(const StoredSettings &stored, char decimalSeparator, int nameInnerWidth,
                              const TextWidth &textWidth)
{
    SettingsToApply apply;
    if (stored.gameType == 1)
        apply.gameType = engine::GameType::Sochi;
    else if (stored.gameType == 2)
        apply.gameType = engine::GameType::Leningrad;

    const bool validCount = stored.playersNumber >= engine::MinPlayers && stored.playersNumber <= engine::MaxPlayers;
    if (validCount)
        apply.players = stored.playersNumber;

    // The choice "less one" depends on the stored count, not on the sheet shown: a count out of range
    // leaves the four-player sheet on screen and still turns the choice into "not divided".
    switch (stored.heapDivisibility) {
    case 1:
        apply.heapDivision = engine::HeapDivision::OnNPlayers;
        break;
    case 2:
        apply.heapDivision = engine::effectiveDivision(engine::HeapDivision::OnNPlayersMinus1,
                                                       validCount ? stored.playersNumber : engine::MinPlayers);
        break;
    case 3:
        apply.heapDivision = engine::HeapDivision::Nondivisible;
        break;
    default:
        break;
    }

    for (std::size_t sheet = 0; sheet < SheetOrder.size(); ++sheet)
        apply.whistValueTexts[sheet] = whistValueText(stored.whistValues[sheet], decimalSeparator);

    for (std::size_t i = 0; i < NameCount; ++i) {
        const Seat seat = NameSeats[i];
        const std::string &name = stored.names[i];
        if (textWidth(name) < nameInnerWidth - 1)
            apply.names[i] = name;
        else
            apply.names[i] = engine::defaultName(seat.players, seat.player);
    }
    return apply;
}

StoredSettings collectSettings(const WindowSettings &window, char decimalSeparator)
{
    StoredSettings stored;
    stored.playersNumber = window.players;
    stored.gameType = window.options.gameType == engine::GameType::Sochi ? 1 : 2;
    switch (window.options.heapDivision) {
    case engine::HeapDivision::OnNPlayers:
        stored.heapDivisibility = 1;
        break;
    case engine::HeapDivision::OnNPlayersMinus1:
        stored.heapDivisibility = 2;
        break;
    case engine::HeapDivision::Nondivisible:
        stored.heapDivisibility = 3;
        break;
    }
    for (std::size_t sheet = 0; sheet < SheetOrder.size(); ++sheet) {
        const auto value = engine::readReal(engine::trimBlanks(window.whistValueTexts[sheet]), decimalSeparator);
        stored.whistValues[sheet] = value && std::isfinite(*value) ? *value : 1.0L;
    }
    for (std::size_t i = 0; i < NameCount; ++i)
        stored.names[i] = window.names[i];
    return stored;
}

std::vector<std::pair<std::string, std::string>> settingsEntries(const StoredSettings &stored, char decimalSeparator)
{
    std::vector<std::pair<std::string, std::string>> entries;
    entries.reserve(KeyCount);
    entries.emplace_back(PlayersNumberKey, integerText(stored.playersNumber));
    entries.emplace_back(GameTypeKey, integerText(stored.gameType));
    entries.emplace_back(HeapDivisibilityKey, integerText(stored.heapDivisibility));
    std::size_t name = 0;
    for (std::size_t sheet = 0; sheet < SheetOrder.size(); ++sheet) {
        entries.emplace_back(whistValueKey(sheet), engine::formatGeneral(stored.whistValues[sheet], decimalSeparator));
        for (; name < NameCount && NameSeats[name].players == SheetOrder[sheet]; ++name)
            entries.emplace_back(nameKey(NameSeats[name]), withoutControls(stored.names[name]));
    }
    return entries;
}

} // namespace zelvara::app
