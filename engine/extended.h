// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>
#include <limits>

namespace zelvara::engine {

// Every share, whist value and result is computed in x87 80-bit extended precision, so that the
// program reproduces the sums players check by hand to the last digit.
using Extended = long double;
static_assert(std::numeric_limits<Extended>::digits == 64, "Extended must be the x87 80-bit format");

// The fractional part with truncation toward zero: negative for a negative non-whole value.
inline Extended frac(Extended y)
{
    return y - std::trunc(y);
}

// A money amount or a share is whole when nothing is left after the point once 100000 has been added;
// the offset keeps the test of small negative values on the same footing as positive ones.
inline bool whole(Extended x)
{
    return frac(x + 100000.0L) == 0.0L;
}

} // namespace zelvara::engine
