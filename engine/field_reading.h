// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/extended.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace zelvara::engine {

// Blanks and control characters (bytes up to 0x20) at both ends go.
std::string_view trimBlanks(std::string_view text);

// A pool, heap or whists field. An empty text reads as 0 (an untouched field); otherwise the text is
// trimmed and must be a 32-bit integer: an optional sign, then decimal digits or a hexadecimal number
// introduced by "$", "x", "X", "0x" or "0X". Nothing for anything else, including blanks only.
std::optional<std::int32_t> readInteger(std::string_view text);

// The whist value as a number: the trimmed text, an optional sign, digits with the given decimal
// separator, an optional exponent ("E" or "e", optional sign, digits). Nothing for an empty or
// malformed text, "inf", "nan", or the other separator.
std::optional<Extended> readReal(std::string_view text, char decimalSeparator);

// The largest whist value, in magnitude, that the settlement accepts: no balance reaches 1E15 whists,
// so every product with such a price stays within the extended range.
inline constexpr Extended MaxWhistValueMagnitude = std::numeric_limits<Extended>::max() / 1E16L;

// The whist value as the settlement accepts it: a number (readReal) that is a whole number of
// hundredths of the money unit, at most MaxWhistValueMagnitude in magnitude. Zero and negative amounts
// are accepted.
std::optional<Extended> readWhistValue(std::string_view text, char decimalSeparator);

} // namespace zelvara::engine
