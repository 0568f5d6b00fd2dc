// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/extended.h"
#include "engine/settlement.h"

#include <string>
#include <vector>

namespace zelvara::engine {

// How a result reads at a glance: a gain or nothing (navy), or a loss (red).
enum class Tone { Gain, Loss };

struct ShownResult
{
    std::string text;
    Tone tone = Tone::Gain;
};

// The general decimal form: rounded to 15 significant digits, no thousands separators, trailing zeros
// dropped, the separator only when there is a fraction, and scientific notation ("1,5E-5", "1E20")
// only for a non-zero value below 0.0001 in magnitude or with more than 15 digits before the point.
// Negative zero reads "0".
std::string formatGeneral(Extended value, char decimalSeparator);

Tone toneOf(Extended value);

// A result field's text: "+" before it when `plus`, then `shown` in the general form; its tone is that
// of the value computed, which a rounding for show may have brought to 0. The one place a result's
// sign is written.
ShownResult shownResult(Extended shown, bool plus, Extended computed, char decimalSeparator);

// The texts of a settlement's results: "+" before a gain, the number alone otherwise; red for a loss.
std::vector<ShownResult> resultTexts(const Results &results, char decimalSeparator);

// Rounding to hundredths, half away from zero, in floating point as the correction dialogs do it.
double roundToHundredths(Extended value);

} // namespace zelvara::engine
