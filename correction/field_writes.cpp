// SPDX-License-Identifier: GPL-3.0-or-later
#include "correction/correction.h"

namespace zelvara::correction {

engine::SheetTexts applyWrites(engine::SheetTexts sheet, const std::vector<FieldWrite> &writes)
{
    for (const FieldWrite &write : writes) {
        sheet.text(write.field) = write.text;
    }
    return sheet;
}

} // namespace zelvara::correction
