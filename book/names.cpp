// SPDX-License-Identifier: GPL-3.0-or-later
#include "book/names.h"

#include <algorithm>
#include <cstdint>

namespace zelvara::book {

namespace {

// One character of UTF-8: its code point and length, or nothing (length 1, code point -1) for a byte
// that starts no well-formed sequence.
struct Character
{
    std::int32_t codePoint = -1;
    std::size_t length = 1;
};

Character decode(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(at);
    if (first < 0x80U) {
        return {first, 1};
    }
    std::size_t length = 0;
    std::uint32_t value = 0;
    std::uint32_t least = 0;
    if ((first & 0xE0U) == 0xC0U) {
        length = 2;
        value = first & 0x1FU;
        least = 0x80;
    } else if ((first & 0xF0U) == 0xE0U) {
        length = 3;
        value = first & 0x0FU;
        least = 0x800;
    } else if ((first & 0xF8U) == 0xF0U) {
        length = 4;
        value = first & 0x07U;
        least = 0x10000;
    } else {
        return {};
    }
    if (at + length > text.size()) {
        return {};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0U) != 0x80U) {
            return {};
        }
        value = (value << 6U) | (byte(at + i) & 0x3FU);
    }
    if (value < least || value > 0x10FFFFU || (value >= 0xD800U && value <= 0xDFFFU)) {
        return {};
    }
    return {static_cast<std::int32_t>(value), length};
}

void encode(std::string &out, std::int32_t codePoint)
{
    const auto cp = static_cast<std::uint32_t>(codePoint);
    if (cp < 0x80U) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800U) {
        out += static_cast<char>(0xC0U | (cp >> 6U));
        out += static_cast<char>(0x80U | (cp & 0x3FU));
    } else if (cp < 0x10000U) {
        out += static_cast<char>(0xE0U | (cp >> 12U));
        out += static_cast<char>(0x80U | ((cp >> 6U) & 0x3FU));
        out += static_cast<char>(0x80U | (cp & 0x3FU));
    } else {
        out += static_cast<char>(0xF0U | (cp >> 18U));
        out += static_cast<char>(0x80U | ((cp >> 12U) & 0x3FU));
        out += static_cast<char>(0x80U | ((cp >> 6U) & 0x3FU));
        out += static_cast<char>(0x80U | (cp & 0x3FU));
    }
}

bool blank(std::int32_t codePoint)
{
    return codePoint == ' ' || codePoint == '\t' || codePoint == 0xA0 || codePoint == 0x202F || codePoint == 0x3000;
}

std::int32_t folded(std::int32_t c)
{
    // Latin with À..Þ, and Cyrillic А..Я: the small letter is 0x20 further on.
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x0410 && c <= 0x042F)) {
        c += 0x20;
    } else if (c >= 0x0400 && c <= 0x040F) { // Ѐ..Џ, Ё among them
        c += 0x50;
    } else if (c == 0x04C0) { // Ӏ
        c = 0x04CF;
    } else if (c >= 0x04C1 && c <= 0x04CE) {
        // From Ӂ to Ӎ the pairs start on the odd code point...
        c += c % 2;
    } else if ((c >= 0x0460 && c <= 0x0481) || (c >= 0x048A && c <= 0x04FF)) {
        // ...elsewhere the historic and national letters pair up capital first on the even one (Ѣ ѣ, Ґ ґ).
        c += 1 - c % 2;
    }
    return c == 0x0451 ? 0x0435 : c; // ё is matched as е
}

} // namespace

std::string trimmedName(std::string_view name)
{
    // The name runs from its first character that is not a blank to the end of its last one.
    std::size_t begin = name.size();
    std::size_t end = 0;
    for (std::size_t at = 0; at < name.size();) {
        const Character c = decode(name, at);
        if (!blank(c.codePoint)) {
            begin = std::min(begin, at);
            end = at + c.length;
        }
        at += c.length;
    }
    return begin < end ? std::string(name.substr(begin, end - begin)) : std::string();
}

std::string nameKey(std::string_view name)
{
    const std::string trimmed = trimmedName(name);
    std::string key;
    key.reserve(trimmed.size());
    for (std::size_t at = 0; at < trimmed.size();) {
        const Character c = decode(trimmed, at);
        if (c.codePoint < 0) {
            key += trimmed[at];
        } else {
            encode(key, folded(c.codePoint));
        }
        at += c.length;
    }
    return key;
}

} // namespace zelvara::book
