// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/sheet_layout.h"

#include "sheet_layout_table.h"

namespace zelvara::app {

using engine::FieldKind;

const PanelPlace PicturePlace = layout::Picture;
const PanelPlace WhistLabelPlace = layout::WhistLabel;

std::span<const SheetField> sheetLayout(int players)
{
    switch (players) {
    case 3:
        return layout::Sheet3;
    case 2:
        return layout::Sheet2;
    default:
        return layout::Sheet4;
    }
}

FieldSize fieldSize(engine::FieldKind kind)
{
    return layout::sizeOf(kind);
}

int typingLimit(engine::FieldKind kind)
{
    switch (kind) {
    case FieldKind::Whists:
        return 6;
    case FieldKind::WhistValue:
    case FieldKind::Pool:
    case FieldKind::Heap:
        return 5;
    case FieldKind::Name:
    case FieldKind::Result:
        break;
    }
    return 0;
}

} // namespace zelvara::app
