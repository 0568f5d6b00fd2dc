// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a sheet file: anything the window could not have written, or that can be read two ways, is
// refused with one line saying what is wrong, in the order a reader meets it (bytes, JSON, the whole
// object, then each key). Boost.JSON's parser hands the text over piece by piece; the pieces go straight
// into the document, with no JSON tree built in between.
#include "engine/utf8.h"
#include "sheetfile/json_text.h"
#include "sheetfile/keys.h"
#include "sheetfile/sheet_file.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <boost/json/basic_parser_impl.hpp>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zelvara::sheetfile {
namespace {

namespace json = boost::json;

// What a value was, as far as the sheet and its messages care.
enum class Type : std::uint8_t { Missing, String, Number, Boolean, Null, Array, Object };

struct Value
{
    Type type = Type::Missing;
    // A string's text, a number as written, "true", "false" or "null"; nothing for arrays and objects.
    std::string text;
    // A number written as a whole number (no fraction or exponent): its value when not negative.
    bool whole = false;
    std::optional<std::uint64_t> natural;
};

// One member of "fields", in the order given.
struct FieldEntry
{
    std::optional<engine::NamedField> field; // nothing: a name that belongs to no sheet
    std::string name;                        // the name as given, its first characters only
    Value value;
};

// A key given twice in one object: the first such key of the text.
struct RepeatedKey
{
    std::string name; // its first characters only
    std::optional<engine::NamedField> field;
};

// Everything the parser handed over that the sheet needs; checked once the text has been read whole.
struct ReadText
{
    Value root; // its type only, unless it is not an object
    std::array<Value, Keys.size()> keys;
    std::optional<std::string> unknownKey; // the first, its first characters only
    std::vector<FieldEntry> fields;
    std::array<Value, AnswerKeys.size()> answer;
    std::optional<std::string> unknownAnswerKey;
    std::optional<RepeatedKey> repeated;
};

// A key kept for a message: one character more than a message quotes, so that excerpt() still sees the cut.
std::string keptForMessage(std::string_view key)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < key.size(); ++i) {
        if ((static_cast<unsigned char>(key[i]) & 0xC0U) != 0x80U && characters++ == QuotedCharacters + 1) {
            return std::string(key.substr(0, i));
        }
    }
    return std::string(key);
}

// The fields of the sheet of n players, results included: the whist value, a name, pool, heap and result
// for each player, and the whists of each on each other.
constexpr std::size_t fieldsOfSheet(std::size_t n)
{
    return 1 + 4 * n + n * (n - 1);
}
constexpr std::size_t FieldsASheet = fieldsOfSheet(engine::MaxPlayers);
constexpr std::size_t FieldSlots = fieldsOfSheet(2) + fieldsOfSheet(3) + fieldsOfSheet(4);

// Every field name of the three sheets, made once from the engine's own names: a key of "fields" is found
// with one hash, and each field has a place in one bit set to find a field given twice.
struct KnownField
{
    engine::NamedField named;
    std::size_t slot;
};

struct NameHash
{
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};

using FieldNames = std::unordered_map<std::string, KnownField, NameHash, std::equal_to<>>;

const FieldNames &fieldNames()
{
    static const FieldNames names = [] {
        FieldNames all;
        const auto add = [&all](engine::FieldId field, int players) {
            all.emplace(engine::fieldName(field, players), KnownField{{field, players}, all.size()});
        };
        for (int players = engine::MinPlayers; players <= engine::MaxPlayers; ++players) {
            add({engine::FieldKind::WhistValue, 0, 0}, players);
            for (const auto kind : {engine::FieldKind::Name, engine::FieldKind::Pool, engine::FieldKind::Heap,
                                    engine::FieldKind::Result}) {
                for (int player = 1; player <= players; ++player) {
                    add({kind, player, 0}, players);
                }
            }
            for (int player = 1; player <= players; ++player) {
                for (int other = 1; other <= players; ++other) {
                    if (other != player) {
                        add({engine::FieldKind::Whists, player, other}, players);
                    }
                }
            }
        }
        return all;
    }();
    return names;
}

