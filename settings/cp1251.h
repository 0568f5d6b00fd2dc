// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace zelvara::app {

// Windows-1251 bytes as UTF-8. The one byte the code page leaves undefined (0x98) becomes U+FFFD.
std::string cp1251ToUtf8(std::string_view bytes);

// The text of a settings file as UTF-8: older copies of the program wrote it in Windows-1251, so
// anything that is not valid UTF-8 is read in that code page. A UTF-8 byte order mark is dropped.
std::string decodeSettingsText(std::string_view bytes);

} // namespace zelvara::app
