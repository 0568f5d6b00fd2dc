// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What both command-line programs share about the user's terminal: the locale's decimal separator and
// text laid out in columns.

#include <cstddef>
#include <string>
#include <string_view>

namespace zelvara::cli {

// The user's decimal separator (',' or '.'), as the window reads and writes numbers with it: the one
// place the command-line programs ask the locale. The C library is left reading and writing points.
char regionalDecimalSeparator();

// How many characters a UTF-8 text takes on the terminal: columns line up by characters, not bytes, and
// the names are mostly Cyrillic.
std::size_t characterCount(std::string_view text);

// The text filled with blanks to `width` characters, on the right, or on the left when `right` aligns it
// right. A text already as wide stays as it is.
std::string padded(std::string_view text, std::size_t width, bool right);

} // namespace zelvara::cli