// The handler of Boost.JSON's parser. It follows where each piece of text stands (the sheet's own object,
// "fields", "answer", or somewhere the sheet does not look) and keeps only what the checks need. Keys
// the sheet knows are told apart from each other by bit sets; other keys are kept in a set, to find one
// given twice in any object.
class SheetBuilder
{
public:
    // No limits of the parser's own: the callers bound the size of the text.
    static constexpr std::size_t max_object_size = std::numeric_limits<std::size_t>::max();
    static constexpr std::size_t max_array_size = std::numeric_limits<std::size_t>::max();
    static constexpr std::size_t max_key_size = std::numeric_limits<std::size_t>::max();
    static constexpr std::size_t max_string_size = std::numeric_limits<std::size_t>::max();

    // The parser's interface, named as it names it.
    // NOLINTBEGIN(readability-convert-member-functions-to-static)
    bool on_document_begin(json::error_code & /*error*/) { return true; }
    bool on_document_end(json::error_code & /*error*/) { return true; }
    bool on_object_begin(json::error_code & /*error*/)
    {
        open(Type::Object);
        return true;
    }
    bool on_object_end(std::size_t /*size*/, json::error_code & /*error*/)
    {
        --depth_;
        return true;
    }
    bool on_array_begin(json::error_code & /*error*/)
    {
        open(Type::Array);
        return true;
    }
    bool on_array_end(std::size_t /*size*/, json::error_code & /*error*/)
    {
        --depth_;
        return true;
    }
    bool on_key_part(json::string_view part, std::size_t /*size*/, json::error_code & /*error*/)
    {
        pieces_.append(part.data(), part.size());
        return true;
    }
    bool on_key(json::string_view last, std::size_t /*size*/, json::error_code & /*error*/)
    {
        key(whole(last));
        pieces_.clear();
        return true;
    }
    bool on_string_part(json::string_view part, std::size_t /*size*/, json::error_code & /*error*/)
    {
        pieces_.append(part.data(), part.size());
        return true;
    }
    bool on_string(json::string_view last, std::size_t /*size*/, json::error_code & /*error*/)
    {
        if (Value *value = take()) {
            value->type = Type::String;
            value->text = whole(last);
        }
        pieces_.clear();
        return true;
    }
    bool on_number_part(json::string_view part, json::error_code & /*error*/)
    {
        pieces_.append(part.data(), part.size());
        return true;
    }
    bool on_int64(std::int64_t read, json::string_view written, json::error_code & /*error*/)
    {
        number(written, true, read >= 0 ? std::optional(static_cast<std::uint64_t>(read)) : std::nullopt);
        return true;
    }
    bool on_uint64(std::uint64_t read, json::string_view written, json::error_code & /*error*/)
    {
        number(written, true, read);
        return true;
    }
    bool on_double(double /*number*/, json::string_view written, json::error_code & /*error*/)
    {
        number(written, false, std::nullopt);
        return true;
    }
    bool on_bool(bool truth, json::error_code & /*error*/)
    {
        scalar(Type::Boolean, truth ? "true" : "false");
        return true;
    }
    bool on_null(json::error_code & /*error*/)
    {
        scalar(Type::Null, "null");
        return true;
    }
    // Comments are not allowed by the options; the parser still wants the handlers.
    bool on_comment_part(json::string_view /*part*/, json::error_code & /*error*/) { return true; }
    bool on_comment(json::string_view /*comment*/, json::error_code & /*error*/) { return true; }
    // NOLINTEND(readability-convert-member-functions-to-static)

    SheetBuilder() { read_.fields.reserve(FieldsASheet); }

    ReadText &read() { return read_; }

private:
    enum class Place : std::uint8_t { Sheet, Fields, Answer, Elsewhere };
    struct Open
    {
        Place place;
        std::uint64_t serial; // tells objects apart in otherKeys_
    };

    // A text the parser gave in pieces (it had escapes) or at once.
    std::string_view whole(json::string_view last)
    {
        if (pieces_.empty()) {
            return {last.data(), last.size()};
        }
        pieces_.append(last.data(), last.size());
        return pieces_;
    }

    // The value the next scalar or array or object fills, if the sheet looks at it; it fills it once.
    Value *take() { return std::exchange(next_, nullptr); }

