// SPDX-License-Identifier: GPL-3.0-or-later
#include "correction/account.h"

namespace zelvara::correction {

Account accountOf(const engine::ShownSettlement &)
{
    return {};
}

} // namespace zelvara::correction
