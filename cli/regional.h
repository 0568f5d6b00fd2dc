// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zelvara::cli {

// The user's decimal separator (',' or '.'), as the window reads and writes numbers with it: the one
// place the command-line programs ask the locale. The C library is left reading and writing points.
char regionalDecimalSeparator();

} // namespace zelvara::cli