    void scalar(Type type, std::string_view text)
    {
        if (Value *value = take()) {
            value->type = type;
            value->text = text;
        }
    }

    void number(json::string_view written, bool isWhole, std::optional<std::uint64_t> natural)
    {
        if (Value *value = take()) {
            value->type = Type::Number;
            value->text = whole(written);
            value->whole = isWhole;
            value->natural = natural;
        }
        pieces_.clear();
    }

    void open(Type type)
    {
        Place place = Place::Elsewhere;
        if (Value *value = take()) {
            value->type = type;
            if (type != Type::Object) {
                // an array: nothing in it is looked at
            } else if (value == &read_.root) {
                place = Place::Sheet;
            } else if (value == &read_.keys[static_cast<std::size_t>(Key::Fields)]) {
                place = Place::Fields;
            } else if (value == &read_.keys[static_cast<std::size_t>(Key::Answer)]) {
                place = Place::Answer;
            }
        }
        // The parser keeps the depth within MaxDepth.
        open_.at(depth_++) = {place, ++serial_};
    }
    const Open &innermost() const { return open_.at(depth_ - 1); }

    void repeated(std::string_view name, std::optional<engine::NamedField> field = std::nullopt)
    {
        if (!read_.repeated) {
            read_.repeated = RepeatedKey{keptForMessage(name), field};
        }
    }

    // A key the sheet does not know, checked against the others of its object.
    void otherKey(std::string_view name)
    {
        if (!otherKeys_.emplace(innermost().serial, std::string(name)).second) {
            repeated(name);
        }
    }

    void key(std::string_view name)
    {
        next_ = nullptr;
        switch (innermost().place) {
        case Place::Sheet:
            if (const auto known = findKey(name)) {
                const auto index = static_cast<std::size_t>(*known);
                if (seenKeys_.test(index)) {
                    repeated(name);
                    return;
                }
                seenKeys_.set(index);
                next_ = &read_.keys[index];
                return;
            }
            if (!read_.unknownKey) {
                read_.unknownKey = keptForMessage(name);
            }
            otherKey(name);
            return;
        case Place::Fields: {
            FieldEntry &entry = read_.fields.emplace_back();
            const FieldNames &names = fieldNames();
            if (const auto known = names.find(name); known == names.end()) {
                entry.name = keptForMessage(name);
                otherKey(name);
            } else if (entry.field = known->second.named; seenFields_.test(known->second.slot)) {
                repeated(name, entry.field);
            } else {
                seenFields_.set(known->second.slot);
            }
            next_ = &entry.value;
            return;
        }
        case Place::Answer:
            if (const auto known = findAnswerKey(name)) {
                const auto index = static_cast<std::size_t>(*known);
                if (seenAnswerKeys_.test(index)) {
                    repeated(name);
                    return;
                }
                seenAnswerKeys_.set(index);
                next_ = &read_.answer[index];
                return;
            }
            if (!read_.unknownAnswerKey) {
                read_.unknownAnswerKey = keptForMessage(name);
            }
            otherKey(name);
            return;
        case Place::Elsewhere:
            otherKey(name);
            return;
        }
    }

    ReadText read_;
    std::array<Open, MaxDepth + 1> open_{}; // the arrays and objects being read, outermost first
    std::size_t depth_ = 0;
    std::uint64_t serial_ = 0;
    Value *next_ = &read_.root;
    std::string pieces_; // a key, string or number given in pieces so far
    std::bitset<Keys.size()> seenKeys_;
    std::bitset<FieldSlots> seenFields_;
    std::bitset<AnswerKeys.size()> seenAnswerKeys_;
    std::set<std::pair<std::uint64_t, std::string>> otherKeys_;
};

// Raised by the checks below and turned into a ReadError at their edge, so each check stays one line.
struct Refusal
{
    ReadError error;
};

ReadError failure(ReadErrorKind kind, std::string detail, std::string subject = {},
                  std::optional<engine::NamedField> field = std::nullopt)
{
    ReadError error;
    error.kind = kind;
    error.detail = std::move(detail);
    error.subject = std::move(subject);
    error.field = field;
    return error;
}

[[noreturn]] void refuse(ReadErrorKind kind, std::string detail, std::string subject = {},
                         std::optional<engine::NamedField> field = std::nullopt)
{
    throw Refusal{failure(kind, std::move(detail), std::move(subject), field)};
}

