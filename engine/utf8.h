// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace zelvara::engine {

// The offset of the first byte that breaks UTF-8: an overlong form, a surrogate, a code point beyond
// U+10FFFF or a sequence cut short. Nothing when the whole text is sound. glibc's iconv decides.
std::optional<std::size_t> firstInvalidUtf8(std::string_view text);

inline bool isValidUtf8(std::string_view text)
{
    return !firstInvalidUtf8(text).has_value();
}

} // namespace zelvara::engine
