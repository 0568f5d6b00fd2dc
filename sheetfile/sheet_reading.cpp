// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a sheet file: anything the window could not have written, or that can be read two ways, is
// refused with one line saying what is wrong, in the order a reader meets it (bytes, JSON, the whole
// object, then each key).
#include "sheetfile/sheet_file.h"

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

namespace zelvara::sheetfile {
namespace {

using Json = nlohmann::json;

// Raised inside the reader and turned into a ReadError at its edge, so each check stays one line.
struct Refusal
{
    ReadError error;
};

[[noreturn]] void refuse(ReadErrorKind kind, std::string detail, std::string subject = {})
{
    throw Refusal{ReadError{kind, std::move(detail), std::move(subject)}};
}

// A value as the user wrote it, short enough for a one-line message. Arrays and objects are only
// named: writing out a deeply nested one would recurse as deep as the input goes.
std::string describe(const Json &value)
{
    if (value.is_array()) {
        return "an array";
    }
    if (value.is_object()) {
        return "an object";
    }
    constexpr std::size_t Longest = 40;
    std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
    if (text.size() <= Longest) {
        return text;
    }
    std::size_t cut = Longest;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0U) == 0x80U) {
        --cut; // never split a UTF-8 sequence
    }
    return text.substr(0, cut) + "...";
}

std::string inQuotes(std::string_view text)
{
    return Json(std::string(text)).dump(-1, ' ', false, Json::error_handler_t::replace);
}

// The offset of the first byte that breaks UTF-8 (overlong forms, surrogates and code points beyond
// U+10FFFF included), or nothing when the text is sound.
std::optional<std::size_t> firstInvalidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return i;
        }
        if (text.size() - i < length) {
            return i;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            const unsigned char min = k == 1 ? low : 0x80;
            const unsigned char max = k == 1 ? high : 0xBF;
            if (next < min || next > max) {
                return i;
            }
        }
        i += length;
    }
    return std::nullopt;
}

// nlohmann keeps the last of two equal keys without a word; a sheet that gives a field twice is
// ambiguous, so the parser reports the first repeated key instead.
Json parseStrict(std::string_view input)
{
    std::vector<std::set<std::string>> openObjects;
    std::optional<std::string> repeated;
    const Json::parser_callback_t watch = [&](int, Json::parse_event_t event, Json &parsed) {
        switch (event) {
        case Json::parse_event_t::object_start:
            openObjects.emplace_back();
            break;
        case Json::parse_event_t::object_end:
            if (!openObjects.empty()) {
                openObjects.pop_back();
            }
            break;
        case Json::parse_event_t::key:
            if (!openObjects.empty() && !openObjects.back().insert(parsed.get<std::string>()).second && !repeated) {
                repeated = parsed.get<std::string>();
            }
            break;
        default:
            break;
        }
        return true;
    };

    Json document;
    try {
        document = Json::parse(input.begin(), input.end(), watch);
    } catch (const Json::parse_error &error) {
        std::string reason = error.what();
        const std::string prefix = "] ";
        if (const auto at = reason.find(prefix); reason.starts_with("[json.exception") && at != std::string::npos) {
            reason.erase(0, at + prefix.size());
        }
        // The reason quotes the last bytes read; keep the message on one printable line. The quote can
        // end inside a character (the parser stops at its first byte): drop such a broken piece, so that
        // the message stays UTF-8 like the input.
        std::string line;
        for (const char c : reason) {
            line += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
        }
        while (const auto broken = firstInvalidUtf8(line)) {
            line.erase(*broken, 1);
        }
        refuse(ReadErrorKind::NotJson, "the input is not valid JSON: " + line);
    }
    if (repeated) {
        refuse(ReadErrorKind::RepeatedKey, "the key " + inQuotes(*repeated) + " is given twice in one object",
               *repeated);
    }
    return document;
}

// "format" names what the file is and "version" the edition of this layout; both come first, so that a
// later edition with keys of its own is reported as such and not as unknown keys.
void readFormat(const Json &sheet)
{
    if (const auto format = sheet.find("format"); format != sheet.end() && *format != std::string(FormatName)) {
        refuse(ReadErrorKind::NotSheet,
               "\"format\" must be " + inQuotes(FormatName) + ", not " + describe(*format) + ": this is no pool sheet",
               "format");
    }
    const auto version = sheet.find("version");
    if (version == sheet.end()) {
        return;
    }
    if (!version->is_number_integer()) {
        refuse(ReadErrorKind::BadValue, "\"version\" must be a whole number, not " + describe(*version), "version");
    }
    if (version->is_number_unsigned() && version->get<std::uint64_t>() > static_cast<std::uint64_t>(FormatVersion)) {
        refuse(ReadErrorKind::NewerVersion,
               "the sheet is written in version " + describe(*version) + " of the format, newer than this program (" +
                   std::to_string(FormatVersion) + "): use a newer zelvara-settle",
               describe(*version));
    }
    if (*version != FormatVersion) {
        refuse(ReadErrorKind::BadValue,
               "\"version\" must be " + std::to_string(FormatVersion) + ", not " + describe(*version), "version");
    }
}

