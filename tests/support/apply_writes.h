// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The sheet as the window leaves it once a correction's writes are made: the tests settle it again.

#include "correction/correction.h"

#include <vector>

namespace zelvara::testing {

inline engine::SheetTexts applyWrites(engine::SheetTexts sheet, const std::vector<correction::FieldWrite> &writes)
{
    for (const correction::FieldWrite &write : writes)
        sheet.text(write.field) = write.text;
    return sheet;
}

} // namespace zelvara::testing
