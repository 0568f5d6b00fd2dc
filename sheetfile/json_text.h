// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// JSON text as people read it, and texts from outside as messages and terminals show them: shared by
// the sheet file and zelvara-settle. Boost.JSON encodes every key, string and number.

#include <boost/json/fwd.hpp>
#include <string>
#include <string_view>

namespace zelvara::sheetfile {

// Adds `value` to `out` as JSON indented by two spaces a level, one member or element a line, "{}" and
// "[]" for empty ones: the layout of a sheet file and of zelvara-settle --json.
void appendPrettyJson(std::string &out, const boost::json::value &value);

// The text with every control character (U+0000 to U+001F, U+007F to U+009F) written as "\u001b", so
// that a text from outside cannot move the cursor, retitle or clear a terminal, or break a message's line.
std::string visibleControls(std::string_view text);

// At most the first QuotedCharacters characters of a text from outside, control characters visible and
// "..." after a cut: for the window's messages, which put it in «». The text is cut before anything
// else is done with it, so a key of a megabyte costs no more than a short one.
std::string excerpt(std::string_view text);

// The same excerpt in double quotes as JSON writes a string ("a\"b"), for one-line English messages.
std::string quoted(std::string_view text);

// "U+00A0": a character named so that it shows even when it is invisible or a control.
std::string codePointName(char32_t character);

// The text with every byte that breaks UTF-8 replaced by U+FFFD: the one form in which a text that did
// not come through the reader is written out.
std::string validUtf8(std::string_view text);

} // namespace zelvara::sheetfile
