// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zelvara::app {

// The local time now with its offset from UTC, to the second: "2026-12-08T21:40:00+03:00". Sheet files
// are stamped with it when saved, settled sheets when their results are shown.
std::string localTimestamp();

} // namespace zelvara::app
