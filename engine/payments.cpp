// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/payments.h"

namespace zelvara::engine {

PairTable pairBalancesInWhists(const Workings &)
{
    return {};
}

Payments paymentsOf(const Workings &, const std::vector<ShownResult> &, char)
{
    return {};
}

std::vector<Transfer> fewestTransfers(const std::array<std::int64_t, MaxPlayers> &, int)
{
    return {};
}

std::string amountText(std::int64_t, char)
{
    return {};
}

std::string moneyText(std::int64_t, char)
{
    return {};
}

std::optional<std::string> seatDative(std::string_view)
{
    return {};
}

std::vector<std::string> paymentLines(const std::vector<Transfer> &, const std::array<std::string, MaxPlayers> &, char)
{
    return {};
}

std::string paymentsNote(const Payments &, const std::array<std::string, MaxPlayers> &, char)
{
    return {};
}

} // namespace zelvara::engine
