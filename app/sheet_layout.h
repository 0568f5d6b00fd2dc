// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where each field of the three pool sheets sits on its panel, and the order the Tab key visits them.
// The window builds all three sheets from these rows, so a sheet is one table, not one block of code.
// The rows are data, resources/sheet_layout.json, compiled in as constant tables at build time (the
// program reads no JSON when it starts); scripts/draw-artwork reads the same file to draw the sheets'
// cells round the fields.

#include "engine/sheet.h"

#include <span>

namespace zelvara::app {

struct SheetField
{
    engine::FieldId field;
    int left = 0;
    int top = 0;
};

struct FieldSize
{
    int width = 0;
    int height = 0;
};

// What every sheet's panel shows besides its fields: the picture of the pool sheet (left, top, size)
// and the "Вист =" label above the whist value in its centre (left, top).
struct PanelPlace
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};
extern const PanelPlace PicturePlace;
extern const PanelPlace WhistLabelPlace;

// Every field of the sheet of `players` (4, 3 or 2), in tab order: heaps, pools, the whists round the
// sheet, names, the whist value; the result fields come last (they are not tab stops).
std::span<const SheetField> sheetLayout(int players);

FieldSize fieldSize(engine::FieldKind kind);

// How many characters may be typed into a field; 0 for no limit.
int typingLimit(engine::FieldKind kind);

} // namespace zelvara::app
