// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// zelvara-settle: a JSON sheet in, the engine, a table or JSON out. Its input is a sheet file as the
// window saves it (sheetfile/); this file only hands the reader's refusal on as one line for the user.
// The folder depends on the engine, the correction rules, the sheet file and Boost.JSON, never on Qt.

#include "sheetfile/sheet_file.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

namespace zelvara::cli {

using Button = sheetfile::Button;
using Answer = sheetfile::Answer;
// A sheet with its options and, for a correction dialog that may open, the button to press.
using Request = sheetfile::SheetDocument;

// The largest sheet zelvara-settle reads, on its own or as one line of a batch: a sheet takes a few
// kilobytes, and a bound keeps a flood of input from taking the machine's memory. Larger than the
// window's limit (sheetfile::MaxFileSize), so that generated sheets padded with blanks still settle.
inline constexpr std::size_t MaxSheetSize = std::size_t{16} << 20U;

// "16 MiB", as messages give the limit.
inline std::string maxSheetSizeText()
{
    return std::to_string(MaxSheetSize >> 20U) + " MiB";
}

// What is wrong with the input, as one line for the user.
struct InputError
{
    std::string what;
};

// Reads a request from UTF-8 JSON text. Fields the request does not mention keep the texts the window
// shows before anything is typed.
std::variant<Request, InputError> parseRequest(std::string_view input);

} // namespace zelvara::cli
