// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/breakdown.h"

namespace zelvara::engine {

std::string caseInWords(const Options &, int, Extended, char)
{
    return {};
}

Breakdown breakdownOf(const Workings &, const Options &, const std::array<std::string, MaxPlayers> &,
                      const std::vector<ShownResult> &, const std::string &, char)
{
    return {};
}

} // namespace zelvara::engine