// A value as the user wrote it, short enough for a one-line message. Arrays and objects are only named.
std::string describe(const Value &value)
{
    switch (value.type) {
    case Type::String:
        return quoted(value.text);
    case Type::Array:
        return "an array";
    case Type::Object:
        return "an object";
    case Type::Number:
        return excerpt(value.text);
    case Type::Missing:
    case Type::Boolean:
    case Type::Null:
        break;
    }
    return value.text;
}

std::string inQuotes(std::string_view name)
{
    return "\"" + std::string(name) + "\"";
}

// The first control character of a text, sparing line breaks and tabs where `lines` allows them.
std::optional<char32_t> controlCharacter(std::string_view text, bool lines)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20U || byte == 0x7FU) && !(lines && (c == '\n' || c == '\r' || c == '\t'))) {
            return byte;
        }
    }
    return std::nullopt;
}

class Checks
{
public:
    explicit Checks(ReadText &read) : read_(read) {}

    SheetDocument document()
    {
        if (read_.repeated) {
            refuse(ReadErrorKind::RepeatedKey,
                   "the key " + quoted(read_.repeated->name) + " is given twice in one object",
                   excerpt(read_.repeated->name), read_.repeated->field);
        }
        if (read_.root.type != Type::Object) {
            refuse(ReadErrorKind::NotSheet,
                   "the input must be a JSON object describing one sheet, not " + describe(read_.root));
        }
        format();
        version();
        if (read_.unknownKey) {
            // A text that does not call itself a sheet and has keys of its own is some other JSON.
            refuse(given(Key::Format) ? ReadErrorKind::UnknownKey : ReadErrorKind::NotSheet,
                   "unknown key " + quoted(*read_.unknownKey) + " (expected " + knownKeys() + ")",
                   excerpt(*read_.unknownKey));
        }
        const int players = this->players();
        SheetDocument document;
        document.sheet = engine::SheetTexts::withDesignTexts(players);
        document.options.gameType = gameType();
        document.options.heapDivision = heapDivision(players);
        document.decimalSeparator = decimalSeparator();
        fields(document.sheet);
        document.answer = answer(players);
        document.saved = text(Key::Saved, "the time of saving", false);
        document.note = text(Key::Note, "free text", true);
        return document;
    }

private:
    Value &value(Key key) { return read_.keys[static_cast<std::size_t>(key)]; }
    bool given(Key key) { return value(key).type != Type::Missing; }

    static std::string knownKeys()
    {
        std::string list;
        for (const KeyEntry &known : Keys) {
            list += list.empty() ? "" : ", ";
            list += known.name;
        }
        return list;
    }

    // "format" names what the file is and "version" the edition of this layout; both come first, so that
    // a later edition with keys of its own is reported as such and not as unknown keys.
    void format()
    {
        const Value &format = value(Key::Format);
        if (format.type != Type::Missing && !(format.type == Type::String && format.text == FormatName)) {
            refuse(ReadErrorKind::NotSheet,
                   "\"format\" must be " + inQuotes(FormatName) + ", not " + describe(format) +
                       ": this is no pool sheet",
                   "format");
        }
    }

    void version()
    {
        const Value &version = value(Key::Version);
        if (version.type == Type::Missing) {
            return;
        }
        if (!version.whole) {
            // A "version" that is no number at all belongs to some other kind of file (a package.json).
            refuse(version.type == Type::Number ? ReadErrorKind::BadValue : ReadErrorKind::NotSheet,
                   "\"version\" must be a whole number, not " + describe(version), "version");
        }
        if (version.natural && *version.natural > static_cast<std::uint64_t>(FormatVersion)) {
            refuse(ReadErrorKind::NewerVersion,
                   "the sheet is written in version " + version.text + " of the format, newer than this program (" +
                       std::to_string(FormatVersion) + "): use a newer zelvara-settle",
                   excerpt(version.text));
        }
        if (version.natural != static_cast<std::uint64_t>(FormatVersion)) {
            refuse(ReadErrorKind::BadValue,
                   "\"version\" must be " + std::to_string(FormatVersion) + ", not " + describe(version), "version");
        }
    }

