// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Text encodings: the program's one wrapper around glibc's iconv, and the UTF-8 check built on it.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zelvara::engine {

// What a recoding gives: the text in the target encoding, and the offset in the source of the first byte
// the source encoding does not read (a byte without a character, a sequence cut short at the end).
struct Recoded
{
    std::string text;
    std::optional<std::size_t> firstInvalid;
};

// Keep the recoded text, or only find where the source stops being readable (no output is kept, so a
// check of a large text takes no memory).
enum class RecodedOutput {
    Text,
    CheckOnly,
};

// Recodes `text` from one encoding to another (iconv names: "UTF-8", "CP1251"). At a byte the source
// encoding does not read, recoding stops; with a replacement (text in the target encoding) that stands in
// for the byte and recoding goes on. An encoding glibc does not know gives an empty text, invalid at 0.
Recoded recode(std::string_view text, const char *from, const char *to,
               std::optional<std::string_view> replacement = std::nullopt, RecodedOutput output = RecodedOutput::Text);

// The offset of the first byte that breaks UTF-8: an overlong form, a surrogate, a code point beyond
// U+10FFFF or a sequence cut short. Nothing when the whole text is sound. glibc's iconv decides.
std::optional<std::size_t> firstInvalidUtf8(std::string_view text);

inline bool isValidUtf8(std::string_view text)
{
    return !firstInvalidUtf8(text).has_value();
}

} // namespace zelvara::engine