int readPlayers(const Json &sheet)
{
    const auto found = sheet.find("players");
    if (found == sheet.end()) {
        refuse(ReadErrorKind::MissingKey, "\"players\" is missing: give 2, 3 or 4", "players");
    }
    if (found->is_number_unsigned()) {
        const auto players = found->get<std::uint64_t>();
        if (players >= engine::MinPlayers && players <= engine::MaxPlayers) {
            return static_cast<int>(players);
        }
    }
    refuse(ReadErrorKind::BadValue, "\"players\" must be 2, 3 or 4, not " + describe(*found), "players");
}

engine::GameType readGameType(const Json &sheet)
{
    const auto found = sheet.find("gameType");
    if (found == sheet.end()) {
        refuse(ReadErrorKind::MissingKey, "\"gameType\" is missing: give \"Sochi\" or \"Leningrad\"", "gameType");
    }
    if (*found == "Sochi") {
        return engine::GameType::Sochi;
    }
    if (*found == "Leningrad") {
        return engine::GameType::Leningrad;
    }
    refuse(ReadErrorKind::BadValue, "\"gameType\" must be \"Sochi\" or \"Leningrad\", not " + describe(*found),
           "gameType");
}

engine::HeapDivision readHeapDivision(const Json &sheet, int players)
{
    const auto found = sheet.find("heapDivisibility");
    if (found == sheet.end()) {
        refuse(ReadErrorKind::MissingKey,
               "\"heapDivisibility\" is missing: give \"OnNPlayers\", \"OnNPlayersMinus1\" or \"Nondivisible\"",
               "heapDivisibility");
    }
    if (*found == "OnNPlayers") {
        return engine::HeapDivision::OnNPlayers;
    }
    if (*found == "OnNPlayersMinus1") {
        // The window never offers this to two players and moves the choice to "Не делится".
        return players == 2 ? engine::HeapDivision::Nondivisible : engine::HeapDivision::OnNPlayersMinus1;
    }
    if (*found == "Nondivisible") {
        return engine::HeapDivision::Nondivisible;
    }
    refuse(ReadErrorKind::BadValue,
           "\"heapDivisibility\" must be \"OnNPlayers\", \"OnNPlayersMinus1\" or \"Nondivisible\", not " +
               describe(*found),
           "heapDivisibility");
}

std::optional<char> readDecimalSeparator(const Json &sheet)
{
    const auto found = sheet.find("decimalSeparator");
    if (found == sheet.end()) {
        return std::nullopt;
    }
    if (*found == ",") {
        return ',';
    }
    if (*found == ".") {
        return '.';
    }
    refuse(ReadErrorKind::BadValue, "\"decimalSeparator\" must be \",\" or \".\", not " + describe(*found),
           "decimalSeparator");
}

void readFields(const Json &sheet, engine::SheetTexts &texts)
{
    const auto found = sheet.find("fields");
    if (found == sheet.end()) {
        return;
    }
    if (!found->is_object()) {
        refuse(ReadErrorKind::BadValue,
               "\"fields\" must be an object of control names and texts, not " + describe(*found), "fields");
    }
    for (const auto &[name, value] : found->items()) {
        const auto field = engine::parseFieldName(name);
        if (!field) {
            refuse(ReadErrorKind::UnknownField, "unknown field " + inQuotes(name), name);
        }
        if (field->field.kind == engine::FieldKind::Result) {
            refuse(ReadErrorKind::ResultField,
                   "the field " + inQuotes(name) + " holds a result, which the settlement writes", name);
        }
        if (field->players != texts.players) {
            ReadError error{ReadErrorKind::OtherSheetField,
                            "the field " + inQuotes(name) + " belongs to the sheet of " +
                                std::to_string(field->players) + " players, but \"players\" is " +
                                std::to_string(texts.players),
                            name};
            error.fieldPlayers = field->players;
            error.sheetPlayers = texts.players;
            throw Refusal{std::move(error)};
        }
        if (!value.is_string()) {
            refuse(ReadErrorKind::BadValue,
                   "the field " + inQuotes(name) + " must be a string (the text as typed), not " + describe(value),
                   name);
        }
        texts.text(field->field) = value.get<std::string>();
    }
}