    int players()
    {
        const Value &found = value(Key::Players);
        if (found.type == Type::Missing) {
            refuse(ReadErrorKind::MissingKey, "\"players\" is missing: give 2, 3 or 4", "players");
        }
        if (found.natural && *found.natural >= engine::MinPlayers && *found.natural <= engine::MaxPlayers) {
            return static_cast<int>(*found.natural);
        }
        refuse(ReadErrorKind::BadValue, "\"players\" must be 2, 3 or 4, not " + describe(found), "players");
    }

    // The choice a string value names among `names`, or nothing.
    template <std::size_t N>
    static std::optional<std::size_t> choice(const Value &found, const std::array<std::string_view, N> &names)
    {
        if (found.type == Type::String) {
            for (std::size_t i = 0; i < N; ++i) {
                if (found.text == names[i]) {
                    return i;
                }
            }
        }
        return std::nullopt;
    }

    engine::GameType gameType()
    {
        const Value &found = value(Key::GameType);
        if (found.type == Type::Missing) {
            refuse(ReadErrorKind::MissingKey, "\"gameType\" is missing: give \"Sochi\" or \"Leningrad\"", "gameType");
        }
        const auto chosen = choice(found, GameTypeNames);
        if (!chosen) {
            refuse(ReadErrorKind::BadValue, "\"gameType\" must be \"Sochi\" or \"Leningrad\", not " + describe(found),
                   "gameType");
        }
        return static_cast<engine::GameType>(*chosen);
    }

    engine::HeapDivision heapDivision(int players)
    {
        const Value &found = value(Key::HeapDivisibility);
        if (found.type == Type::Missing) {
            refuse(ReadErrorKind::MissingKey,
                   "\"heapDivisibility\" is missing: give \"OnNPlayers\", \"OnNPlayersMinus1\" or \"Nondivisible\"",
                   "heapDivisibility");
        }
        const auto chosen = choice(found, HeapDivisionNames);
        if (!chosen) {
            refuse(ReadErrorKind::BadValue,
                   "\"heapDivisibility\" must be \"OnNPlayers\", \"OnNPlayersMinus1\" or \"Nondivisible\", not " +
                       describe(found),
                   "heapDivisibility");
        }
        return engine::effectiveDivision(static_cast<engine::HeapDivision>(*chosen), players);
    }

    std::optional<char> decimalSeparator()
    {
        const Value &found = value(Key::DecimalSeparator);
        if (found.type == Type::Missing) {
            return std::nullopt;
        }
        const auto chosen = choice(found, std::array<std::string_view, 2>{",", "."});
        if (!chosen) {
            refuse(ReadErrorKind::BadValue, "\"decimalSeparator\" must be \",\" or \".\", not " + describe(found),
                   "decimalSeparator");
        }
        return *chosen == 0 ? ',' : '.';
    }

    void fields(engine::SheetTexts &texts)
    {
        const Value &found = value(Key::Fields);
        if (found.type == Type::Missing) {
            return;
        }
        if (found.type != Type::Object) {
            refuse(ReadErrorKind::BadValue,
                   "\"fields\" must be an object of control names and texts, not " + describe(found), "fields");
        }
        for (FieldEntry &entry : read_.fields) {
            if (!entry.field) {
                refuse(ReadErrorKind::UnknownField, "unknown field " + quoted(entry.name), excerpt(entry.name));
            }
            const engine::NamedField &named = *entry.field;
            const auto name = [&named] { return engine::fieldName(named.field, named.players); };
            if (named.field.kind == engine::FieldKind::Result) {
                refuse(ReadErrorKind::ResultField,
                       "the field " + inQuotes(name()) + " holds a result, which the settlement writes", name(), named);
            }
            if (named.players != texts.players) {
                ReadError error = failure(ReadErrorKind::OtherSheetField,
                                          "the field " + inQuotes(name()) + " belongs to the sheet of " +
                                              std::to_string(named.players) + " players, but \"players\" is " +
                                              std::to_string(texts.players),
                                          name(), named);
                error.sheetPlayers = texts.players;
                throw Refusal{std::move(error)};
            }
            if (entry.value.type != Type::String) {
                refuse(ReadErrorKind::BadValue,
                       "the field " + inQuotes(name()) + " must be a string (the text as typed), not " +
                           describe(entry.value),
                       name(), named);
            }
            if (const auto control = controlCharacter(entry.value.text, false)) {
                ReadError error = failure(ReadErrorKind::ControlCharacter,
                                          "the field " + inQuotes(name()) + " must not hold the control character " +
                                              codePointName(*control),
                                          name(), named);
                error.character = *control;
                throw Refusal{std::move(error)};
            }
            texts.text(named.field) = std::move(entry.value.text);
        }
    }

