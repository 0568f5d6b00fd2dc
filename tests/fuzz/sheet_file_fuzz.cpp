// SPDX-License-Identifier: GPL-3.0-or-later
// The sheet-file reader: any bytes give a sheet or a message, never a crash. A message is one line for
// zelvara-settle and one well-formed Russian sentence for the window, with no control character from the
// input; an accepted sheet holds no control character where the window shows text, and written and read
// again it comes back equal, and writing it is stable.

#include "engine/field_reading.h"
#include "engine/utf8.h"
#include "sheetfile/sheet_file.h"
#include "tests/fuzz/fuzz_input.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace {

namespace engine = zelvara::engine;
namespace sheetfile = zelvara::sheetfile;
using zelvara::fuzz::check;

bool hasControl(std::string_view text, std::string_view allowed = {})
{
    return std::any_of(text.begin(), text.end(), [allowed](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20U || byte == 0x7FU) && allowed.find(c) == std::string_view::npos;
    });
}

void checkRefusal(const sheetfile::ReadError &error)
{
    check(!error.detail.empty(), "a refusal says why");
    check(!hasControl(error.detail), "a refusal is one line with no control character", error.detail);
    check(engine::isValidUtf8(error.detail), "a refusal is UTF-8", error.detail);
    // A message quotes a few dozen characters of the input at most, however long a key or value is.
    check(error.detail.size() < 1000, "a refusal is short", error.detail);
    const std::string message = sheetfile::russianMessage(error, "пуля.zelvara");
    check(message.starts_with("Файл «пуля.zelvara» ") && message.ends_with("."),
          "the window's message names the file in one sentence", message);
    check(!hasControl(message), "the window's message has no control character", message);
    check(engine::isValidUtf8(message), "the window's message is UTF-8", message);
}

// What a sheet may hold: no NUL and no other control character in a field text or the time of saving;
// the note keeps line breaks and tabs only.
void checkTexts(const sheetfile::SheetDocument &document)
{
    const engine::SheetTexts &sheet = document.sheet;
    std::vector<std::string_view> texts{sheet.whistValue};
    for (std::size_t i = 0; i < engine::MaxPlayers; ++i) {
        texts.insert(texts.end(), {sheet.names[i], sheet.pools[i], sheet.heaps[i]});
        texts.insert(texts.end(), sheet.whists[i].begin(), sheet.whists[i].end());
    }
    for (const std::string_view text : texts) {
        check(!hasControl(text), "an accepted field holds no control character", text);
    }
    if (document.saved) {
        check(!hasControl(*document.saved), "an accepted time of saving holds no control character", *document.saved);
    }
    if (document.note) {
        check(!hasControl(*document.note, "\n\r\t"), "an accepted note holds no control but line breaks and tabs",
              *document.note);
    }
}

void checkRoundTrip(const sheetfile::SheetDocument &document)
{
    check(document.sheet.players >= engine::MinPlayers && document.sheet.players <= engine::MaxPlayers,
          "an accepted sheet has two to four players");
    checkTexts(document);
    const std::string text = sheetfile::writeSheet(document);
    const auto again = sheetfile::readSheet(text);
    if (const auto *error = std::get_if<sheetfile::ReadError>(&again)) {
        zelvara::fuzz::fail("a written sheet reads back", error->detail + "\n" + text);
    }
    check(std::get<sheetfile::SheetDocument>(again) == document, "a written sheet reads back equal", text);
    check(sheetfile::writeSheet(std::get<sheetfile::SheetDocument>(again)) == text, "writing a sheet is stable", text);

    if (document.decimalSeparator) {
        const char other = *document.decimalSeparator == ',' ? '.' : ',';
        const auto there = sheetfile::withDecimalSeparator(document, other);
        check(there.decimalSeparator == other, "the user's separator is named");
        check(engine::readWhistValue(there.sheet.whistValue, other).has_value() ==
                  engine::readWhistValue(document.sheet.whistValue, *document.decimalSeparator).has_value(),
              "a whist value reads under the other separator as it read under its own", document.sheet.whistValue);
        check(sheetfile::withDecimalSeparator(there, *document.decimalSeparator) == document,
              "converting to the other separator and back changes nothing", document.sheet.whistValue);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    zelvara::fuzz::inputDescription() = zelvara::fuzz::printable(input);
    const auto read = sheetfile::readSheet(input);
    if (const auto *error = std::get_if<sheetfile::ReadError>(&read)) {
        checkRefusal(*error);
    } else {
        checkRoundTrip(std::get<sheetfile::SheetDocument>(read));
    }
    return 0;
}
