// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/result_format.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace zelvara::engine {

namespace {

constexpr int ShownDigits = 15;

} // namespace

std::string formatGeneral(Extended value, char decimalSeparator)
{
    if (value == 0) {
        return "0";
    }
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-INF" : "INF";
    }
    // A whole number of at most 15 digits keeps every digit at 15 significant ones and is written with
    // neither point nor exponent: the integer itself, without the long road below.
    if (std::fabs(value) < 1e15L && value == std::trunc(value)) {
        char whole[24];
        const auto written = std::to_chars(whole, whole + sizeof whole, static_cast<std::int64_t>(value));
        return {whole, written.ptr};
    }
    // Scientific form with 15 significant digits rounds the exact binary value to nearest, ties to
    // even; the exponent is read after that rounding, so 9.999999999999999E14 becomes 1E15.
    char buffer[64];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, ShownDigits - 1);
    if (error != std::errc{}) {
        return "0";
    }
    std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    const bool negative = text.front() == '-';
    if (negative) {
        text.remove_prefix(1);
    }
    const std::size_t ePos = text.find('e');
    std::string digits;
    for (const char c : text.substr(0, ePos)) {
        if (c != '.') {
            digits.push_back(c);
        }
    }
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    std::string_view exponentText = text.substr(ePos + 1);
    if (!exponentText.empty() && exponentText.front() == '+') {
        exponentText.remove_prefix(1);
    }
    int exponent = 0;
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);

    std::string out = negative ? "-" : "";
    const auto count = static_cast<int>(digits.size());
    if (exponent < -4 || exponent >= ShownDigits) {
        out += digits.front();
        if (count > 1) {
            out += decimalSeparator;
            out.append(digits, 1);
        }
        out += 'E';
        out += std::to_string(exponent);
    } else if (exponent < 0) {
        out += '0';
        out += decimalSeparator;
        out.append(static_cast<std::size_t>(-exponent) - 1, '0');
        out += digits;
    } else if (exponent + 1 >= count) {
        out += digits;
        out.append(static_cast<std::size_t>(exponent) + 1 - static_cast<std::size_t>(count), '0');
    } else {
        const auto point = static_cast<std::size_t>(exponent) + 1;
        out.append(digits, 0, point);
        out += decimalSeparator;
        out.append(digits, point);
    }
    return out;
}

Tone toneOf(Extended value)
{
    return value < 0 ? Tone::Loss : Tone::Gain;
}

ShownResult shownResult(Extended shown, bool plus, Extended computed, char decimalSeparator)
{
    std::string text = plus ? "+" : "";
    text += formatGeneral(shown, decimalSeparator);
    return {std::move(text), toneOf(computed)};
}

std::vector<ShownResult> resultTexts(const Results &results, char decimalSeparator)
{
    std::vector<ShownResult> shown;
    for (int i = 0; i < results.players && i < MaxPlayers; ++i) {
        const Extended value = results.values[static_cast<std::size_t>(i)];
        shown.push_back(shownResult(value, value > 0, value, decimalSeparator));
    }
    return shown;
}

double roundToHundredths(Extended value)
{
    const auto x = static_cast<double>(value);
    const auto hundredth = static_cast<Extended>(0.01);
    const Extended q = static_cast<Extended>(x) / hundredth + (x >= 0 ? 0.5L : -0.5L);
    // A value too large to count in hundredths has no fraction to round away.
    constexpr Extended Bound = 9.2e18L;
    if (!(std::fabs(q) < Bound)) {
        return x;
    }
    const auto n = static_cast<std::int64_t>(std::trunc(q));
    return static_cast<double>(static_cast<Extended>(n) * hundredth);
}

} // namespace zelvara::engine
