// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How the book tells players apart: by name, ignoring case, the blanks around it and the difference
// between ё and е, so that "Аня", " аня " and "АНЯ" are one player and "Алёна" is "Алена".

#include <string>
#include <string_view>

namespace zelvara::book {

// The key a name is matched by: blanks (spaces, tabs, no-break spaces) cut from both ends, Latin and
// Cyrillic letters in lower case, ё written as е. Other characters, and bytes that are not UTF-8, stay as
// they are. Empty for a name of blanks only.
//
// Written out here rather than asked of the C library: towlower follows the global locale, which the
// window sets to the user's, and a key that changed with the locale would split one player in two. The
// letters players write names in are Latin and Cyrillic, whose cases are fixed ranges of code points.
std::string nameKey(std::string_view name);

// The name with the blanks around it cut, as a player is shown when first met.
std::string trimmedName(std::string_view name);

} // namespace zelvara::book
