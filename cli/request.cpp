// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/request.h"

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace zelvara::cli {
namespace {

using Json = nlohmann::json;

// Raised inside the reader and turned into an InputError at its edge, so each check stays one line.
struct Refusal
{
    std::string what;
};

// The text cut to at most `longest` bytes and marked as cut, never inside a UTF-8 sequence.
std::string shortened(std::string text, std::size_t longest)
{
    if (text.size() <= longest) {
        return text;
    }
    std::size_t cut = longest;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0U) == 0x80U) {
        --cut;
    }
    return text.substr(0, cut) + "...";
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
    return shortened(value.dump(-1, ' ', false, Json::error_handler_t::replace), 40);
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
        // The reason quotes the last token read, which may be a string of any length: keep the message
        // on one short printable line.
        std::string line;
        for (const char c : reason) {
            line += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
        }
        throw Refusal{"the input is not valid JSON: " + shortened(std::move(line), 200)};
    }
    if (repeated) {
        throw Refusal{"the key " + inQuotes(*repeated) + " is given twice in one object"};
    }
    return document;
}

int readPlayers(const Json &sheet)
{
    const auto found = sheet.find("players");
    if (found == sheet.end()) {
        throw Refusal{"\"players\" is missing: give 2, 3 or 4"};
    }
    if (found->is_number_unsigned()) {
        const auto players = found->get<std::uint64_t>();
        if (players >= engine::MinPlayers && players <= engine::MaxPlayers) {
            return static_cast<int>(players);
        }
    }
    throw Refusal{"\"players\" must be 2, 3 or 4, not " + describe(*found)};
}

engine::GameType readGameType(const Json &sheet)
{
    const auto found = sheet.find("gameType");
    if (found == sheet.end()) {
        throw Refusal{"\"gameType\" is missing: give \"Sochi\" or \"Leningrad\""};
    }
    if (*found == "Sochi") {
        return engine::GameType::Sochi;
    }
    if (*found == "Leningrad") {
        return engine::GameType::Leningrad;
    }
    throw Refusal{"\"gameType\" must be \"Sochi\" or \"Leningrad\", not " + describe(*found)};
}

engine::HeapDivision readHeapDivision(const Json &sheet, int players)
{
    const auto found = sheet.find("heapDivisibility");
    if (found == sheet.end()) {
        throw Refusal{"\"heapDivisibility\" is missing: give \"OnNPlayers\", \"OnNPlayersMinus1\" or \"Nondivisible\""};
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
    throw Refusal{"\"heapDivisibility\" must be \"OnNPlayers\", \"OnNPlayersMinus1\" or \"Nondivisible\", not " +
                  describe(*found)};
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
    throw Refusal{"\"decimalSeparator\" must be \",\" or \".\", not " + describe(*found)};
}

void readFields(const Json &sheet, engine::SheetTexts &texts)
{
    const auto found = sheet.find("fields");
    if (found == sheet.end()) {
        return;
    }
    if (!found->is_object()) {
        throw Refusal{"\"fields\" must be an object of control names and texts, not " + describe(*found)};
    }
    for (const auto &[name, value] : found->items()) {
        const auto field = engine::parseFieldName(name);
        // A player beyond the count or a player's whists on himself is no field of any sheet.
        const bool perPlayer = field && field->field.kind != engine::FieldKind::WhistValue;
        if (!field || field->players < engine::MinPlayers || field->players > engine::MaxPlayers ||
            (perPlayer && (field->field.player < 1 || field->field.player > field->players)) ||
            (field->field.kind == engine::FieldKind::Whists &&
             (field->field.other < 1 || field->field.other > field->players ||
              field->field.other == field->field.player))) {
            throw Refusal{"unknown field " + inQuotes(name)};
        }
        if (field->field.kind == engine::FieldKind::Result) {
            throw Refusal{"the field " + inQuotes(name) + " holds a result, which the settlement writes"};
        }
        if (field->players != texts.players) {
            throw Refusal{"the field " + inQuotes(name) + " belongs to the sheet of " + std::to_string(field->players) +
                          " players, but \"players\" is " + std::to_string(texts.players)};
        }
        if (!value.is_string()) {
            throw Refusal{"the field " + inQuotes(name) + " must be a string (the text as typed), not " +
                          describe(value)};
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
        throw Refusal{"\"answer\" must be an object such as {\"button\": \"OK\", \"player\": 2}, not " +
                      describe(*found)};
    }
    for (const auto &[key, value] : found->items()) {
        if (key != "button" && key != "player") {
            throw Refusal{"unknown key " + inQuotes(key) + " in \"answer\" (expected \"button\" and \"player\")"};
        }
    }
    Answer answer;
    const auto button = found->find("button");
    if (button == found->end()) {
        throw Refusal{"\"answer\" needs a \"button\": \"OK\" or \"Cancel\""};
    }
    if (*button == "OK") {
        answer.button = Button::OK;
    } else if (*button == "Cancel") {
        answer.button = Button::Cancel;
    } else {
        throw Refusal{"\"button\" in \"answer\" must be \"OK\" or \"Cancel\", not " + describe(*button)};
    }
    if (const auto player = found->find("player"); player != found->end()) {
        const bool inRange = player->is_number_unsigned() && player->get<std::uint64_t>() >= 1 &&
                             player->get<std::uint64_t>() <= static_cast<std::uint64_t>(players);
        if (!inRange) {
            throw Refusal{"\"player\" in \"answer\" must be a player from 1 to " + std::to_string(players) + ", not " +
                          describe(*player)};
        }
        answer.player = static_cast<int>(player->get<std::uint64_t>());
    }
    return answer;
}

Request readRequest(std::string_view input)
{
    if (const auto bad = firstInvalidUtf8(input)) {
        throw Refusal{"the input is not valid UTF-8 (byte " + std::to_string(*bad) + ")"};
    }
    const Json sheet = parseStrict(input);
    if (!sheet.is_object()) {
        throw Refusal{"the input must be a JSON object describing one sheet, not " + describe(sheet)};
    }
    static const std::set<std::string, std::less<>> known = {"players",          "gameType", "heapDivisibility",
                                                             "decimalSeparator", "fields",   "answer"};
    for (const auto &[key, value] : sheet.items()) {
        if (!known.contains(key)) {
            throw Refusal{"unknown key " + inQuotes(key) +
                          " (expected players, gameType, heapDivisibility, decimalSeparator, fields, answer)"};
        }
    }

    const int players = readPlayers(sheet);
    Request request;
    request.sheet = engine::SheetTexts::withDesignTexts(players);
    request.options.gameType = readGameType(sheet);
    request.options.heapDivision = readHeapDivision(sheet, players);
    request.decimalSeparator = readDecimalSeparator(sheet);
    readFields(sheet, request.sheet);
    request.answer = readAnswer(sheet, players);
    return request;
}

} // namespace

std::variant<Request, InputError> parseRequest(std::string_view input)
{
    try {
        return readRequest(input);
    } catch (const Refusal &refusal) {
        return InputError{refusal.what};
    } catch (const Json::exception &error) {
        // Every access above checks the type first; this is the net under it.
        return InputError{std::string("the input cannot be read: ") + error.what()};
    }
}

} // namespace zelvara::cli