    std::optional<Answer> answer(int players)
    {
        const Value &found = value(Key::Answer);
        if (found.type == Type::Missing) {
            return std::nullopt;
        }
        if (found.type != Type::Object) {
            refuse(ReadErrorKind::BadValue,
                   "\"answer\" must be an object such as {\"button\": \"OK\", \"player\": 2}, not " + describe(found),
                   "answer");
        }
        if (read_.unknownAnswerKey) {
            refuse(ReadErrorKind::UnknownKey,
                   "unknown key " + quoted(*read_.unknownAnswerKey) +
                       " in \"answer\" (expected \"button\" and \"player\")",
                   excerpt(*read_.unknownAnswerKey));
        }
        const Value &button = read_.answer[static_cast<std::size_t>(AnswerKey::Button)];
        if (button.type == Type::Missing) {
            refuse(ReadErrorKind::MissingKey, "\"answer\" needs a \"button\": \"OK\" or \"Cancel\"", "answer");
        }
        const auto pressed = choice(button, ButtonNames);
        if (!pressed) {
            refuse(ReadErrorKind::BadValue,
                   "\"button\" in \"answer\" must be \"OK\" or \"Cancel\", not " + describe(button), "answer");
        }
        Answer answer;
        answer.button = static_cast<Button>(*pressed);
        const Value &player = read_.answer[static_cast<std::size_t>(AnswerKey::Player)];
        if (player.type != Type::Missing) {
            if (!player.natural || *player.natural < 1 || *player.natural > static_cast<std::uint64_t>(players)) {
                refuse(ReadErrorKind::BadValue,
                       "\"player\" in \"answer\" must be a player from 1 to " + std::to_string(players) + ", not " +
                           describe(player),
                       "answer");
            }
            answer.player = static_cast<int>(*player.natural);
        }
        return answer;
    }

    // "saved" and "note": free text, the note with its line breaks and tabs.
    std::optional<std::string> text(Key key, std::string_view what, bool lines)
    {
        Value &found = value(key);
        const std::string name(keyName(key));
        if (found.type == Type::Missing) {
            return std::nullopt;
        }
        if (found.type != Type::String) {
            refuse(ReadErrorKind::BadValue,
                   inQuotes(name) + " must be a string (" + std::string(what) + "), not " + describe(found), name);
        }
        if (const auto control = controlCharacter(found.text, lines)) {
            ReadError error =
                failure(ReadErrorKind::ControlCharacter,
                        inQuotes(name) + " must not hold the control character " + codePointName(*control) +
                            (lines ? " (line breaks and tabs are allowed)" : ""),
                        name);
            error.character = *control;
            throw Refusal{std::move(error)};
        }
        return std::move(found.text);
    }

    ReadText &read_;
};

// "line 3, column 17": where a person finds the byte at `at`; a column counts characters, not bytes.
std::string position(std::string_view text, std::size_t at)
{
    const std::string_view before = text.substr(0, at);
    const std::size_t lineStart = before.rfind('\n') == std::string_view::npos ? 0 : before.rfind('\n') + 1;
    const auto line = 1 + std::count(before.begin(), before.end(), '\n');
    const auto column = 1 + std::count_if(before.begin() + static_cast<std::ptrdiff_t>(lineStart), before.end(),
                                          [](char c) { return (static_cast<unsigned char>(c) & 0xC0U) != 0x80U; });
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// The code point of the UTF-8 character that starts the text, which is sound UTF-8.
char32_t firstCharacter(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text.front());
    const std::size_t length = lead < 0x80U ? 1 : lead < 0xE0U ? 2 : lead < 0xF0U ? 3 : 4;
    char32_t character = length == 1 ? lead : lead & (0x7FU >> length);
    for (std::size_t i = 1; i < length && i < text.size(); ++i) {
        character = (character << 6U) | (static_cast<unsigned char>(text[i]) & 0x3FU);
    }
    return character;
}

