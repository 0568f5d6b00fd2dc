// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/field_reading.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

namespace zelvara::engine {

namespace {

bool isBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexDigit(char c)
{
    if (isDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The length of the hexadecimal prefix at the front of `text`, or 0 when there is none.
std::size_t hexPrefixLength(std::string_view text)
{
    if (text.starts_with("0x") || text.starts_with("0X")) {
        return 2;
    }
    if (!text.empty() && (text.front() == '$' || text.front() == 'x' || text.front() == 'X')) {
        return 1;
    }
    return 0;
}

} // namespace

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<std::int32_t> readInteger(std::string_view text)
{
    if (text.empty()) {
        return 0;
    }
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t prefix = hexPrefixLength(text);
    const int base = prefix > 0 ? 16 : 10;
    text.remove_prefix(prefix);
    if (text.empty()) {
        return std::nullopt;
    }
    // The magnitude stops growing once it is out of range, so any number of digits is safe.
    constexpr std::int64_t Limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (const char c : text) {
        const int value = base == 16 ? hexDigit(c) : (isDigit(c) ? c - '0' : -1);
        if (value < 0) {
            return std::nullopt;
        }
        magnitude = std::min(magnitude * base + value, Limit + 1);
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::optional<Extended> readReal(std::string_view text, char decimalSeparator)
{
    text = trimBlanks(text);
    // The grammar is checked here, so that nothing the conversion would also take ("inf", "nan",
    // hexadecimal floats, the other separator) gets through; the conversion then sees a plain C number.
    std::string normal;
    normal.reserve(text.size());
    std::size_t at = 0;
    const auto digitsFrom = [&] {
        const std::size_t start = at;
        while (at < text.size() && isDigit(text[at])) {
            normal.push_back(text[at]);
            ++at;
        }
        return at - start;
    };
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        if (text[at] == '-') {
            normal.push_back('-');
        }
        ++at;
    }
    std::size_t mantissaDigits = digitsFrom();
    if (at < text.size() && text[at] == decimalSeparator) {
        normal.push_back('.');
        ++at;
        mantissaDigits += digitsFrom();
    }
    if (mantissaDigits == 0) {
        return std::nullopt;
    }
    if (at < text.size() && (text[at] == 'E' || text[at] == 'e')) {
        normal.push_back('e');
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            if (text[at] == '-') {
                normal.push_back('-');
            }
            ++at;
        }
        if (digitsFrom() == 0) {
            return std::nullopt;
        }
    }
    if (at != text.size()) {
        return std::nullopt;
    }
    Extended value = 0;
    const char *end = normal.data() + normal.size();
    const auto [ptr, error] = std::from_chars(normal.data(), end, value, std::chars_format::general);
    if (error != std::errc{} || ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<Extended> readWhistValue(std::string_view text, char decimalSeparator)
{
    if (text.empty()) {
        return std::nullopt;
    }
    const auto value = readReal(text, decimalSeparator);
    // Not `whole`'s "greater than zero" but "not zero": below -1000 the fraction of the shifted
    // value is negative, and a third decimal there must fail as well. Anything that is not finite
    // fails too, since its fraction is not a number.
    if (!value || frac(*value * 100.0L + 100000.0L) != 0.0L) {
        return std::nullopt;
    }
    // A price beyond it (far past anything the field can hold) is no money amount.
    if (std::fabs(*value) > MaxWhistValueMagnitude) {
        return std::nullopt;
    }
    return value;
}

} // namespace zelvara::engine
