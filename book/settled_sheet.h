// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the book keeps of one settled sheet, and the one place a sheet is settled for the book.

#include "engine/sheet.h"
#include "sheetfile/sheet_file.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace zelvara::book {

struct PlayerResult
{
    std::string name;            // as typed on the sheet
    std::int64_t hundredths = 0; // the payments' balanced total: a sheet's add up to exactly zero
    double whists = 0;           // the balance in whists, before the whist value
};

struct SettledSheet
{
    // The record of the settled sheet: the text of a sheet file (sheetfile::writeSheet), which gives the
    // same results when settled again.
    std::string sheetText;
    std::vector<PlayerResult> players; // in seat order
    std::string correction;            // the correction in words; empty when no dialog opened
    std::string note;                  // the sheet's own note, if it carries one
};

// Why a sheet cannot be recorded, in one English line for zelvara-book.
struct NotRecordable
{
    enum class Kind {
        CheckFailed,    // the sheet does not pass the checks; `what` holds the program's message
        NeedsAnswer,    // a correction dialog opens and the file carries no answer
        WrongAnswer,    // the answer does not fit the dialog that opens
        TooLarge,       // amounts beyond what the book adds up
        UnnamedPlayer,  // a name of blanks only: nobody to match
        SamePlayerTwice // two seats match one player
    };
    Kind kind = Kind::CheckFailed;
    std::string what;
};

// The largest amount of one sheet, in hundredths, that the book records: 10^10 money units. A season's
// sums stay far inside 64 bits however many sheets it holds.
inline constexpr std::int64_t MaxSheetHundredths = 1'000'000'000'000;

// Settles a document as the window shows it: "Рассчитать", and when a correction dialog opens, the
// document's answer pressed. The document names its decimal separator (the caller names the user's for
// a file that leaves it out). Everything the book records of a sheet comes from here.
std::variant<SettledSheet, NotRecordable> settleForBook(const sheetfile::SheetDocument &document);

} // namespace zelvara::book
