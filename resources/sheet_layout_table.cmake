# SPDX-License-Identifier: GPL-3.0-or-later
# Turns the sheets' layout (sheet_layout.json, shared with scripts/draw-artwork) into a C++ header of
# constant tables, so the program reads no JSON when it starts:
#   cmake -DINPUT=sheet_layout.json -DOUTPUT=sheet_layout_table.h -P sheet_layout_table.cmake
# It refuses a layout with an unknown key, a missing or repeated field, or a number out of range, naming
# what is wrong, so a slip in the data fails the build instead of moving a field.

cmake_minimum_required(VERSION 3.25)

if(NOT INPUT OR NOT OUTPUT)
    message(FATAL_ERROR "usage: cmake -DINPUT=sheet_layout.json -DOUTPUT=table.h -P sheet_layout_table.cmake")
endif()
file(READ "${INPUT}" layout)

function(refuse what)
    message(FATAL_ERROR "${INPUT}: ${what}")
endfunction()

string(JSON type ERROR_VARIABLE error TYPE "${layout}")
if(error OR NOT type STREQUAL "OBJECT")
    refuse("not a JSON object: ${error}")
endif()

# The value at a path in the layout; a missing member is refused.
function(json_get out)
    string(JSON value ERROR_VARIABLE error GET "${layout}" ${ARGN})
    if(error)
        list(JOIN ARGN "." where)
        refuse("${where}: ${error}")
    endif()
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

# Only the keys given may appear in the object at the path.
function(json_keys_only allowed)
    string(JSON count LENGTH "${layout}" ${ARGN})
    math(EXPR last "${count} - 1")
    if(count GREATER 0)
        foreach(i RANGE ${last})
            string(JSON key MEMBER "${layout}" ${ARGN} ${i})
            if(NOT key IN_LIST allowed)
                list(JOIN ARGN "." where)
                refuse("${where}: unknown key \"${key}\"")
            endif()
        endforeach()
    endif()
endfunction()

# A whole number from 0 to `most` at the path.
function(json_number out most)
    json_get(value ${ARGN})
    if(NOT value MATCHES "^[0-9]+$" OR value GREATER most)
        list(JOIN ARGN "." where)
        refuse("${where}: \"${value}\" is not a whole number from 0 to ${most}")
    endif()
    set(${out} ${value} PARENT_SCOPE)
endfunction()

set(panel 377) # the panels are 377 x 377; nothing may lie outside them
set(kinds heap pool whists name whistValue result)
set(kind_heap Heap)
set(kind_pool Pool)
set(kind_whists Whists)
set(kind_name Name)
set(kind_whistValue WhistValue)
set(kind_result Result)

json_keys_only("picture;whistLabel;sizes;sheets")
json_keys_only("left;top;width;height" picture)
json_keys_only("left;top" whistLabel)
json_keys_only("${kinds}" sizes)
json_keys_only("4;3;2" sheets)

foreach(key left top width height)
    json_number(picture_${key} ${panel} picture ${key})
endforeach()
json_number(label_left ${panel} whistLabel left)
json_number(label_top ${panel} whistLabel top)

set(sizes "")
foreach(kind IN LISTS kinds)
    json_number(width ${panel} sizes ${kind} 0)
    json_number(height ${panel} sizes ${kind} 1)
    set(width_${kind} ${width})
    set(height_${kind} ${height})
    string(APPEND sizes "    case engine::FieldKind::${kind_${kind}}:\n        return {${width}, ${height}};\n")
endforeach()

set(tables "")
foreach(players 4 3 2)
    string(JSON count LENGTH "${layout}" sheets ${players})
    math(EXPR last "${count} - 1")
    set(rows "")
    set(seen "")
    foreach(i RANGE ${last})
        json_keys_only("kind;player;on;at" sheets ${players} ${i})
        json_get(kind sheets ${players} ${i} kind)
        if(NOT kind IN_LIST kinds)
            refuse("sheets.${players}.${i}: unknown kind \"${kind}\"")
        endif()
        set(player 0)
        set(on 0)
        if(NOT kind STREQUAL "whistValue")
            json_number(player ${players} sheets ${players} ${i} player)
            if(player LESS 1)
                refuse("sheets.${players}.${i}: player 0")
            endif()
        endif()
        if(kind STREQUAL "whists")
            json_number(on ${players} sheets ${players} ${i} on)
            if(on LESS 1 OR on EQUAL player)
                refuse("sheets.${players}.${i}: whists of player ${player} on ${on}")
            endif()
        else()
            string(JSON unused ERROR_VARIABLE absent GET "${layout}" sheets ${players} ${i} on)
            if(NOT absent)
                refuse("sheets.${players}.${i}: only whists are written on another player")
            endif()
        endif()
        json_number(left ${panel} sheets ${players} ${i} at 0)
        json_number(top ${panel} sheets ${players} ${i} at 1)
        string(JSON at_length LENGTH "${layout}" sheets ${players} ${i} at)
        math(EXPR right "${left} + ${width_${kind}}")
        math(EXPR bottom "${top} + ${height_${kind}}")
        if(NOT at_length EQUAL 2 OR right GREATER panel OR bottom GREATER panel)
            refuse("sheets.${players}.${i}: ${kind} at ${left}, ${top} does not lie on the panel")
        endif()
        set(id "${kind}/${player}/${on}")
        if(id IN_LIST seen)
            refuse("sheets.${players}.${i}: ${kind} of player ${player} is listed twice")
        endif()
        list(APPEND seen ${id})
        string(APPEND rows "    {{engine::FieldKind::${kind_${kind}}, ${player}, ${on}}, ${left}, ${top}},\n")
    endforeach()
    # Every field of the sheet once: a heap, a pool, a name and a result for each player, whists on each
    # opponent, and the whist value.
    math(EXPR expected "${players} * (${players} + 3) + 1")
    if(NOT count EQUAL expected)
        refuse("sheets.${players}: ${count} fields where the sheet has ${expected}")
    endif()
    string(APPEND tables "constexpr std::array<SheetField, ${count}> Sheet${players} = {{\n${rows}}};\n\n")
endforeach()

file(CONFIGURE OUTPUT "${OUTPUT}" @ONLY CONTENT "// Made from resources/sheet_layout.json by resources/sheet_layout_table.cmake: edit the JSON.
#pragma once

#include \"app/sheet_layout.h\"

#include <array>

namespace zelvara::app::layout {

constexpr PanelPlace Picture{${picture_left}, ${picture_top}, ${picture_width}, ${picture_height}};
constexpr PanelPlace WhistLabel{${label_left}, ${label_top}, 0, 0};

constexpr FieldSize sizeOf(engine::FieldKind kind)
{
    switch (kind) {
${sizes}    }
    return {};
}

${tables}} // namespace zelvara::app::layout
")
