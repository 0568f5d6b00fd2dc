// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/utf8.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <iconv.h>

namespace zelvara::engine {

std::optional<std::size_t> firstInvalidUtf8(std::string_view text)
{
    const iconv_t decoder = ::iconv_open("UTF-32LE", "UTF-8");
    if (decoder ==
        reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1))) // NOLINT: iconv_open's documented failure value
        return 0; // glibc always knows UTF-8; without it nothing can be vouched for
    // iconv reads through a non-const pointer but never writes the input.
    char *in = const_cast<char *>( // NOLINT(cppcoreguidelines-pro-type-const-cast): iconv takes char **
        text.data());
    std::size_t inLeft = text.size();
    std::array<char, 1024> decoded{};
    std::optional<std::size_t> bad;
    while (inLeft > 0) {
        char *out = decoded.data();
        std::size_t outLeft = decoded.size();
        if (::iconv(decoder, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) && errno != E2BIG) {
            bad = static_cast<std::size_t>(in - text.data());
            break;
        }
    }
    ::iconv_close(decoder);
    return bad;
}

} // namespace zelvara::engine
