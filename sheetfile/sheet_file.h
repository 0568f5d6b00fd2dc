// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The sheet file: one pool sheet as UTF-8 JSON, the same text for the window's "Open" and "Save" and for
// zelvara-settle. This folder reads and writes that text and nothing else: it depends on the engine and
// Boost.JSON, never on Qt, the clock, the locale or the file system; callers hand in the bytes, the
// time of saving and the user's decimal separator.

#include "engine/sheet.h"
#include "engine/sheet_record.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace zelvara::sheetfile {

// What a file says it is: "format" and "version" at the top of every file the program writes. Files
// that leave both out (hand-written zelvara-settle input) are read as version 1.
inline constexpr std::string_view FormatName = "zelvara-sheet";
inline constexpr int FormatVersion = 1;
inline constexpr std::string_view FileExtension = ".zelvara";
inline constexpr std::string_view MimeType = "application/x-zelvara-sheet";

// The largest sheet file the window opens or saves: a whole sheet with long names takes a few kilobytes,
// so anything near this is no sheet, and a save that would exceed it is refused rather than written
// into a file that would not open again.
inline constexpr std::size_t MaxFileSize = std::size_t{1} << 20U;
// The deepest nesting of arrays and objects the reader follows; a sheet needs two levels.
inline constexpr std::size_t MaxDepth = 32;
// How much of a key or value a message quotes, in characters.
inline constexpr std::size_t QuotedCharacters = 60;

// The button to press should a correction dialog open when the sheet is settled, and the drawn player.
using Button = engine::Button;
using Answer = engine::Answer;

// One sheet as a file holds it.
struct SheetDocument
{
    // Every field text of the sheet of sheet.players players, exactly as typed. Fields a file leaves out
    // hold what the window shows before anything is typed (engine::SheetTexts::withDesignTexts).
    engine::SheetTexts sheet;
    engine::Options options;
    // The separator the whist value was typed with; nothing leaves it to the reader's locale.
    std::optional<char> decimalSeparator;
    // When the sheet was saved, ISO 8601 local time ("2026-12-08T14:30:00+03:00"), as the caller gave it.
    std::optional<std::string> saved;
    // The players' own remark, free text.
    std::optional<std::string> note;
    std::optional<Answer> answer;
};

// Equal when every field text of the sheet, the options and every optional entry agree.
bool operator==(const SheetDocument &a, const SheetDocument &b);

// What is wrong with a text that is not a readable sheet, from the outside in.
enum class ReadErrorKind {
    NotUtf8,          // bytes that are not UTF-8
    NotJson,          // not JSON at all
    RepeatedKey,      // an object names the same key twice
    NotSheet,         // JSON, but not one sheet: not an object, or "format" names something else
    NewerVersion,     // "version" above FormatVersion: written by a later program
    UnknownKey,       // a key this version does not know
    MissingKey,       // "players", "gameType" or "heapDivisibility" left out, or an answer without a button
    BadValue,         // a value of the wrong type or outside its choices
    UnknownField,     // a field name that belongs to no sheet
    ResultField,      // a result field: the settlement writes those
    OtherSheetField,  // a field of the sheet of another player count
    ControlCharacter, // a control character in a field text, the note or the time of saving
};

struct ReadError
{
    ReadErrorKind kind = ReadErrorKind::NotSheet;
    // One line in English for zelvara-settle ("unknown field \"HeapOfP5For4\""). Whatever it quotes from
    // the input is cut to QuotedCharacters, with control characters written visibly.
    std::string detail;
    // The key concerned ("gameType", or a key the reader does not know, cut and made visible as in
    // detail), or the version written; empty when the kind says it all.
    std::string subject;
    // The field concerned, when it is one: the window names it in the player's words.
    std::optional<engine::NamedField> field;
    // For OtherSheetField: the player count the file gives.
    int sheetPlayers = 0;
    // For ControlCharacter: the character found.
    char32_t character = 0;
};

using ReadResult = std::variant<SheetDocument, ReadError>;

// Reads a sheet from the bytes of a file or of standard input: one JSON object, with nothing but blanks
// after it (a UTF-8 byte order mark before it is allowed), nested at most MaxDepth deep. Callers bound
// the size (MaxFileSize for the window).
ReadResult readSheet(std::string_view bytes);

// The text of a sheet file: pretty-printed UTF-8 JSON ending in a newline, with "format", "version",
// "saved" and "note" when present, the options, "decimalSeparator" when present, every field of the
// sheet (names and whist value included, results never) and "answer" when present. readSheet gives
// the same document back. The document is one readSheet could give: 2 to 4 players, a separator ',' or
// '.', an answer's player among them; texts that are not UTF-8 are written with U+FFFD in their place.
// The text may exceed MaxFileSize (a note of a megabyte): the caller checks before saving it.
std::string writeSheet(const SheetDocument &document);

// The whist value as typed with `from` as decimal separator, rewritten for `to`: the two separators
// trade places, so a text valid under one is valid under the other and a malformed one stays malformed.
std::string convertDecimalSeparator(std::string_view text, char from, char to);

// The document as it reads under the user's separator: a whist value written with the other separator
// is converted and decimalSeparator becomes the user's. A document that names no separator was written
// for the reader's locale and only gets it named.
SheetDocument withDecimalSeparator(SheetDocument document, char userSeparator);

// One Russian sentence for the player naming the file (as the caller wants it shown, usually its file
// name) and what is wrong: "Файл «пуля.zelvara» не является пулей Zelvara."
std::string russianMessage(const ReadError &error, std::string_view fileName);
// The file cannot be read at all (missing, a device, a pipe, no permission).
std::string russianUnreadableMessage(std::string_view fileName);
// The path names a folder.
std::string russianFolderMessage(std::string_view fileName);
// The file is larger than MaxFileSize.
std::string russianTooLargeMessage(std::string_view fileName);
// The sheet cannot be written to the file.
std::string russianUnwritableMessage(std::string_view fileName);
// The sheet's text would be larger than MaxFileSize; the file is left as it was.
std::string russianTooLargeToSaveMessage(std::string_view fileName);

} // namespace zelvara::sheetfile
