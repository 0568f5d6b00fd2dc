// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the book lives and the checks made before SQLite touches it: the folder is the user's own
// (created 0700), and nothing is written through a symbolic link that another user owns.

#include <optional>
#include <string>

namespace zelvara::book {

// $XDG_DATA_HOME/zelvara/book.sqlite, or ~/.local/share/zelvara/book.sqlite when XDG_DATA_HOME is unset,
// empty or relative (as the XDG base directory rules require). HOME is taken from the environment when
// it is absolute, else from the password database. The arguments are the environment's values or null.
std::string defaultBookPath(const char *xdgDataHome, const char *home);

// What stands in the way of using the path, as an English phrase ("is a symbolic link that belongs to
// another user"); nothing when all is well. Looks at the file, the files SQLite keeps beside it and the
// folder, never following a link to do so.
std::optional<std::string> foreignLink(const std::string &path);

// Creates the folder of the book and the folders above it that are missing, each 0700; nothing or
// the reason it cannot.
std::optional<std::string> makeFolder(const std::string &path);

} // namespace zelvara::book
