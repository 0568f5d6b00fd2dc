// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/cp1251.h"

#include "engine/utf8.h"

#include <cerrno>
#include <cstdint>
#include <iconv.h>

namespace zelvara::app {

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";
// A byte of the code page takes at most three bytes of UTF-8 (the euro sign, the quotes and dashes).
constexpr std::size_t MaxUtf8PerByte = 3;

} // namespace

std::string cp1251ToUtf8(std::string_view bytes)
{
    const iconv_t decoder = ::iconv_open("UTF-8", "CP1251");
    if (decoder ==
        reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1))) // NOLINT: iconv_open's documented failure value
        return {};
    std::string out(bytes.size() * MaxUtf8PerByte, '\0');
    // iconv reads through a non-const pointer but never writes the input.
    char *in = const_cast<char *>( // NOLINT(cppcoreguidelines-pro-type-const-cast): iconv takes char **
        bytes.data());
    std::size_t inLeft = bytes.size();
    char *next = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0 && ::iconv(decoder, &in, &inLeft, &next, &outLeft) == static_cast<std::size_t>(-1)) {
        if (errno != EILSEQ)
            break;
        // 0x98 has no character; the replacement takes its place and the byte is skipped.
        for (const char c : ReplacementCharacter)
            *next++ = c;
        outLeft -= ReplacementCharacter.size();
        ++in;
        --inLeft;
    }
    ::iconv_close(decoder);
    out.resize(out.size() - outLeft);
    return out;
}

std::string decodeSettingsText(std::string_view bytes)
{
    if (engine::isValidUtf8(bytes)) {
        if (bytes.starts_with(Utf8Bom))
            bytes.remove_prefix(Utf8Bom.size());
        return std::string(bytes);
    }
    return cp1251ToUtf8(bytes);
}

} // namespace zelvara::app
