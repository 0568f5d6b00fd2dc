// SPDX-License-Identifier: GPL-3.0-or-later
// The field readers on any text: the bytes are read whole as a field's text, and again as the recipe of
// a well-formed text whose value is known, so both "never accept garbage" and "never refuse a good
// number" are checked.

#include "engine/extended.h"
#include "engine/field_reading.h"
#include "engine/result_format.h"
#include "tests/fuzz/fuzz_input.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace {

using zelvara::engine::Extended;
using zelvara::fuzz::check;
using zelvara::fuzz::fullDigits;
using zelvara::fuzz::FuzzInput;

constexpr std::string_view Separators = ",.";

bool isBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

bool onlyDigits(std::string_view text, int base)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [base](char c) {
        return (c >= '0' && c <= '9') || (base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
    });
}

std::string swapSeparators(std::string text)
{
    for (char &c : text) {
        if (c == ',') {
            c = '.';
        } else if (c == '.') {
            c = ',';
        }
    }
    return text;
}

bool sameReading(const std::optional<Extended> &a, const std::optional<Extended> &b)
{
    if (a.has_value() != b.has_value()) {
        return false;
    }
    return !a || std::memcmp(&*a, &*b, 10) == 0;
}

void checkTrim(std::string_view text)
{
    const std::string_view trimmed = zelvara::engine::trimBlanks(text);
    check(trimmed.empty() ||
              (trimmed.data() >= text.data() && trimmed.data() + trimmed.size() <= text.data() + text.size()),
          "trimBlanks returns a part of its text");
    if (!trimmed.empty()) {
        check(!isBlank(trimmed.front()) && !isBlank(trimmed.back()), "trimBlanks leaves no blank at either end");
    }
    check(zelvara::engine::trimBlanks(trimmed) == trimmed, "trimming twice changes nothing");
}

void checkInteger(std::string_view text)
{
    const auto value = zelvara::engine::readInteger(text);
    if (text.empty()) {
        check(value == 0, "an empty field reads as 0");
        return;
    }
    // Blanks and control characters around a text never change its reading.
    const std::string padded = " \t" + std::string(text) + "\r\n";
    check(zelvara::engine::readInteger(padded) == value, "padding changes an integer reading", text);

    const std::string_view trimmed = zelvara::engine::trimBlanks(text);
    if (value) {
        check(std::all_of(trimmed.begin(), trimmed.end(),
                          [](char c) { return std::strchr("+-0123456789abcdefABCDEFxX$", c) != nullptr && c != 0; }),
              "an accepted integer holds only signs, digits and hexadecimal marks", text);
    }

    // Plain decimal texts: the reading is the decimal value, or nothing when it leaves 32 bits.
    std::string_view digits = trimmed;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        digits.remove_prefix(1);
    }
    if (onlyDigits(digits, 10)) {
        std::int64_t expected = 0;
        bool fits = true;
        for (const char c : digits) {
            expected = expected * 10 + (c - '0');
            if (expected > std::int64_t{1} << 32) {
                fits = false;
                break;
            }
        }
        expected = negative ? -expected : expected;
        fits = fits && expected >= std::numeric_limits<std::int32_t>::min() &&
               expected <= std::numeric_limits<std::int32_t>::max();
        if (fits) {
            check(value == static_cast<std::int32_t>(expected), "a decimal integer reads as its value", text);
        } else {
            check(!value, "a decimal integer beyond 32 bits is refused", text);
        }
    }

    // Unsigned hexadecimal texts that fit in 31 bits read as their value, whatever the prefix.
    for (const std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
        if (trimmed.substr(0, prefix.size()) != prefix) {
            continue;
        }
        const std::string_view hex = trimmed.substr(prefix.size());
        std::uint32_t expected = 0;
        const auto [end, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), expected, 16);
        if (onlyDigits(hex, 16) && ec == std::errc{} && end == hex.data() + hex.size() && expected <= 0x7fffffffU) {
            check(value == static_cast<std::int32_t>(expected), "a hexadecimal integer reads as its value", text);
        }
        break;
    }
}

