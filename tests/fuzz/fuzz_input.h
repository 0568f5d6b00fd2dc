// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What every fuzz target shares: turning the fuzzer's bytes into choices and texts, and failing loudly
// when an invariant breaks, so that libFuzzer records the input that broke it.

#include "engine/extended.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace zelvara::fuzz {

// Reads choices off the front of the fuzz input; once the bytes run out every choice is 0, so a short
// input still describes a whole sheet.
class FuzzInput
{
public:
    FuzzInput(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}

    std::uint8_t byte()
    {
        if (m_pos >= m_size) {
            return 0;
        }
        return m_data[m_pos++];
    }

    bool flag() { return (byte() & 1U) != 0; }

    // A number in [0, count).
    int choose(int count) { return count <= 1 ? 0 : static_cast<int>(byte()) % count; }

    std::uint32_t word()
    {
        std::uint32_t w = 0;
        for (int i = 0; i < 4; ++i) {
            w = (w << 8U) | byte();
        }
        return w;
    }

    // Up to maxLength raw bytes, any values at all.
    std::string rawText(std::size_t maxLength)
    {
        const auto length = static_cast<std::size_t>(byte()) % (maxLength + 1);
        std::string text;
        for (std::size_t i = 0; i < length && m_pos < m_size; ++i) {
            text.push_back(static_cast<char>(byte()));
        }
        return text;
    }

    // Everything not consumed yet, as one text.
    std::string rest()
    {
        std::string text(reinterpret_cast<const char *>(m_data) + m_pos, m_size - m_pos);
        m_pos = m_size;
        return text;
    }

    bool exhausted() const { return m_pos >= m_size; }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// What the current input stands for, in words, printed with a broken invariant.
inline std::string &inputDescription()
{
    static std::string description;
    return description;
}

// A text with its control bytes and quotes escaped, for messages.
inline std::string printable(std::string_view text)
{
    static constexpr char Hex[] = "0123456789abcdef";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || c == '"' || c == '\\') {
            out += "\\x";
            out += Hex[byte >> 4U];
            out += Hex[byte & 15U];
        } else {
            out += c;
        }
    }
    return out;
}

[[noreturn]] inline void fail(std::string_view what, std::string_view detail = {})
{
    const std::string shown = printable(detail);
    std::fprintf(stderr, "invariant broken: %.*s [%s]\n%s\n", static_cast<int>(what.size()), what.data(), shown.c_str(),
                 inputDescription().c_str());
    std::abort();
}

inline void check(bool holds, std::string_view what, std::string_view detail = {})
{
    if (!holds) {
        fail(what, detail);
    }
}

// The value with every digit it has, for messages about a broken invariant.
inline std::string fullDigits(engine::Extended value)
{
    char buffer[128];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc{} ? std::string(buffer, end) : std::string("?");
}

// Two values agree to 15 significant digits (a shown text keeps that many).
inline bool agreeTo15Digits(engine::Extended shown, engine::Extended exact)
{
    if (shown == exact) {
        return true;
    }
    const engine::Extended scale = std::fabs(exact);
    return std::fabs(shown - exact) <= scale * 1e-14L;
}

} // namespace zelvara::fuzz
