// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a sheet file: anything the window could not have written, or that can be read two ways, is
// refused with one line saying what is wrong, in the order a reader meets it (bytes, JSON, the whole
// object, then each key).
#include "engine/utf8.h"
#include "sheetfile/sheet_file.h"

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <simdjson.h>
#include <string>
#include <utility>
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

// Builds the document from the parser's events as nlohmann's own DOM builder does, and notes the first
// key an object gives twice: nlohmann would keep the last of two equal keys without a word, but a sheet
// that gives a field twice is ambiguous. The key is checked against the object being built, so no set
// of seen keys is kept beside it.
// NOLINTNEXTLINE(bugprone-exception-escape): a failed allocation ends the program, as anywhere else
class StrictBuilder
{
public:
    using number_integer_t = Json::number_integer_t;
    using number_unsigned_t = Json::number_unsigned_t;
    using number_float_t = Json::number_float_t;
    using string_t = Json::string_t;
    using binary_t = Json::binary_t;

    bool null() { return add(nullptr); }
    bool boolean(bool value) { return add(value); }
    bool number_integer(number_integer_t value) { return add(value); }
    bool number_unsigned(number_unsigned_t value) { return add(value); }
    bool number_float(number_float_t value, const string_t & /*written*/) { return add(value); }
    bool string(string_t &value) { return add(value); }
    bool binary(binary_t &value) { return add(Json::binary(value)); }
    bool start_object(std::size_t /*size*/) { return open(Json::value_t::object); }
    bool start_array(std::size_t /*size*/) { return open(Json::value_t::array); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }

    bool key(string_t &name) { return key(std::string_view(name)); }
    bool key(std::string_view name)
    {
        auto &members = open_.back()->get_ref<Json::object_t &>();
        const auto [member, added] = members.try_emplace(std::string(name));
        if (!added && !repeated_) {
            repeated_ = std::string(name);
        }
        member_ = &member->second;
        return true;
    }
    // A string that needs no copy, from a document simdjson has read.
    bool text(std::string_view value) { return add(string_t(value)); }

    bool parse_error(std::size_t /*position*/, const std::string & /*token*/, const nlohmann::detail::exception &error)
    {
        failure_ = error.what();
        // A number too large for a double is reported by the parser as out of range, not as bad syntax.
        syntax_ = dynamic_cast<const Json::parse_error *>(&error) != nullptr;
        return false;
    }

    Json &document() { return document_; }
    const std::optional<std::string> &repeated() const { return repeated_; }
    const std::optional<std::string> &failure() const { return failure_; }
    bool syntaxFailure() const { return syntax_; }

private:
    template <typename Value> Json *place(Value &&value)
    {
        if (open_.empty()) {
            document_ = Json(std::forward<Value>(value));
            return &document_;
        }
        if (open_.back()->is_array()) {
            auto &items = open_.back()->get_ref<Json::array_t &>();
            items.emplace_back(std::forward<Value>(value));
            return &items.back();
        }
        *member_ = Json(std::forward<Value>(value));
        return member_;
    }
    template <typename Value> bool add(Value &&value)
    {
        place(std::forward<Value>(value));
        return true;
    }
    bool open(Json::value_t type)
    {
        open_.push_back(place(type));
        return true;
    }
    bool close()
    {
        open_.pop_back();
        return true;
    }

    Json document_;
    std::vector<Json *> open_; // the arrays and objects being filled, innermost last
    Json *member_ = nullptr;   // the member of the innermost object that the next value fills
    std::optional<std::string> repeated_;
    std::optional<std::string> failure_;
    bool syntax_ = false;
};

// The input as JSON, refused when it is not UTF-8, not JSON, or gives a key twice. The parser checks
// the bytes of every string as UTF-8 and takes no other byte above ASCII, so a text it reads whole is
// UTF-8 throughout; only a refused text is searched for a bad byte, which is reported before what the
// parser says, as the reader meets it first.
Json parseStrict(std::string_view input)
{
    StrictBuilder builder;
    if (Json::sax_parse(input.begin(), input.end(), &builder)) {
        if (builder.repeated()) {
            refuse(ReadErrorKind::RepeatedKey,
                   "the key " + inQuotes(*builder.repeated()) + " is given twice in one object", *builder.repeated());
        }
        return std::move(builder.document());
    }
    if (const auto bad = engine::firstInvalidUtf8(input)) {
        refuse(ReadErrorKind::NotUtf8, "the input is not valid UTF-8 (byte " + std::to_string(*bad) + ")");
    }
    std::string reason = builder.failure().value_or(std::string());
    if (!builder.syntaxFailure()) {
        refuse(ReadErrorKind::NotSheet, "the input cannot be read: " + reason);
    }
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
    while (const auto broken = engine::firstInvalidUtf8(line)) {
        line.erase(*broken, 1);
    }
    // The quote may be a string of any length (a whole line of a batch): a few hundred bytes say enough.
    refuse(ReadErrorKind::NotJson, "the input is not valid JSON: " + shortened(std::move(line), 200));
}