void checkReal(std::string_view text, char separator)
{
    const char other = separator == ',' ? '.' : ',';
    const auto value = zelvara::engine::readReal(text, separator);
    if (value) {
        check(std::isfinite(*value), "an accepted number is finite", text);
        check(zelvara::engine::trimBlanks(text).find(other) == std::string_view::npos,
              "a number with the other separator is refused", text);

        // What the result display writes must read back as the same number to 15 digits.
        const std::string shown = zelvara::engine::formatGeneral(*value, separator);
        const auto reread = zelvara::engine::readReal(shown, separator);
        check(reread.has_value(), "a formatted number reads back", shown);
        check(zelvara::fuzz::agreeTo15Digits(*reread, *value), "a formatted number keeps 15 digits",
              shown + " vs " + fullDigits(*value));
    }
    // The two separators play the same part: swapping them in text and setting gives the same reading.
    check(sameReading(zelvara::engine::readReal(swapSeparators(std::string(text)), other), value),
          "the two separators read alike", text);

    const auto whist = zelvara::engine::readWhistValue(text, separator);
    if (whist) {
        check(sameReading(whist, value), "an accepted whist value is its number", text);
        check(zelvara::engine::whole(*whist * 100), "an accepted whist value is whole hundredths", text);
        check(std::fabs(*whist) <= zelvara::engine::MaxWhistValueMagnitude, "an accepted whist value is a price", text);
    } else if (value && std::isfinite(*value) && std::fabs(*value) <= zelvara::engine::MaxWhistValueMagnitude) {
        check(!zelvara::engine::whole(*value * 100), "a number of whole hundredths is a whist value", text);
    }
}

// An integer written plainly, with blanks and control characters around it, reads as itself.
void checkIntegerRoundTrip(FuzzInput &in)
{
    const auto n = static_cast<std::int32_t>(in.word());
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, n);
    std::string text(buffer, result.ptr);
    for (int i = in.choose(3); i > 0; --i) {
        text.insert(text.begin(), static_cast<char>(1 + in.choose(0x20)));
        text.push_back(static_cast<char>(1 + in.choose(0x20)));
    }
    check(zelvara::engine::readInteger(text) == n, "a written integer reads as itself", text);
}

// Every amount the whist field can hold (up to 5 characters, at most two decimals) is a whist value.
void checkWhistAmount(FuzzInput &in)
{
    const char separator = Separators[static_cast<std::size_t>(in.choose(2))];
    const auto units = in.word() % 100000U;
    const auto hundredths = in.byte() % 100U;
    std::string text = std::to_string(units);
    if (hundredths != 0) {
        text += separator;
        text += static_cast<char>('0' + hundredths / 10);
        if (hundredths % 10 != 0) {
            text += static_cast<char>('0' + hundredths % 10);
        }
    }
    if (text.size() > 5) {
        return;
    }
    const auto value = zelvara::engine::readWhistValue(text, separator);
    check(value.has_value(), "a whole number of hundredths is a whist value", text);
    const Extended expected = static_cast<Extended>(units) + static_cast<Extended>(hundredths) / 100;
    check(zelvara::fuzz::agreeTo15Digits(*value, expected), "a whist value reads as its amount", text);
}

// Any finite extended value away from the ends of the range survives formatting and reading back (at the
// ends, rounding to 15 digits can step outside the range).
void checkFormatRoundTrip(FuzzInput &in)
{
    unsigned char bits[sizeof(Extended)] = {};
    for (std::size_t i = 0; i < 10; ++i) {
        bits[i] = in.byte();
    }
    Extended value = 0;
    std::memcpy(&value, bits, sizeof value);
    if (!std::isfinite(value) || (value != 0 && (std::fabs(value) < 1e-4900L || std::fabs(value) > 1e4900L))) {
        return;
    }
    for (const char separator : Separators) {
        const std::string shown = zelvara::engine::formatGeneral(value, separator);
        const auto reread = zelvara::engine::readReal(shown, separator);
        check(reread.has_value(), "a formatted value reads back", shown);
        check(zelvara::fuzz::agreeTo15Digits(*reread, value), "a formatted value keeps 15 digits",
              shown + " vs " + fullDigits(value));
        check(shown.find(separator == ',' ? '.' : ',') == std::string::npos, "only the chosen separator is written",
              shown);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    checkTrim(text);
    checkInteger(text);
    for (const char separator : Separators) {
        checkReal(text, separator);
    }

    FuzzInput in(data, size);
    checkIntegerRoundTrip(in);
    checkWhistAmount(in);
    checkFormatRoundTrip(in);
    return 0;
}