std::optional<Answer> readAnswer(const Json &sheet, int players)
{
    const auto found = sheet.find("answer");
    if (found == sheet.end()) {
        return std::nullopt;
    }
    if (!found->is_object()) {
        refuse(ReadErrorKind::BadValue,
               "\"answer\" must be an object such as {\"button\": \"OK\", \"player\": 2}, not " + describe(*found),
               "answer");
    }
    for (const auto &[key, value] : found->items()) {
        if (key != "button" && key != "player") {
            refuse(ReadErrorKind::UnknownKey,
                   "unknown key " + inQuotes(key) + " in \"answer\" (expected \"button\" and \"player\")", key);
        }
    }
    Answer answer;
    const auto button = found->find("button");
    if (button == found->end()) {
        refuse(ReadErrorKind::MissingKey, "\"answer\" needs a \"button\": \"OK\" or \"Cancel\"", "answer");
    }
    if (*button == "OK") {
        answer.button = Button::OK;
    } else if (*button == "Cancel") {
        answer.button = Button::Cancel;
    } else {
        refuse(ReadErrorKind::BadValue,
               "\"button\" in \"answer\" must be \"OK\" or \"Cancel\", not " + describe(*button), "answer");
    }
    if (const auto player = found->find("player"); player != found->end()) {
        const bool inRange = player->is_number_unsigned() && player->get<std::uint64_t>() >= 1 &&
                             player->get<std::uint64_t>() <= static_cast<std::uint64_t>(players);
        if (!inRange) {
            refuse(ReadErrorKind::BadValue,
                   "\"player\" in \"answer\" must be a player from 1 to " + std::to_string(players) + ", not " +
                       describe(*player),
                   "answer");
        }
        answer.player = static_cast<int>(player->get<std::uint64_t>());
    }
    return answer;
}

std::optional<std::string> readText(const Json &sheet, const std::string &key, std::string_view what)
{
    const auto found = sheet.find(key);
    if (found == sheet.end()) {
        return std::nullopt;
    }
    if (!found->is_string()) {
        refuse(ReadErrorKind::BadValue,
               inQuotes(key) + " must be a string (" + std::string(what) + "), not " + describe(*found), key);
    }
    return found->get<std::string>();
}

SheetDocument readDocument(std::string_view input)
{
    if (const auto bad = firstInvalidUtf8(input)) {
        refuse(ReadErrorKind::NotUtf8, "the input is not valid UTF-8 (byte " + std::to_string(*bad) + ")");
    }
    const Json sheet = parseStrict(input);
    if (!sheet.is_object()) {
        refuse(ReadErrorKind::NotSheet, "the input must be a JSON object describing one sheet, not " + describe(sheet));
    }
    readFormat(sheet);
    static const std::set<std::string, std::less<>> known = {
        "format",           "version",          "saved",  "note",  "players", "gameType",
        "heapDivisibility", "decimalSeparator", "fields", "answer"};
    for (const auto &[key, value] : sheet.items()) {
        if (!known.contains(key)) {
            refuse(ReadErrorKind::UnknownKey,
                   "unknown key " + inQuotes(key) +
                       " (expected players, gameType, heapDivisibility, decimalSeparator, fields, answer)",
                   key);
        }
    }

    const int players = readPlayers(sheet);
    SheetDocument document;
    document.sheet = engine::SheetTexts::withDesignTexts(players);
    document.options.gameType = readGameType(sheet);
    document.options.heapDivision = readHeapDivision(sheet, players);
    document.decimalSeparator = readDecimalSeparator(sheet);
    readFields(sheet, document.sheet);
    document.answer = readAnswer(sheet, players);
    document.saved = readText(sheet, "saved", "the time of saving");
    document.note = readText(sheet, "note", "free text");
    return document;
}

} // namespace

ReadResult readSheet(std::string_view bytes)
{
    try {
        return readDocument(bytes);
    } catch (const Refusal &refusal) {
        return refusal.error;
    } catch (const Json::exception &error) {
        // Every access above checks the type first; this is the net under it.
        return ReadError{ReadErrorKind::NotSheet, std::string("the input cannot be read: ") + error.what(), {}};
    }
}

} // namespace zelvara::sheetfile