// Hands a value simdjson has read to the builder as the events nlohmann's parser would give for it.
void replay(simdjson::dom::element value, StrictBuilder &builder)
{
    using simdjson::dom::element_type;
    switch (value.type()) {
    case element_type::OBJECT: {
        builder.start_object(0);
        const simdjson::dom::object members = value.get_object().value_unsafe();
        for (const simdjson::dom::key_value_pair member : members) {
            builder.key(member.key);
            replay(member.value, builder);
        }
        builder.end_object();
        break;
    }
    case element_type::ARRAY: {
        builder.start_array(0);
        const simdjson::dom::array items = value.get_array().value_unsafe();
        for (const simdjson::dom::element item : items) {
            replay(item, builder);
        }
        builder.end_array();
        break;
    }
    case element_type::STRING: {
        builder.text(value.get_string().value_unsafe());
        break;
    }
    case element_type::INT64: {
        // nlohmann calls a whole number written without a minus sign unsigned.
        const std::int64_t number = value.get_int64().value_unsafe();
        if (number >= 0) {
            builder.number_unsigned(static_cast<std::uint64_t>(number));
        } else {
            builder.number_integer(number);
        }
        break;
    }
    case element_type::UINT64:
        builder.number_unsigned(value.get_uint64().value_unsafe());
        break;
    case element_type::DOUBLE:
        builder.number_float(value.get_double().value_unsafe(), {});
        break;
    case element_type::BOOL:
        builder.boolean(value.get_bool().value_unsafe());
        break;
    case element_type::NULL_VALUE:
        builder.null();
        break;
    }
}

// The input as JSON read by simdjson, which checks UTF-8 and the JSON grammar several times faster than
// nlohmann's parser; nothing when it refuses the text or an object gives a key twice. Texts with \u
// escapes are left to nlohmann's parser, the one that decides which code points such an escape may name.
std::optional<Json> parseQuickly(std::string_view input)
{
    // The parser keeps buffers a few times the size of the longest text it has read; a sheet takes a
    // few kilobytes, and a text of megabytes goes the slower way rather than hold on to that memory.
    constexpr std::size_t longestQuick = std::size_t{1} << 20U;
    if (input.size() > longestQuick || input.find("\\u") != std::string_view::npos) {
        return std::nullopt;
    }
    thread_local simdjson::dom::parser parser;
    simdjson::dom::element root;
    if (parser.parse(input.data(), input.size()).get(root) != simdjson::SUCCESS) {
        return std::nullopt;
    }
    StrictBuilder builder;
    replay(root, builder);
    if (builder.repeated()) {
        return std::nullopt;
    }
    return std::move(builder.document());
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

SheetDocument readDocument(const Json &sheet)
{
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
    const auto read = [](const auto &parse) -> ReadResult {
        try {
            return readDocument(parse());
        } catch (const Refusal &refusal) {
            return refusal.error;
        } catch (const Json::exception &error) {
            // Every access above checks the type first; this is the net under it.
            return ReadError{ReadErrorKind::NotSheet, std::string("the input cannot be read: ") + error.what(), {}};
        }
    };
    // A sound sheet is read through simdjson. Anything refused there, by the JSON parser or by the sheet
    // rules, is read again through nlohmann's parser, whose account of what is wrong the user gets.
    if (std::optional<Json> quick = parseQuickly(bytes)) {
        ReadResult document = read([&quick]() -> const Json & { return *quick; });
        if (std::holds_alternative<SheetDocument>(document)) {
            return document;
        }
    }
    return read([bytes] { return parseStrict(bytes); });
}

} // namespace zelvara::sheetfile
