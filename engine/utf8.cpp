// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/utf8.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <iconv.h>

namespace zelvara::engine {

Recoded recode(std::string_view text, const char *from, const char *to, std::optional<std::string_view> replacement,
               RecodedOutput output)
{
    Recoded recoded;
    const iconv_t converter = ::iconv_open(to, from);
    if (converter ==
        reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1))) { // NOLINT: iconv_open's documented failure value
        recoded.firstInvalid = 0;
        return recoded;
    }
    const bool keep = output == RecodedOutput::Text;
    // iconv reads through a non-const pointer but never writes the input.
    char *in = const_cast<char *>( // NOLINT(cppcoreguidelines-pro-type-const-cast): iconv takes char **
        text.data());
    std::size_t inLeft = text.size();
    std::array<char, 1024> chunk{};
    // A null input at the end writes what a stateful target encoding needs to return to its initial state.
    bool flushed = false;
    while (!flushed) {
        char *out = chunk.data();
        std::size_t outLeft = chunk.size();
        const bool atEnd = inLeft == 0;
        const std::size_t result = atEnd ? ::iconv(converter, nullptr, nullptr, &out, &outLeft)
                                         : ::iconv(converter, &in, &inLeft, &out, &outLeft);
        const int error = errno;
        if (keep)
            recoded.text.append(chunk.data(), chunk.size() - outLeft);
        if (result != static_cast<std::size_t>(-1)) {
            flushed = atEnd;
            continue;
        }
        if (error == E2BIG)
            continue;
        // A byte without a character, or a sequence cut short at the end of the text.
        if (!recoded.firstInvalid)
            recoded.firstInvalid = static_cast<std::size_t>(in - text.data());
        if (!replacement || atEnd)
            break;
        if (keep)
            recoded.text += *replacement;
        ++in;
        --inLeft;
    }
    ::iconv_close(converter);
    return recoded;
}

std::optional<std::size_t> firstInvalidUtf8(std::string_view text)
{
    return recode(text, "UTF-8", "UTF-32LE", std::nullopt, RecodedOutput::CheckOnly).firstInvalid;
}

} // namespace zelvara::engine
