// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/sheet_layout.h"

namespace zelvara::app {

namespace {

using engine::FieldId;
using engine::FieldKind;

constexpr SheetField heap(int player, int left, int top)
{
    return {FieldId{FieldKind::Heap, player, 0}, left, top};
}
constexpr SheetField pool(int player, int left, int top)
{
    return {FieldId{FieldKind::Pool, player, 0}, left, top};
}
constexpr SheetField whists(int player, int other, int left, int top)
{
    return {FieldId{FieldKind::Whists, player, other}, left, top};
}
constexpr SheetField name(int player, int left, int top)
{
    return {FieldId{FieldKind::Name, player, 0}, left, top};
}
constexpr SheetField result(int player, int left, int top)
{
    return {FieldId{FieldKind::Result, player, 0}, left, top};
}
// The whist value sits in the centre circle of every sheet.
constexpr SheetField WhistValue{FieldId{FieldKind::WhistValue, 0, 0}, 171, 184};

constexpr FieldSize NumberSize{37, 21};
constexpr FieldSize WhistsSize{43, 21};
constexpr FieldSize NameSize{46, 23};
constexpr FieldSize ResultSize{157, 25};

const std::vector<SheetField> Four = {
    heap(1, 115, 202),
    heap(2, 171, 114),
    heap(3, 227, 154),
    heap(4, 171, 242),
    pool(1, 75, 178),
    pool(2, 171, 82),
    pool(3, 266, 178),
    pool(4, 171, 273),
    whists(1, 4, 20, 273),
    whists(1, 3, 20, 178),
    whists(1, 2, 20, 82),
    whists(2, 1, 72, 30),
    whists(2, 4, 168, 30),
    whists(2, 3, 263, 30),
    whists(3, 2, 315, 82),
    whists(3, 1, 315, 178),
    whists(3, 4, 315, 273),
    whists(4, 3, 263, 325),
    whists(4, 2, 168, 325),
    whists(4, 1, 72, 325),
    name(1, 115, 177),
    name(2, 166, 137),
    name(3, 218, 177),
    name(4, 166, 217),
    WhistValue,
    result(1, 4, 141),
    result(2, 111, 54),
    result(3, 218, 210),
    result(4, 111, 297),
};

const std::vector<SheetField> Three = {
    heap(1, 115, 154),      heap(2, 227, 154),      heap(3, 171, 242),      pool(1, 75, 178),
    pool(2, 266, 178),      pool(3, 171, 273),      whists(1, 3, 20, 242),  whists(1, 2, 20, 113),
    whists(2, 1, 315, 113), whists(2, 3, 315, 242), whists(3, 2, 224, 325), whists(3, 1, 112, 325),
    name(1, 115, 177),      name(2, 218, 177),      name(3, 166, 217),      WhistValue,
    result(1, 4, 210),      result(2, 218, 210),    result(3, 111, 297),
};

const std::vector<SheetField> Two = {
    heap(1, 171, 114),      heap(2, 171, 242), pool(1, 171, 82),  pool(2, 171, 273), whists(1, 2, 168, 30),
    whists(2, 1, 168, 325), name(1, 166, 137), name(2, 166, 217), WhistValue,        result(1, 111, 54),
    result(2, 111, 297),
};

} // namespace

const std::vector<SheetField> &sheetLayout(int players)
{
    switch (players) {
    case 3:
        return Three;
    case 2:
        return Two;
    default:
        return Four;
    }
}

FieldSize fieldSize(engine::FieldKind kind)
{
    switch (kind) {
    case FieldKind::Whists:
        return WhistsSize;
    case FieldKind::Name:
        return NameSize;
    case FieldKind::Result:
        return ResultSize;
    case FieldKind::WhistValue:
    case FieldKind::Pool:
    case FieldKind::Heap:
        break;
    }
    return NumberSize;
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
