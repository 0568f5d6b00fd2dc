// SPDX-License-Identifier: GPL-3.0-or-later
// The sheet-file reader: any bytes give a sheet or a message, never a crash. A message is one line for
// zelvara-settle and one well-formed Russian sentence for the window; a sheet, written and read again,
// comes back equal, and writing it is stable.

#include "engine/field_reading.h"
#include "sheetfile/sheet_file.h"
#include "tests/fuzz/fuzz_input.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <variant>

namespace {

namespace engine = zelvara::engine;
namespace sheetfile = zelvara::sheetfile;
using zelvara::fuzz::check;

// nlohmann refuses to write a text that is not UTF-8.
bool isUtf8(const std::string &text)
{
    try {
        static_cast<void>(nlohmann::json(text).dump());
        return true;
    } catch (const nlohmann::json::type_error &) {
        return false;
    }
}

void checkRefusal(const sheetfile::ReadError &error)
{
    check(!error.detail.empty(), "a refusal says why");
    check(error.detail.find('\n') == std::string::npos, "a refusal is one line", error.detail);
    check(isUtf8(error.detail), "a refusal is UTF-8", error.detail);
    const std::string message = sheetfile::russianMessage(error, "пуля.zelvara");
    check(message.starts_with("Файл «пуля.zelvara» ") && message.ends_with("."),
          "the window's message names the file in one sentence", message);
    check(isUtf8(message), "the window's message is UTF-8", message);
}

void checkRoundTrip(const sheetfile::SheetDocument &document)
{
    check(document.sheet.players >= engine::MinPlayers && document.sheet.players <= engine::MaxPlayers,
          "an accepted sheet has two to four players");
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