// The character at `at`, named so that an invisible one still shows: 'x' for visible ASCII, U+00A0 for
// any other.
std::string characterAt(std::string_view text, std::size_t at)
{
    const char32_t character = firstCharacter(text.substr(at));
    if (character > 0x20 && character < 0x7F) {
        return std::string("character '") + static_cast<char>(character) + "'";
    }
    return (character < 0x20 ? "control character " : "character ") + codePointName(character);
}

// The parser stopped at a byte that breaks UTF-8 (it reads UTF-8 as it goes, so it stops at the first):
// said before anything else, as a reader meets it first.
std::optional<ReadError> brokenUtf8(std::string_view text, std::size_t offset, std::size_t at)
{
    if (at >= text.size() || engine::firstInvalidUtf8(text.substr(at, 4)) != std::size_t{0}) {
        return std::nullopt;
    }
    return failure(ReadErrorKind::NotUtf8, "the input is not valid UTF-8 at " + position(text, at) + " (byte " +
                                               std::to_string(offset + at) + ")");
}

// Why the parser stopped at `at`, in this program's words.
ReadError parseFailure(std::string_view text, std::size_t offset, std::size_t at, json::error_code error)
{
    if (auto broken = brokenUtf8(text, offset, at)) {
        return std::move(*broken);
    }
    const std::string where = position(text, at);
    if (error == json::error::incomplete) {
        if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
            return failure(ReadErrorKind::NotJson, "the input is empty: it holds no JSON");
        }
        return failure(ReadErrorKind::NotJson, "the input is not valid JSON: it ends too early, at " + where);
    }
    if (error == json::error::too_deep) {
        return failure(ReadErrorKind::NotSheet, "the input nests arrays and objects deeper than " +
                                                    std::to_string(MaxDepth) + " levels at " + where);
    }
    if (error == json::error::exponent_overflow) {
        return failure(ReadErrorKind::NotSheet, "the input holds a number too large to read, at " + where);
    }
    if (error == json::error::illegal_leading_surrogate || error == json::error::illegal_trailing_surrogate ||
        error == json::error::expected_hex_digit || error == json::error::expected_utf16_escape) {
        return failure(
            ReadErrorKind::NotJson,
            "the input is not valid JSON: a broken \\u escape (a lone surrogate or a bad hex digit) before " + where);
    }
    if (at < text.size()) {
        // A control character is refused inside a string too, where it must be written as an escape.
        return failure(ReadErrorKind::NotJson,
                       "the input is not valid JSON: unexpected " + characterAt(text, at) + " at " + where +
                           (text[at] >= 0 && text[at] < ' ' ? " (a string writes it as an escape)" : ""));
    }
    return failure(ReadErrorKind::NotJson, "the input is not valid JSON at " + where);
}

} // namespace

ReadResult readSheet(std::string_view bytes)
{
    // A byte order mark, which some editors put before UTF-8, is no part of the JSON.
    constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
    const std::size_t offset = bytes.starts_with(ByteOrderMark) ? ByteOrderMark.size() : 0;
    const std::string_view text = bytes.substr(offset);

    json::parse_options options;
    options.max_depth = MaxDepth;
    json::basic_parser<SheetBuilder> parser(options);
    json::error_code error;
    const std::size_t read = parser.write_some(false, text.data(), text.size(), error);
    if (error) {
        return parseFailure(text, offset, read, error);
    }
    if (read < text.size()) {
        // The parser stops at the end of the first JSON value; whatever follows is no part of a sheet.
        if (auto broken = brokenUtf8(text, offset, read)) {
            return std::move(*broken);
        }
        return failure(ReadErrorKind::NotJson, "the input goes on after the JSON text ends: " +
                                                   characterAt(text, read) + " at " + position(text, read));
    }
    try {
        return Checks(parser.handler().read()).document();
    } catch (const Refusal &refusal) {
        return refusal.error;
    }
}

} // namespace zelvara::sheetfile
